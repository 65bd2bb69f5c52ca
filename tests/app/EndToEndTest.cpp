// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The real plumo process on a generated library with a fresh profile, driven from outside
// through the desktop's media controls on a session bus of the test's own, its sound written
// by SDL's disk driver.
#ifdef PLUMO_HAVE_MPRIS
#include "AudioFixture.h"
#include "CDBase.h"
#include "CPlaylistStore.h"
#include "CSettings.h"
#include "IcyServer.h"
#include "OutputLevels.h"
#include "PlayerHome.h"
#include "PrivateBus.h"
#include "TestProfile.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

constexpr int kDeadlineMs = 30000;
constexpr char kService[] = "org.mpris.MediaPlayer2.plumo";
constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayer[] = "org.mpris.MediaPlayer2.Player";

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivateBus::IsAvailable())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(m_bus.Start());
        m_client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(m_bus.Address(), "plumo-e2e"));
        ASSERT_TRUE(m_client->isConnected());
    }
    void TearDown() override
    {
        StopPlayer();
        if (m_client)
            QDBusConnection::disconnectFromBus("plumo-e2e");
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }

    void MakeLibrary(int tracks)
    {
        QDir().mkpath(Profile());
        CDBase db;
        db.SetFolder(Profile());
        db.OpenLibrary();
        for (int i = 1; i <= tracks; ++i) {
            const QString path = m_home.File(QString("music/%1.mp3").arg(i));
            ASSERT_TRUE(fixture::CopyTone("mp3", path));
            TrackRecord r;
            r.title = QString("Track %1").arg(i).toStdString();
            r.artist = "Artist";
            r.album = "Album";
            r.number = i;
            r.hasNumber = true;
            r.time = 1;
            r.type = 1;
            ASSERT_TRUE(db.InsertLibraryRow(path.toStdString(), CDBase::NowText(), r));
        }
        // The user's last choice in the tree: this artist.
        CSettings settings;
        CSettings::LibraryNode node;
        node.node1Type = 2;
        node.node2String = "Artist";
        node.node2This = 1;
        settings.SetLibraryNode(node);
        ASSERT_TRUE(settings.Save(Profile()));
    }

    // The playlist "Evening" of tracks "Track 1".."Track n" (tones of the given length, not in
    // the library), shown when the player starts because the user left it selected.
    void MakePlaylist(int tracks, double seconds)
    {
        QDir().mkpath(Profile());
        fixture::Tone tone;
        tone.seconds = seconds;
        const QString first = m_home.File("music/1.mp3");
        ASSERT_TRUE(fixture::MakeTone(first, tone));
        CDBase db;
        db.SetFolder(Profile());
        db.OpenLibrary();
        CPlaylistStore store(db);
        const std::optional<int> index = store.CreatePlaylist("Evening", nullptr);
        ASSERT_TRUE(index.has_value());
        m_playlistFile = store.Entries()[static_cast<std::size_t>(*index)].file;
        ASSERT_TRUE(db.OpenPlaylist(DbConn::Target, m_playlistFile));
        for (int i = 1; i <= tracks; ++i) {
            const QString path = m_home.File(QString("music/%1.mp3").arg(i));
            if (i > 1) {
                ASSERT_TRUE(QFile::copy(first, path));
            }
            TrackRecord r;
            r.title = QString("Track %1").arg(i).toStdString();
            r.artist = "Artist";
            r.time = static_cast<int>(seconds);
            r.type = 1;
            ASSERT_TRUE(
                db.InsertPlaylistFile(DbConn::Target, i, path.toStdString(), CDBase::NowText(), r));
        }
        db.CloseTargetPlaylist();
        CSettings settings;
        CSettings::LibraryNode node;
        node.node1Type = 1; // the playlists category
        node.node2String = m_playlistFile;
        node.node2This = 1;
        settings.SetLibraryNode(node);
        ASSERT_TRUE(settings.Save(Profile()));
    }

    void StartPlayer()
    {
        QProcessEnvironment env = PlayerEnv(m_home);
        env.insert("SDL_AUDIODRIVER", "disk");
        env.insert("SDL_DISKAUDIOFILE", Output());
        env.insert("DBUS_SESSION_BUS_ADDRESS", m_bus.Address());
        m_player.setProcessEnvironment(env);
        m_player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_player.start(PlayerPath(), {});
        ASSERT_TRUE(m_player.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([this] {
            return m_client->interface()->isServiceRegistered(kService).value();
        }, kDeadlineMs)) << "the player appears on the bus";
    }
    void StopPlayer()
    {
        if (m_player.state() == QProcess::NotRunning)
            return;
        m_player.terminate(); // as the desktop asks a program to end
        if (!m_player.waitForFinished(kDeadlineMs)) {
            m_player.kill();
            m_player.waitForFinished(5000);
        }
    }

    QString Output() const { return m_home.File("out.raw"); }

    void Call(const char* method)
    {
        QDBusInterface player(kService, kPath, kPlayer, *m_client);
        const QDBusMessage reply = player.call(method);
        EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage) << method;
    }
    QVariant Property(const char* name)
    {
        QDBusInterface props(kService, kPath, "org.freedesktop.DBus.Properties", *m_client);
        const QDBusMessage reply = props.call("Get", kPlayer, name);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant();
    }
    QVariant Metadata(const char* key)
    {
        const QVariant v = Property("Metadata");
        QVariantMap map;
        v.value<QDBusArgument>() >> map;
        return map.value(key);
    }
    QString Title() { return Metadata("xesam:title").toString(); }
    QString Status() { return Property("PlaybackStatus").toString(); }

    // A column of a track's row in Library.db, or in the playlist file when given; -1 when none.
    int Column(const QString& title, const char* column, const QString& playlist = QString()) const
    {
        sqlite3* db = nullptr;
        int value = -1;
        const QString file
            = playlist.isEmpty() ? Profile() + "/Library.db" : Profile() + "/Playlist/" + playlist;
        const char* table = playlist.isEmpty() ? " FROM library" : " FROM playlist";
        if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
            == SQLITE_OK) {
            sqlite3_stmt* stmt = nullptr;
            const QByteArray sql = QByteArray("SELECT ") + column + table + " WHERE title=?";
            sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
            const QByteArray t = title.toUtf8();
            sqlite3_bind_text(stmt, 1, t.constData(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(stmt) == SQLITE_ROW)
                value = sqlite3_column_int(stmt, 0);
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        return value;
    }

    // True when the output holds sound (not only silence) past offset bytes.
    bool SoundAfter(qint64 offset) const
    {
        QFile f(Output());
        if (!f.open(QIODevice::ReadOnly) || f.size() <= offset)
            return false;
        f.seek(offset);
        const QByteArray data = f.readAll();
        const auto* samples = reinterpret_cast<const float*>(data.constData());
        for (qsizetype i = 0; i < data.size() / 4; ++i) {
            if (samples[i] > 0.1f || samples[i] < -0.1f)
                return true;
        }
        return false;
    }

    void SetProperty(const char* name, const QVariant& value)
    {
        QDBusInterface props(kService, kPath, "org.freedesktop.DBus.Properties", *m_client);
        const QDBusMessage reply
            = props.call("Set", kPlayer, name, QVariant::fromValue(QDBusVariant(value)));
        EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage) << name;
    }

    TestProfile m_home;
    QString m_playlistFile;
    PrivateBus m_bus;
    std::unique_ptr<QDBusConnection> m_client;
    QProcess m_player;
};

} // namespace

