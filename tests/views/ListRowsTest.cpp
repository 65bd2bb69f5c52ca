// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CListRows.h"
#include "platform/UserMessage.h"

#include <QStringList>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

namespace {

constexpr int kSong = 20;
constexpr int kHead = 30;
constexpr int kWidth = 300;

// Reports five 10-pixel stars at x 200..250 of every song row.
class StarPainter : public IListRowPainter {
public:
    QRect DrawRow(CSkinListNode& node, const QRect& rect) override
    {
        if (node.IsSong()) {
            return {200, rect.top() + 2, 50, 10};
        }
        if (node.m_kind == NodeKind::Left) {
            blocks.push_back(rect);
        }
        return {};
    }
    std::vector<QRect> blocks;
};

class ListRowsTest : public ::testing::Test {
protected:
    // Groups of the given sizes; playlist rows when playlist is set.
    void Fill(std::initializer_list<int> groups, bool playlist = false, ListGeometry geo = {})
    {
        geo.songHeight = kSong;
        geo.headHeight = kHead;
        rows.SetGeometry(geo);
        int id = 1;
        for (const int count : groups) {
            CSkinListNode* head = rows.AddHead(QStringLiteral("/m/%1/a.mp3").arg(id));
            heads.push_back(head);
            for (int i = 0; i < count; ++i, ++id) {
                rows.AddSong(playlist ? id : 0, head, QStringLiteral("/m/%1.mp3").arg(id),
                             playlist ? 0 : id, 0);
            }
        }
        Relayout(200);
    }
    void Relayout(int clientHeight)
    {
        rows.RecalcLayout();
        rows.Scroll().SetClientHeight(clientHeight);
        Repaint();
    }
    void Repaint() { rows.Walk(0, kWidth, rows.Scroll().Page(), &painter); }
    CSkinListNode* Song(int n) const { return rows.FindSongByIndex(n); }
    // A point inside the row, left of the stars.
    QPoint At(const CSkinListNode* row) const
    {
        return {10, row->m_top - rows.Scroll().Pos() + 5};
    }
    ViewReply Click(const CSkinListNode* row, bool shift = false, bool ctrl = false)
    {
        ViewReply down = rows.LButtonDown(At(row), shift, ctrl);
        rows.LButtonUp();
        return down;
    }
    std::vector<int> SelectedIndexes() const
    {
        std::vector<int> out;
        for (int i = 0; i < rows.SongCount(); ++i) {
            if (Song(i)->m_selected) {
                out.push_back(i);
            }
        }
        return out;
    }
    std::vector<QString> Files(const CSkinListNode* parent) const
    {
        std::vector<QString> out;
        for (const CSkinListNode* n : parent->m_children) {
            out.push_back(n->m_file.section(QLatin1Char('/'), -1));
        }
        return out;
    }

