// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CListRows.h"

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <utility>

namespace {

constexpr int kStars = 5;

} // namespace

CListRows::CListRows() : m_root(new CSkinListNode) {}

CListRows::~CListRows()
{
    delete m_root;
}

CSkinListNode* CListRows::NewHead(const QString& file, bool left, bool right)
{
    auto head = std::make_unique<CSkinListNode>();
    head->m_kind = NodeKind::Head;
    head->m_file = file;
    if (left) {
        head->m_left = NewBlock(*head, NodeKind::Left);
    }
    if (right) {
        head->m_right = NewBlock(*head, NodeKind::Right);
    }
    return head.release();
}

CSkinListNode* CListRows::NewBlock(CSkinListNode& head, NodeKind kind)
{
    auto* node = new CSkinListNode;
    node->m_kind = kind;
    node->m_file = head.m_file;
    node->m_parent = &head;
    return node;
}

CSkinListNode* CListRows::NewSong(int playlistId, const QString& file, int libraryId, int rating)
{
    auto* song = new CSkinListNode;
    song->m_kind = NodeKind::Song;
    song->m_file = file;
    song->m_libraryId = libraryId;
    song->m_playlistId = playlistId;
    song->m_rating = std::clamp(rating, 0, kStars);
    song->m_source = playlistId != 0 ? 2 : 1;
    return song;
}

void CListRows::Append(CSkinListNode* node, CSkinListNode* parent)
{
    parent->m_children.push_back(node);
    node->m_parent = parent;
    // Stripes count within the group and stay with the row when it is moved later.
    if (node->IsSong()) {
        node->m_line = parent->m_children.size() % 2 == 1 ? 1 : 2;
    }
}

CSkinListNode* CListRows::AddHead(const QString& file)
{
    std::unique_ptr<CSkinListNode> head(NewHead(file, m_geo.hasLeft, m_geo.hasRight));
    Append(head.get(), m_root);
    Changed();
    return head.release();
}

CSkinListNode* CListRows::AddSong(int playlistId, CSkinListNode* parent, const QString& file,
                                  int libraryId, int rating)
{
    std::unique_ptr<CSkinListNode> song(NewSong(playlistId, file, libraryId, rating));
    Append(song.get(), parent != nullptr ? parent : m_root);
    Changed();
    return song.release();
}

void CListRows::Layout(ListTree& tree)
{
    tree.songs = 0;
    tree.height = LayoutChildren(tree.root.get(), 0, tree.geometry, tree.songs);
}

CSkinListNode* CListRows::Adopt(ListTree tree, CSkinListNode* lastHead)
{
    const auto blocksMatch = [this](const CSkinListNode* head) {
        return (head->m_left != nullptr) == m_geo.hasLeft
            && (head->m_right != nullptr) == m_geo.hasRight;
    };
    const auto& children = tree.root->m_children;
    const auto firstHead = std::find_if(children.begin(), children.end(),
                                        [](const CSkinListNode* n) { return n->IsHead(); });
    Changed();
    if (m_root->m_children.empty() && lastHead == nullptr
        && (firstHead == children.end() || blocksMatch(*firstHead))) {
        // An empty list takes the tree whole: its nodes are already where AddHead and AddSong
        // would put them, and the heads of one tree all have the same blocks.
        delete m_root;
        m_root = tree.root.release();
        if (tree.geometry == m_geo) {
            m_songCount = tree.songs;
            m_scroll.SetContentHeight(tree.height);
            m_layoutFresh = true;
            m_layoutKept = true;
        }
        const auto last = std::find_if(m_root->m_children.rbegin(), m_root->m_children.rend(),
                                       [](const CSkinListNode* n) { return n->IsHead(); });
        return last == m_root->m_children.rend() ? nullptr : *last;
    }
    // Room first, so that linking a node in cannot fail; a node leaves the tree as it is
    // linked in, so none is owned twice when making a block runs out of memory.
    const auto loose = static_cast<std::size_t>(firstHead - children.begin());
    (lastHead != nullptr ? lastHead : m_root)->m_children.reserve(
        (lastHead != nullptr ? lastHead : m_root)->m_children.size() + loose);
    m_root->m_children.reserve(m_root->m_children.size() + children.size() - loose);
    for (CSkinListNode*& node : tree.root->m_children) {
        if (node->IsHead()) {
            // The skin changed after the tree was made: the blocks follow the loaded one.
            if (!blocksMatch(node)) {
                delete std::exchange(node->m_left, nullptr);
                delete std::exchange(node->m_right, nullptr);
                node->m_left = m_geo.hasLeft ? NewBlock(*node, NodeKind::Left) : nullptr;
                node->m_right = m_geo.hasRight ? NewBlock(*node, NodeKind::Right) : nullptr;
            }
            Append(node, m_root);
            lastHead = node;
        } else {
            Append(node, lastHead != nullptr ? lastHead : m_root);
        }
        node = nullptr;
    }
    return lastHead;
}

