// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Editing a playlist and the library through the real window, with the user's keys and clicks
// delivered to its QWindow: deleting rows, ratings that cannot be stored, drops on a library
// view and library updates whose "Library.xml" cannot be read or written. Checked in the
// list widget, in what the window tells the user and in the SQLite files.
#include "AudioFixture.h"
#include "CDlgLibrary.h"
#include "PlayerHome.h"
#include "QtPrinters.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QUrl>
#include <QWindow>

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace session;

namespace {

constexpr const char* kPlaylistFile = "0a1b2c3d.db";
constexpr int kRows = 40;

// Another program's connection that holds the write lock of a file until destroyed.
class WriteLock {
public:
    explicit WriteLock(const QString& path)
    {
        sqlite3_open(QFile::encodeName(path).constData(), &m_db);
        m_locked = sqlite3_exec(m_db, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteLock() { sqlite3_close(m_db); }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    bool Locked() const { return m_locked; }

private:
    sqlite3* m_db = nullptr;
    bool m_locked = false;
};

// A library of three tracks (rated 1 star) and the playlist "Edits" of kRows rows shown at
// start: rows 1 and 2 are copies of library tracks 1 and 2 (2 stars in the playlist), the
// others are stream rows "Row n" (2 stars).
class PlaylistEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        QDir().mkpath(Profile());
        m_home.Write("data/Plumo/Settings.xml",
            QByteArray("<?xml version=\"1.0\"?><Settings><WinPosition Left=\"100\" Top=\"100\" "
                       "Width=\"700\" Height=\"520\"/><Library><Node1 This=\"1\" Type=\"1\"/>"
                       "<Node2 This=\"1\" String=\"")
                + kPlaylistFile + "\"/></Library></Settings>");
        m_home.Write("data/Plumo/Playlist.xml",
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Playlist><Play Name=\"Edits\" "
                       "File=\"")
                + kPlaylistFile + "\"/></Playlist>");
        CDBase db;
        db.SetFolder(Profile());
        db.OpenLibrary();
        ASSERT_TRUE(db.OpenPlaylist(DbConn::Viewed, kPlaylistFile));
        for (int i = 1; i <= kRows; ++i) {
            if (i <= 3) {
                TrackRecord r;
                r.title = "Track " + std::to_string(i);
                r.artist = "Artist";
                r.album = "Album";
                ASSERT_TRUE(db.InsertLibraryRow(
                    "/m/" + std::to_string(i) + ".mp3", "2026-01-01 00:00:00", r));
                ASSERT_TRUE(db.SetRating(i, 0, 1));
            }
            ASSERT_TRUE(db.InsertPlaylistStream(DbConn::Viewed, i,
                QStringLiteral("http://radio/%1").arg(i), QStringLiteral("Row %1").arg(i)));
            ASSERT_TRUE(db.SetRating(0, i, 2));
        }
        for (const char* sql : {"UPDATE playlist SET idlib=1 WHERE id=1;",
                 "UPDATE playlist SET idlib=2 WHERE id=2;"})
            ASSERT_EQ(sqlite3_exec(db.Handle(DbConn::Viewed), sql, nullptr, nullptr, nullptr),
                SQLITE_OK);
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }
    // Drops a file from outside onto the middle of the list, as a drag ends there.
    void DropOnList(const QString& path)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = List().rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&List(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&List(), &move);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&List(), &drop);
    }
    QString PlaylistPath() const { return Profile() + "/Playlist/" + kPlaylistFile; }

    // Starts the window shown and active, with the stored playlist in the list.
    CPanelWnd& Start()
    {
        m_wnd = std::make_unique<CPanelWnd>();
        EXPECT_TRUE(CreateAndRestore(*m_wnd));
        m_wnd->show();
        m_wnd->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_wnd.get()));
        return *m_wnd;
    }
    QWindow* Window() { return m_wnd->windowHandle(); }
    CSkinList& List() { return m_wnd->GetList(); }
    const std::vector<CSkinListNode*>& Songs() { return List().Rows().Songs(); }

    // Where a point of a view lies in the window.
    QPoint InWindow(QWidget& view, QPoint point) { return view.mapTo(m_wnd.get(), point); }
    // Clicks a shown row of the list through the window; false when it is not on screen.
    bool ClickRow(const CSkinListNode* row)
    {
        Paint(List());
        const auto& visible = List().Rows().VisibleRows();
        const auto at = std::find(visible.begin(), visible.end(), row);
        if (at == visible.end())
            return false;
        const QRect rect = List().Rows().RowRects()[static_cast<std::size_t>(at - visible.begin())];
        QTest::mouseClick(Window(), Qt::LeftButton, Qt::NoModifier,
            InWindow(List(), QPoint(rect.left() + 4, rect.center().y())));
        return true;
    }
    // The first row the list shows, after a paint.
    CSkinListNode* TopRow()
    {
        Paint(List());
        return List().Rows().VisibleRows().empty() ? nullptr : List().Rows().VisibleRows().front();
    }

    // Each row of a statement on a file, columns joined by "|".
    static QStringList Rows(const QString& path, const char* sql)
    {
        QStringList rows;
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                QStringList columns;
                for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                    columns << QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
                rows << columns.join(u'|');
            }
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return rows;
    }

    TestProfile m_home;
    QObject m_answers;
    std::unique_ptr<CPanelWnd> m_wnd;
};

} // namespace

