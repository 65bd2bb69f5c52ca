// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The player's control flow in the real window: a library file made for the test, the list
// filled from the stored tree node, and real audio through the engine on SDL's dummy driver.
#include "AudioFixture.h"
#include "CPanelWnd.h"
#include "SessionSupport.h"
#include "PlayerHome.h"
#include "TestProfile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTcpServer>
#include <QTcpSocket>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>
#include <set>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

constexpr int kDeadlineMs = 20000;

struct Counts {
    int count = -1;
    int skip = -1;
};

class PlayerFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("SDL_AUDIODRIVER", "dummy");
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }

    // A library of tracks "Track 1".."Track n" by one artist, one second each, and settings
    // whose stored node is that artist, so the list is filled at start-up.
    void MakeLibrary(int tracks, int repeat = 0)
    {
        CDBase db;
        db.SetFolder(Profile());
        QDir().mkpath(Profile());
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
        CSettings settings;
        CSettings::LibraryNode node;
        node.node1Type = 2;
        node.node2String = "Artist";
        node.node2This = 1;
        settings.SetLibraryNode(node);
        settings.SetRepeat(repeat);
        ASSERT_TRUE(settings.Save(Profile()));
    }

    CPanelWnd& Start()
    {
        m_wnd = std::make_unique<CPanelWnd>();
        EXPECT_TRUE(session::CreateAndRestore(*m_wnd));
        return *m_wnd;
    }

    const std::vector<CSkinListNode*>& Songs() { return m_wnd->GetList().Rows().Songs(); }
    // A file is opened off the window's thread: waits for the outcome of the newest request.
    void Settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_wnd->GetPlayer().opening; }, kDeadlineMs));
    }
    CSkinListNode* Playing() { return m_wnd->GetList().Rows().Playing(); }

    Counts CountsOf(const QString& title) const
    {
        Counts c;
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(Profile() + "/Library.db").constData(), &db,
                SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            return c;
        }
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT count,skip FROM library WHERE title=?", -1, &stmt, nullptr);
        const QByteArray t = title.toUtf8();
        sqlite3_bind_text(stmt, 1, t.constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            c.count = sqlite3_column_int(stmt, 0);
            c.skip = sqlite3_column_int(stmt, 1);
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return c;
    }

    static QString TitleOf(const CSkinListNode* row)
    {
        return row ? row->m_texts[static_cast<int>(ListSlot::Title)] : QString();
    }

    TestProfile m_home;
    std::unique_ptr<CPanelWnd> m_wnd;
};

// Serves one endless mp3 stream over HTTP on loopback.
class StreamServer : public QObject {
public:
    explicit StreamServer(const QByteArray& mp3)
        : m_mp3(mp3)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* client = m_server.nextPendingConnection();
            connect(client, &QTcpSocket::readyRead, client, [this, client] {
                client->readAll();
                client->write("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n");
                for (int i = 0; i < 20; ++i)
                    client->write(m_mp3);
            });
        });
    }
    QString Address() const { return QString("http://127.0.0.1:%1/live").arg(m_server.serverPort()); }

private:
    QTcpServer m_server;
    QByteArray m_mp3;
};

} // namespace

TEST_F(PlayerFlow, StartUpRestoresTheListAndBuildsTheCategoryHeads)
{
    MakeLibrary(3);
    CPanelWnd& wnd = Start();
    ASSERT_EQ(Songs().size(), 3u) << "the stored artist node fills the list";
    EXPECT_EQ(TitleOf(Songs()[0]), "Track 1");
    const CSkinTreeNode* root = wnd.GetTree().Rows().Root();
    std::vector<NodeType> heads;
    for (const CSkinTreeNode* head : root->m_children)
        heads.push_back(head->m_type);
    EXPECT_EQ(heads, (std::vector<NodeType>{NodeType::Artist, NodeType::Album, NodeType::Year,
                         NodeType::Genre, NodeType::Radio, NodeType::Playlist}));
    ASSERT_NE(wnd.GetTree().Rows().PlaylistsCategory(), nullptr);
    EXPECT_TRUE(wnd.GetTree().Rows().PlaylistsCategory()->m_expanded);
    EXPECT_TRUE(wnd.GetList().isVisible()) << "placed on the Default skin's playlist element";
    EXPECT_TRUE(wnd.GetTree().isVisible());
    EXPECT_FALSE(wnd.GetVisualisers().empty());
}