std::unique_ptr<CSkinListNode> CListRows::TakeAll()
{
    auto fresh = std::make_unique<CSkinListNode>();
    std::unique_ptr<CSkinListNode> old(m_root);
    m_root = fresh.release();
    m_selection.clear();
    m_focus = nullptr;
    m_playing = nullptr;
    m_pendingCollapse = m_reorderActive = m_reorderMoved = m_dragOutArmed = false;
    m_visible.clear();
    m_rowRects.clear();
    m_ratingRects.clear();
    m_scroll.ScrollTo(0);
    Changed();
    return old;
}

void CListRows::DeleteAll()
{
    TakeAll();
}

void CListRows::DeleteSelected()
{
    if (m_selection.empty()) {
        return;
    }
    std::unordered_set<CSkinListNode*> parents;
    for (CSkinListNode* row : m_selection) {
        parents.insert(row->m_parent);
        if (row == m_playing) {
            m_playing = nullptr;
        }
    }
    // One pass per group keeps a 50,000-row selection linear.
    for (CSkinListNode* parent : parents) {
        auto& children = parent->m_children;
        const auto kept = std::stable_partition(children.begin(), children.end(),
                                                [](const CSkinListNode* n) { return !n->m_selected; });
        for (auto it = kept; it != children.end(); ++it) {
            delete *it;
        }
        children.erase(kept, children.end());
    }
    m_selection.clear();
    m_focus = nullptr;
    m_visible.clear();
    m_rowRects.clear();
    m_ratingRects.clear();
    Changed();
}

void CListRows::RecalcLayout()
{
    if (std::exchange(m_layoutKept, false)) {
        return;
    }
    m_songCount = 0;
    m_scroll.SetContentHeight(LayoutChildren(m_root, 0, m_geo, m_songCount));
    m_layoutFresh = true;
}

int CListRows::LayoutChildren(CSkinListNode* node, int y, const ListGeometry& geo, int& songs)
{
    const int start = y;
    for (CSkinListNode* child : node->m_children) {
        const int height = child->IsSong() ? geo.songHeight : geo.headHeight;
        songs += child->IsSong() ? 1 : 0;
        child->m_top = y;
        child->m_bottom = LayoutAdd(y, height);
        y = child->m_bottom;
        if (child->m_expanded && (!child->m_children.empty() || child->m_left || child->m_right)) {
            y = LayoutChildren(child, y, geo, songs);
        }
    }
    if (node->m_left != nullptr) {
        node->m_left->m_top = start;
        node->m_left->m_bottom = LayoutAdd(start, geo.leftHeight);
        y = std::max(y, node->m_left->m_bottom);
    }
    if (node->m_right != nullptr) {
        node->m_right->m_top = start;
        node->m_right->m_bottom = LayoutAdd(start, geo.rightHeight);
        y = std::max(y, node->m_right->m_bottom);
    }
    return y;
}

const std::vector<CSkinListNode*>& CListRows::Songs() const
{
    if (!m_songsValid) {
        m_songs.clear();
        std::vector<const CSkinListNode*> stack{m_root};
        // Depth first in display order; the stack holds the nodes still to visit, reversed.
        while (!stack.empty()) {
            const CSkinListNode* node = stack.back();
            stack.pop_back();
            if (node->IsSong()) {
                m_songs.push_back(const_cast<CSkinListNode*>(node));
            }
            if (node->m_expanded) {
                for (auto it = node->m_children.rbegin(); it != node->m_children.rend(); ++it) {
                    stack.push_back(*it);
                }
            }
        }
        m_songsValid = true;
    }
    return m_songs;
}

int CListRows::SongIndex(const CSkinListNode* row) const
{
    const auto& songs = Songs();
    const auto it = std::find(songs.begin(), songs.end(), row);
    return it == songs.end() ? -1 : static_cast<int>(it - songs.begin());
}

void CListRows::ClearSelection()
{
    for (CSkinListNode* row : m_selection) {
        row->m_selected = false;
        row->m_state = RowState::Normal;
    }
    m_selection.clear();
}

void CListRows::Select(CSkinListNode* row, RowState state)
{
    row->m_state = state;
    if (!row->m_selected) {
        row->m_selected = true;
        m_selection.push_back(row);
    }
}

void CListRows::SelectAlone(CSkinListNode* row)
{
    ClearSelection();
    Select(row, RowState::Focus);
    m_focus = row;
}

void CListRows::DemoteFocus()
{
    if (m_focus != nullptr && m_focus->m_selected) {
        m_focus->m_state = RowState::Select;
    }
}

void CListRows::SetPlayNode(CSkinListNode* row)
{
    if (m_playing != nullptr) {
        m_playing->m_playState = PlayState::Stop;
        m_playing = nullptr;
    }
    if (row != nullptr) {
        row->m_playState = PlayState::Play;
        m_playing = row;
        SelectAlone(row);
    }
}

void CListRows::SelectAllSongs()
{
    // A row already selected is not appended twice: the selection must name each row once,
    // or deleting it would delete a row twice.
    for (CSkinListNode* song : Songs()) {
        Select(song, song == m_focus ? RowState::Focus : RowState::Select);
    }
}

