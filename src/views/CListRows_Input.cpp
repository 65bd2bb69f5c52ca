// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The mouse and key rules of the list view.
#include "CListRows.h"

#include "platform/UserMessage.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kDragBox = 10; // pixels the pointer moves before rows are dragged out
constexpr int kStars = 5;

} // namespace

ViewReply CListRows::RatingClick(QPoint point)
{
    for (std::size_t i = 0; i < m_ratingRects.size(); ++i) {
        const QRect& rect = m_ratingRects[i];
        if (rect.isEmpty() || !rect.contains(point)) {
            continue;
        }
        CSkinListNode* row = m_visible[i];
        if (!row->IsSong()) {
            return {};
        }
        // Whole-pixel star widths: the few pixels right of the fifth star hit no star.
        const int width = rect.width() / kStars;
        const int x = point.x() - rect.left();
        for (int star = 1; star <= kStars; ++star) {
            if (star * width >= x) {
                row->m_rating = star == row->m_rating ? star - 1 : star;
                break;
            }
        }
        return {.repaint = true, .message = UWM_LISTRATING, .node = row};
    }
    return {};
}

void CListRows::ClickSong(CSkinListNode* row, bool ctrl)
{
    if (row->m_selected) {
        // The selection collapses to this row on release, unless rows are dragged first.
        m_pendingCollapse = true;
        DemoteFocus();
        row->m_state = RowState::Focus;
        m_focus = row;
        return;
    }
    if (ctrl) {
        DemoteFocus();
    } else {
        ClearSelection();
    }
    Select(row, RowState::Focus);
    m_focus = row;
}

void CListRows::SelectGroup(CSkinListNode* head, bool ctrl)
{
    if (ctrl) {
        DemoteFocus();
    } else {
        ClearSelection();
    }
    bool first = true;
    for (CSkinListNode* song : head->m_children) {
        if (!song->IsSong()) {
            continue;
        }
        Select(song, first ? RowState::Focus : RowState::Select);
        if (first) {
            m_focus = song;
            first = false;
        }
    }
}

void CListRows::SelectRange(CSkinListNode* clicked)
{
    const auto& songs = Songs();
    const int to = SongIndex(clicked);
    const int from = m_focus != nullptr ? SongIndex(m_focus) : 0;
    ClearSelection();
    if (from >= 0 && to >= 0 && (m_focus == nullptr || from != to)) {
        for (int i = std::min(from, to); i <= std::max(from, to); ++i) {
            Select(songs[static_cast<std::size_t>(i)], RowState::Select);
        }
    }
    clicked->m_state = RowState::Focus;
    m_focus = clicked;
}

ViewReply CListRows::LButtonDown(QPoint point, bool shift, bool ctrl)
{
    m_pendingCollapse = false;
    if (!m_radioMode) {
        for (std::size_t i = 0; i < m_ratingRects.size(); ++i) {
            if (!m_ratingRects[i].isEmpty() && m_ratingRects[i].contains(point)) {
                return RatingClick(point);
            }
        }
    }
    CSkinListNode* row = RowAt(point);
    if (row == nullptr) {
        return {};
    }
    ViewReply reply{.repaint = true};
    if (!m_radioMode) {
        reply.capture = true;
        if (row->m_source == 2) {
            m_reorderActive = true;
        } else {
            m_dragOutArmed = true;
            m_pressPoint = point;
        }
    }
    if (!shift) {
        if (row->IsSong()) {
            ClickSong(row, ctrl);
        } else if (row->IsHead()) {
            SelectGroup(row, ctrl);
        }
    } else if (row->IsSong()) {
        SelectRange(row);
    }
    return reply;
}

ViewReply CListRows::LButtonUp()
{
    ViewReply reply;
    if (m_pendingCollapse) {
        m_pendingCollapse = false;
        if (!m_reorderMoved && m_selection.size() > 1 && m_focus != nullptr) {
            SelectAlone(m_focus);
            reply.repaint = true;
        }
    }
    if (m_reorderActive) {
        m_reorderActive = false;
        reply.release = true;
        if (m_reorderMoved) {
            m_reorderMoved = false;
            RecalcLayout();
            reply.repaint = true;
            reply.message = UWM_LISTREORDER;
        }
    }
    if (m_dragOutArmed) {
        m_dragOutArmed = false;
        reply.release = true;
    }
    return reply;
}