// Delete removes the clicked rows only: the list keeps its scroll position, the playing row
// keeps its mark and the positions are renumbered. It acts after a click on the list even when
// the pointer then passed over the tree, and not after a click on the tree.
TEST_F(PlaylistEditTest, DeleteRemovesTheClickedRowsInPlace)
{
    CPanelWnd& wnd = Start();
    ASSERT_EQ(Songs().size(), std::size_t(kRows));
    List().Rows().Scroll().ScrollTo(List().Rows().Scroll().Max() / 2);
    List().SetPlayNode(Songs()[30]);
    CSkinListNode* top = TopRow();
    ASSERT_NE(top, nullptr);
    ASSERT_NE(top, Songs().front());
    const int scrolled = List().Rows().Scroll().Pos();
    ASSERT_GT(scrolled, 0);
    const int victim = static_cast<int>(
        std::find(Songs().begin(), Songs().end(), top) - Songs().begin()) + 1;

    ASSERT_TRUE(ClickRow(Songs()[static_cast<std::size_t>(victim)]));
    QTest::mouseMove(Window(), InWindow(wnd.GetTree(), QPoint(20, 20)));
    QTest::keyClick(Window(), Qt::Key_Delete);

    ASSERT_EQ(Songs().size(), std::size_t(kRows - 1));
    EXPECT_EQ(List().Rows().Scroll().Pos(), scrolled);
    EXPECT_EQ(TopRow(), top);
    ASSERT_NE(List().Rows().Playing(), nullptr);
    EXPECT_EQ(TitleOf(List().Rows().Playing()), QStringLiteral("Row 31"));
    EXPECT_EQ(Songs().front()->m_texts[static_cast<int>(ListSlot::Index)], QStringLiteral("01"));
    EXPECT_EQ(Songs().back()->m_texts[static_cast<int>(ListSlot::Index)], QStringLiteral("39"));
    const QString gone = QStringLiteral("Row %1").arg(victim + 1);
    EXPECT_TRUE(Rows(PlaylistPath(), ("SELECT id FROM playlist WHERE title='" + gone.toStdString()
                                          + "';").c_str())
                    .isEmpty());

    // After a click on the tree (below its nodes) Delete leaves the list alone.
    ASSERT_TRUE(ClickRow(TopRow()));
    QTest::mouseClick(Window(), Qt::LeftButton, Qt::NoModifier,
        InWindow(wnd.GetTree(), QPoint(20, wnd.GetTree().height() - 5)));
    QTest::keyClick(Window(), Qt::Key_Delete);
    EXPECT_EQ(Songs().size(), std::size_t(kRows - 1));
    EXPECT_EQ(Rows(PlaylistPath(), "SELECT count(*) FROM playlist;"), QStringList({"39"}));
}

