// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

namespace {
constexpr char kRaiseRequest[] = "raise\n";
// Each file handed over follows the raise request on a line of its own, after this prefix.
constexpr char kOpenPrefix[] = "open ";
constexpr qint64 kMaxRequestBytes = 16 * 1024 * 1024;
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

QStringList CSingleInstance::FilesFromArguments(const QStringList& arguments)
{
    QStringList files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.isEmpty() || argument.startsWith('-'))
            continue; // Qt's own options, and nothing the player takes
        const QUrl url(argument);
        if (url.isLocalFile()) // desktops hand files over as file: addresses
            files.append(url.toLocalFile());
        else if (argument.contains(QLatin1String("://")))
            files.append(argument);
        else
            files.append(QFileInfo(argument).absoluteFilePath());
    }
    return files;
}

bool CSingleInstance::Acquire(const QStringList& files)
{
    m_lock = std::make_unique<QLockFile>(LockPath(m_key));
    m_lock->setStaleLockTime(0); // a lock is stale only when its owner is gone
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            m_lock.reset();
            AskRunningToRaise(ServerName(m_key), files);
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

bool CSingleInstance::AskRunningToRaise(const QString& name, const QStringList& files)
{
    // The running instance may still be starting and not yet listening: retry briefly.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kAskTimeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(500)) {
            QByteArray request(kRaiseRequest);
            for (const QString& file : files) {
                if (!file.contains('\n'))
                    request += kOpenPrefix + file.toUtf8() + '\n';
            }
            socket.write(request);
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
        auto files = std::make_shared<QStringList>();
        auto readLines = [this, socket, files] {
            while (socket->canReadLine()) {
                QByteArray line = socket->readLine(kMaxRequestBytes);
                if (line.endsWith('\n'))
                    line.chop(1);
                if (line == "raise" && m_raise)
                    m_raise();
                else if (line.startsWith(kOpenPrefix))
                    files->append(QString::fromUtf8(line.mid(int(sizeof kOpenPrefix) - 1)));
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readLines);
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, files, readLines] {
            readLines();
            socket->deleteLater();
            if (!files->isEmpty())
                Q_EMIT FilesReceived(*files);
        });
    }
}
