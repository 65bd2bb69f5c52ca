// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A later start handing its files to the running player: the running end in this thread, the
// later start on a thread of its own (it waits for the running one to confirm).
#include "CSingleInstance.h"
#include "TestProfile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <cstring>
#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// Sets an environment variable for the life of the object (unset for a null value).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name)
        , m_old(qgetenv(name))
        , m_had(qEnvironmentVariableIsSet(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

QByteArray MakeFolder(const TestProfile& home, const QString& name, mode_t mode)
{
    const QString path = home.File(name);
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), mode);
    return QFile::encodeName(path);
}

mode_t ModeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

// A later start, as a second process runs it, while this thread serves the running one.
struct LaterStart {
    bool acquired = true;
    bool handedOver = false;
};

LaterStart StartLater(const QString& key, const QStringList& files, QSignalSpy* received)
{
    auto later = std::async(std::launch::async, [key, files] {
        CSingleInstance instance(key);
        LaterStart result;
        result.acquired = instance.Acquire(files);
        result.handedOver = instance.HandedOver();
        return result;
    });
    QDeadlineTimer deadline(20000);
    while (later.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready
        && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    while (received && received->isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return later.get();
}

} // namespace

TEST(SingleInstanceFiles, ALaterStartHandsItsFilesToTheRunningOne)
{
    TestProfile profile;
    ScopedEnv runtime("XDG_RUNTIME_DIR", MakeFolder(profile, "run", 0700));
    CSingleInstance running(profile.Path());
    ASSERT_TRUE(running.Acquire());
    ASSERT_TRUE(running.IsListening());
    int raised = 0;
    running.SetRaiseHandler([&] { ++raised; });
    QSignalSpy received(&running, &CSingleInstance::FilesReceived);

    const QStringList files = {"/music/a song.mp3", "/music/ünïcode.flac",
        "http://radio.example/stream"};
    const LaterStart later = StartLater(profile.Path(), files, &received);
    EXPECT_FALSE(later.acquired);
    EXPECT_TRUE(later.handedOver) << "the running one confirmed";
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.front().front().toStringList(), files);
    EXPECT_EQ(raised, 1);
}

TEST(SingleInstanceFiles, ArgumentsBecomeAbsolutePathsAndAddresses)
{
    const QStringList arguments = {"plumo", "song.mp3", "-style", "file:///music/a%20b.ogg",
        "https://radio.example/x", "", "/abs/list.m3u"};
    const QStringList expected = {QDir::current().absoluteFilePath("song.mp3"),
        "/music/a b.ogg", "https://radio.example/x", "/abs/list.m3u"};
    EXPECT_EQ(CSingleInstance::FilesFromArguments(arguments), expected);
}

// The socket and the lock live where only this user can go: the runtime folder when it is
// private, else a folder of the user's own made private. Never the shared temp folder.
TEST(SingleInstanceFiles, TheSocketLivesInAFolderOnlyThisUserCanEnter)
{
    TestProfile home;
    const QByteArray cache = QFile::encodeName(home.File("cache"));
    ScopedEnv cacheHome("XDG_CACHE_HOME", cache);
    const QString fallback = home.File("cache") + "/plumo-" + QSysInfo::machineHostName();
    struct Case {
        const char* name;
        QByteArray runtime; // XDG_RUNTIME_DIR; null: unset
        QString expectedFolder;
    };
    const Case cases[] = {
        {"private runtime folder", MakeFolder(home, "run", 0700), home.File("run")},
        {"unset", QByteArray(), fallback},
        {"readable by others", MakeFolder(home, "open", 0755), fallback},
        {"writable by all", MakeFolder(home, "shared", 01777), fallback},
        {"missing", QFile::encodeName(home.File("nowhere")), fallback},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
        EXPECT_EQ(CSingleInstance::PrivateFolder(), c.expectedFolder);
        const QString name = CSingleInstance::ServerName(home.Path());
        EXPECT_EQ(QFileInfo(name).path(), c.expectedFolder);
        EXPECT_FALSE(name.startsWith(QDir::tempPath() + "/PlumoMutex"));
        EXPECT_EQ(ModeOf(c.expectedFolder), 0700u);

        CSingleInstance running(home.Path());
        ASSERT_TRUE(running.Acquire());
        EXPECT_TRUE(running.IsListening());
        EXPECT_TRUE(QFile::exists(name)) << name.toStdString();
    }
}

// A socket name taken by something that is not ours (here a folder standing in its place)
// cannot be listened on: the player still starts, and a later start learns that it cannot
// reach it instead of believing it handed over.
TEST(SingleInstanceFiles, AFailedListenStillStartsAndALaterStartSaysItCannotReachIt)
{
    TestProfile profile;
    ScopedEnv runtime("XDG_RUNTIME_DIR", MakeFolder(profile, "run", 0700));
    ASSERT_TRUE(QDir().mkpath(CSingleInstance::ServerName(profile.Path())));
    CSingleInstance running(profile.Path());
    ASSERT_TRUE(running.Acquire()) << "the player runs";
    EXPECT_FALSE(running.IsListening());
    const LaterStart later = StartLater(profile.Path(), {"/music/a.mp3"}, nullptr);
    EXPECT_FALSE(later.acquired) << "the lock still says one runs";
    EXPECT_FALSE(later.handedOver);
}

// Another local user can neither reach the socket nor put one of its own where a player will
// listen (which would keep that player from listening, and receive what later starts send).
TEST(SingleInstanceFiles, AnotherUserCannotConnectNorTakeTheName)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    TestProfile profile;
    // Only the runtime folder keeps the other user out, not the test's own temporary one.
    ::chmod(QFile::encodeName(profile.Path()).constData(), 0755);
    ScopedEnv runtime("XDG_RUNTIME_DIR", MakeFolder(profile, "run", 0700));
    CSingleInstance running(profile.Path());
    ASSERT_TRUE(running.Acquire());
    ASSERT_TRUE(running.IsListening());
    const QByteArray taken = QFile::encodeName(CSingleInstance::ServerName(profile.Path()));
    const QByteArray free = QFile::encodeName(CSingleInstance::ServerName(profile.File("other")));
    ASSERT_LT(std::max(taken.size(), free.size()), qsizetype(sizeof(sockaddr_un::sun_path)));
    // The child only makes system calls between fork and _exit.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(8);
        const auto addressOf = [](const QByteArray& path) {
            sockaddr_un address {};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
            return address;
        };
        int failures = 0;
        const sockaddr_un live = addressOf(taken);
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&live), sizeof live) == 0)
            failures |= 1;
        const sockaddr_un squat = addressOf(free);
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&squat), sizeof squat) == 0)
            failures |= 2;
        ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: connected as another user; 2: took the name; 8: could not switch user";
}
