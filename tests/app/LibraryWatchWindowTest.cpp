// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The real window following its library folders: music moved into a watched folder shows in
// the open tree and in the list without the user doing anything, the tree keeps what was open
// and selected, and the Options switch stops and restarts the watch and is saved.
#include "AudioFixture.h"
#include "CLibraryFolders.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <gtest/gtest.h>

using namespace session;

namespace {

class LibraryWatchWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        ASSERT_TRUE(Tagged(Music() + "/Artist/Album/1.mp3", "One", "Artist"));
        CLibraryFolders folders;
        folders.SetFolders({Music()});
        ASSERT_TRUE(QDir().mkpath(Profile()));
        ASSERT_TRUE(folders.Save(Profile()));
        // Not a first start: no folders dialog, the window shows at once.
        m_home.Write("data/Plumo/Settings.xml", "<Settings></Settings>");
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }
    QString Music() const { return m_home.File("music"); }

    bool Tagged(const QString& path, const QString& title, const QString& artist)
    {
        return fixture::CopyTone("mp3", path)
            && fixture::WriteTags(path, {{"TITLE", title}, {"ARTIST", artist}, {"ALBUM", "Album"}});
    }
    // A tagged file made beside the library and moved in, as a file manager drops it.
    bool MoveIn(const QString& name, const QString& title, const QString& artist)
    {
        const QString staged = m_home.File("staging/") + QFileInfo(name).fileName();
        return QDir().mkpath(m_home.File("staging")) && Tagged(staged, title, artist)
            && QDir().mkpath(QFileInfo(Music() + "/" + name).path())
            && QFile::rename(staged, Music() + "/" + name);
    }

    CPanelWnd& Start()
    {
        m_wnd = std::make_unique<CPanelWnd>();
        EXPECT_TRUE(CreateAndRestore(*m_wnd));
        return *m_wnd;
    }
    bool WaitForRuns(int runs)
    {
        return QTest::qWaitFor([&] {
            return m_wnd->GetFollow().Runs() >= runs && !m_wnd->GetFollow().IsBusy()
                && !m_wnd->GetListFill().IsRunning();
        }, kDeadlineMs);
    }
    std::size_t Songs() { return m_wnd->GetList().Rows().Songs().size(); }

    TestProfile m_home;
    std::unique_ptr<CPanelWnd> m_wnd;
};

TEST_F(LibraryWatchWindow, MusicMovedInShowsInTheOpenTreeAndTheListWithoutAnyAction)
{
    CPanelWnd& wnd = Start();
    // The quiet run at start takes in the file that was there before the start.
    ASSERT_TRUE(WaitForRuns(1));
    EXPECT_TRUE(wnd.GetFollow().IsWatching());
    CSkinTree& tree = wnd.GetTree();
    CSkinTreeNode* artists = Head(tree, NodeType::Artist);
    ASSERT_NE(artists, nullptr);
    ASSERT_TRUE(ClickExpand(tree, artists));
    CSkinTreeNode* artist = AwaitChild(artists, "Artist");
    ASSERT_NE(artist, nullptr);
    ClickNode(tree, artist);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Songs() == 1; }, kDeadlineMs));

    const int runs = wnd.GetFollow().Runs();
    ASSERT_TRUE(MoveIn("Artist/Album/2.mp3", "Two", "Artist"));
    ASSERT_TRUE(MoveIn("Newcomer/Debut/1.mp3", "First", "Newcomer"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Songs() == 2; }, kDeadlineMs))
        << "the list showing the artist takes the new track";
    ASSERT_TRUE(WaitForRuns(runs + 1));
    artists = Head(tree, NodeType::Artist);
    ASSERT_NE(artists, nullptr);
    EXPECT_TRUE(artists->m_expanded) << "the open category stays open";
    EXPECT_NE(AwaitChild(artists, "Newcomer"), nullptr) << "the new artist shows in it";
    ASSERT_NE(tree.Rows().Selection(), nullptr);
    EXPECT_EQ(tree.Rows().Selection()->Label(), "Artist") << "the selection stays";
}

TEST_F(LibraryWatchWindow, SwitchStopsAndRestartsTheWatchAndIsSaved)
{
    CPanelWnd& wnd = Start();
    ASSERT_TRUE(WaitForRuns(1));
    wnd.OnCommand(CContextMenu::ID_WATCH_FOLDERS);
    EXPECT_FALSE(wnd.GetFollow().IsWatching());
    EXPECT_EQ(wnd.GetSettings().GetWatchFolders(), 0);
    const QAction* item = nullptr;
    for (const QAction* action : wnd.GetMenus().Get(CContextMenu::Menu::Options)->actions()) {
        if (action->data().toInt() == CContextMenu::ID_WATCH_FOLDERS)
            item = action;
    }
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isChecked());

    // Switched on again, the run it starts with takes in what changed meanwhile.
    ASSERT_TRUE(MoveIn("Artist/Album/2.mp3", "Two", "Artist"));
    const int runs = wnd.GetFollow().Runs();
    wnd.OnCommand(CContextMenu::ID_WATCH_FOLDERS);
    EXPECT_TRUE(item->isChecked());
    ASSERT_TRUE(WaitForRuns(runs + 1));
    EXPECT_TRUE(wnd.GetFollow().IsWatching());
    SqliteStmt count(wnd.GetDatabase().Handle(DbConn::Library), "SELECT count(*) FROM library;");
    ASSERT_TRUE(count.Step());
    EXPECT_EQ(count.Int(0), 2);

    wnd.OnCommand(CContextMenu::ID_WATCH_FOLDERS);
    wnd.Shutdown();
    m_wnd.reset();
    EXPECT_NE(m_home.Read("data/Plumo/Settings.xml").indexOf("<WatchFolders ID=\"0\"/>"), -1);
    // Switched off, the next start makes no run.
    CPanelWnd& again = Start();
    // The watch would start from the event loop, once the window has shown.
    QTest::qWait(100);
    EXPECT_FALSE(again.GetFollow().IsWatching());
    EXPECT_EQ(again.GetFollow().Runs(), 0);
}

} // namespace
