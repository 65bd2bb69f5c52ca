// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The window never waits on a file or a stream: a named pipe behind an audio name, a newer
// request while a file opens, and the real player process closed while a pipe is being opened
// or a stream connects to a server that never answers; a cover picture whose open hangs.
#include "AudioFixture.h"
#include "BlockedOpen.h"
#include "CPanelWnd.h"
#include "SessionSupport.h"
#include "PlayerHome.h"
#include "PrivateBus.h"
#include "TestProfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <memory>

#include <sys/stat.h>

#ifdef PLUMO_HAVE_MPRIS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#endif

#include <gtest/gtest.h>

namespace {

constexpr int kDeadlineMs = 30000;

// A named pipe nobody writes to, in a folder with a cover picture: the list's cover worker
// then shows the picture and never opens the pipe (which the worker would wait on).
bool MakePipe(const QString& path)
{
    QImage cover(8, 8, QImage::Format_RGB32);
    cover.fill(Qt::darkBlue);
    return QDir().mkpath(QFileInfo(path).path())
        && cover.save(QFileInfo(path).path() + "/cover.png")
        && ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A profile whose stored list is the artist "Artist" with one row per path, in this order.
void MakeProfile(const QString& profile, const QStringList& paths)
{
    QDir().mkpath(profile);
    CDBase db;
    db.SetFolder(profile);
    db.OpenLibrary();
    for (int i = 0; i < paths.size(); ++i) {
        TrackRecord r;
        r.title = QString("Track %1").arg(i + 1).toStdString();
        r.artist = "Artist";
        r.album = "Album";
        r.number = i + 1;
        r.hasNumber = true;
        r.time = 1;
        r.type = 1;
        ASSERT_TRUE(db.InsertLibraryRow(paths[i].toStdString(), CDBase::NowText(), r));
    }
    CSettings settings;
    CSettings::LibraryNode node;
    node.node1Type = 2;
    node.node2String = "Artist";
    node.node2This = 1;
    settings.SetLibraryNode(node);
    ASSERT_TRUE(settings.Save(profile));
}

class NoWait : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("SDL_AUDIODRIVER", "dummy");
        m_pipe = m_home.File("pipe/1.mp3");
        ASSERT_TRUE(MakePipe(m_pipe));
        ASSERT_TRUE(fixture::CopyTone("mp3", m_home.File("music/2.mp3")));
        MakeProfile(m_home.File("data") + "/Plumo", { m_pipe, m_home.File("music/2.mp3") });
        m_wnd = std::make_unique<CPanelWnd>();
        ASSERT_TRUE(session::CreateAndRestore(*m_wnd));
        ASSERT_EQ(Songs().size(), 2u);
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
    }
    const std::vector<CSkinListNode*>& Songs() { return m_wnd->GetList().Rows().Songs(); }
    CSkinListNode* Playing() { return m_wnd->GetList().Rows().Playing(); }

    TestProfile m_home;
    QString m_pipe;
    std::unique_ptr<CPanelWnd> m_wnd;
};

TEST_F(NoWait, APipeBehindAnAudioNameCannotBePlayedAndTheWindowKeepsAnswering)
{
    QSignalSpy told(m_wnd.get(), &CPanelWnd::StatusShown);
    bool answered = false;
    QTimer::singleShot(0, m_wnd.get(), [&] { answered = true; });
    // Nobody writes to the pipe: a window that opened it itself would wait here for ever.
    m_wnd->PlayRow();
    EXPECT_EQ(Playing(), Songs()[0]) << "the row is marked while its file opens";
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() > 0; }, kDeadlineMs));
    EXPECT_TRUE(answered);
    EXPECT_TRUE(m_wnd->GetStatusText().endsWith(m_pipe));
    EXPECT_EQ(Playing(), nullptr);
    EXPECT_FALSE(m_wnd->GetPlayer().playing);
    EXPECT_FALSE(m_wnd->GetPlayer().opening);
    EXPECT_EQ(m_wnd->GetEngine().GetChannel(), 0u);
}

TEST_F(NoWait, ASecondRequestWhileAFileOpensPlaysTheSecond)
{
    m_wnd->PlayRow(); // the pipe
    m_wnd->Next(); // asked before the pipe's outcome came
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_wnd->GetPlayer().playing; }, kDeadlineMs));
    EXPECT_EQ(Playing(), Songs()[1]);
    EXPECT_EQ(m_wnd->GetPlayer().title, "Track 2");
    EXPECT_TRUE(m_wnd->IsPositionRunning());
    QTest::qWait(100);
    EXPECT_TRUE(m_wnd->GetStatusText().isEmpty()) << "the superseded pipe is never told";
    EXPECT_EQ(Playing(), Songs()[1]);

    m_wnd->PlayRow(); // the focused row is none: the first, the pipe
    m_wnd->Stop();
    QTest::qWait(100);
    EXPECT_FALSE(m_wnd->GetPlayer().playing);
    EXPECT_FALSE(m_wnd->GetPlayer().opening);
    EXPECT_EQ(Playing(), nullptr);
    EXPECT_TRUE(m_wnd->GetStatusText().isEmpty()) << "a stopped open is never told";
}

// ---- the now-playing cover -----------------------------------------------------------------

