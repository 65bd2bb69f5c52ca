// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The open radio directory in the real window, against a loopback stand-in: opening "By
// Country", choosing a country and playing a station as a person does, with the stream heard
// on SDL's disk driver, the click told to the directory and the station's icon as the cover;
// and a radio list chosen while a playlist plays, whose play still counts.
#include "AudioFixture.h"
#include "CDBase.h"
#include "CPanelWnd.h"
#include "CPlaylistStore.h"
#include "DirectoryServer.h"
#include "OutputLevels.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

constexpr const char* kUuid = "96062a7b-0601-11e8-ae97-52543be04c81";

QByteArray Json(const QByteArray& body)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: application/json\r\n\r\n" + body;
}

class RadioBrowserWindow : public ::testing::Test {
public:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("XDG_CACHE_HOME", m_home.File("cache").toUtf8());
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_home.File("out.raw")));
        qputenv("SDL_DISKAUDIODELAY", "0");
        fixture::Tone tone;
        tone.seconds = 3.0;
        const QString mp3 = m_home.File("stream.mp3");
        ASSERT_TRUE(fixture::MakeTone(mp3, tone));
        QFile file(mp3);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        m_audio = file.readAll();
        QImage icon(40, 40, QImage::Format_RGB32);
        icon.fill(Qt::green);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        icon.save(&png, "PNG");
        m_icon = png.data();
        m_server.SetHandler([this](const QByteArray& target) { return Serve(target); });
        // A profile that has run before: no first-run questions.
        const QString profile = m_home.File("data") + "/Plumo";
        QDir().mkpath(profile);
        CSettings settings;
        ASSERT_TRUE(settings.Save(profile));
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
        qputenv("SDL_AUDIODRIVER", "dummy");
    }

    DirectoryServer::Answer Serve(const QByteArray& target)
    {
        const QByteArray base = "http://" + m_server.Server().toLatin1();
        if (target.startsWith("/json/countries"))
            return {Json(R"([{"name":"Germany","iso_3166_1":"DE","stationcount":2},
                {"name":"Iceland","iso_3166_1":"IS","stationcount":1}])")};
        if (target.startsWith("/json/stations/")) {
            const QByteArray path = target.left(target.indexOf('?'));
            const QByteArray what = path.mid(path.lastIndexOf('/') + 1).toUpper();
            return {Json("[{\"stationuuid\":\"" + QByteArray(kUuid) + "\",\"name\":\"" + what
                + " Loopback FM\",\"url\":\"" + base + "/live\",\"favicon\":\"" + base
                + "/icon.png\",\"votes\":120},{\"name\":\"" + what + " Second\",\"url\":\""
                + base + "/other\",\"votes\":2}]")};
        }
        if (target.startsWith("/json/url/"))
            return {Json("{\"ok\":true}")};
        if (target == "/icon.png")
            return {"HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n" + m_icon};
        // Held open after the tone, as a live stream that stalls: it never ends while the
        // test looks at it.
        if (target == "/live")
            return {"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n" + m_audio,
                    DirectoryServer::Mode::Hold};
        return {"HTTP/1.0 404 Not Found\r\n\r\n"};
    }

    void Start()
    {
        m_wnd = std::make_unique<CPanelWnd>();
        ASSERT_TRUE(session::CreateAndRestore(*m_wnd));
        m_wnd->GetRadioBrowser().SetServer(m_server.Server());
        CSkinTree& tree = m_wnd->GetTree();
        m_radio = session::Head(tree, NodeType::Radio);
        ASSERT_NE(m_radio, nullptr);
        ASSERT_TRUE(session::ClickExpand(tree, m_radio));
        ASSERT_EQ(m_radio->m_children.size(), 51u);
    }
    bool Requested(const QByteArray& prefix)
    {
        for (const QByteArray& request : m_server.requests) {
            if (request.startsWith("GET " + prefix))
                return true;
        }
        return false;
    }
    const std::vector<CSkinListNode*>& Songs() { return m_wnd->GetList().Rows().Songs(); }

    TestProfile m_home;
    DirectoryServer m_server;
    QByteArray m_audio;
    QByteArray m_icon;
    std::unique_ptr<CPanelWnd> m_wnd;
    CSkinTreeNode* m_radio = nullptr;
};

