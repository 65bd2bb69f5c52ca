// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The real window opening the library tree's categories: the children are read off the
// window's thread, under the wait cursor, and arrive as the window's own connection reads
// them, laid out and without touching the selection; a tree built again or a window closed
// meanwhile drops the read.
#include "CLibraryQuery.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace session;

namespace {

// The children of a node as "label|key|artist|album" lines.
QStringList Lines(const CSkinTreeNode* node)
{
    QStringList lines;
    for (const CSkinTreeNode* child : node->m_children)
        lines << QStringList { child->Label(), child->m_key, child->m_artist, child->m_album }
                     .join(QLatin1Char('|'));
    return lines;
}

// Adds what the library query gives as nodes of a scratch tree, so they compare as Lines.
QStringList DirectLines(CDBase& db, TreeKind kind)
{
    CTreeRows rows;
    CSkinTreeNode* head = rows.AddCategory(static_cast<NodeType>(kind), QStringLiteral("head"));
    rows.SetFillTarget(head);
    EXPECT_TRUE(CLibraryQuery(db).FillRoot(kind, rows));
    return Lines(head);
}

class TreeExpandWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString profile = UseProfile(m_home);
        CDBase db;
        db.SetFolder(profile);
        db.OpenLibrary();
        db.Begin(DbConn::Library);
        for (int i = 0; i < 600; ++i) {
            TrackRecord r;
            r.title = "Song " + std::to_string(i);
            if (i % 40 != 0)
                r.artist = (i % 2 ? "Artist " : "ARTIST ") + std::to_string(i % 90);
            if (i % 55 != 0)
                r.album = "Album " + std::to_string(i % 70);
            r.genre = i % 3 ? "Jazz" : "Rock";
            r.hasYear = i % 17 != 0;
            r.year = 1970 + i % 30;
            r.time = 60;
            db.InsertLibraryRow("/m/" + std::to_string(i) + ".mp3", "2026-01-01 00:00:00", r);
        }
        db.Commit(DbConn::Library);
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
        QCoreApplication::processEvents();
    }

    CPanelWnd& Start()
    {
        m_wnd = std::make_unique<CPanelWnd>();
        EXPECT_TRUE(CreateAndRestore(*m_wnd));
        return *m_wnd;
    }
    bool Settle()
    {
        return QTest::qWaitFor([&] { return !m_wnd->GetTreeFill().IsRunning(); }, kDeadlineMs);
    }

    TestProfile m_home;
    std::unique_ptr<CPanelWnd> m_wnd;
};

TEST_F(TreeExpandWindow, EachCategoryOpensWithTheChildrenOfTheWindowsConnection)
{
    CPanelWnd& wnd = Start();
    CSkinTree& tree = wnd.GetTree();
    if (!tree.isVisible())
        GTEST_SKIP() << "this skin opens with the library tree hidden";
    // A node chosen before: opening categories leaves it chosen.
    CSkinTreeNode* playlists = tree.Rows().PlaylistsCategory();
    ASSERT_NE(playlists, nullptr);
    tree.Rows().SetSelection(playlists);
    const struct {
        NodeType type;
        TreeKind kind;
    } kCategories[] = { { NodeType::Artist, TreeKind::Artists },
        { NodeType::Album, TreeKind::Albums }, { NodeType::Year, TreeKind::Years },
        { NodeType::Genre, TreeKind::Genres } };
    for (const auto& category : kCategories) {
        SCOPED_TRACE(static_cast<int>(category.kind));
        CSkinTreeNode* head = Head(tree, category.type);
        ASSERT_NE(head, nullptr);
        const int shownBefore = tree.Rows().NodeCount();
        ASSERT_TRUE(ClickExpand(tree, head));
        EXPECT_TRUE(head->m_expanded);
        EXPECT_TRUE(wnd.GetTreeFill().IsRunning(category.kind)) << "read off the window's thread";
        EXPECT_NE(QApplication::overrideCursor(), nullptr) << "the window shows it is busy";
        ASSERT_TRUE(Settle());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        const QStringList direct = DirectLines(wnd.GetDatabase(), category.kind);
        ASSERT_FALSE(direct.isEmpty());
        EXPECT_EQ(Lines(head), direct);
        EXPECT_EQ(tree.Rows().NodeCount(), shownBefore + direct.size()) << "laid out with them";
        EXPECT_GT(head->m_children.back()->m_top, head->m_top);
        EXPECT_EQ(tree.Rows().Selection(), playlists);
        // Closed, so that the next category shows; it keeps its children.
        ASSERT_TRUE(ClickExpand(tree, head));
        EXPECT_EQ(Lines(head), direct);
    }
    // Opened again, a category reads nothing.
    CSkinTreeNode* artists = Head(tree, NodeType::Artist);
    const std::size_t children = artists->m_children.size();
    ASSERT_TRUE(ClickExpand(tree, artists));
    EXPECT_TRUE(artists->m_expanded);
    EXPECT_FALSE(wnd.GetTreeFill().IsRunning());
    EXPECT_EQ(artists->m_children.size(), children);
}

TEST_F(TreeExpandWindow, ATreeBuiltAgainOrAWindowClosedDropsTheReadUnderWay)
{
    CPanelWnd& wnd = Start();
    CSkinTree& tree = wnd.GetTree();
    const auto expand = [&](NodeType type) {
        CSkinTreeNode* head = Head(tree, type);
        head->m_expanded = true;
        wnd.OnUserMessage(UWM_TREEEXPAND, reinterpret_cast<WParam>(head), 0);
        return head;
    };
    expand(NodeType::Artist);
    ASSERT_TRUE(wnd.GetTreeFill().IsRunning());
    wnd.RebuildTree();
    EXPECT_FALSE(wnd.GetTreeFill().IsRunning());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The worker reads in the order asked: once the genres are in, the artists' read is over.
    CSkinTreeNode* genres = expand(NodeType::Genre);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(genres->m_children.size(), 2u);
    CSkinTreeNode* artists = Head(tree, NodeType::Artist);
    EXPECT_FALSE(artists->m_expanded);
    EXPECT_TRUE(artists->m_children.empty()) << "the dropped read reached the new tree";

    expand(NodeType::Album);
    wnd.Shutdown();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    m_wnd.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