TEST_F(PlayerFlow, NextOnTheLastRowStopsWithoutRepeatAndWrapsWithIt)
{
    for (const int repeat : {0, 1}) {
        SCOPED_TRACE(repeat);
        m_wnd.reset();
        QFile::remove(Profile() + "/Library.db");
        MakeLibrary(3, repeat);
        CPanelWnd& wnd = Start();
        ASSERT_EQ(Songs().size(), 3u);
        wnd.Previous(); // nothing plays and nothing is focused: the first row
        ASSERT_EQ(Playing(), Songs()[0]);
        wnd.Previous(); // before the first row
        if (repeat) {
            EXPECT_EQ(Playing(), Songs()[2]);
        } else {
            EXPECT_EQ(Playing(), Songs()[0]) << "no row before the first: nothing happens";
            wnd.Next();
            wnd.Next();
        }
        ASSERT_EQ(Playing(), Songs()[2]);
        wnd.Next();
        Settle();
        if (repeat) {
            EXPECT_EQ(Playing(), Songs()[0]);
            EXPECT_TRUE(wnd.GetPlayer().playing);
        } else {
            EXPECT_EQ(Playing(), nullptr);
            EXPECT_FALSE(wnd.GetPlayer().playing);
            EXPECT_EQ(wnd.windowTitle(), "Plumo");
        }
        wnd.Shutdown();
    }
}

TEST_F(PlayerFlow, NextCountsASkipAndANaturalEndCountsAPlay)
{
    MakeLibrary(2);
    CPanelWnd& wnd = Start();
    ASSERT_EQ(Songs().size(), 2u);
    wnd.PlayRow();
    ASSERT_EQ(Playing(), Songs()[0]);
    Settle();
    EXPECT_EQ(wnd.windowTitle(), "Artist - Track 1");
    wnd.Next();
    ASSERT_EQ(Playing(), Songs()[1]);
    EXPECT_EQ(CountsOf("Track 1").skip, 1);
    EXPECT_EQ(CountsOf("Track 1").count, 0);
    // The last row ends by itself: a play is counted and the player stops.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !wnd.GetPlayer().playing; }, kDeadlineMs));
    EXPECT_EQ(CountsOf("Track 2").count, 1);
    EXPECT_EQ(CountsOf("Track 2").skip, 0);
    EXPECT_EQ(Playing(), nullptr);
    EXPECT_EQ(wnd.windowTitle(), "Plumo");
}

TEST_F(PlayerFlow, AClickedRowPlaysNextAtTheEndOfTheTrack)
{
    MakeLibrary(3);
    CPanelWnd& wnd = Start();
    wnd.PlayRow();
    ASSERT_EQ(Playing(), Songs()[0]);
    // The user clicks the third row while the first plays: nothing is interrupted.
    CSkinList& list = wnd.GetList();
    QImage shown(list.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&shown);
    list.Render(painter);
    const auto& visible = list.Rows().VisibleRows();
    const auto at = std::find(visible.begin(), visible.end(), Songs()[2]);
    ASSERT_NE(at, visible.end());
    const QRect third = list.Rows().RowRects()[static_cast<std::size_t>(at - visible.begin())];
    QTest::mouseClick(&list, Qt::LeftButton, {}, third.center());
    EXPECT_EQ(list.Rows().Focus(), Songs()[2]);
    EXPECT_EQ(Playing(), Songs()[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Playing() == Songs()[2]; }, kDeadlineMs));
    EXPECT_TRUE(wnd.GetPlayer().playing);
    EXPECT_EQ(wnd.windowTitle(), "Artist - Track 3");
    EXPECT_EQ(CountsOf("Track 1").count, 1) << "the first track ended by itself";
}

TEST_F(PlayerFlow, VolumeStepsStopAtTheEdges)
{
    MakeLibrary(1);
    CPanelWnd& wnd = Start();
    struct Case {
        int from;
        bool up;
        int expected;
    };
    const Case cases[] = {{97000, true, 100000}, {100000, true, 100000}, {50000, true, 55000},
        {3000, false, 0}, {0, false, 0}, {50000, false, 45000}};
    for (const Case& c : cases) {
        wnd.SetVolume(c.from);
        c.up ? wnd.VolumeUp() : wnd.VolumeDown();
        EXPECT_EQ(wnd.GetEngine().GetVolumeLevel(), c.expected) << c.from << (c.up ? " up" : " down");
    }
    wnd.SetMute(true);
    EXPECT_TRUE(wnd.GetEngine().IsMute());
    EXPECT_EQ(wnd.GetSettings().GetMute(), 1);
}