// A delete the file refuses part-way (a trigger stops row 3) removes nothing, from the file or
// from the list, and the user is told.
TEST_F(PlaylistEditTest, ARefusedDeleteLeavesTheListAsItWas)
{
    {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(PlaylistPath()).constData(), &db);
        sqlite3_exec(db, "CREATE TRIGGER refuse BEFORE DELETE ON playlist WHEN old.id=3 "
                         "BEGIN SELECT RAISE(ABORT,'refused'); END;", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    CPanelWnd& wnd = Start();
    QSignalSpy told(&wnd, &CPanelWnd::StatusShown);
    ASSERT_TRUE(ClickRow(Songs()[1]));
    QTest::mouseClick(Window(), Qt::LeftButton, Qt::ShiftModifier, [&] {
        Paint(List());
        return InWindow(List(), List().Rows().RowRects()[3].center());
    }());
    ASSERT_EQ(List().Rows().Selection().size(), 3u);
    QTest::keyClick(Window(), Qt::Key_Delete);
    EXPECT_EQ(Songs().size(), std::size_t(kRows));
    EXPECT_EQ(Rows(PlaylistPath(), "SELECT count(*) FROM playlist;"),
        QStringList({QString::number(kRows)}));
    EXPECT_EQ(told.count(), 1);
}

// Stars clicked on a row whose file another program holds locked are not saved: the user is
// told and the row shows the stars the file holds. Table: a library track and a stream row.
TEST_F(PlaylistEditTest, ARatingThatCannotBeSavedShowsTheStoredStars)
{
    CPanelWnd& wnd = Start();
    struct Case {
        int row;
        QString file;
        int stored;
        const char* column;
    };
    const Case cases[] = {
        {0, Profile() + "/Library.db", 1, "SELECT rating FROM library WHERE id=1;"},
        {5, PlaylistPath(), 2, "SELECT rating FROM playlist WHERE id=6;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        CSkinListNode* row = Songs()[static_cast<std::size_t>(c.row)];
        ASSERT_EQ(row->m_rating, c.stored);
        QSignalSpy told(&wnd, &CPanelWnd::StatusShown);
        WriteLock lock(c.file);
        ASSERT_TRUE(lock.Locked());
        List().Rows().Scroll().ScrollTo(0);
        Paint(List());
        const auto& visible = List().Rows().VisibleRows();
        const auto at = std::find(visible.begin(), visible.end(), row);
        ASSERT_NE(at, visible.end());
        const QRect stars
            = List().Rows().RatingRects()[static_cast<std::size_t>(at - visible.begin())];
        ASSERT_FALSE(stars.isEmpty());
        QTest::mouseClick(Window(), Qt::LeftButton, Qt::NoModifier,
            InWindow(List(), QPoint(stars.right() - stars.width() / 10, stars.center().y())));
        EXPECT_EQ(told.count(), 1);
        EXPECT_EQ(row->m_rating, c.stored);
        EXPECT_EQ(Rows(c.file, c.column), QStringList({QString::number(c.stored * 20)}));
        // The note is window-modal: it goes before the next click.
        for (QMessageBox* box : wnd.findChildren<QMessageBox*>())
            box->close();
    }
}

// Files dropped on the list while it shows a library view are not taken: the information note
// says why.
TEST_F(PlaylistEditTest, ADropOnALibraryViewShowsTheNote)
{
    m_home.Write("data/Plumo/Settings.xml", "<?xml version=\"1.0\"?><Settings/>");
    CPanelWnd& wnd = Start();
    ASSERT_FALSE(wnd.GetDatabase().IsOpen(DbConn::Viewed));
    QSignalSpy told(&wnd, &CPanelWnd::StatusShown);
    DropOnList(m_home.File("song.mp3"));
    ASSERT_EQ(told.count(), 1);
    EXPECT_EQ(told.at(0).at(0).toString(), wnd.GetLanguage().Line(LangSection::Messages, 4));
}

// "Library.xml" damaged: the folders dialog names it and its empty list updates nothing, so
// the library keeps its rows. "Library.xml" that cannot be replaced: the user is told, and the
// update walks the folders just confirmed.
TEST_F(PlaylistEditTest, LibraryUpdatesNeverWalkAListThatFailedToLoad)
{
    m_home.Write("data/Plumo/Library.xml", "<Library><Folder Path=\"/m\"></Lib");
    CPanelWnd& wnd = Start();
    bool noted = false;
    Answer<CDlgLibrary>(m_answers, [&noted](CDlgLibrary& dlg) {
        noted = dlg.LoadFailed();
        dlg.findChild<QPushButton*>(QString::number(CDlgLibrary::kIdUpdate))->click();
        dlg.findChild<QPushButton*>(QString::number(CDlgLibrary::kIdClose))->click();
    });
    wnd.OnCommand(CPanelWnd::ID_LIBRARY_FOLDERS);
    EXPECT_TRUE(noted);
    EXPECT_EQ(Rows(Profile() + "/Library.db", "SELECT count(*) FROM library;"),
        QStringList({"3"}));

    const QString music = m_home.File("music");
    ASSERT_TRUE(QDir().mkpath(music));
    ASSERT_TRUE(fixture::MakeTone(music + "/1.mp3"));
    ASSERT_TRUE(QFile::remove(Profile() + "/Library.xml"));
    ASSERT_TRUE(QDir().mkpath(Profile() + "/Library.xml"));
    QSignalSpy told(&wnd, &CPanelWnd::StatusShown);
    Answer<CDlgLibrary>(m_answers, [&music](CDlgLibrary& dlg) {
        dlg.SetFolderPicker([&music](QWidget*, const QString&, QString* path) {
            *path = music;
            return true;
        });
        dlg.findChild<QPushButton*>(QString::number(CDlgLibrary::kIdAdd))->click();
        dlg.findChild<QPushButton*>(QString::number(CDlgLibrary::kIdUpdate))->click();
    });
    wnd.OnCommand(CPanelWnd::ID_LIBRARY_FOLDERS);
    EXPECT_EQ(told.count(), 1);
    EXPECT_EQ(Rows(Profile() + "/Library.db", "SELECT file FROM library;"),
        QStringList({music + "/1.mp3"}));
}

// Files dropped on the shown playlist end up in view: the list scrolls to the rows it added.
TEST_F(PlaylistEditTest, DroppedFilesAreScrolledIntoView)
{
    const QString song = m_home.File("music/dropped.mp3");
    ASSERT_TRUE(QDir().mkpath(m_home.File("music")));
    ASSERT_TRUE(fixture::MakeTone(song));
    Start();
    ASSERT_EQ(List().Rows().Scroll().Pos(), 0);
    DropOnList(song);
    ASSERT_EQ(Songs().size(), std::size_t(kRows + 1));
    EXPECT_GT(List().Rows().Scroll().Pos(), 0);
    EXPECT_EQ(List().Rows().Scroll().Pos(), List().Rows().Scroll().Max());
    Paint(List());
    const auto& visible = List().Rows().VisibleRows();
    EXPECT_NE(std::find(visible.begin(), visible.end(), Songs().back()), visible.end());
}

// A new playlist whose entry cannot be written to "Playlist.xml" (a folder stands in its
// place) is still made, and the user is told that the list of playlists was not saved.
TEST_F(PlaylistEditTest, AnUnwrittenPlaylistRegistryIsReported)
{
    CPanelWnd& wnd = Start();
    ASSERT_TRUE(QFile::remove(Profile() + "/Playlist.xml"));
    ASSERT_TRUE(QDir().mkpath(Profile() + "/Playlist.xml"));
    QSignalSpy told(&wnd, &CPanelWnd::StatusShown);
    wnd.OnCommand(CContextMenu::ID_NEW_PLAYLIST);
    ASSERT_EQ(told.count(), 1);
    EXPECT_TRUE(told.at(0).at(0).toString().contains(QStringLiteral("Playlist.xml")));
    EXPECT_EQ(Head(wnd.GetTree(), NodeType::Playlist)->m_children.size(), 2u);
}