ViewReply CListRows::LButtonDblClk()
{
    if (m_focus == nullptr) {
        return {};
    }
    if (m_playing != nullptr) {
        m_playing->m_playState = PlayState::Stop;
    }
    m_playing = m_focus;
    m_playing->m_playState = PlayState::Play;
    return {.repaint = true, .message = UWM_LISTPLAY, .node = m_focus};
}

ViewReply CListRows::RButtonDown(QPoint point, bool ctrl)
{
    CSkinListNode* row = RowAt(point);
    if (row != nullptr && !row->IsSong()) {
        return {};
    }
    ViewReply reply{.message = UWM_LISTMENU};
    if (row != nullptr) {
        ClickSong(row, ctrl);
        reply.repaint = true;
        reply.node = row;
    }
    return reply;
}

void CListRows::Reorder(CSkinListNode* target)
{
    auto& children = m_focus->m_parent->m_children;
    const auto indexOf = [&](const CSkinListNode* n) {
        return static_cast<int>(std::find(children.begin(), children.end(), n) - children.begin());
    };
    const int count = static_cast<int>(children.size());
    const int d = indexOf(target) - indexOf(m_focus);
    // Every selected row of the group moves by the same distance; the walk runs against the
    // direction of the move so no row is moved twice, and stops at the first row that would
    // leave the group.
    for (int step = 0; step < count; ++step) {
        const int i = d < 0 ? step : count - 1 - step;
        if (!children[static_cast<std::size_t>(i)]->m_selected) {
            continue;
        }
        const int j = i + d;
        if (j < 0 || j >= count) {
            break;
        }
        std::swap(children[static_cast<std::size_t>(i)], children[static_cast<std::size_t>(j)]);
    }
    m_reorderMoved = true;
    Changed();
}

ViewReply CListRows::MouseMove(QPoint point)
{
    if (m_dragOutArmed) {
        const QPoint delta = point - m_pressPoint;
        if (std::abs(delta.x()) > kDragBox || std::abs(delta.y()) > kDragBox) {
            m_dragOutArmed = false;
            return {.release = true, .message = UWM_LISTDRAG};
        }
    }
    if (m_reorderActive && m_focus != nullptr) {
        CSkinListNode* target = RowAt(point);
        if (target != nullptr && target != m_focus && target->m_parent == m_focus->m_parent) {
            Reorder(target);
            return {.repaint = true};
        }
    }
    return {};
}

ViewReply CListRows::KeyDown(ViewKey key)
{
    const auto& songs = Songs();
    ViewReply reply{.repaint = true};
    if (songs.empty()) {
        return {};
    }
    CSkinListNode* target = nullptr;
    const bool up = key == ViewKey::Up || key == ViewKey::PageUp || key == ViewKey::Home;
    switch (key) {
    case ViewKey::Up:
        target = m_focus == nullptr ? songs.front() : FindPrevSong(m_focus, false);
        break;
    case ViewKey::Down:
        target = m_focus == nullptr ? songs.front() : FindNextSong(m_focus, false);
        if (target == nullptr) {
            target = m_focus;
        }
        break;
    case ViewKey::PageUp:
        target = FindPrevSong(m_focus, true);
        break;
    case ViewKey::PageDown:
        target = m_focus == nullptr ? songs.front() : FindNextSong(m_focus, true);
        break;
    case ViewKey::Home:
        SelectAlone(songs.front());
        m_scroll.ScrollTo(0);
        return reply;
    case ViewKey::End:
        SelectAlone(songs.back());
        m_scroll.ScrollTo(m_scroll.Max());
        return reply;
    }
    if (target != nullptr && target != m_focus) {
        SelectAlone(target);
        m_scroll.Reveal(target->m_top, target->m_bottom, up);
    } else {
        m_scroll.ScrollTo(up ? 0 : m_scroll.Max());
    }
    return reply;
}

ViewReply CListRows::Wheel(int delta, int wheelLines)
{
    return {.repaint = m_scroll.Wheel(delta, wheelLines, m_geo.songHeight)};
}