TEST_F(PlayerFlow, PauseToggleFadesAndResumesAndStopClearsEverything)
{
    MakeLibrary(1);
    CPanelWnd& wnd = Start();
    wnd.PlayRow();
    Settle();
    ASSERT_TRUE(wnd.GetPlayer().playing);
    EXPECT_TRUE(wnd.IsPositionRunning());
    wnd.PauseToggle();
    EXPECT_TRUE(wnd.GetPlayer().paused);
    EXPECT_EQ(Playing()->m_playState, PlayState::Pause);
    EXPECT_FALSE(wnd.IsPositionRunning());
    wnd.Play(); // Play while paused resumes
    EXPECT_FALSE(wnd.GetPlayer().paused);
    EXPECT_EQ(Playing()->m_playState, PlayState::Play);
    wnd.Stop();
    EXPECT_FALSE(wnd.GetPlayer().playing);
    EXPECT_EQ(Playing(), nullptr);
    EXPECT_EQ(wnd.GetPlayer().libraryId, 0);
    // After a stop the bars fall for a hundred ticks, then the spectrum timer stops.
    EXPECT_TRUE(wnd.IsSpectrumRunning());
    for (int i = 0; i < CPanelWnd::kFallOffTicks - 1; ++i)
        wnd.OnSpectrumTick();
    EXPECT_TRUE(wnd.IsSpectrumRunning());
    wnd.OnSpectrumTick();
    EXPECT_FALSE(wnd.IsSpectrumRunning());
}

TEST_F(PlayerFlow, AFileThatCannotBePlayedIsShownAndItsRowForgotten)
{
    MakeLibrary(2);
    QFile::remove(m_home.File("music/1.mp3"));
    CPanelWnd& wnd = Start();
    wnd.PlayRow();
    Settle();
    EXPECT_EQ(Playing(), nullptr);
    EXPECT_FALSE(wnd.GetPlayer().playing);
    EXPECT_TRUE(wnd.GetStatusText().contains("1.mp3")) << wnd.GetStatusText().toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no box per file";
    wnd.Next(); // from the focused first row to the second, which plays
    EXPECT_EQ(Playing(), Songs()[1]);
}

TEST_F(PlayerFlow, AStreamConnectsShowsItsNameAndPausingStopsIt)
{
    MakeLibrary(1);
    fixture::Tone tone;
    tone.seconds = 3;
    const QString mp3 = m_home.File("stream.mp3");
    ASSERT_TRUE(fixture::MakeTone(mp3, tone));
    QFile f(mp3);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    StreamServer server(f.readAll());
    CPanelWnd& wnd = Start();
    // A playlist holding the stream.
    ASSERT_NE(wnd.GetTree().Rows().PlaylistsCategory(), nullptr);
    wnd.OnCommand(CContextMenu::ID_NEW_PLAYLIST);
    CSkinTreeNode* playlist = wnd.GetTree().Rows().PlaylistsCategory()->m_children.back();
    wnd.FillList(playlist);
    ASSERT_TRUE(wnd.GetDatabase().IsOpen(DbConn::Viewed));
    CPlaylistStore store(wnd.GetDatabase());
    ASSERT_TRUE(store.AppendStream(server.Address(), "Loop FM", wnd.GetList()));
    ASSERT_EQ(Songs().size(), 1u);
    wnd.PlayRow();
    EXPECT_TRUE(wnd.GetPlayer().stream);
    EXPECT_EQ(wnd.windowTitle(), "Loop FM");
    ASSERT_TRUE(QTest::qWaitFor([&] { return wnd.GetPlayer().playing; }, kDeadlineMs));
    EXPECT_TRUE(wnd.IsPositionRunning());
    // A stream has no length: the skin's time counts what was heard, and only that.
    const auto time = [&wnd] {
        QString text = QStringLiteral("<no Time element>");
        wnd.GetSkinDraw().ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
            if (c->GetKind() == SkinKind::Time)
                text = c->GetText();
        });
        return text;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return time() == "0:01"; }, kDeadlineMs))
        << time().toStdString();
    wnd.PauseToggle();
    EXPECT_FALSE(wnd.GetPlayer().playing);
    EXPECT_FALSE(wnd.GetPlayer().stream);
    EXPECT_EQ(Playing(), nullptr);
    EXPECT_EQ(wnd.windowTitle(), "Plumo");
    EXPECT_EQ(time(), "");
}