// Two albums of one title in two folders; the first one's picture cannot be opened (its open
// waits, as on a dead network share) until the test lets it.
class NoWaitCover : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("SDL_AUDIODRIVER", "dummy");
        QImage blue(8, 8, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        blue.save(&buffer, "PNG");
        m_stuck = std::make_unique<BlockedOpen>(m_home.File("stuck/cover.png"), png, kDeadlineMs);
        ASSERT_TRUE(m_stuck->IsHeld());
        m_home.Write("good/cover.png", png);
        ASSERT_TRUE(fixture::CopyTone("mp3", m_home.File("stuck/1.mp3")));
        ASSERT_TRUE(fixture::CopyTone("mp3", m_home.File("good/2.mp3")));
        MakeProfile(m_home.File("data") + "/Plumo",
            { m_home.File("stuck/1.mp3"), m_home.File("good/2.mp3") });
        m_wnd = std::make_unique<CPanelWnd>();
        ASSERT_TRUE(session::CreateAndRestore(*m_wnd));
        ASSERT_EQ(Songs().size(), 2u);
    }
    void TearDown() override
    {
        m_stuck->Release();
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
    }
    const std::vector<CSkinListNode*>& Songs() { return m_wnd->GetList().Rows().Songs(); }
    CSkinListNode* Playing() { return m_wnd->GetList().Rows().Playing(); }

    TestProfile m_home;
    std::unique_ptr<BlockedOpen> m_stuck;
    std::unique_ptr<CPanelWnd> m_wnd;
};

TEST_F(NoWaitCover, APictureThatCannotBeOpenedHoldsUpNeitherTheWindowNorTheNextAlbumsCover)
{
    m_wnd->PlayRow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_wnd->GetPlayer().playing; }, kDeadlineMs));
    EXPECT_EQ(Playing(), Songs()[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_stuck->HasOpener(); }, kDeadlineMs))
        << "the first album's picture is being opened";
    bool answered = false;
    QTimer::singleShot(0, m_wnd.get(), [&] { answered = true; });
    m_wnd->Next();
    // Same title, another folder: its own picture shows, though the first one's open hangs.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_wnd->GetPlayer().coverFile == m_home.File("good/cover.png"); },
        kDeadlineMs));
    EXPECT_TRUE(answered);
    EXPECT_EQ(Playing(), Songs()[1]);
    EXPECT_FALSE(m_stuck->Expired()) << "the window waited for the picture's open";
}

// ---- the player process --------------------------------------------------------------------
#ifdef PLUMO_HAVE_MPRIS

class NoWaitProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivateBus::IsAvailable())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(m_bus.Start());
        m_client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(m_bus.Address(), "plumo-nowait"));
        ASSERT_TRUE(m_client->isConnected());
    }
    void TearDown() override
    {
        if (m_player.state() != QProcess::NotRunning) {
            m_player.kill();
            m_player.waitForFinished(5000);
        }
        if (m_client)
            QDBusConnection::disconnectFromBus("plumo-nowait");
    }
    QString Profile() const { return m_home.File("data") + "/Plumo"; }

    // Starts the player on the one-row list of path and asks it to play that row.
    void StartAndPlay(const QString& path)
    {
        MakeProfile(Profile(), { path });
        QProcessEnvironment env = PlayerEnv(m_home);
        env.insert("DBUS_SESSION_BUS_ADDRESS", m_bus.Address());
        m_player.setProcessEnvironment(env);
        m_player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_player.start(PlayerPath(), {});
        ASSERT_TRUE(m_player.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor(
            [this] {
                return m_client->interface()
                    ->isServiceRegistered("org.mpris.MediaPlayer2.plumo")
                    .value();
            },
            kDeadlineMs));
        QDBusInterface player("org.mpris.MediaPlayer2.plumo", "/org/mpris/MediaPlayer2",
            "org.mpris.MediaPlayer2.Player", *m_client);
        // Answered by the window's thread: it returns only if that thread is free.
        const QDBusMessage reply = player.call("PlayPause");
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }
    // Asks the player to end as the desktop does; it must end by itself and save its settings.
    void CloseAndCheck()
    {
        QFile::remove(Profile() + "/Settings.xml");
        m_player.terminate();
        ASSERT_TRUE(m_player.waitForFinished(kDeadlineMs)) << "the player did not end";
        EXPECT_EQ(m_player.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_player.exitCode(), 0);
        EXPECT_TRUE(QFile::exists(Profile() + "/Settings.xml")) << "the settings were saved";
    }

    TestProfile m_home;
    PrivateBus m_bus;
    std::unique_ptr<QDBusConnection> m_client;
    QProcess m_player;
};

TEST_F(NoWaitProcess, ClosesAtOnceAfterAskingForAPipe)
{
    const QString pipe = m_home.File("pipe/1.mp3");
    ASSERT_TRUE(MakePipe(pipe));
    StartAndPlay(pipe);
    CloseAndCheck();
}

TEST_F(NoWaitProcess, ClosesAtOnceWhileAStreamConnectsToASilentServer)
{
    QTcpServer silent; // the system completes the connection; nothing ever answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    StartAndPlay(QString("http://127.0.0.1:%1/live").arg(silent.serverPort()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.hasPendingConnections(); }, kDeadlineMs));
    CloseAndCheck();
}
#endif

} // namespace
