// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Files given to the program as the desktop gives them ("Open with", a second start, the media
// controls' OpenUri) reaching the real running player, checked from outside over a session bus
// of the test's own; media keys pressed through XTest at its window on an X server of its own.
#ifdef PLUMO_HAVE_MPRIS
#include "AudioFixture.h"
#include "CDBase.h"
#include "CSettings.h"
#include "PlayerHome.h"
#include "PrivateBus.h"
#include "TestProfile.h"
#include "XServer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QUrl>

#include <sqlite3.h>

// Before Xlib, whose macros (None, Bool) would otherwise rewrite GoogleTest's names.
#include <gtest/gtest.h>

#if defined(PLUMO_TEST_XTST)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#endif

namespace {

constexpr int kDeadlineMs = 30000;
constexpr char kService[] = "org.mpris.MediaPlayer2.plumo";
constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayer[] = "org.mpris.MediaPlayer2.Player";

class HandOver : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivateBus::IsAvailable())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(m_bus.Start());
        m_client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(m_bus.Address(), "plumo-handover"));
        ASSERT_TRUE(m_client->isConnected());
        // An ordinary start whose list shows a library node: no playlist is shown.
        QDir().mkpath(Profile());
        CDBase db;
        db.SetFolder(Profile());
        db.OpenLibrary();
        CSettings settings;
        CSettings::LibraryNode node;
        node.node1Type = 2;
        node.node2String = "Artist";
        node.node2This = 1;
        settings.SetLibraryNode(node);
        ASSERT_TRUE(settings.Save(Profile()));
        // Long enough that no track ends by itself while the test looks.
        fixture::Tone tone;
        tone.seconds = 120;
        ASSERT_TRUE(fixture::MakeTone(File(1), tone));
        for (int i = 2; i <= 3; ++i)
            ASSERT_TRUE(QFile::copy(File(1), File(i)));
    }
    void TearDown() override
    {
        StopPlayer();
        if (m_client)
            QDBusConnection::disconnectFromBus("plumo-handover");
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }
    QString File(int i) const { return m_home.File(QString("music/F%1.mp3").arg(i)); }
    static QString Url(const QString& file) { return QUrl::fromLocalFile(file).toString(); }

    QProcessEnvironment Env(const QByteArray& display) const
    {
        QProcessEnvironment env = PlayerEnv(m_home);
        env.insert("DBUS_SESSION_BUS_ADDRESS", m_bus.Address());
        if (!display.isEmpty()) {
            env.insert("QT_QPA_PLATFORM", "xcb");
            env.insert("DISPLAY", QString::fromLatin1(display));
            env.remove("WAYLAND_DISPLAY");
            env.remove("XDG_SESSION_TYPE");
        }
        return env;
    }
    void StartPlayer(const QByteArray& display = {})
    {
        m_player.setProcessEnvironment(Env(display));
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
        m_player.terminate();
        if (!m_player.waitForFinished(kDeadlineMs)) {
            m_player.kill();
            m_player.waitForFinished(5000);
        }
    }
    // A second start of the program with arguments; its exit status.
    int SecondStart(const QStringList& arguments, const QByteArray& display = {})
    {
        QProcess second;
        second.setProcessEnvironment(Env(display));
        second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        second.start(PlayerPath(), arguments);
        if (!second.waitForFinished(kDeadlineMs) || second.exitStatus() != QProcess::NormalExit)
            return -1;
        return second.exitCode();
    }

    QVariant Property(const char* name)
    {
        QDBusInterface props(kService, kPath, "org.freedesktop.DBus.Properties", *m_client);
        const QDBusMessage reply = props.call("Get", kPlayer, name);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant();
    }
    QString PlayingUrl()
    {
        QVariantMap map;
        Property("Metadata").value<QDBusArgument>() >> map;
        return map.value("xesam:url").toString();
    }
    QString Playback() { return Property("PlaybackStatus").toString(); }
    void Call(const char* method, const QVariant& argument = {})
    {
        QDBusInterface player(kService, kPath, kPlayer, *m_client);
        const QDBusMessage reply
            = argument.isValid() ? player.call(method, argument) : player.call(method);
        EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage) << method;
    }

    // The playlist files in the profile and the named column of a playlist's rows, by idx.
    // The playlists' own files, without the log SQLite keeps beside an open one.
    QStringList PlaylistFiles() const
    {
        return QDir(Profile() + "/Playlist").entryList({QStringLiteral("*.db")}, QDir::Files);
    }
    QStringList Column(const QString& playlist, const char* column) const
    {
        QStringList values;
        sqlite3* db = nullptr;
        const QByteArray path = QFile::encodeName(Profile() + "/Playlist/" + playlist);
        if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* stmt = nullptr;
            const QByteArray sql = QByteArray("SELECT ") + column + " FROM playlist ORDER BY idx";
            sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
            while (sqlite3_step(stmt) == SQLITE_ROW)
                values << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        return values;
    }
    // The one playlist file ("My Playlist", made for the files); empty for none or several.
    QString MyPlaylist() const
    {
        QString found;
        for (const QString& file : PlaylistFiles()) {
            if (!file.endsWith(".db"))
                continue;
            if (!found.isEmpty())
                return {};
            found = file;
        }
        return found;
    }

    TestProfile m_home;
    PrivateBus m_bus;
    std::unique_ptr<QDBusConnection> m_client;
    QProcess m_player;
};

