// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTreeRows.h"
#include "platform/UserMessage.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

constexpr int kNode = 20;
constexpr int kHead = 24;

// Reports an expand button over the first 16 pixels of every element box.
class ExpandPainter : public ITreeNodePainter {
public:
    QRect DrawNode(CSkinTreeNode& node, const QRect&, const QRect& elements) override
    {
        return node.m_expandable ? QRect(elements.left(), elements.top(), 16, elements.height())
                                 : QRect();
    }
};

class TreeRowsTest : public ::testing::Test {
protected:
    TreeRowsTest()
    {
        tree.SetHeights(kNode, kHead);
        artists = tree.AddCategory(NodeType::Artist, QStringLiteral("Artists"));
        for (const char* name : {"Abba", "Beck", "Cher"}) {
            tree.AddValueNode(artists, QString::fromLatin1(name), QString::fromLatin1(name));
        }
        artists->m_expanded = true;
        playlists = tree.AddCategory(NodeType::Playlist, QStringLiteral("Playlists"));
        playlists->m_expanded = true;
        for (const char* name : {"a.db", "b.db", "c.db"}) {
            tree.AddPlaylistNode(QString::fromLatin1(name).left(1), QString::fromLatin1(name));
        }
        Relayout();
    }
    void Relayout()
    {
        tree.RecalcLayout();
        tree.Scroll().SetClientHeight(400);
        tree.Walk(0, 200, 400, &painter);
    }
    QPoint Label(const CSkinTreeNode* node) const { return {100, node->m_top + 5}; }
    QPoint Button(const CSkinTreeNode* node) const { return {node->m_parent == tree.Root() ? 4 : 16, node->m_top + 5}; }
    QStringList Keys(const CSkinTreeNode* parent) const
    {
        QStringList out;
        for (const CSkinTreeNode* n : parent->m_children) {
            out << n->m_key;
        }
        return out;
    }

    CTreeRows tree;
    ExpandPainter painter;
    CSkinTreeNode* artists;
    CSkinTreeNode* playlists;
};

TEST_F(TreeRowsTest, ExpandingAsksForChildrenOnceAndNeverSelects)
{
    CSkinTreeNode* beck = artists->m_children[1];
    ViewReply reply = tree.LButtonDown(Button(beck));
    EXPECT_EQ(reply.message, UWM_TREEEXPAND);
    EXPECT_EQ(reply.node, beck);
    EXPECT_EQ(tree.Selection(), nullptr);
    // The owner answers through the sink, into the node asked about.
    tree.SetFillTarget(beck);
    tree.AddAlbumNode(QStringLiteral("Odelay"), QStringLiteral("Beck"), QStringLiteral("Odelay"));
    tree.SetFillTarget(nullptr);
    ASSERT_EQ(beck->m_children.size(), 1u);
    EXPECT_EQ(beck->m_children[0]->m_key, QStringLiteral("Beck"));
    EXPECT_EQ(beck->m_children[0]->m_type, NodeType::Album);
    EXPECT_FALSE(beck->m_children[0]->m_expandable);
    Relayout();
    EXPECT_EQ(tree.LButtonDown(Button(beck)).message, 0u); // collapse
    Relayout();
    EXPECT_EQ(tree.LButtonDown(Button(beck)).message, 0u); // children known: no question
    EXPECT_EQ(tree.Selection(), nullptr);
    Relayout();
    // Where an album leaf's button would be, the click selects it instead.
    const ViewReply leaf = tree.LButtonDown(Button(beck->m_children[0]));
    EXPECT_EQ(leaf.message, UWM_TREESELECT);
    EXPECT_FALSE(beck->m_children[0]->m_expanded);
}

TEST_F(TreeRowsTest, ClickingSelectsAgainAndAgain)
{
    CSkinTreeNode* abba = artists->m_children[0];
    EXPECT_EQ(tree.LButtonDown(Label(abba)).message, UWM_TREESELECT);
    tree.LButtonUp();
    EXPECT_EQ(tree.LButtonDown(Label(abba)).message, UWM_TREESELECT);
    EXPECT_EQ(abba->m_state, CSkinTreeNode::kFocus);
    tree.LButtonDown({100, 390}); // below every node
    EXPECT_EQ(tree.Selection(), nullptr);
    EXPECT_EQ(abba->m_state, CSkinTreeNode::kNormal);
}

