// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The real plumo process on a generated library with a fresh profile, driven from outside
// through the desktop's media controls on a session bus of the test's own, its sound written
// by SDL's disk driver.
#ifdef PLUMO_HAVE_MPRIS
#include "AudioFixture.h"
#include "CDBase.h"
#include "CSettings.h"
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
#include <QStandardPaths>
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
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        m_bus.start(daemon, {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(m_bus.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        ASSERT_FALSE(m_address.isEmpty());
        m_client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(m_address, "plumo-e2e"));
        ASSERT_TRUE(m_client->isConnected());
        QDir().mkpath(m_home.File("run"));
        QFile::setPermissions(m_home.File("run"),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    void TearDown() override
    {
        StopPlayer();
        if (m_client)
            QDBusConnection::disconnectFromBus("plumo-e2e");
        m_bus.kill();
        m_bus.waitForFinished(5000);
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

    void StartPlayer()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "disk");
        env.insert("SDL_DISKAUDIOFILE", Output());
        env.insert("XDG_DATA_HOME", m_home.File("data"));
        env.insert("XDG_CONFIG_HOME", m_home.File("config"));
        env.insert("XDG_RUNTIME_DIR", m_home.File("run"));
        env.insert("DBUS_SESSION_BUS_ADDRESS", m_address);
        m_player.setProcessEnvironment(env);
        m_player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_player.start(qEnvironmentVariable("PLUMO_BUILD_DIR") + "/bin/plumo", {});
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

    int Column(const QString& title, const char* column) const
    {
        sqlite3* db = nullptr;
        int value = -1;
        if (sqlite3_open_v2(QFile::encodeName(Profile() + "/Library.db").constData(), &db,
                SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* stmt = nullptr;
            const QByteArray sql = QByteArray("SELECT ") + column + " FROM library WHERE title=?";
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

    TestProfile m_home;
    QProcess m_bus;
    QString m_address;
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
#endif