TEST(Shuffle, DrawsFromTheWholeListAndRepeatsWithinASecond)
{
    constexpr int kRows = 40000;
    bool late = false;
    std::set<int> seen;
    for (unsigned seed = 1000; seed < 1200; ++seed) {
        const int index = CPanelWnd::ShuffleIndex(seed, kRows);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, kRows);
        late = late || index >= 32768;
        seen.insert(index);
        EXPECT_EQ(CPanelWnd::ShuffleIndex(seed, kRows), index) << "one second, one position";
    }
    EXPECT_TRUE(late) << "rows past 32768 can be drawn";
    EXPECT_GT(seen.size(), 150u);
    EXPECT_EQ(CPanelWnd::ShuffleIndex(5, 0), -1);
    EXPECT_EQ(CPanelWnd::ShuffleIndex(5, 1), 0);
}

namespace {

// What the player shows after an input: the playing row's position (-1 none) and the flags.
struct After {
    int row;
    bool playing;
    bool paused;
};

After StateOf(CPanelWnd& wnd)
{
    const auto& songs = wnd.GetList().Rows().Songs();
    const CSkinListNode* playing = wnd.GetList().Rows().Playing();
    const auto at = std::find(songs.begin(), songs.end(), playing);
    return {playing ? static_cast<int>(at - songs.begin()) : -1, wnd.GetPlayer().playing,
        wnd.GetPlayer().paused};
}

CSkinElement* ControlOf(CPanelWnd& wnd, SkinKind kind)
{
    for (const auto& panel : wnd.GetPanels()) {
        for (const CSkinPanelElement& e : panel->GetElements()) {
            if (e.GetControl()->GetKind() == kind)
                return e.GetControl();
        }
    }
    return nullptr;
}

// Whether the menu item with this command id carries a check mark in every menu holding it.
bool Checked(CPanelWnd& wnd, int id)
{
    bool found = false;
    bool checked = true;
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* action : menu->actions()) {
            if (action->menu())
                walk(action->menu());
            else if (action->data().toInt() == id) {
                found = true;
                checked = checked && action->isChecked();
            }
        }
    };
    for (int m = 0; m < static_cast<int>(CContextMenu::Menu::Count); ++m) {
        if (QMenu* menu = wnd.GetMenus().Get(static_cast<CContextMenu::Menu>(m)))
            walk(menu);
    }
    return found && checked;
}

// A routing case: the player is put into a state (stopped, or playing row 1 and maybe
// paused), one input arrives, and the player must end up as expected.
struct Route {
    const char* name;
    int startRow; // -1 stopped
    bool startPaused;
    std::function<void(CPanelWnd&)> input;
    After expected;
};

} // namespace

TEST_F(PlayerFlow, CommandsGivenWhileTheStartUpListIsReadWaitForItsRows)
{
    MakeLibrary(3);
    m_wnd = std::make_unique<CPanelWnd>();
    ASSERT_TRUE(m_wnd->Create());
    CPanelWnd& wnd = *m_wnd;
    // The window has not run its loop yet, so the rows cannot have arrived.
    ASSERT_TRUE(wnd.GetListFill().IsRunning());
    ASSERT_TRUE(Songs().empty());
    // The play button as a click would press it, then the media key for the next track.
    CSkinElement* button = ControlOf(wnd, SkinKind::PlayPause);
    ASSERT_NE(button, nullptr);
    wnd.OnSkinControl(button);
    wnd.OnCommand(CPanelWnd::ID_MEDIA_NEXT);
    EXPECT_FALSE(wnd.GetPlayer().playing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Playing() != nullptr; }, kDeadlineMs));
    Settle();
    ASSERT_EQ(Songs().size(), 3u);
    EXPECT_EQ(Playing(), Songs()[1]) << "play, then next, in the order given";
    EXPECT_TRUE(wnd.GetPlayer().playing);
    // A pause needs no rows: it is not held behind a fill.
    wnd.FillList(nullptr);
    ASSERT_TRUE(wnd.GetListFill().IsRunning());
    wnd.OnCommand(CPanelWnd::ID_MEDIA_PLAYPAUSE);
    EXPECT_TRUE(wnd.GetPlayer().paused);
    // A stop given after a held command waits behind it rather than overtaking it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !wnd.GetListFill().IsRunning(); }, kDeadlineMs));
    wnd.FillList(nullptr);
    ASSERT_TRUE(wnd.GetListFill().IsRunning());
    wnd.OnCommand(CPanelWnd::ID_MEDIA_NEXT);
    wnd.OnCommand(CPanelWnd::ID_MEDIA_STOP);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !wnd.GetListFill().IsRunning(); }, kDeadlineMs));
    QCoreApplication::processEvents(); // the held commands run from the queue
    Settle();
    EXPECT_FALSE(wnd.GetPlayer().playing);
    EXPECT_EQ(Playing(), nullptr);
}