    CListRows rows;
    StarPainter painter;
    std::vector<CSkinListNode*> heads;
};

using Ints = std::vector<int>;

TEST_F(ListRowsTest, StripesRestartPerGroupAndBlocksExtendTheGroup)
{
    ListGeometry geo;
    geo.hasLeft = true;
    geo.leftWidth = 80;
    geo.leftHeight = 100;
    Fill({3, 6}, false, geo);
    // Group 1: head 0..30, three songs to 90, extended by the block to 30 + 100.
    EXPECT_EQ(heads[1]->m_top, 130);
    EXPECT_EQ(rows.Scroll().ContentHeight(), 130 + kHead + 6 * kSong);
    EXPECT_EQ(Song(0)->m_line, 1);
    EXPECT_EQ(Song(1)->m_line, 2);
    EXPECT_EQ(Song(3)->m_line, 1); // first of the second group
    // Over = 0: songs start right of the block; the block stands below its head.
    EXPECT_EQ(rows.RowRects()[1].left(), 80);
    ASSERT_FALSE(painter.blocks.empty());
    EXPECT_EQ(painter.blocks[0], QRect(0, 30, 80, 100));
    EXPECT_EQ(rows.SongCount(), 9);
}

TEST_F(ListRowsTest, FlatListAndOverBlocksKeepTheFullWidth)
{
    rows.SetGeometry({.songHeight = kSong, .headHeight = kHead});
    for (int i = 0; i < 4; ++i) {
        rows.AddSong(0, nullptr, QString::number(i), i + 1, 0);
    }
    Relayout(200);
    EXPECT_EQ(Song(2)->m_line, 1);
    EXPECT_EQ(Song(3)->m_line, 2);
    EXPECT_EQ(rows.RowRects()[0], QRect(0, 0, kWidth, kSong));

    CListRows over;
    ListGeometry geo{.songHeight = kSong, .headHeight = kHead, .hasLeft = true, .leftWidth = 80,
                     .leftHeight = 10, .leftOver = true};
    over.SetGeometry(geo);
    over.AddSong(0, over.AddHead(QString()), QString(), 1, 0);
    over.RecalcLayout();
    over.Walk(0, kWidth, 200, nullptr);
    EXPECT_EQ(over.RowRects()[1].left(), 0);
}

TEST_F(ListRowsTest, ClickCtrlAndShiftSelection)
{
    Fill({4, 4});
    Click(Song(1));
    EXPECT_EQ(SelectedIndexes(), Ints({1}));
    EXPECT_EQ(rows.Focus(), Song(1));
    Click(Song(3), false, true); // Ctrl adds
    EXPECT_EQ(SelectedIndexes(), Ints({1, 3}));
    EXPECT_EQ(Song(1)->m_state, RowState::Select);
    EXPECT_EQ(Song(3)->m_state, RowState::Focus);
    Click(Song(6), true); // Shift: range from the focus
    EXPECT_EQ(SelectedIndexes(), Ints({3, 4, 5, 6}));
    EXPECT_EQ(rows.Focus(), Song(6));
    Click(Song(4), true); // the range extends from the new focus, upwards
    EXPECT_EQ(SelectedIndexes(), Ints({4, 5, 6}));
    Click(heads[1], true); // Shift on a head changes nothing
    EXPECT_EQ(SelectedIndexes(), Ints({4, 5, 6}));

    // Pressing a selected row keeps the selection until release, then collapses to it.
    rows.LButtonDown(At(Song(5)), false, true);
    EXPECT_EQ(SelectedIndexes(), Ints({4, 5, 6}));
    EXPECT_EQ(Song(5)->m_state, RowState::Focus);
    EXPECT_EQ(Song(4)->m_state, RowState::Select);
    rows.LButtonUp();
    EXPECT_EQ(SelectedIndexes(), Ints({5}));

    // A head selects its group, the first song focused.
    Click(heads[0]);
    EXPECT_EQ(SelectedIndexes(), Ints({0, 1, 2, 3}));
    EXPECT_EQ(rows.Focus(), Song(0));
    EXPECT_EQ(Song(0)->m_state, RowState::Focus);
    EXPECT_EQ(Song(2)->m_state, RowState::Select);
}

TEST_F(ListRowsTest, ShiftWithoutFocusSelectsFromTheFirstSong)
{
    Fill({2, 3});
    Click(Song(3), true);
    EXPECT_EQ(SelectedIndexes(), Ints({0, 1, 2, 3}));
    EXPECT_EQ(rows.Focus(), Song(3));
}

TEST_F(ListRowsTest, DraggingMovesSelectedRowsWithinTheirGroupOnly)
{
    Fill({5, 2}, true);
    CSkinListNode* group = heads[0];
    Click(Song(0));
    Click(Song(2), false, true); // selection 0 and 2, focus 2
    rows.LButtonDown(At(Song(2)), false, false);
    rows.MouseMove(At(Song(3)));
    Repaint();
    // Both move down by one, keeping their order among themselves; lines stay with rows.
    EXPECT_EQ(Files(group), (std::vector<QString>{"2.mp3", "1.mp3", "4.mp3", "3.mp3", "5.mp3"}));
    EXPECT_EQ(group->m_children[1]->m_line, 1);
    // Onto another group: nothing moves.
    rows.MouseMove(At(heads[1]->m_children[0]));
    EXPECT_EQ(Files(group), (std::vector<QString>{"2.mp3", "1.mp3", "4.mp3", "3.mp3", "5.mp3"}));
    const ViewReply up = rows.LButtonUp();
    EXPECT_EQ(up.message, UWM_LISTREORDER);
    EXPECT_TRUE(up.release);
    // A move cancels the collapse that the press on a selected row had set.
    EXPECT_EQ(rows.Selection().size(), 2u);
    // Moving to the top stops at the first row that would leave the group.
    Repaint();
    rows.LButtonDown(At(group->m_children[3]), false, false);
    rows.MouseMove(At(group->m_children[0]));
    EXPECT_EQ(Files(group), (std::vector<QString>{"2.mp3", "1.mp3", "4.mp3", "3.mp3", "5.mp3"}));
}

TEST_F(ListRowsTest, RatingClicks)
{
    struct Case {
        int rating;
        int x;
        int expected;
    };
    // Stars are 10 pixels wide from x 200; x 250 is right of the fifth star's last pixel but
    // inside the reported rectangle only when it is wider than five whole stars.
    const Case cases[] = {{3, 225, 2}, {5, 225, 3}, {0, 201, 1}, {1, 205, 0}, {2, 249, 5}};
    for (const Case& c : cases) {
        CListRows list;
        list.SetGeometry({.songHeight = kSong});
        CSkinListNode* row = list.AddSong(0, nullptr, QString(), 1, c.rating);
        list.RecalcLayout();
        list.Walk(0, kWidth, 100, &painter);
        const ViewReply reply = list.LButtonDown({c.x, 5}, false, false);
        EXPECT_EQ(row->m_rating, c.expected) << c.rating << " at " << c.x;
        EXPECT_EQ(reply.message, UWM_LISTRATING);
        EXPECT_FALSE(row->m_selected); // a rating click never selects
    }
}

TEST_F(ListRowsTest, LeftoverPixelsRightOfTheStarsStillReport)
{
    class WidePainter : public IListRowPainter {
        QRect DrawRow(CSkinListNode&, const QRect& r) override { return {0, r.top(), 53, 10}; }
    } wide;
    rows.SetGeometry({.songHeight = kSong});
    CSkinListNode* row = rows.AddSong(0, nullptr, QString(), 1, 4);
    rows.RecalcLayout();
    rows.Walk(0, kWidth, 100, &wide);
    const ViewReply reply = rows.LButtonDown({52, 5}, false, false);
    EXPECT_EQ(row->m_rating, 4);
    EXPECT_EQ(reply.message, UWM_LISTRATING);
    EXPECT_TRUE(reply.repaint);
}

TEST_F(ListRowsTest, KeysAtBothEndsAndPages)
{
    Fill({10, 10}); // content 2 * 30 + 20 * 20 = 460, page 200
    EXPECT_EQ(rows.KeyDown(ViewKey::Up).repaint, true);
    EXPECT_EQ(rows.Focus(), Song(0)); // no focus: the first song
    rows.KeyDown(ViewKey::Up);         // at the top already
    EXPECT_EQ(rows.Scroll().Pos(), 0);
    rows.KeyDown(ViewKey::End);
    EXPECT_EQ(rows.Focus(), Song(19));
    EXPECT_EQ(rows.Scroll().Pos(), 260);
    rows.Scroll().ScrollTo(100);
    rows.KeyDown(ViewKey::Down); // last row: stays, scrolls to the end
    EXPECT_EQ(rows.Focus(), Song(19));
    EXPECT_EQ(rows.Scroll().Pos(), 260);
    EXPECT_EQ(SelectedIndexes(), Ints({19}));
    rows.KeyDown(ViewKey::Home);
    EXPECT_EQ(rows.Scroll().Pos(), 0);
    rows.KeyDown(ViewKey::PageDown);
    // First song whose bottom passes top + page - row height (30 + 200 - 20 = 210).
    EXPECT_EQ(rows.Focus(), Song(9));
    EXPECT_EQ(rows.Scroll().Pos(), 30); // its bottom (230) at the bottom of the view
    rows.KeyDown(ViewKey::Down);
    rows.KeyDown(ViewKey::Down); // past the second head
    EXPECT_EQ(rows.Focus(), Song(11));
    EXPECT_EQ(rows.Scroll().Pos(), 100);
    rows.KeyDown(ViewKey::PageUp);
    // Last song before whose top is above bottom - page + row height (300 - 200 + 20).
    EXPECT_EQ(rows.Focus(), Song(4));
    EXPECT_EQ(rows.Scroll().Pos(), 100); // already in view
    rows.KeyDown(ViewKey::PageUp);
    EXPECT_EQ(rows.Focus(), Song(0));
    EXPECT_EQ(rows.Scroll().Pos(), 30);
}

TEST_F(ListRowsTest, EmptyListIgnoresKeysClicksAndWheel)
{
    rows.SetGeometry({.songHeight = kSong, .headHeight = kHead});
    rows.RecalcLayout();
    rows.Scroll().SetClientHeight(100);
    for (const ViewKey key : {ViewKey::Up, ViewKey::Down, ViewKey::PageUp, ViewKey::PageDown,
                              ViewKey::Home, ViewKey::End}) {
        rows.KeyDown(key);
    }
    rows.Wheel(-120, 3);
    rows.LButtonDown({5, 5}, true, false);
    rows.LButtonDblClk();
    EXPECT_EQ(rows.Focus(), nullptr);
    EXPECT_EQ(rows.Scroll().Pos(), 0);
    EXPECT_EQ(rows.RButtonDown({5, 5}, false).message, UWM_LISTMENU);
}

TEST_F(ListRowsTest, WheelSteps)
{
    Fill({30});
    rows.Wheel(-120, 3);
    EXPECT_EQ(rows.Scroll().Pos(), 3 * kSong);
    rows.Wheel(-1000, 1); // one step whatever the delta
    EXPECT_EQ(rows.Scroll().Pos(), 4 * kSong);
    rows.Wheel(120, 0);
    EXPECT_EQ(rows.Scroll().Pos(), 4 * kSong);
    rows.Wheel(1, -1); // whole pages
    EXPECT_EQ(rows.Scroll().Pos(), 0);
    rows.Wheel(0, 100);
    EXPECT_EQ(rows.Scroll().Pos(), rows.Scroll().Max());
}

TEST_F(ListRowsTest, RadioModeKeepsSelectionAndPlayOnly)
{
    Fill({3}, true);
    rows.SetRadioMode(true);
    const ViewReply star = rows.LButtonDown({205, Song(0)->m_top + 5}, false, false);
    EXPECT_NE(star.message, UWM_LISTRATING);
    EXPECT_EQ(Song(0)->m_rating, 0);
    EXPECT_FALSE(star.capture);
    EXPECT_TRUE(Song(0)->m_selected);
    rows.MouseMove(At(Song(2)));
    EXPECT_EQ(heads[0]->m_children[0], Song(0));
    EXPECT_EQ(rows.LButtonUp().message, 0u);
    EXPECT_EQ(rows.LButtonDblClk().message, UWM_LISTPLAY);
    EXPECT_EQ(rows.Playing(), Song(0));
    EXPECT_EQ(Song(0)->m_playState, PlayState::Play);
}

TEST_F(ListRowsTest, DragOutNeedsMoreThanTenPixelsFromALibraryRow)
{
    Fill({3});
    const QPoint press = At(Song(0));
    EXPECT_TRUE(rows.LButtonDown(press, false, false).capture);
    EXPECT_EQ(rows.MouseMove(press + QPoint(10, -10)).message, 0u);
    const ViewReply drag = rows.MouseMove(press + QPoint(0, 11));
    EXPECT_EQ(drag.message, UWM_LISTDRAG);
    EXPECT_TRUE(drag.release);
    EXPECT_EQ(rows.MouseMove(press + QPoint(0, 30)).message, 0u); // once per press
}

TEST_F(ListRowsTest, DeletingAndPlayingKeepTheInvariants)
{
    Fill({3, 3});
    rows.SetPlayNode(Song(4));
    EXPECT_EQ(SelectedIndexes(), Ints({4}));
    EXPECT_EQ(Song(4)->m_state, RowState::Focus);
    rows.SelectAllSongs();
    rows.SelectAllSongs(); // selecting twice names each row once
    EXPECT_EQ(rows.Selection().size(), 6u);
    EXPECT_EQ(Song(4)->m_state, RowState::Focus);
    Click(Song(1));
    Click(Song(4), false, true);
    rows.DeleteSelected();
    rows.RecalcLayout();
    EXPECT_EQ(rows.Playing(), nullptr);
    EXPECT_EQ(rows.Focus(), nullptr);
    EXPECT_EQ(rows.SongCount(), 4);
    EXPECT_EQ(heads.size(), rows.Root()->m_children.size()); // heads stay
    // Raw searches stop at the ends; the page searches do not.
    EXPECT_EQ(rows.FindNextSong(Song(3), false), nullptr);
    EXPECT_EQ(rows.FindPrevSong(Song(0), false), nullptr);
    EXPECT_EQ(rows.FindNextSong(nullptr, false), Song(3));
    EXPECT_EQ(rows.FindNextSong(Song(3), true), Song(3));
    rows.DeleteAll();
    EXPECT_EQ(rows.FindSongByIndex(0), nullptr);
}

} // namespace