TEST_F(TreeRowsTest, KeysMoveOneNodePerPressAndIgnoreRepeats)
{
    EXPECT_EQ(tree.KeyDown(ViewKey::Down, false).node, artists); // none: the first node
    EXPECT_EQ(tree.KeyDown(ViewKey::Down, false).message, UWM_TREEKEYSELECT);
    EXPECT_EQ(tree.Selection(), artists->m_children[0]);
    EXPECT_EQ(tree.KeyDown(ViewKey::Down, true).message, 0u);
    EXPECT_EQ(tree.Selection(), artists->m_children[0]);
    tree.KeyDown(ViewKey::End, false);
    EXPECT_EQ(tree.Selection(), playlists->m_children[2]);
    EXPECT_EQ(tree.KeyDown(ViewKey::Down, false).message, 0u); // the last: nothing new
    tree.KeyDown(ViewKey::Home, false);
    EXPECT_EQ(tree.Selection(), artists);
    EXPECT_EQ(tree.KeyDown(ViewKey::Up, false).message, 0u);

    CTreeRows empty;
    for (const ViewKey key : {ViewKey::Up, ViewKey::Down, ViewKey::Home, ViewKey::End}) {
        EXPECT_EQ(empty.KeyDown(key, false).message, 0u);
    }
}

TEST_F(TreeRowsTest, DraggingAPlaylistSwapsItStepByStep)
{
    tree.LButtonDown(Label(playlists->m_children[0]));
    tree.MouseMove(Label(playlists->m_children[1]));
    EXPECT_EQ(Keys(playlists), QStringList({"b.db", "a.db", "c.db"}));
    tree.Walk(0, 200, 400, &painter);
    tree.MouseMove(Label(playlists->m_children[2]));
    EXPECT_EQ(Keys(playlists), QStringList({"b.db", "c.db", "a.db"}));
    tree.Walk(0, 200, 400, &painter);
    tree.MouseMove(Label(artists->m_children[0])); // another parent: nothing
    EXPECT_EQ(Keys(playlists), QStringList({"b.db", "c.db", "a.db"}));
    EXPECT_EQ(tree.LButtonUp().message, UWM_TREEREORDER);
    EXPECT_EQ(tree.LButtonUp().message, 0u); // stored once
    // Artists are not dragged.
    tree.LButtonDown(Label(artists->m_children[0]));
    tree.MouseMove(Label(artists->m_children[1]));
    EXPECT_EQ(Keys(artists), QStringList({"Abba", "Beck", "Cher"}));
}

TEST_F(TreeRowsTest, DropHighlightLightsPlaylistsOnly)
{
    CSkinTreeNode* a = playlists->m_children[0];
    CSkinTreeNode* b = playlists->m_children[1];
    tree.LButtonDown(Label(a));
    EXPECT_FALSE(tree.SetDropHighlight(Label(artists->m_children[0])));
    EXPECT_TRUE(tree.SetDropHighlight(Label(b)));
    EXPECT_EQ(tree.DropHighlight(), b);
    EXPECT_EQ(b->m_state, CSkinTreeNode::kFocus);
    EXPECT_TRUE(tree.SetDropHighlight(Label(a)));
    EXPECT_EQ(b->m_state, CSkinTreeNode::kNormal);
    EXPECT_TRUE(tree.SetDropHighlight(std::nullopt));
    EXPECT_EQ(a->m_state, CSkinTreeNode::kFocus); // still the selection
    EXPECT_EQ(tree.DropHighlight(), nullptr);
}

TEST_F(TreeRowsTest, RightClickOnlyOnPlaylistNodes)
{
    EXPECT_EQ(tree.RButtonDown(Label(artists->m_children[0])).message, 0u);
    EXPECT_EQ(tree.Selection(), nullptr);
    EXPECT_EQ(tree.RButtonDown(Label(playlists)).message, UWM_TREEMENU);
    EXPECT_EQ(tree.Selection(), playlists);
}

TEST_F(TreeRowsTest, StripesFollowPositionsAndDeleteForgetsPointers)
{
    EXPECT_EQ(playlists->m_line, 1); // 5th shown node
    CSkinTreeNode* extra = tree.AddValueNode(artists, QStringLiteral("Dido"), QStringLiteral("Dido"));
    Relayout();
    EXPECT_EQ(playlists->m_line, 2);
    EXPECT_EQ(extra->m_type, NodeType::Artist);
    tree.LButtonDown(Label(playlists->m_children[0]));
    tree.DeleteNode(playlists);
    EXPECT_EQ(tree.Selection(), nullptr);
    EXPECT_EQ(tree.PlaylistsCategory(), nullptr);
    tree.AddPlaylistNode(QStringLiteral("x"), QStringLiteral("x.db")); // no target: dropped
    Relayout();
    EXPECT_EQ(tree.NodeCount(), 5);
}

} // namespace
