// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// What reaches the real window from outside and from the keyboard: files handed over (where
// they land, what plays, playlist files among them), database jobs asked for while one runs,
// media keys that both the window and the key hook see, a switch to a row that cannot be
// played, and a stream the address dialog cannot store. Real library and playlist files, real
// audio through the engine on SDL's dummy driver.
#include "AudioFixture.h"
#include "CDlgOpenURL.h"
#include "CDlgProgress.h"
#include "CPanelWnd.h"
#include "CPlaylistStore.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

constexpr int kDeadlineMs = 30000;

class OpenFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("SDL_AUDIODRIVER", "dummy");
        QDir().mkpath(Profile());
        // Long enough that no track ends by itself while a test looks.
        fixture::Tone tone;
        tone.seconds = 120;
        ASSERT_TRUE(fixture::MakeTone(File(1), tone));
        for (int i = 2; i <= 4; ++i)
            ASSERT_TRUE(QFile::copy(File(1), File(i)));
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }
    QString File(int i) const { return m_home.File(QString("music/%1.mp3").arg(i)); }

    // The list shows a library node (files 1..tracks, by one artist): no playlist is shown.
    void ShowLibrary(int tracks)
    {
        CDBase db;
        db.SetFolder(Profile());
        db.OpenLibrary();
        for (int i = 1; i <= tracks; ++i) {
            TrackRecord r;
            r.title = QString("Track %1").arg(i).toStdString();
            r.artist = "Artist";
            r.number = i;
            r.hasNumber = true;
            r.time = 120;
            r.type = 1;
            ASSERT_TRUE(db.InsertLibraryRow(File(i).toStdString(), CDBase::NowText(), r));
        }
        Store(2, "Artist");
    }
    // A playlist of the given files; shown at start when show is set. Returns its file name.
    QString MakePlaylist(const QString& name, const QList<int>& files, bool show)
    {
        CDBase db;
        db.SetFolder(Profile());
        db.OpenLibrary();
        CPlaylistStore store(db);
        store.LoadRegistry(nullptr);
        const std::optional<int> index = store.CreatePlaylist(name, nullptr);
        EXPECT_TRUE(index.has_value());
        const QString file = store.Entries()[static_cast<std::size_t>(*index)].file;
        EXPECT_TRUE(db.OpenPlaylist(DbConn::Target, file));
        int idx = 0;
        for (int i : files) {
            TrackRecord r;
            r.title = QString("Track %1").arg(i).toStdString();
            r.time = 120;
            r.type = 1;
            EXPECT_TRUE(db.InsertPlaylistFile(
                DbConn::Target, ++idx, File(i).toStdString(), CDBase::NowText(), r));
        }
        db.CloseTargetPlaylist();
        if (show)
            Store(1, file);
        return file;
    }
    void Store(int type, const QString& key)
    {
        CSettings settings;
        settings.Load(Profile());
        CSettings::LibraryNode node;
        node.node1Type = type;
        node.node2String = key;
        node.node2This = 1;
        settings.SetLibraryNode(node);
        ASSERT_TRUE(settings.Save(Profile()));
    }

    CPanelWnd& Start()
    {
        m_wnd = std::make_unique<CPanelWnd>();
        EXPECT_TRUE(session::CreateAndRestore(*m_wnd));
        return *m_wnd;
    }
    QStringList RowFiles() const
    {
        QStringList files;
        for (const CSkinListNode* row : m_wnd->GetList().Rows().Songs())
            files << row->m_file;
        return files;
    }
    QString PlayingFile() const
    {
        const CSkinListNode* row = m_wnd->GetList().Rows().Playing();
        return row ? row->m_file : QString();
    }
    // The tree's playlists by label, and the one the list shows.
    QStringList Playlists() const
    {
        QStringList labels;
        if (const CSkinTreeNode* head = m_wnd->GetTree().Rows().PlaylistsCategory()) {
            for (const CSkinTreeNode* child : head->m_children)
                labels << child->Label();
        }
        return labels;
    }
    QString ShownPlaylist() const
    {
        CDBase& db = m_wnd->GetDatabase();
        const CSkinTreeNode* head = m_wnd->GetTree().Rows().PlaylistsCategory();
        if (!db.IsOpen(DbConn::Viewed) || !head)
            return {};
        for (const CSkinTreeNode* child : head->m_children) {
            if (child->m_key == db.PlaylistFile(DbConn::Viewed))
                return child->Label();
        }
        return {};
    }
    // A file is opened off the window's thread: waits for the outcome of the newest request,
    // after what was posted (the key hook's messages) has been handled.
    void Settle()
    {
        QCoreApplication::sendPostedEvents();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_wnd->GetPlayer().opening; }, kDeadlineMs));
    }
    int Skips(const QString& file) const
    {
        int skips = -1;
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(Profile() + "/Library.db").constData(), &db,
                SQLITE_OPEN_READONLY, nullptr)
            == SQLITE_OK) {
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(db, "SELECT skip FROM library WHERE file=?", -1, &stmt, nullptr);
            const QByteArray f = file.toUtf8();
            sqlite3_bind_text(stmt, 1, f.constData(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(stmt) == SQLITE_ROW)
                skips = sqlite3_column_int(stmt, 0);
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        return skips;
    }

    TestProfile m_home;
    std::unique_ptr<CPanelWnd> m_wnd;
};