CSkinListNode* CListRows::FindNextSong(const CSkinListNode* from, bool page) const
{
    const auto& songs = Songs();
    if (songs.empty()) {
        return nullptr;
    }
    if (from == nullptr) {
        return songs.back();
    }
    const int index = SongIndex(from);
    if (!page) {
        return index >= 0 && index + 1 < static_cast<int>(songs.size()) ? songs[index + 1] : nullptr;
    }
    const int limit = from->m_top + m_scroll.Page() - m_geo.songHeight;
    for (std::size_t i = static_cast<std::size_t>(index + 1); i < songs.size(); ++i) {
        if (songs[i]->m_bottom > limit) {
            return songs[i];
        }
    }
    return songs.back();
}

CSkinListNode* CListRows::FindPrevSong(const CSkinListNode* from, bool page) const
{
    const auto& songs = Songs();
    if (songs.empty()) {
        return nullptr;
    }
    if (from == nullptr) {
        return songs.front();
    }
    const int index = SongIndex(from);
    if (!page) {
        return index > 0 ? songs[index - 1] : nullptr;
    }
    const int limit = from->m_bottom - m_scroll.Page() + m_geo.songHeight;
    for (int i = index - 1; i >= 0; --i) {
        if (songs[i]->m_top < limit) {
            return songs[i];
        }
    }
    return songs.front();
}

CSkinListNode* CListRows::FindSongByIndex(int n) const
{
    const auto& songs = Songs();
    return n >= 0 && n < static_cast<int>(songs.size()) ? songs[n] : nullptr;
}

void CListRows::Walk(int left, int right, int clientHeight, IListRowPainter* painter)
{
    m_visible.clear();
    m_rowRects.clear();
    m_ratingRects.clear();
    // Rows above the view are neither drawn nor recorded; with the tops of a fresh layout the
    // walk starts at the group in view instead of stepping over every row above it.
    std::size_t first = 0;
    int y = -m_scroll.Pos();
    const auto& top = m_root->m_children;
    if (m_layoutFresh && !top.empty()) {
        const auto after = std::upper_bound(top.begin(), top.end(), m_scroll.Pos(),
                                            [](int pos, const CSkinListNode* n) { return pos < n->m_top; });
        first = after == top.begin() ? 0 : static_cast<std::size_t>(after - top.begin() - 1);
        y = top[first]->m_top - m_scroll.Pos();
    }
    WalkChildren(m_root, first, left, right, y, clientHeight, painter);
}

int CListRows::WalkChildren(CSkinListNode* node, std::size_t first, int left, int right, int y,
                            int limit, IListRowPainter* painter)
{
    const int start = y;
    const int cutLeft = node->m_left != nullptr && !m_geo.leftOver ? m_geo.leftWidth : 0;
    const int cutRight = node->m_right != nullptr && !m_geo.rightOver ? m_geo.rightWidth : 0;
    for (std::size_t i = first; i < node->m_children.size(); ++i) {
        CSkinListNode* child = node->m_children[i];
        if (y > limit) {
            break;
        }
        const int height = child->Height();
        if (y > -height) {
            const QRect rect = child->IsSong()
                ? QRect(left + cutLeft, y, right - cutRight - left - cutLeft, height)
                : QRect(left, y, right - left, height);
            const QRect rating = painter != nullptr ? painter->DrawRow(*child, rect) : QRect();
            Record(child, rect, child->IsSong() ? rating : QRect());
        }
        y += height;
        if (child->m_expanded && (!child->m_children.empty() || child->m_left || child->m_right)) {
            y = WalkChildren(child, 0, left, right, y, limit, painter);
        }
    }
    // Blocks stand beside the group's songs, from just below the head.
    const int blockTop = start;
    if (node->m_left != nullptr) {
        if (blockTop > -m_geo.leftHeight && painter != nullptr) {
            painter->DrawRow(*node->m_left,
                             QRect(left, blockTop, m_geo.leftWidth, m_geo.leftHeight));
        }
        y = std::max(y, blockTop + m_geo.leftHeight);
    }
    if (node->m_right != nullptr) {
        if (blockTop > -m_geo.rightHeight && painter != nullptr) {
            painter->DrawRow(*node->m_right, QRect(right - m_geo.rightWidth, blockTop,
                                                   m_geo.rightWidth, m_geo.rightHeight));
        }
        y = std::max(y, blockTop + m_geo.rightHeight);
    }
    return y;
}

void CListRows::Record(CSkinListNode* node, const QRect& rect, const QRect& rating)
{
    m_visible.push_back(node);
    m_rowRects.push_back(rect);
    m_ratingRects.push_back(rating);
}

CSkinListNode* CListRows::RowAt(QPoint point) const
{
    for (std::size_t i = 0; i < m_rowRects.size(); ++i) {
        if (m_rowRects[i].contains(point)) {
            return m_visible[i];
        }
    }
    return nullptr;
}