TEST_F(RadioBrowserWindow, ACountrysStationPlaysWithItsIconAsTheCover)
{
    Start();
    CSkinTreeNode* byCountry = session::Child(m_radio, "By Country");
    ASSERT_NE(byCountry, nullptr);
    EXPECT_TRUE(session::Child(m_radio, "Top Voted"));
    EXPECT_TRUE(session::Child(m_radio, "Trending"));
    // The node lies below the fold of the tree; the window gets what opening it sends.
    byCountry->m_expanded = true;
    SendMsg(m_wnd->MsgTarget(), UWM_TREEEXPAND, reinterpret_cast<WParam>(byCountry));
    ASSERT_TRUE(QTest::qWaitFor([&] { return byCountry->m_children.size() == 2; }, session::kDeadlineMs));
    EXPECT_EQ(byCountry->m_children[0]->Label(), "Germany (2)");
    EXPECT_EQ(byCountry->m_children[1]->Label(), "Iceland (1)");

    m_wnd->FillList(byCountry->m_children[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_wnd->GetList().Rows().RadioMode(); }, session::kDeadlineMs));
    EXPECT_TRUE(Requested("/json/stations/bycountrycodeexact/DE?"));
    ASSERT_EQ(Songs().size(), 2u);
    EXPECT_EQ(session::TitleOf(Songs()[0]), "DE Loopback FM");
    EXPECT_EQ(session::TitleOf(Songs()[1]), "DE Second");

    ASSERT_TRUE(session::DoubleClickRow(m_wnd->GetList(), Songs()[0]));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Requested(QByteArray("/json/url/") + kUuid + " "); },
                                session::kDeadlineMs)) << "the directory hears of the click";
    for (const QByteArray& request : m_server.requests) {
        if (request.startsWith("GET /json/url/")) {
            EXPECT_TRUE(request.contains("\r\nUser-Agent: Plumo/")) << request.toStdString();
        }
    }
    // The tone's level is about 0.35; anything well above silence is the stream.
    ASSERT_TRUE(QTest::qWaitFor([&] { return levels::Recent(m_home.File("out.raw")) > 0.1; },
                                session::kDeadlineMs)) << "the stream is heard";
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return m_wnd->GetPlayer().coverFile.endsWith("/cover.png");
    }, session::kDeadlineMs)) << "the icon becomes the cover";
    const QString cover = m_wnd->GetPlayer().coverFile;
    EXPECT_TRUE(cover.startsWith(m_home.File("cache") + "/Plumo/StationIcons/")) << cover.toStdString();
    EXPECT_EQ(QImage(cover).pixelColor(20, 20), QColor(Qt::green));
}

TEST_F(RadioBrowserWindow, ARadioListChosenWhileAPlaylistPlaysKeepsItsPlayCounted)
{
    // The playlist "Evening", shown when the window starts.
    const QString profile = m_home.File("data") + "/Plumo";
    QDir().mkpath(profile);
    QString playlistFile;
    {
        CDBase db;
        db.SetFolder(profile);
        db.OpenLibrary();
        CPlaylistStore store(db);
        const std::optional<int> index = store.CreatePlaylist("Evening", nullptr);
        ASSERT_TRUE(index.has_value());
        playlistFile = store.Entries()[static_cast<std::size_t>(*index)].file;
        ASSERT_TRUE(db.OpenPlaylist(DbConn::Target, playlistFile));
        // Long enough to be still playing when the test ends it.
        const QString path = m_home.File("music/1.mp3");
        QDir().mkpath(m_home.File("music"));
        fixture::Tone tone;
        tone.seconds = 60.0;
        ASSERT_TRUE(fixture::MakeTone(path, tone));
        TrackRecord r;
        r.title = "Track 1";
        r.time = 1;
        r.type = 1;
        ASSERT_TRUE(db.InsertPlaylistFile(DbConn::Target, 1, path.toStdString(), CDBase::NowText(), r));
        db.CloseTargetPlaylist();
        CSettings settings;
        CSettings::LibraryNode node;
        node.node1Type = 1;
        node.node2String = playlistFile;
        node.node2This = 1;
        settings.SetLibraryNode(node);
        ASSERT_TRUE(settings.Save(profile));
    }
    // At the pace of a sound card: the track plays on while the test runs.
    qputenv("SDL_AUDIODRIVER", "dummy");
    Start();
    ASSERT_EQ(Songs().size(), 1u);
    ASSERT_TRUE(session::DoubleClickRow(m_wnd->GetList(), Songs()[0]));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_wnd->GetPlayer().playing; }, session::kDeadlineMs));

    m_wnd->FillList(session::Child(m_radio, "Jazz"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_wnd->GetList().Rows().RadioMode(); }, session::kDeadlineMs));
    EXPECT_TRUE(Requested("/json/stations/bytagexact/jazz?"));
    ASSERT_EQ(Songs().size(), 2u);
    EXPECT_EQ(session::TitleOf(Songs()[0]), "JAZZ Loopback FM") << "in the directory's order";
    EXPECT_EQ(session::TitleOf(Songs()[1]), "JAZZ Second");
    EXPECT_TRUE(m_wnd->GetDatabase().IsOpen(DbConn::Playing))
        << "the playing playlist keeps its connection";
    // The track ends: its play goes to the playlist it came from.
    SendMsg(m_wnd->MsgTarget(), UWM_PLAYERTRACKEND, 0, 0);
    m_wnd->Shutdown();
    m_wnd.reset();

    sqlite3* db = nullptr;
    int count = -1;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(profile + "/Playlist/" + playlistFile).constData(),
                              &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT count FROM playlist WHERE title='Track 1'", -1, &stmt, nullptr);
    if (sqlite3_step(stmt) == SQLITE_ROW)
        count = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    EXPECT_EQ(count, 1);
}

} // namespace
