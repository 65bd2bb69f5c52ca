// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Play events reaching a loopback stand-in of the listen-history service from the real window,
// with real audio through SDL's disk driver. Heard time follows the audio mixed, not the
// clock: with SDL_DISKAUDIODELAY=0 the device takes audio as fast as it is decoded, so a
// 40-second track is heard through in a moment; the paced device plays in real time where a
// test must act at a point of the track.
#include "AudioFixture.h"
#include "CDlgListenBrainz.h"
#include "CListenQueue.h"
#include "CPanelWnd.h"
#include "IcyServer.h"
#include "ListenServer.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

constexpr int kDeadlineMs = 30000;
constexpr int kTrackSeconds = 40;

class ListenFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_home.File("out.raw")));
        qputenv("SDL_DISKAUDIODELAY", "0");
        qputenv("PLUMO_LISTENBRAINZ_TOKEN", ListenServer::kToken);
        // No desktop secret store answers: the token comes from the environment or the file,
        // and the user's own store is never touched.
        m_bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        m_runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QDir().mkpath(m_home.File("run"));
        QFile::setPermissions(m_home.File("run"),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_home.File("run")));
    }
    void TearDown() override
    {
        Close();
        qputenv("SDL_AUDIODRIVER", "dummy");
        qunsetenv("SDL_DISKAUDIODELAY");
        qunsetenv("PLUMO_LISTENBRAINZ_TOKEN");
        qunsetenv("PLUMO_LISTENBRAINZ_URL");
        if (!m_bus.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus);
        if (!m_runtime.isEmpty())
            qputenv("XDG_RUNTIME_DIR", m_runtime);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }

    // One library track of 40 seconds, shown at start-up; the link on or off.
    void MakeLibrary(bool listensOn)
    {
        QDir().mkpath(Profile());
        const QString path = m_home.File("music/forty.mp3");
        QDir().mkpath(m_home.File("music"));
        fixture::Tone tone;
        tone.seconds = kTrackSeconds;
        ASSERT_TRUE(fixture::MakeTone(path, tone));
        CDBase db;
        db.SetFolder(Profile());
        db.OpenLibrary();
        TrackRecord r;
        r.title = "Forty";
        r.artist = "Loop Artist";
        r.album = "Loop Album";
        r.number = 3;
        r.hasNumber = true;
        r.time = kTrackSeconds;
        r.type = 1;
        ASSERT_TRUE(db.InsertLibraryRow(path.toStdString(), CDBase::NowText(), r));
        CSettings settings;
        CSettings::LibraryNode node;
        node.node1Type = 2;
        node.node2String = "Loop Artist";
        node.node2This = 1;
        settings.SetLibraryNode(node);
        settings.SetListenBrainz(listensOn ? 1 : 0);
        ASSERT_TRUE(settings.Save(Profile()));
    }
    CPanelWnd& Start(const QString& server)
    {
        qputenv("PLUMO_LISTENBRAINZ_URL", server.toUtf8());
        m_wnd = std::make_unique<CPanelWnd>();
        EXPECT_TRUE(session::CreateAndRestore(*m_wnd));
        return *m_wnd;
    }
    void Close()
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
    }
    // The player stopped by itself at the end of the only row.
    bool Stopped() const { return !m_wnd->GetPlayer().playing && !m_wnd->GetPlayer().opening; }
    // Everything the window handed to the link before this call has been acted on: the worker
    // takes its calls in order, so a token check answered comes after them all.
    void SettleLink()
    {
        QSignalSpy checked(&m_wnd->GetListens(), &CListenBrainz::TokenChecked);
        m_wnd->GetListens().CheckToken(m_server.Url(), ListenServer::kToken);
        ASSERT_TRUE(QTest::qWaitFor([&] { return checked.size() == 1; }, kDeadlineMs));
    }
    int QueuedInFile() const
    {
        CListenQueue queue;
        return queue.Open(Profile() + "/Listens.db") ? queue.Count() : -1;
    }

    TestProfile m_home;
    ListenServer m_server;
    std::unique_ptr<CPanelWnd> m_wnd;
    QByteArray m_bus;
    QByteArray m_runtime;
};

TEST_F(ListenFlow, TrackHeardThroughSendsPlayingNowAndOneListen)
{
    MakeLibrary(true);
    CPanelWnd& wnd = Start(m_server.Url());
    ASSERT_EQ(wnd.GetList().Rows().Songs().size(), 1u);
    wnd.PlayRow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.accepted.size() == 1; }, kDeadlineMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Stopped() && m_server.playingNow == 1; }, kDeadlineMs));
    SettleLink();
    EXPECT_EQ(m_server.accepted.size(), 1) << "one listen, however the track ended";
    for (const ListenServer::Request& r : m_server.requests)
        EXPECT_EQ(r.authorization, QByteArray("Token ") + ListenServer::kToken);
    const QJsonObject meta = m_server.accepted.at(0).toObject().value("track_metadata").toObject();
    EXPECT_EQ(meta.value("artist_name").toString(), "Loop Artist");
    EXPECT_EQ(meta.value("track_name").toString(), "Forty");
    EXPECT_EQ(meta.value("release_name").toString(), "Loop Album");
    const QJsonObject info = meta.value("additional_info").toObject();
    EXPECT_EQ(info.value("duration_ms").toInteger(), kTrackSeconds * 1000);
    EXPECT_EQ(info.value("tracknumber").toInt(), 3);
    EXPECT_EQ(info.value("media_player").toString(), "Plumo");
    EXPECT_GT(m_server.accepted.at(0).toObject().value("listened_at").toInteger(), 0);
    EXPECT_EQ(QueuedInFile(), 0);
}