#if defined(PLUMO_TEST_XTST)
// The shown top-level window whose class names the program; 0 for none.
Window ShownWindowOf(Display* display, const char* program)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes;
        XClassHint hint {};
        if (!XGetWindowAttributes(display, children[i], &attributes)
            || attributes.map_state != IsViewable || !XGetClassHint(display, children[i], &hint))
            continue;
        if (hint.res_name && qstrcmp(hint.res_name, program) == 0)
            found = children[i];
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    XFree(children);
    return found;
}
#endif

} // namespace

#if defined(PLUMO_TEST_XTST)
TEST_F(HandOver, FilesGivenToARunningPlayerPlayAndOneMediaKeyPressIsOneStep)
{
    XServer server("1280x1024x24");
    if (server.Name().isEmpty())
        GTEST_SKIP() << "no X server: Xvfb is not installed or did not start";
    Display* display = XOpenDisplay(server.Name().constData());
    ASSERT_NE(display, nullptr);
    const KeyCode next = XKeysymToKeycode(display, 0x1008ff17); // XF86AudioNext
    if (next == 0) {
        XCloseDisplay(display);
        GTEST_SKIP() << "the X server's keymap has no next-track key";
    }
    StartPlayer(server.Name());

    EXPECT_EQ(SecondStart({File(1), File(2), File(3)}, server.Name()), 0)
        << "the second start hands over and ends";
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return PlayingUrl() == Url(File(1)) && Playback() == "Playing"; }, kDeadlineMs))
        << PlayingUrl().toStdString();
    const QString mine = MyPlaylist();
    ASSERT_FALSE(mine.isEmpty()) << "with no playlist shown they go to \"My Playlist\"";
    EXPECT_EQ(Column(mine, "file"), QStringList({File(1), File(2), File(3)}));

    // The user gives the player's window the focus (as a window manager does on a click).
    const Window window = ShownWindowOf(display, "plumo");
    ASSERT_NE(window, 0u);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    ASSERT_EQ(focus, window);
    const auto press = [display](KeyCode key) {
        XTestFakeKeyEvent(display, key, True, 0);
        XTestFakeKeyEvent(display, key, False, 0);
        XSync(display, False);
    };
    press(next);
    ASSERT_TRUE(QTest::qWaitFor([this] { return PlayingUrl() == Url(File(2)); }, kDeadlineMs))
        << PlayingUrl().toStdString();
    // Play/pause pauses, and stays paused.
    if (const KeyCode play = XKeysymToKeycode(display, 0x1008ff14)) { // XF86AudioPlay
        press(play);
        ASSERT_TRUE(QTest::qWaitFor([this] { return Playback() == "Paused"; }, kDeadlineMs));
    }
    XCloseDisplay(display);
    // Stop after the press has reached the player by every path it takes; the counters then
    // tell how many times it acted.
    Call("Stop");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Playback() == "Stopped"; }, kDeadlineMs));
    StopPlayer();
    EXPECT_EQ(Column(mine, "skip"), QStringList({"1", "0", "0"})) << "one press, one skip";
}
#endif

TEST_F(HandOver, OpenUriWithNoPlaylistShownPlaysInMyPlaylistAndImportsPlaylistFiles)
{
    StartPlayer();
    // The user's playlist file names its entries relative to itself.
    m_home.Write("music/evening.m3u", "#EXTM3U\nF2.mp3\nF3.mp3\n");
    Call("OpenUri", Url(File(1)));
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return PlayingUrl() == Url(File(1)) && Playback() == "Playing"; }, kDeadlineMs))
        << "no note asking for a playlist: it plays";
    const QString mine = MyPlaylist();
    ASSERT_FALSE(mine.isEmpty());

    Call("OpenUri", Url(m_home.File("music/evening.m3u")));
    ASSERT_TRUE(QTest::qWaitFor([this] { return PlayingUrl() == Url(File(2)); }, kDeadlineMs))
        << "the playlist's first entry plays: " << PlayingUrl().toStdString();
    EXPECT_EQ(Column(mine, "file"), QStringList({File(1), File(2), File(3)}));
    EXPECT_EQ(PlaylistFiles().size(), 1) << "added to the shown playlist, not a new one";
}

TEST_F(HandOver, ASecondStartWithFilesStartsThePlayerWhenNoneRuns)
{
    QProcess first;
    first.setProcessEnvironment(Env({}));
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(PlayerPath(), {File(1), File(2)});
    ASSERT_TRUE(first.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([this] {
        return m_client->interface()->isServiceRegistered(kService).value();
    }, kDeadlineMs));
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return PlayingUrl() == Url(File(1)) && Playback() == "Playing"; }, kDeadlineMs));
    const QString mine = MyPlaylist();
    ASSERT_FALSE(mine.isEmpty());
    EXPECT_EQ(Column(mine, "file"), QStringList({File(1), File(2)}));
    first.terminate();
    EXPECT_TRUE(first.waitForFinished(kDeadlineMs));
}
#endif
