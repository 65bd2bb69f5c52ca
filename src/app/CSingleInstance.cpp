// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <cerrno>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace {
constexpr char kRaiseRequest[] = "raise\n";
// Each file handed over follows the raise request on a line of its own, after this prefix.
constexpr char kOpenPrefix[] = "open ";
// The last line of a request; the running instance answers it with kConfirm.
constexpr char kEndRequest[] = "end\n";
constexpr char kConfirm[] = "ok\n";
// A whole request, however many files it names.
constexpr qint64 kMaxRequestBytes = 16 * 1024 * 1024;
constexpr int kAskTimeoutMs = 3000;
constexpr int kConfirmTimeoutMs = 10000;

QString KeyHash(const QString& key)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

#ifdef Q_OS_UNIX
// A real folder (not a link) of this user that no one else may read, write or enter.
bool IsPrivateFolder(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

// Makes the fall-back folder, or takes it back to 0700 when it is this user's already.
bool MakePrivateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    QDir().mkpath(QFileInfo(path).path());
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 077) == 0 || ::chmod(native.constData(), 0700) == 0;
}

// Only this user's processes may talk to the running player; the folder's mode already keeps
// others out, and the peer's credentials say so again where the system tells them.
bool IsOwnUser(const QLocalSocket& socket)
{
#if defined(SO_PEERCRED)
    struct ucred cred {};
    socklen_t length = sizeof cred;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred,
            &length)
        != 0)
        return false;
    return cred.uid == ::geteuid();
#else
    Q_UNUSED(socket);
    return true;
#endif
}
#else
bool IsOwnUser(const QLocalSocket&)
{
    return true;
}
#endif
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

QString CSingleInstance::PrivateFolder()
{
#ifdef Q_OS_UNIX
    // The shared temp folder is no place for it: anyone may make the name first there, and
    // then receive what a later start hands over, or keep the player from listening at all.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(runtime))
        return runtime;
    // Without one, a folder in the user's own cache folder; per host, as a home folder may be
    // shared by several machines whose players cannot reach each other.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return {};
    const QString own = cache + "/plumo-" + QSysInfo::machineHostName();
    return MakePrivateFolder(own) ? own : QString();
#else
    return QDir::tempPath();
#endif
}

QString CSingleInstance::ServerName(const QString& key, const QString& folder)
{
#ifdef Q_OS_UNIX
    const QString dir = folder.isEmpty() ? PrivateFolder() : folder;
    if (dir.isEmpty())
        return {};
    return dir + "/PlumoMutex-" + KeyHash(key);
#else
    // A pipe name: qualified with the user, as pipes share one namespace.
    Q_UNUSED(folder);
    return "PlumoMutex-" + KeyHash(qEnvironmentVariable("USERNAME") + '\n' + key);
#endif
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
    const QString folder = PrivateFolder();
    if (folder.isEmpty())
        return true; // nowhere safe to meet a later start: run rather than refuse to start
    const QString name = ServerName(m_key, folder);
    m_lock = std::make_unique<QLockFile>(name + ".lock");
    m_lock->setStaleLockTime(0); // a lock is stale only when its owner is gone
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            m_lock.reset();
            m_handedOver = AskRunningToRaise(name, files);
            return false;
        }
        // The lock cannot be made at all (unwritable folder): run rather than refuse to start.
        m_lock.reset();
    }
    // A socket left by a crashed owner of the lock; in the private folder it can only be ours.
    QLocalServer::removeServer(name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    // A failed listen leaves the player running; a later start then finds the lock taken and
    // says that it cannot reach this one.
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
        if (!socket.waitForConnected(500)) {
            QThread::msleep(100);
            continue;
        }
        QByteArray request(kRaiseRequest);
        for (const QString& file : files) {
            if (!file.contains('\n'))
                request += kOpenPrefix + file.toUtf8() + '\n';
        }
        request += kEndRequest;
        socket.write(request);
        if (!socket.waitForBytesWritten(kConfirmTimeoutMs))
            return false;
        // Written is not received: the running one confirms once it has the whole request.
        QElapsedTimer wait;
        wait.start();
        while (!socket.canReadLine() && wait.elapsed() < kConfirmTimeoutMs
            && socket.state() == QLocalSocket::ConnectedState)
            socket.waitForReadyRead(200);
        const bool confirmed = socket.canReadLine() && socket.readLine() == kConfirm;
        socket.disconnectFromServer();
        return confirmed;
    }
    return false;
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!IsOwnUser(*socket)) {
            socket->abort();
            continue;
        }
        auto files = std::make_shared<QStringList>();
        auto received = std::make_shared<qint64>(0);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, files, received] {
            while (socket->canReadLine()) {
                QByteArray line = socket->readLine(kMaxRequestBytes);
                *received += line.size();
                if (*received > kMaxRequestBytes) {
                    socket->abort();
                    return;
                }
                if (line.endsWith('\n'))
                    line.chop(1);
                if (line == "raise" && m_raise) {
                    m_raise();
                } else if (line.startsWith(kOpenPrefix)) {
                    files->append(QString::fromUtf8(line.mid(int(sizeof kOpenPrefix) - 1)));
                } else if (line == "end") {
                    // Confirmed before the files are opened: opening may take a while, and
                    // the later start only waits to know they arrived.
                    socket->write(kConfirm);
                    socket->flush();
                    // Queued: opening may run a dialog's loop, in which this socket could go.
                    if (!files->isEmpty()) {
                        QMetaObject::invokeMethod(this,
                            [this, list = *files] { Q_EMIT FilesReceived(list); },
                            Qt::QueuedConnection);
                    }
                    return;
                }
            }
            // A line longer than a whole request may be never ends.
            if (socket->bytesAvailable() > kMaxRequestBytes)
                socket->abort();
        });
    }
}