TEST_F(ListenFlow, NothingForATrackSkippedAtTenSecondsNorForAStream)
{
    qunsetenv("SDL_DISKAUDIODELAY"); // real time: the skip must come a third of the way in
    MakeLibrary(true);
    CPanelWnd& wnd = Start(m_server.Url());
    wnd.PlayRow();
    // 10 s of 40 heard.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return wnd.GetPlayer().playing && wnd.GetEngine().GetPosition() >= 25000; }, kDeadlineMs));
    wnd.Next(); // the only row: Next stops
    ASSERT_TRUE(Stopped());

    fixture::Tone tone;
    tone.seconds = 4;
    ASSERT_TRUE(fixture::MakeTone(m_home.File("radio.mp3"), tone));
    IcyServer radio(m_home.Read("radio.mp3"));
    wnd.OpenFiles({radio.Address()});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return wnd.GetPlayer().playing && wnd.GetPlayer().title == "Loop Song"; }, kDeadlineMs));
    wnd.Stop();
    SettleLink();
    EXPECT_EQ(m_server.playingNow, 1) << "the file's start only";
    EXPECT_EQ(m_server.listenPosts, 0);
    EXPECT_EQ(QueuedInFile(), 0);
}

TEST_F(ListenFlow, ListenMadeWhileTheServiceIsDownArrivesOnceAfterARestart)
{
    auto down = std::make_unique<ListenServer>();
    const quint16 port = down->Port();
    const QString url = down->Url();
    down.reset();
    MakeLibrary(true);
    CPanelWnd& wnd = Start(url);
    wnd.PlayRow();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Stopped() && wnd.GetListens().Waiting() == 1; }, kDeadlineMs));
    Close();
    EXPECT_EQ(QueuedInFile(), 1) << "kept in the profile across the restart";

    ListenServer up(port);
    ASSERT_TRUE(up.IsListening());
    CPanelWnd& again = Start(url);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return up.accepted.size() == 1 && again.GetListens().Waiting() == 0; }, kDeadlineMs));
    EXPECT_EQ(up.listenPosts, 1);
    EXPECT_EQ(up.accepted.at(0).toObject().value("track_metadata").toObject().value("track_name").toString(),
        "Forty");
}

TEST_F(ListenFlow, SwitchedOnInTheDialogWithAToken)
{
    qunsetenv("PLUMO_LISTENBRAINZ_TOKEN");
    MakeLibrary(false);
    CPanelWnd& wnd = Start(m_server.Url());
    QString answer;
    QString place;
    session::Answer<CDlgListenBrainz>(wnd, [&](CDlgListenBrainz& dlg) {
        dlg.findChild<QCheckBox*>(QString::number(CDlgListenBrainz::kIdEnable))->setChecked(true);
        dlg.findChild<QLineEdit*>(QString::number(CDlgListenBrainz::kIdToken))
            ->setText(ListenServer::kToken);
        dlg.findChild<QLineEdit*>(QString::number(CDlgListenBrainz::kIdServer))->setText(m_server.Url());
        dlg.findChild<QPushButton*>(QString::number(CDlgListenBrainz::kIdCheck))->click();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return dlg.AnswerText().contains(ListenServer::kUser); }, kDeadlineMs));
        answer = dlg.AnswerText();
        auto* ok = dlg.findChild<QPushButton*>(QString::number(CDlgListenBrainz::kIdOk));
        ok->click();
        // Without a secret store the token goes to the file, and the dialog says so first.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return wnd.GetListenToken().Place() != TokenPlace::None; }, kDeadlineMs));
        place = dlg.PlaceText();
        ok->click();
    });
    wnd.OnCommand(CContextMenu::ID_LISTENBRAINZ);
    EXPECT_EQ(answer, QString("The token belongs to %1.").arg(ListenServer::kUser));
    EXPECT_TRUE(place.contains("only you can read")) << place.toStdString();
    EXPECT_EQ(wnd.GetSettings().GetListenBrainz(), 1);
    const QString file = Profile() + "/" + CListenToken::kFileName;
    struct stat st{};
    ASSERT_EQ(stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(CListenToken::ReadFile(file), ListenServer::kToken);

    wnd.PlayRow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.accepted.size() == 1; }, kDeadlineMs));
    Close();
    const QByteArray settings = m_home.Read("data/Plumo/Settings.xml");
    EXPECT_TRUE(settings.contains("<ListenBrainz ID=\"1\"/>")) << settings.toStdString();
}

} // namespace