TEST_F(PlayerFlow, CommandsControlsAndHotKeysDriveThePlayer)
{
    MakeLibrary(3);
    CPanelWnd& wnd = Start();
    auto command = [](int id) { return [id](CPanelWnd& w) { w.OnCommand(id); }; };
    auto control = [](SkinKind kind) {
        return [kind](CPanelWnd& w) {
            CSkinElement plain;
            plain.SetType(static_cast<int>(kind));
            CSkinElement* c = ControlOf(w, kind);
            w.OnSkinControl(c ? c : &plain);
        };
    };
    auto hotKey = [](int vkey) {
        return [vkey](CPanelWnd& w) {
            EXPECT_EQ(SendMsg(w.MsgTarget(), UWM_HOOKKEYDOWN, static_cast<WParam>(vkey), 0), 1);
        };
    };
    const std::vector<Route> routes = {
        {"Play command", -1, false, command(105), {0, true, false}},
        {"Play resumes", 1, true, command(105), {1, true, false}},
        {"Play/pause command", 1, false, command(106), {1, true, true}},
        {"Space", 1, false, command(CPanelWnd::ID_SPACE), {1, true, true}},
        {"Media play/pause key", 1, true, command(CPanelWnd::ID_MEDIA_PLAYPAUSE), {1, true, false}},
        {"Stop command", 1, false, command(107), {-1, false, false}},
        {"Ctrl+Space", 1, false, command(CPanelWnd::ID_CTRL_SPACE), {-1, false, false}},
        {"Media stop key", 1, false, command(CPanelWnd::ID_MEDIA_STOP), {-1, false, false}},
        {"Next command", 1, false, command(108), {2, true, false}},
        {"Ctrl+Right", 1, false, command(CPanelWnd::ID_CTRL_RIGHT), {2, true, false}},
        {"Media next key", 1, false, command(CPanelWnd::ID_MEDIA_NEXT), {2, true, false}},
        {"Previous command", 1, false, command(109), {0, true, false}},
        {"Ctrl+Left", 1, false, command(CPanelWnd::ID_CTRL_LEFT), {0, true, false}},
        {"Media previous key", 1, false, command(CPanelWnd::ID_MEDIA_PREV), {0, true, false}},
        {"Enter plays the focused row", 1, false, command(CPanelWnd::ID_ENTER), {1, true, false}},
        {"Play control", -1, false, control(SkinKind::Play), {0, true, false}},
        {"PlayPause control", 1, false, control(SkinKind::PlayPause), {1, true, true}},
        {"Pause control pauses", 1, false, control(SkinKind::Pause), {1, true, true}},
        {"Stop control", 1, false, control(SkinKind::Stop), {-1, false, false}},
        {"Next control", 1, false, control(SkinKind::Next), {2, true, false}},
        {"Previous control", 1, false, control(SkinKind::Previous), {0, true, false}},
        {"Hot key next", 1, false, hotKey(0xB0), {2, true, false}},
        {"Hot key stop", 1, false, hotKey(0xB2), {-1, false, false}},
        {"Unbound hot key", 1, false, hotKey(0x41), {1, true, false}},
    };
    for (const Route& r : routes) {
        SCOPED_TRACE(r.name);
        wnd.Stop();
        if (r.startRow >= 0) {
            wnd.GetList().SetPlayNode(Songs()[static_cast<std::size_t>(r.startRow)]);
            wnd.PlayRow();
            Settle();
            ASSERT_EQ(StateOf(wnd).row, r.startRow);
            if (r.startPaused)
                wnd.PauseToggle();
        } else {
            wnd.FillList(nullptr); // a fresh list: no playing and no focused row
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return !wnd.GetListFill().IsRunning(); }, kDeadlineMs));
        }
        r.input(wnd);
        Settle();
        const After got = StateOf(wnd);
        EXPECT_EQ(got.row, r.expected.row);
        EXPECT_EQ(got.playing, r.expected.playing);
        EXPECT_EQ(got.paused, r.expected.paused);
    }
}