// Counts the progress dialogs shown at one time and, at the first one, asks for another job
// from inside its loop, as the media controls, a later start or a drop would.
class ProgressWatch : public QObject {
public:
    explicit ProgressWatch(std::function<void()> atFirst)
        : m_atFirst(std::move(atFirst))
    {
        qApp->installEventFilter(this);
    }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }
    int most = 0;
    int shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<CDlgProgress*>(watched)) {
            ++shown;
            int visible = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                visible += qobject_cast<CDlgProgress*>(w) && w->isVisible() ? 1 : 0;
            most = std::max(most, visible);
            if (auto atFirst = std::exchange(m_atFirst, nullptr))
                atFirst();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_atFirst;
};

} // namespace

// Where handed-over files land: the shown playlist, else "My Playlist" (made again when the
// user deleted it), which is then shown. The first of them plays.
TEST_F(OpenFiles, TheyGoToTheShownPlaylistElseToMyPlaylistAndTheFirstPlays)
{
    struct Case {
        const char* name;
        bool library; // the list shows a library node
        bool myPlaylist; // "My Playlist" exists, holding file 4
        bool evening; // "Evening" exists, holding file 4, and is shown
        QString shown;
        QStringList rows;
    };
    const Case cases[] = {
        {"no playlist, none made yet", true, false, false, "My Playlist", {File(1), File(2)}},
        {"no playlist, My Playlist kept", true, true, false, "My Playlist",
            {File(4), File(1), File(2)}},
        {"a playlist shown", true, true, true, "Evening", {File(4), File(1), File(2)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        QDir(Profile()).removeRecursively();
        QDir().mkpath(Profile());
        if (c.library)
            ShowLibrary(3);
        if (c.myPlaylist)
            MakePlaylist("My Playlist", {4}, false);
        if (c.evening)
            MakePlaylist("Evening", {4}, true);
        CPanelWnd& wnd = Start();
        wnd.OpenFiles({File(1), File(2)});
        Settle();
        EXPECT_EQ(ShownPlaylist(), c.shown);
        EXPECT_EQ(RowFiles(), c.rows);
        EXPECT_EQ(PlayingFile(), File(1));
        EXPECT_TRUE(wnd.GetPlayer().playing);
        EXPECT_TRUE(wnd.GetStatusText().isEmpty()) << wnd.GetStatusText().toStdString();
        EXPECT_EQ(Playlists().count("My Playlist"), 1) << "made when missing, never twice";
    }
}

// A playlist file among them adds its entries where it stands (streams too); one given alone
// plays its first entry.
TEST_F(OpenFiles, APlaylistFileAddsItsEntriesInPlace)
{
    MakePlaylist("Evening", {}, true);
    m_home.Write("music/night.m3u", "#EXTM3U\n2.mp3\n#EXTINF:-1,Night Radio\n"
                                    "http://127.0.0.1:9/night\n3.mp3\n");
    m_home.Write("music/late.pls", "[playlist]\nFile1=4.mp3\nNumberOfEntries=1\n");
    CPanelWnd& wnd = Start();
    wnd.OpenFiles({File(1), m_home.File("music/night.m3u")});
    Settle();
    EXPECT_EQ(RowFiles(), QStringList({File(1), File(2), "http://127.0.0.1:9/night", File(3)}));
    EXPECT_EQ(PlayingFile(), File(1));
    wnd.OpenFiles({m_home.File("music/late.pls")});
    Settle();
    EXPECT_EQ(RowFiles().size(), 5);
    EXPECT_EQ(PlayingFile(), File(4));
}

// A job asked for while another's progress dialog is up waits for it: one dialog at a time,
// rows in the order asked, and the later request's first file plays last.
TEST_F(OpenFiles, AJobAskedForDuringAnotherWaitsForIt)
{
    ShowLibrary(3);
    CPanelWnd& wnd = Start();
    ProgressWatch watch([&wnd, this] {
        wnd.OpenFiles({File(3), File(4)});
        EXPECT_EQ(wnd.GetJobs().Queued(), 1u) << "queued, not started inside the dialog";
    });
    wnd.OpenFiles({File(1), File(2)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return PlayingFile() == File(3); }, kDeadlineMs));
    Settle();
    EXPECT_EQ(watch.most, 1) << "a dialog opened inside another";
    EXPECT_EQ(watch.shown, 2);
    EXPECT_EQ(RowFiles(), QStringList({File(1), File(2), File(3), File(4)}));
    EXPECT_FALSE(wnd.GetJobs().IsRunning());
}

// A media key pressed in the window reaches both the window's shortcut and the key hook; it
// acts once. A key the hot-key table leaves out acts once through the window alone.
TEST_F(OpenFiles, AMediaKeyPressInTheWindowActsOnce)
{
    struct Key {
        const char* name;
        Qt::Key key;
        int startRow;
        int row; // playing afterwards; -1 none
        bool paused;
    };
    const Key keys[] = {
        {"next", Qt::Key_MediaNext, 0, 1, false},
        {"previous", Qt::Key_MediaPrevious, 2, 1, false},
        {"play/pause", Qt::Key_MediaTogglePlayPause, 0, 0, true},
        {"play", Qt::Key_MediaPlay, 0, 0, true},
        {"stop", Qt::Key_MediaStop, 0, -1, false},
    };
    const char* const tables[] = {
        nullptr, // the default table: the media keys
        "<HotKey><Key Type=\"6\" ID=\"173\"/></HotKey>", // mute only
    };
    ShowLibrary(4);
    for (const char* table : tables) {
        SCOPED_TRACE(table ? "a table without the media keys" : "the default table");
        TearDown();
        if (table)
            m_home.Write("data/Plumo/HotKey.xml", table);
        CPanelWnd& wnd = Start();
        wnd.show();
        wnd.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&wnd));
        for (const Key& k : keys) {
            SCOPED_TRACE(k.name);
            const auto& songs = wnd.GetList().Rows().Songs();
            const int skipsBefore = Skips(File(k.startRow + 1));
            wnd.GetList().SetPlayNode(songs[static_cast<std::size_t>(k.startRow)]);
            wnd.PlayRow();
            Settle();
            // A media key has no text: keyClick would ask for one.
            QTest::sendKeyEvent(QTest::Click, wnd.windowHandle(), k.key, QString(), Qt::NoModifier);
            Settle();
            const CSkinListNode* playing = wnd.GetList().Rows().Playing();
            const auto at = std::find(songs.begin(), songs.end(), playing);
            EXPECT_EQ(playing ? static_cast<int>(at - songs.begin()) : -1, k.row);
            EXPECT_EQ(wnd.GetPlayer().paused, k.paused);
            if (k.key == Qt::Key_MediaNext) {
                EXPECT_EQ(Skips(File(k.startRow + 1)), skipsBefore + 1) << "one skip";
            }
            wnd.Stop();
        }
    }
}

