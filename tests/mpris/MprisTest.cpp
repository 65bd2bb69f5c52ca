// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The media-player interface on a private session bus, driven by a second connection the way
// a desktop panel or playerctl drives it.
#include "CMpris.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "MprisTestSupport.h"

namespace {

// The main window as far as the bus can see it: it records commands and, like the real one,
// pushes the resulting state back.
class FakePlayer : public IPlayerControl {
public:
    void RunCommand(int id) override
    {
        commands.push_back(id);
        if (mpris == nullptr)
            return;
        if (id == kPlayPause)
            mpris->SetStatus(mpris->Status() == MprisStatus::Playing ? MprisStatus::Paused
                                                                     : MprisStatus::Playing);
        if (id == kNext) {
            ++track;
            mpris->SetTrack({QString("/music/%1.mp3").arg(track), QString("Song %1").arg(track),
                "Band", "Album", 200000, "/music/cover.jpg"});
        }
    }
    void SeekTo(qint64 positionMs) override { seeks.push_back(positionMs); }
    void SetVolume(int volume) override
    {
        volumes.push_back(volume);
        if (mpris != nullptr)
            mpris->SetVolume(volume);
    }
    void SetShuffle(bool on) override { shuffles.push_back(on); }
    void SetRepeat(bool on) override { repeats.push_back(on); }
    void Raise() override { ++raises; }
    void OpenFiles(const QStringList& paths) override { opened += paths; }

    CMpris* mpris = nullptr;
    int track = 0;
    std::vector<int> commands;
    std::vector<qint64> seeks;
    std::vector<int> volumes;
    std::vector<bool> shuffles;
    std::vector<bool> repeats;
    int raises = 0;
    QStringList opened;
};

class Mpris : public testing::Test {
protected:
    void SetUp() override
    {
        if (!m_bus.Start())
            GTEST_SKIP() << "dbus-daemon is not installed or did not start";
        m_server = QDBusConnection::connectToBus(m_bus.Address(), "plumo-mpris-server");
        m_client = QDBusConnection::connectToBus(m_bus.Address(), "plumo-mpris-client");
        ASSERT_TRUE(m_server.isConnected());
        ASSERT_TRUE(m_client.isConnected());
        m_mpris = std::make_unique<CMpris>(m_player);
        m_player.mpris = m_mpris.get();
        ASSERT_TRUE(m_mpris->Register(m_server));
        m_watch = std::make_unique<SignalRecorder>(m_client);
    }
    void TearDown() override
    {
        m_watch.reset();
        m_mpris.reset();
        QDBusConnection::disconnectFromBus("plumo-mpris-server");
        QDBusConnection::disconnectFromBus("plumo-mpris-client");
    }

    QDBusMessage Call(const QString& method, const QVariantList& args = {},
        const char* iface = CMpris::kPlayerInterface)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(CMpris::kServiceName,
            CMpris::kObjectPath, iface, method);
        call.setArguments(args);
        return WaitFor(m_client.asyncCall(call));
    }
    QVariant Get(const QString& property, const char* iface = CMpris::kPlayerInterface)
    {
        const QDBusMessage reply = Call("Get", {QString(iface), property}, kProperties);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().front().value<QDBusVariant>().variant();
    }
    QDBusMessage Set(const QString& property, const QVariant& value)
    {
        return Call("Set",
            {QString(CMpris::kPlayerInterface), property, QVariant::fromValue(QDBusVariant(value))},
            kProperties);
    }

    static constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
    PrivateBus m_bus;
    QDBusConnection m_server{"none"};
    QDBusConnection m_client{"none"};
    FakePlayer m_player;
    std::unique_ptr<CMpris> m_mpris;
    std::unique_ptr<SignalRecorder> m_watch;
};

} // namespace

TEST_F(Mpris, IdentifiesThePlayerOnTheBus)
{
    EXPECT_EQ(m_mpris->ServiceName(), CMpris::kServiceName);
    EXPECT_EQ(Get("Identity", "org.mpris.MediaPlayer2").toString(), "Plumo");
    EXPECT_EQ(Get("DesktopEntry", "org.mpris.MediaPlayer2").toString(), CMpris::kDesktopEntry);
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Stopped");
    Call("Raise", {}, "org.mpris.MediaPlayer2");
    Call("Quit", {}, "org.mpris.MediaPlayer2");
    EXPECT_EQ(m_player.raises, 1);
    EXPECT_EQ(m_player.commands, std::vector<int>{IPlayerControl::kExit});
}

TEST_F(Mpris, PlayPauseRunsTheCommandAndAnnouncesTheNewStatus)
{
    Call("PlayPause");
    EXPECT_EQ(m_player.commands, std::vector<int>{IPlayerControl::kPlayPause});
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Playing");
    ASSERT_TRUE(m_watch->WaitForChange("PlaybackStatus"));
    EXPECT_EQ(m_watch->Last("PlaybackStatus").toString(), "Playing");

    Call("Play"); // already playing: nothing to do
    Call("PlayPause");
    Call("Pause"); // already paused: nothing to do
    const std::vector<int> expected = {IPlayerControl::kPlayPause, IPlayerControl::kPlayPause};
    EXPECT_EQ(m_player.commands, expected);
    EXPECT_EQ(Get("PlaybackStatus").toString(), "Paused");
}

