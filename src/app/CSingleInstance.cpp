// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {
constexpr char kRaiseRequest[] = "raise\n";
constexpr int kAskTimeoutMs = 3000;

QString KeyHash(const QString& key)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

// The lock lives where only this user can write; the temp folder is the fall-back.
QString LockPath(const QString& key)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        dir = QDir::tempPath();
    return dir + "/PlumoMutex-" + KeyHash(key) + ".lock";
}
} // namespace

CSingleInstance::CSingleInstance(const QString& key, QObject* parent)
    : QObject(parent)
    , m_key(key)
{
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
}

CSingleInstance::~CSingleInstance()
{
    m_server.close();
    if (m_lock)
        m_lock->unlock();
}

QString CSingleInstance::ServerName(const QString& key)
{
    // On Unix a bare name is placed in the shared temp folder: qualify it with the user.
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    return "PlumoMutex-" + KeyHash(user + '\n' + key);
}

bool CSingleInstance::Acquire()
{
    m_lock = std::make_unique<QLockFile>(LockPath(m_key));
    m_lock->setStaleLockTime(0); // a lock is stale only when its owner is gone
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            m_lock.reset();
            AskRunningToRaise(ServerName(m_key));
            return false;
        }
        // The lock cannot be made at all (unwritable folder): run rather than refuse to start.
        m_lock.reset();
    }
    const QString name = ServerName(m_key);
    QLocalServer::removeServer(name); // a socket left by a crashed owner of the lock
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(name);
    return true;
}

bool CSingleInstance::AskRunningToRaise(const QString& name)
{
    // The running instance may still be starting and not yet listening: retry briefly.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kAskTimeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(500)) {
            socket.write(kRaiseRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise") && m_raise)
                m_raise();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}