namespace {

// Each row in display order with its parent, stripe, blocks and place in the layout.
QStringList Shape(const CListRows& list)
{
    QStringList out;
    std::vector<const CSkinListNode*> stack{list.Root()};
    while (!stack.empty()) {
        const CSkinListNode* node = stack.back();
        stack.pop_back();
        if (node != list.Root()) {
            out << QStringLiteral("%1 under %2 l%3 %4-%5 blocks %6%7")
                       .arg(node->m_file, node->m_parent->m_file)
                       .arg(node->m_line)
                       .arg(node->m_top)
                       .arg(node->m_bottom)
                       .arg(node->m_left != nullptr && node->m_left->m_parent == node ? 1 : 0)
                       .arg(node->m_right != nullptr && node->m_right->m_parent == node ? 1 : 0);
        }
        for (auto it = node->m_children.rbegin(); it != node->m_children.rend(); ++it) {
            stack.push_back(*it);
        }
    }
    out << QStringLiteral("height %1 songs %2").arg(list.Scroll().ContentHeight()).arg(
               list.SongCount());
    return out;
}

// Loose songs, then groups of songs, as a fill's rows: files s<n> and h<n>.
struct Rows {
    int loose;
    std::vector<int> groups;
};

CSkinListNode* LastHead(const CListRows& list)
{
    const auto& top = list.Root()->m_children;
    const auto it = std::find_if(top.rbegin(), top.rend(),
                                 [](const CSkinListNode* n) { return n->IsHead(); });
    return it == top.rend() ? nullptr : *it;
}

// The rows added one by one, the loose songs under the list's last head.
void AddRows(CListRows& list, const Rows& rows, int& n)
{
    for (int i = 0; i < rows.loose; ++i, ++n) {
        list.AddSong(0, LastHead(list), QStringLiteral("s%1").arg(n), n, 0);
    }
    for (const int count : rows.groups) {
        CSkinListNode* head = list.AddHead(QStringLiteral("h%1").arg(n));
        for (int i = 0; i < count; ++i, ++n) {
            list.AddSong(0, head, QStringLiteral("s%1").arg(n), n, 0);
        }
    }
}

ListTree MakeTree(const Rows& rows, const ListGeometry& geo, int& n)
{
    ListTree tree;
    tree.root = std::make_unique<CSkinListNode>();
    tree.geometry = geo;
    for (int i = 0; i < rows.loose; ++i, ++n) {
        CListRows::Append(CListRows::NewSong(0, QStringLiteral("s%1").arg(n), n, 0),
                          tree.root.get());
    }
    for (const int count : rows.groups) {
        CSkinListNode* head
            = CListRows::NewHead(QStringLiteral("h%1").arg(n), geo.hasLeft, geo.hasRight);
        CListRows::Append(head, tree.root.get());
        for (int i = 0; i < count; ++i, ++n) {
            CListRows::Append(CListRows::NewSong(0, QStringLiteral("s%1").arg(n), n, 0), head);
        }
    }
    CListRows::Layout(tree);
    return tree;
}

} // namespace