TEST_F(Mpris, NextChangesTheMetadata)
{
    const QDBusObjectPath before = m_mpris->TrackId();
    Call("Next");
    EXPECT_EQ(m_player.commands, std::vector<int>{IPlayerControl::kNext});
    ASSERT_TRUE(m_watch->WaitForChange("Metadata"));
    const QVariantMap meta = DemarshalMap(Get("Metadata"));
    EXPECT_EQ(meta.value("xesam:title").toString(), "Song 1");
    EXPECT_EQ(meta.value("xesam:artist").toStringList(), QStringList{"Band"});
    EXPECT_EQ(meta.value("xesam:album").toString(), "Album");
    EXPECT_EQ(meta.value("mpris:length").toLongLong(), 200000LL * 1000);
    EXPECT_EQ(meta.value("mpris:artUrl").toString(), "file:///music/cover.jpg");
    const QDBusObjectPath id = meta.value("mpris:trackid").value<QDBusObjectPath>();
    EXPECT_NE(id.path(), before.path());
    EXPECT_EQ(DemarshalMap(m_watch->Last("Metadata")).value("xesam:title").toString(), "Song 1");

    Call("Next");
    ASSERT_TRUE(m_watch->WaitFor([&] {
        return DemarshalMap(m_watch->Last("Metadata")).value("xesam:title") == "Song 2";
    }));
    EXPECT_NE(m_mpris->TrackId().path(), id.path()) << "each track has an id of its own";
}

TEST_F(Mpris, VolumeRoundTripsAndBadValuesAreClampedOrIgnored)
{
    Set("Volume", 0.25);
    EXPECT_DOUBLE_EQ(Get("Volume").toDouble(), 0.25);
    ASSERT_TRUE(m_watch->WaitForChange("Volume"));
    EXPECT_DOUBLE_EQ(m_watch->Last("Volume").toDouble(), 0.25);

    Set("Volume", std::numeric_limits<double>::quiet_NaN());
    Set("Volume", 1e9);
    Set("Volume", -3.0);
    const std::vector<int> expected = {25000, 100000, 0};
    EXPECT_EQ(m_player.volumes, expected);
    EXPECT_DOUBLE_EQ(Get("Volume").toDouble(), 0.0);
    EXPECT_NE(Set("Volume", "loud").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(m_player.volumes.size(), 3u);
}

TEST_F(Mpris, SeeksStayWithinTheTrack)
{
    m_player.RunCommand(IPlayerControl::kNext);
    m_player.RunCommand(IPlayerControl::kPlayPause);
    m_player.commands.clear();
    m_mpris->SetPosition(10000);

    Call("Seek", {qlonglong(-60'000'000)}); // a minute back from 10 s: the start
    Call("Seek", {qlonglong(5'000'000)});
    Call("Seek", {std::numeric_limits<qlonglong>::min()});
    const std::vector<qint64> expected = {0, 5000, 0};
    EXPECT_EQ(m_player.seeks, expected);
    ASSERT_TRUE(m_watch->WaitFor([&] { return m_watch->seeked.size() == 3; }));
    EXPECT_EQ(m_watch->seeked[1], 5'000'000);

    Call("Seek", {qlonglong(500'000'000)}); // past the end: the next track
    EXPECT_EQ(m_player.commands, std::vector<int>{IPlayerControl::kNext});

    const QDBusObjectPath current = m_mpris->TrackId();
    Call("SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/plumo/track/1")),
                            qlonglong(1'000'000)});
    Call("SetPosition", {QVariant::fromValue(current), qlonglong(-1)});
    Call("SetPosition", {QVariant::fromValue(current), qlonglong(201'000'000)});
    EXPECT_EQ(m_player.seeks.size(), 3u) << "stale ids and positions outside the track are ignored";
    Call("SetPosition", {QVariant::fromValue(current), qlonglong(1'000'000)});
    EXPECT_EQ(m_player.seeks.back(), 1000);
    EXPECT_EQ(Get("Position").toLongLong(), 1'000'000);
}

TEST_F(Mpris, ShuffleAndLoopGoToTheirCommands)
{
    Set("Shuffle", true);
    Set("LoopStatus", "Playlist");
    Set("LoopStatus", "Track");
    Set("LoopStatus", "None");
    Set("LoopStatus", "Sometimes");
    EXPECT_EQ(m_player.shuffles, std::vector<bool>{true});
    const std::vector<bool> repeats = {true, true, false};
    EXPECT_EQ(m_player.repeats, repeats);
    m_mpris->SetRepeat(true);
    EXPECT_EQ(Get("LoopStatus").toString(), "Playlist");
    ASSERT_TRUE(m_watch->WaitForChange("LoopStatus"));
}

TEST_F(Mpris, OpenUriTakesFilesAndStreamsOnly)
{
    Call("OpenUri", {QString("file:///music/a%20b.mp3")});
    Call("OpenUri", {QString("http://radio.example/stream")});
    Call("OpenUri", {QString("javascript:alert(1)")});
    EXPECT_EQ(m_player.opened, QStringList({"/music/a b.mp3", "http://radio.example/stream"}));
}

TEST_F(Mpris, ASecondPlayerTakesAnInstanceName)
{
    FakePlayer other;
    CMpris second(other);
    ASSERT_TRUE(second.Register(QDBusConnection::connectToBus(m_bus.Address(), "plumo-second")));
    EXPECT_TRUE(second.ServiceName().startsWith(QString(CMpris::kServiceName) + ".instance"));
    QDBusConnection::disconnectFromBus("plumo-second");
}

TEST(MprisWithoutBus, RunsQuietly)
{
    FakePlayer player;
    CMpris mpris(player);
    EXPECT_FALSE(mpris.Register(QDBusConnection("no-such-connection")));
    mpris.SetStatus(MprisStatus::Playing);
    mpris.SetTrack({"/a.mp3", "A", "", "", 1000, ""});
    mpris.NotifySeeked(500);
    QCoreApplication::processEvents();
    EXPECT_TRUE(mpris.ServiceName().isEmpty());
}