// A switch to a row whose file cannot be opened, while another track plays or is paused,
// leaves the player stopped, says which file failed, and shows it everywhere.
TEST_F(OpenFiles, ASwitchToAFileThatCannotBePlayedStopsThePlayer)
{
    ShowLibrary(3);
    QFile::remove(File(2));
    CPanelWnd& wnd = Start();
    QSignalSpy told(&wnd, &CPanelWnd::StatusShown);
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "from paused" : "from playing");
        wnd.PlayRow();
        Settle();
        ASSERT_EQ(PlayingFile(), File(1));
        if (paused)
            wnd.PauseToggle();
        wnd.Next();
        Settle();
        EXPECT_EQ(PlayingFile(), QString());
        EXPECT_FALSE(wnd.GetPlayer().playing) << "never a silent \"playing\"";
        EXPECT_FALSE(wnd.GetPlayer().paused);
        EXPECT_FALSE(wnd.IsPositionRunning());
        EXPECT_EQ(wnd.GetPlayer().libraryId, 0);
        EXPECT_TRUE(wnd.GetStatusText().contains("2.mp3")) << wnd.GetStatusText().toStdString();
        EXPECT_FALSE(told.isEmpty());
        told.clear();
        wnd.GetList().SetPlayNode(nullptr);
        wnd.FillList(nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !wnd.GetListFill().IsRunning(); }, kDeadlineMs));
    }
}

// The playlist file refuses the row (its table is gone): the address typed is reported.
TEST_F(OpenFiles, AStreamTheAddressDialogCannotStoreIsReported)
{
    const QString file = MakePlaylist("Evening", {1}, true);
    CPanelWnd& wnd = Start();
    ASSERT_TRUE(wnd.GetDatabase().IsOpen(DbConn::Viewed));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(Profile() + "/Playlist/" + file).constData(), &other),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "DROP TABLE playlist", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);

    QSignalSpy told(&wnd, &CPanelWnd::StatusShown);
    QObject owner;
    session::Answer<CDlgOpenURL>(owner, [](CDlgOpenURL& dlg) {
        dlg.findChild<QLineEdit*>(QString::number(CDlgOpenURL::kIdAddress))
            ->setText("http://radio.example/late");
        dlg.accept();
    });
    wnd.OnCommand(CContextMenu::ID_ADD_STREAM);
    ASSERT_EQ(told.size(), 1) << "dropped without a word";
    EXPECT_TRUE(told.front().front().toString().contains("http://radio.example/late"));
}