TEST_F(EndToEnd, PlaysCountsAndRestoresItsListAfterARestart)
{
    MakeLibrary(2);
    StartPlayer();
    EXPECT_EQ(Status(), "Stopped");
    Call("PlayPause");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Title() == "Track 1"; }, kDeadlineMs));
    EXPECT_EQ(Status(), "Playing");
    EXPECT_GT(Metadata("mpris:length").toLongLong(), 0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return SoundAfter(0); }, kDeadlineMs))
        << "the tone reaches the audio output";
    // The desktop's media controls see the track advance.
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return Property("Position").toLongLong() > 0; }, kDeadlineMs));
    Call("Next");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Column("Track 1", "skip") == 1; }, kDeadlineMs));
    // The last track ends by itself: a play is counted and the player stops.
    ASSERT_TRUE(QTest::qWaitFor([this] { return Column("Track 2", "count") == 1; }, kDeadlineMs));
    ASSERT_TRUE(QTest::qWaitFor([this] { return Status() == "Stopped"; }, kDeadlineMs));
    EXPECT_EQ(Column("Track 1", "count"), 0);
    QDBusInterface player(kService, kPath, kPlayer, *m_client);
    player.setProperty("Volume", 0.5);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Property("Volume").toDouble() == 0.5; }, kDeadlineMs));
    StopPlayer();
    EXPECT_EQ(m_player.exitStatus(), QProcess::NormalExit);
    CSettings saved;
    ASSERT_TRUE(saved.Load(Profile()));
    EXPECT_EQ(saved.GetVolume(), 50000) << "closing saves the volume";
    EXPECT_EQ(saved.GetSkin(), "Default");

    // The next start fills the list from the stored node again: Play finds the first track.
    StartPlayer();
    Call("PlayPause");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Title() == "Track 1"; }, kDeadlineMs));
    StopPlayer();
}

