// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The player as a user starts it: real processes, a temporary profile, no display server.
#include "CSingleInstance.h"
#include "PlayerHome.h"
#include "TestProfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>

#include <gtest/gtest.h>

namespace {

QString ProfileOf(const TestProfile& home)
{
    return home.File("data") + "/Plumo";
}

// The player's socket, in the runtime folder PlayerEnv gives it.
QString ServerOf(const TestProfile& home)
{
    return CSingleInstance::ServerName(ProfileOf(home), home.File("run"));
}

bool WaitUntilListening(const TestProfile& home, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QLocalSocket socket;
        socket.connectToServer(ServerOf(home));
        if (socket.waitForConnected(200))
            return true;
        QThread::msleep(100);
    }
    return false;
}

// The player has read its settings once it has opened the library, which comes after them.
bool WaitUntilSettingsRead(const TestProfile& home, int ms = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (QFile::exists(home.File("data/Plumo/Library.db")))
            return true;
        QThread::msleep(50);
    }
    return false;
}

// A settings file that makes the start an ordinary one (no first-run dialog).
void WriteSettings(const TestProfile& home)
{
    home.Write("data/Plumo/Settings.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>"
        "<WinPosition Left=\"300\" Top=\"200\" Width=\"640\" Height=\"480\"/></Settings>\n");
}

class PlayerProcess {
public:
    explicit PlayerProcess(const TestProfile& home)
    {
        m_process.setProcessEnvironment(PlayerEnv(home));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(PlayerPath(), {});
    }
    ~PlayerProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess& Get() { return m_process; }

private:
    QProcess m_process;
};

} // namespace

TEST(AppProcess, SecondStartHandsOverAndExitsZero)
{
    TestProfile home;
    WriteSettings(home);
    PlayerProcess first(home);
    ASSERT_TRUE(first.Get().waitForStarted(10000)) << first.Get().errorString().toStdString();
    ASSERT_TRUE(WaitUntilListening(home));

    PlayerProcess second(home);
    ASSERT_TRUE(second.Get().waitForFinished(15000)) << "the second start must end by itself";
    EXPECT_EQ(second.Get().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.Get().exitCode(), 0);
    EXPECT_EQ(first.Get().state(), QProcess::Running) << "the first instance keeps running";
}

TEST(AppProcess, TerminationSignalsRunTheOrderedShutDown)
{
    for (int signo : {SIGTERM, SIGINT}) {
        TestProfile home;
        WriteSettings(home);
        PlayerProcess player(home);
        ASSERT_TRUE(player.Get().waitForStarted(10000));
        ASSERT_TRUE(WaitUntilListening(home));
        // The instance answers before the window reads its settings; taking the file away
        // earlier would make this a first start.
        ASSERT_TRUE(WaitUntilSettingsRead(home));
        QFile::remove(home.File("data/Plumo/Settings.xml"));

        ::kill(static_cast<pid_t>(player.Get().processId()), signo);
        ASSERT_TRUE(player.Get().waitForFinished(15000));
        EXPECT_EQ(player.Get().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player.Get().exitCode(), 0);

        const QByteArray saved = home.Read("data/Plumo/Settings.xml");
        EXPECT_TRUE(saved.contains("<WinPosition Left=\"300\" Top=\"200\" Width=\"640\" "
                                   "Height=\"480\"/>"))
            << "signal " << signo << " wrote:\n"
            << saved.constData();
    }
}

TEST(AppProcess, AStaleLockFromACrashedPlayerDoesNotBlockTheNextStart)
{
    TestProfile home;
    WriteSettings(home);
    {
        PlayerProcess crashed(home);
        ASSERT_TRUE(crashed.Get().waitForStarted(10000));
        ASSERT_TRUE(WaitUntilListening(home));
        crashed.Get().kill(); // SIGKILL: no clean-up at all
        crashed.Get().waitForFinished(5000);
    }
    PlayerProcess next(home);
    ASSERT_TRUE(next.Get().waitForStarted(10000));
    EXPECT_TRUE(WaitUntilListening(home));
    EXPECT_EQ(next.Get().state(), QProcess::Running);
}

// Something not ours stands where the socket goes (here a folder): the player starts all the
// same, and a later start says it cannot reach it rather than pretend it handed over.
TEST(AppProcess, ASecondStartThatCannotReachTheFirstSaysSo)
{
    TestProfile home;
    WriteSettings(home);
    PlayerEnv(home); // makes the runtime folder
    ASSERT_TRUE(QDir().mkpath(ServerOf(home)));
    PlayerProcess first(home);
    ASSERT_TRUE(first.Get().waitForStarted(10000));
    ASSERT_TRUE(WaitUntilSettingsRead(home)) << "the player starts without its socket";

    QProcess second;
    second.setProcessEnvironment(PlayerEnv(home));
    second.start(PlayerPath(), {home.File("a.mp3")});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("cannot be reached"));
    EXPECT_EQ(first.Get().state(), QProcess::Running);
}
