// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// List and tree skin files with numbers far beyond any screen: they are cut to bounds, so rows
// lay out in order, long lists sum without overflow and a file cannot grow a part without end.
#include "CListRows.h"
#include "CListSkin.h"
#include "CTreeRows.h"
#include "CTreeSkin.h"
#include "TestProfile.h"
#include "ViewSkin.h"

#include <QImage>
#include <QPainter>

#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr int kHuge = std::numeric_limits<int>::max();

// count copies of piece.
QByteArray Repeat(const QByteArray& piece, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += piece;
    return out;
}

// A text element with a huge position and font, and more "State" entries than are kept.
QByteArray HugeTitle()
{
    return "<Title><Font Size=\"2147483647\" Align=\"2\"/><Position Left=\"2147483647\" "
           "Width=\"2147483647\" Top=\"-2147483648\"/>"
        + Repeat("<State Select=\"1\"><Position Right=\"-2147483648\"/></State>", 40)
        + "</Title>";
}

// Rows laid out one below the other, none overlapping, and a content height that holds them.
template <typename Node>
void ExpectInOrder(const std::vector<Node*>& nodes, int contentHeight)
{
    int bottom = 0;
    for (const Node* node : nodes) {
        EXPECT_GE(node->m_top, bottom);
        EXPECT_GE(node->m_bottom, node->m_top);
        bottom = node->m_bottom;
    }
    EXPECT_GE(contentHeight, bottom);
    EXPECT_LE(contentHeight, kMaxLayoutPos);
}

} // namespace

TEST(ViewSkinLimits, ListNumbersAreCutAndLongListsLayOutInOrder)
{
    TestProfile dir;
    const QString path = dir.Write("List.xml",
        "<Playlist><Head Height=\"2147483647\"/><Song Height=\"2147483647\"><Elements>"
        + Repeat(HugeTitle(), 300) + "</Elements><Background>"
        + Repeat("<Fill><Fill Color=\"FF0000\"/><Position Left=\"-2147483648\" "
                 "Right=\"2147483647\" Bottom=\"2147483647\" Height=\"2147483647\"/></Fill>",
            300)
        + "</Background></Song><Left Width=\"2147483647\" Height=\"2147483647\"/></Playlist>");
    CListSkin skin;
    ASSERT_TRUE(skin.Load(path));
    const ListGeometry geo = skin.Geometry();
    EXPECT_EQ(geo.songHeight, viewskin::kMaxRowHeight);
    EXPECT_EQ(geo.headHeight, viewskin::kMaxRowHeight);
    EXPECT_EQ(geo.leftWidth, viewskin::kMaxRowHeight);
    EXPECT_EQ(geo.leftHeight, viewskin::kMaxRowHeight);
    EXPECT_EQ(skin.Song().elements.size(), viewskin::kMaxPieces);
    EXPECT_EQ(skin.Song().backs.size(), viewskin::kMaxPieces);
    EXPECT_EQ(skin.Song().elements.front().m_positions.size(), viewskin::kMaxStates);
    EXPECT_EQ(skin.Song().elements.front().m_position.x, viewskin::kMaxNumber);

    // Enough rows at the largest height to reach the end of the layout range.
    CListRows rows;
    rows.SetGeometry(geo);
    rows.SetAutoLayout(false);
    CSkinListNode* head = rows.AddHead("/m/a.mp3");
    for (int i = 0; i < 4; ++i)
        rows.AddSong(0, head, "/m/a.mp3", i + 1, 0)->m_texts[2] = "Title";
    for (int i = 0; i < 600'000; ++i)
        rows.AddSong(0, nullptr, QString(), i + 1, 0);
    rows.RecalcLayout();
    std::vector<CSkinListNode*> nodes(head->m_children.begin(), head->m_children.end());
    nodes.insert(nodes.begin(), head);
    const auto& top = rows.Root()->m_children;
    nodes.insert(nodes.end(), top.begin() + 1, top.begin() + 1000);
    nodes.push_back(top.back());
    ExpectInOrder(nodes, rows.Scroll().ContentHeight());

    // Drawing the rows at the end of the list stays inside the numbers as well.
    QImage canvas(300, 200, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    rows.Scroll().SetClientHeight(canvas.height());
    rows.Scroll().ScrollTo(rows.Scroll().Max());
    EXPECT_FALSE(skin.DrawRow(painter, *head->m_children.front(), QRect(0, 0, 300, 20), nullptr)
            .isValid());
}

TEST(ViewSkinLimits, TreeNumbersAreCutAndLongTreesLayOutInOrder)
{
    TestProfile dir;
    const QString path = dir.Write("Tree.xml",
        "<Library><Head Height=\"2147483647\"/><Node Height=\"2147483647\"><Elements>"
        "<Text><Font Size=\"2147483647\"/><Position Left=\"2147483647\" Right=\"2147483647\"/>"
        "</Text></Elements></Node></Library>");
    CTreeSkin skin;
    ASSERT_TRUE(skin.Load(path));
    EXPECT_EQ(skin.NodeHeight(), viewskin::kMaxRowHeight);
    EXPECT_EQ(skin.HeadHeight(), viewskin::kMaxRowHeight);
    CTreeRows rows;
    rows.SetHeights(skin.NodeHeight(), skin.HeadHeight());
    rows.SetAutoLayout(false);
    CSkinTreeNode* head = rows.AddCategory(NodeType::Artist, "Artists");
    head->m_expanded = true;
    for (int i = 0; i < 600'000; ++i)
        rows.AddValueNode(head, "Artist", "Artist");
    rows.RecalcLayout();
    std::vector<CSkinTreeNode*> nodes{head};
    nodes.insert(nodes.end(), head->m_children.begin(), head->m_children.begin() + 1000);
    nodes.push_back(head->m_children.back());
    ExpectInOrder(nodes, rows.Scroll().ContentHeight());
    QImage canvas(300, 200, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    skin.DrawNode(painter, *nodes[1], QRect(0, 0, 300, 20), QRect(12, 0, 288, 20));
}