TEST_F(ListRowsTest, AdoptedRowsLandWhereAddingThemWouldPutThem)
{
    ListGeometry plain;
    plain.songHeight = kSong;
    plain.headHeight = kHead;
    ListGeometry blocks = plain;
    blocks.hasLeft = blocks.hasRight = true;
    blocks.leftWidth = blocks.rightWidth = 40;
    blocks.leftHeight = 100;
    blocks.rightHeight = 60;
    struct Case {
        const char* name;
        Rows before; // already in the list
        Rows adopted;
        ListGeometry made; // the tree was made and laid out for this
        ListGeometry list; // the list's geometry when it takes the tree in
    };
    const Case cases[] = {
        {"into an empty list", {0, {}}, {2, {3, 1, 4}}, blocks, blocks},
        {"loose songs continue the last group", {0, {3}}, {2, {2}}, plain, plain},
        {"behind a flat list", {3, {}}, {1, {2}}, plain, plain},
        {"heads made without the list's blocks", {0, {}}, {0, {2, 3}}, plain, blocks},
        {"heads made with blocks the list lost", {0, {1}}, {1, {2, 3}}, blocks, plain},
        {"the same blocks, another row height", {0, {}}, {0, {2, 5}}, plain,
         [&] {
             ListGeometry taller = plain;
             taller.songHeight = 25;
             return taller;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CListRows added;
        added.SetGeometry(c.list);
        int n = 1;
        AddRows(added, c.before, n);
        AddRows(added, c.adopted, n);
        added.RecalcLayout();

        CListRows adopting;
        adopting.SetGeometry(c.list);
        n = 1;
        AddRows(adopting, c.before, n);
        CSkinListNode* last = adopting.Adopt(MakeTree(c.adopted, c.made, n), LastHead(adopting));
        adopting.RecalcLayout();
        EXPECT_EQ(Shape(adopting), Shape(added));
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last, LastHead(adopting));
        // A change after the adoption is laid out as usual.
        adopting.AddSong(0, last, QStringLiteral("late"), 0, 0);
        added.AddSong(0, LastHead(added), QStringLiteral("late"), 0, 0);
        adopting.RecalcLayout();
        added.RecalcLayout();
        EXPECT_EQ(Shape(adopting), Shape(added));
    }
}