TEST_F(EndToEnd, AnEveningWithAPlaylistTheSwitchesAndARadioStream)
{
    MakePlaylist(3, 6);
    StartPlayer();
    Call("PlayPause");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Title() == "Track 1"; }, kDeadlineMs));
    ASSERT_TRUE(QTest::qWaitFor([this] { return levels::Recent(Output()) > 0.1; }, kDeadlineMs))
        << "the tone reaches the audio output";

    // Pause and Play from the desktop fade the sound out and back in.
    const double full = levels::Recent(Output());
    const qint64 pausedAt = levels::Size(Output());
    Call("Pause");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Status() == "Paused"; }, kDeadlineMs));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return levels::AnyBelow(levels::From(Output(), pausedAt), 0.02 * full); },
        kDeadlineMs))
        << "the sound dies away";
    EXPECT_TRUE(levels::Fades(levels::From(Output(), pausedAt), full, true));
    const qint64 resumedAt = levels::Size(Output());
    Call("Play");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return levels::AnyAbove(levels::From(Output(), resumedAt), 0.97 * full); },
        kDeadlineMs))
        << "the sound comes back";
    EXPECT_TRUE(levels::Fades(levels::From(Output(), resumedAt), full, false));
    EXPECT_EQ(Status(), "Playing");

    // Repeat from the desktop wraps Next around; shuffle leaves Next alone.
    SetProperty("LoopStatus", "Playlist");
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return Property("LoopStatus").toString() == "Playlist"; }, kDeadlineMs));
    Call("Next");
    Call("Next");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Title() == "Track 3"; }, kDeadlineMs));
    Call("Next");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Title() == "Track 1"; }, kDeadlineMs));
    EXPECT_EQ(Column("Track 3", "skip", m_playlistFile), 1) << "rows outside the library count";
    SetProperty("LoopStatus", "None");
    SetProperty("Shuffle", true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Property("Shuffle").toBool(); }, kDeadlineMs));
    Call("Next");
    Call("Next");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Title() == "Track 3"; }, kDeadlineMs));
    Call("Next");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Status() == "Stopped"; }, kDeadlineMs))
        << "the last row without repeat";
    EXPECT_TRUE(Title().isEmpty()) << "Stop clears the titles";

    // A radio address handed to the player lands in the playlist and plays; it connects and
    // shows the title its server sends.
    fixture::Tone tone;
    tone.seconds = 4;
    ASSERT_TRUE(fixture::MakeTone(m_home.File("radio.mp3"), tone));
    IcyServer radio(m_home.Read("radio.mp3"));
    QDBusInterface player(kService, kPath, kPlayer, *m_client);
    EXPECT_NE(player.call("OpenUri", radio.Address()).type(), QDBusMessage::ErrorMessage);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Column(radio.Address(), "type", m_playlistFile) == 100; }, kDeadlineMs))
        << "a stream row, titled with its address";
    ASSERT_TRUE(QTest::qWaitFor([this] { return Title() == "Loop Song"; }, kDeadlineMs))
        << Title().toStdString();
    EXPECT_EQ(Status(), "Playing");
    Call("Stop");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Status() == "Stopped"; }, kDeadlineMs));
    EXPECT_TRUE(Title().isEmpty());

    // Closing keeps the switches and the shown playlist; the next start shows it again.
    StopPlayer();
    CSettings saved;
    ASSERT_TRUE(saved.Load(Profile()));
    EXPECT_EQ(saved.GetShuffle(), 1);
    EXPECT_EQ(saved.GetRepeat(), 0);
    EXPECT_EQ(saved.GetLibraryNode().node2String, m_playlistFile);
    StartPlayer();
    EXPECT_TRUE(Property("Shuffle").toBool()) << "the desktop sees the stored switches";
    EXPECT_EQ(Property("LoopStatus").toString(), "None");
    Call("PlayPause");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Title() == "Track 1"; }, kDeadlineMs));
    StopPlayer();
}
#endif
