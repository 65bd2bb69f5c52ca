// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The mouse and key rules of the tree view.
#include "CTreeRows.h"

#include "platform/UserMessage.h"

#include <algorithm>

ViewReply CTreeRows::LButtonDown(QPoint point)
{
    for (std::size_t i = 0; i < m_expandRects.size(); ++i) {
        if (m_expandRects[i].isEmpty() || !m_expandRects[i].contains(point)) {
            continue;
        }
        CSkinTreeNode* node = m_visible[i];
        if (!node->m_expandable) {
            break;
        }
        // Expanding never touches the selection.
        node->m_expanded = !node->m_expanded;
        Changed();
        ViewReply reply{.repaint = true};
        if (node->m_expanded && node->m_children.empty()) {
            reply.message = UWM_TREEEXPAND;
            reply.node = node;
        }
        return reply;
    }
    CSkinTreeNode* node = NodeAt(point);
    if (node != nullptr && node->IsPlaylist()) {
        m_reorderActive = true;
    }
    SetSelection(node);
    if (node == nullptr) {
        return {.repaint = true};
    }
    return {.repaint = true, .message = UWM_TREESELECT, .node = node};
}

ViewReply CTreeRows::LButtonUp()
{
    m_reorderActive = false;
    if (!m_reorderMoved) {
        return {};
    }
    m_reorderMoved = false;
    return {.message = UWM_TREEREORDER};
}

ViewReply CTreeRows::RButtonDown(QPoint point)
{
    CSkinTreeNode* node = NodeAt(point);
    if (node == nullptr || node->m_type != NodeType::Playlist) {
        return {};
    }
    SetSelection(node);
    return {.repaint = true, .message = UWM_TREEMENU, .node = node};
}

ViewReply CTreeRows::MouseMove(QPoint point)
{
    if (!m_reorderActive || m_selection == nullptr) {
        return {};
    }
    CSkinTreeNode* node = NodeAt(point);
    if (node == nullptr || node == m_selection || node->m_parent != m_selection->m_parent) {
        return {};
    }
    auto& siblings = node->m_parent->m_children;
    std::iter_swap(std::find(siblings.begin(), siblings.end(), node),
                   std::find(siblings.begin(), siblings.end(), m_selection));
    m_reorderMoved = true;
    Changed();
    // Positions follow at once: the next move is hit-tested against the new order.
    RecalcLayout();
    return {.repaint = true};
}

CSkinTreeNode* CTreeRows::KeyTarget(ViewKey key) const
{
    const auto& shown = Shown();
    const auto at = std::find(shown.begin(), shown.end(), m_selection);
    const bool none = at == shown.end();
    const int page = m_scroll.Page();
    switch (key) {
    case ViewKey::Up:
        return none ? shown.front() : at == shown.begin() ? nullptr : *(at - 1);
    case ViewKey::Down:
        return none ? shown.front() : at + 1 == shown.end() ? *at : *(at + 1);
    case ViewKey::PageUp: {
        if (none) {
            return shown.front();
        }
        const int limit = m_selection->m_bottom - page + m_nodeHeight;
        for (auto it = at; it != shown.begin();) {
            --it;
            if ((*it)->m_top < limit) {
                return *it;
            }
        }
        return shown.front();
    }
    case ViewKey::PageDown: {
        if (none) {
            return shown.front();
        }
        const int limit = m_selection->m_top + page - m_nodeHeight;
        for (auto it = at + 1; it != shown.end(); ++it) {
            if ((*it)->m_bottom > limit) {
                return *it;
            }
        }
        return shown.back();
    }
    case ViewKey::Home:
        return shown.front();
    case ViewKey::End:
        return shown.back();
    }
    return nullptr;
}

ViewReply CTreeRows::KeyDown(ViewKey key, bool autoRepeat)
{
    if (autoRepeat || Shown().empty()) {
        return {};
    }
    CSkinTreeNode* target = KeyTarget(key);
    const bool up = key == ViewKey::Up || key == ViewKey::PageUp || key == ViewKey::Home;
    ViewReply reply{.repaint = true};
    if (key == ViewKey::Home || key == ViewKey::End) {
        m_scroll.ScrollTo(up ? 0 : m_scroll.Max());
    } else if (target == nullptr || target == m_selection) {
        m_scroll.ScrollTo(up ? 0 : m_scroll.Max());
        return reply;
    } else {
        m_scroll.Reveal(target->m_top, target->m_bottom, up);
    }
    SetSelection(target);
    reply.message = UWM_TREEKEYSELECT;
    reply.node = target;
    return reply;
}

ViewReply CTreeRows::Wheel(int delta, int wheelLines)
{
    return {.repaint = m_scroll.Wheel(delta, wheelLines, m_nodeHeight)};
}