TEST_F(PlayerFlow, SwitchesSetTheirSettingControlsAndMenuChecks)
{
    MakeLibrary(1);
    CPanelWnd& wnd = Start();
    struct Switch {
        SkinKind kind;
        int command;
        std::function<int(const CSettings&)> setting;
    };
    const Switch switches[] = {
        {SkinKind::Repeat, CPanelWnd::ID_REPEAT, [](const CSettings& s) { return s.GetRepeat(); }},
        {SkinKind::Shuffle, CPanelWnd::ID_SHUFFLE, [](const CSettings& s) { return s.GetShuffle(); }},
        {SkinKind::Mute, -1, [](const CSettings& s) { return s.GetMute(); }},
    };
    for (const Switch& sw : switches) {
        SCOPED_TRACE(static_cast<int>(sw.kind));
        CSkinElement* control = ControlOf(wnd, sw.kind);
        ASSERT_NE(control, nullptr);
        control->SetState(0);
        wnd.OnSkinControl(control); // a switch showing "off" turns the setting on
        EXPECT_EQ(sw.setting(wnd.GetSettings()), 1);
        EXPECT_EQ(control->GetState(), 1);
        if (sw.command > 0) {
            EXPECT_TRUE(Checked(wnd, sw.command));
        }
        wnd.OnSkinControl(control);
        EXPECT_EQ(sw.setting(wnd.GetSettings()), 0);
        EXPECT_EQ(control->GetState(), 0);
        if (sw.command > 0) {
            EXPECT_FALSE(Checked(wnd, sw.command));
            wnd.OnCommand(sw.command);
            EXPECT_EQ(sw.setting(wnd.GetSettings()), 1);
            EXPECT_EQ(control->GetState(), 1);
            EXPECT_TRUE(Checked(wnd, sw.command));
        }
    }
    EXPECT_FALSE(wnd.GetEngine().IsMute());
    // The volume slider's value becomes the engine's volume.
    CSkinElement* volume = ControlOf(wnd, SkinKind::VolumeBar);
    ASSERT_NE(volume, nullptr);
    volume->SetState(30000);
    wnd.OnSkinControl(volume);
    EXPECT_EQ(wnd.GetEngine().GetVolumeLevel(), 30000);
}

TEST_F(PlayerFlow, TheEnginesQuestionIsAnsweredWithTheNextRowsFile)
{
    MakeLibrary(3);
    CPanelWnd& wnd = Start();
    QString answer = "unchanged";
    EXPECT_EQ(SendMsg(wnd.MsgTarget(), UWM_PLAYERNEXTFILE, reinterpret_cast<WParam>(&answer)), 0);
    EXPECT_EQ(answer, Songs()[0]->m_file) << "nothing playing: the first row";
    wnd.PlayRow();
    SendMsg(wnd.MsgTarget(), UWM_PLAYERNEXTFILE, reinterpret_cast<WParam>(&answer));
    EXPECT_EQ(answer, Songs()[1]->m_file);
    wnd.GetList().SetPlayNode(Songs()[2]);
    SendMsg(wnd.MsgTarget(), UWM_PLAYERNEXTFILE, reinterpret_cast<WParam>(&answer));
    EXPECT_TRUE(answer.isEmpty()) << "the last row without repeat";
    wnd.SetShuffle(true);
    SendMsg(wnd.MsgTarget(), UWM_PLAYERNEXTFILE, reinterpret_cast<WParam>(&answer));
    EXPECT_FALSE(answer.isEmpty()) << "shuffle always finds a row";
}

TEST_F(PlayerFlow, ARadioGenreThatCannotBeFetchedIsToldAndKeepsTheList)
{
    MakeLibrary(2);
    CPanelWnd& wnd = Start();
    // A port nobody listens on: the directory refuses at once.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    wnd.GetRadio().SetServer(QString("127.0.0.1:%1").arg(port));
    wnd.GetSettings().SetRadioDirectory(1);
    CSkinTreeNode* radio = nullptr;
    for (CSkinTreeNode* head : wnd.GetTree().Rows().Root()->m_children) {
        if (head->m_type == NodeType::Radio)
            radio = head;
    }
    ASSERT_NE(radio, nullptr);
    CSkinTreeNode* genre = wnd.GetTree().AddRadioNode(radio, "Jazz", "Jazz");
    QSignalSpy told(&wnd, &CPanelWnd::StatusShown);
    wnd.FillList(genre);
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() > 0; }, kDeadlineMs));
    EXPECT_EQ(told.at(0).at(0).toString(), wnd.GetLanguage().Line(LangSection::Messages, 8));
    EXPECT_EQ(Songs().size(), 2u) << "the list keeps what it showed";
    EXPECT_FALSE(wnd.GetList().Rows().RadioMode());
}
