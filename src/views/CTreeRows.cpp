// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTreeRows.h"

#include "platform/UserMessage.h"

#include <algorithm>

CTreeRows::CTreeRows() : m_root(new CSkinTreeNode)
{
    m_root->m_expanded = true;
}

CTreeRows::~CTreeRows()
{
    delete m_root;
}

void CTreeRows::SetHeights(int nodeHeight, int headHeight)
{
    m_nodeHeight = std::max(0, nodeHeight);
    m_headHeight = std::max(0, headHeight);
}

CSkinTreeNode* CTreeRows::Append(CSkinTreeNode* parent, int kind, NodeType type,
                                 const QString& label)
{
    if (parent == nullptr) {
        parent = m_root;
    }
    auto* node = new CSkinTreeNode;
    node->m_parent = parent;
    node->m_kind = kind;
    node->m_type = type;
    node->m_text = label;
    parent->m_children.push_back(node);
    Changed();
    return node;
}

CSkinTreeNode* CTreeRows::AddCategory(NodeType type, const QString& label)
{
    CSkinTreeNode* node = Append(m_root, CSkinTreeNode::kHead, type, label);
    node->m_categoryHead = true;
    if (type == NodeType::Playlist) {
        m_playlists = node;
    }
    return node;
}

CSkinTreeNode* CTreeRows::AddValueNode(CSkinTreeNode* parent, const QString& label,
                                       const QString& key)
{
    const NodeType type = parent != nullptr ? parent->m_type : NodeType::None;
    CSkinTreeNode* node = Append(parent, CSkinTreeNode::kNode, type, label);
    node->m_key = key;
    node->m_valueNode = true;
    return node;
}

CSkinTreeNode* CTreeRows::AddAlbumNode(CSkinTreeNode* parent, const QString& label,
                                       const QString& artist, const QString& album)
{
    CSkinTreeNode* node = Append(parent, CSkinTreeNode::kNode, NodeType::Album, label);
    node->m_albumLeaf = true;
    node->m_artist = artist;
    node->m_album = album;
    node->m_key = node->m_parent->m_key;
    node->m_expandable = false;
    return node;
}

CSkinTreeNode* CTreeRows::AddRadioNode(CSkinTreeNode* parent, const QString& label,
                                       const QString& key)
{
    CSkinTreeNode* node = Append(parent, CSkinTreeNode::kNode, NodeType::Radio, label);
    node->m_key = key;
    node->m_expandable = false;
    return node;
}

CSkinTreeNode* CTreeRows::AddPlaylistNode(CSkinTreeNode* parent, const QString& label,
                                          const QString& file)
{
    CSkinTreeNode* node = Append(parent, CSkinTreeNode::kNode, NodeType::Playlist, label);
    node->m_key = file;
    node->m_valueNode = true;
    node->m_expandable = false;
    return node;
}

CSkinTreeNode* CTreeRows::FillTarget() const
{
    if (m_fillTarget != nullptr) {
        return m_fillTarget;
    }
    return m_playlists != nullptr ? m_playlists : m_root;
}

void CTreeRows::AddValueNode(const QString& label, const QString& key)
{
    AddValueNode(FillTarget(), label, key);
}

void CTreeRows::AddAlbumNode(const QString& label, const QString& artist, const QString& album)
{
    AddAlbumNode(FillTarget(), label, artist, album);
}

void CTreeRows::AddPlaylistNode(const QString& label, const QString& file)
{
    // A playlist belongs under the playlists category; without one there is no place for it.
    CSkinTreeNode* parent = m_fillTarget != nullptr ? m_fillTarget : m_playlists;
    if (parent != nullptr) {
        AddPlaylistNode(parent, label, file);
    }
}

void CTreeRows::DeleteNode(CSkinTreeNode* node)
{
    if (node == nullptr || node == m_root) {
        return;
    }
    auto& siblings = node->m_parent->m_children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
    // Pointers into the removed subtree must not outlive it.
    for (const CSkinTreeNode* n = m_playlists; n != nullptr; n = n->m_parent) {
        if (n == node) {
            m_playlists = nullptr;
        }
    }
    for (const CSkinTreeNode* n = m_fillTarget; n != nullptr; n = n->m_parent) {
        if (n == node) {
            m_fillTarget = nullptr;
        }
    }
    delete node;
    m_selection = nullptr;
    m_dropHighlight = nullptr;
    m_reorderActive = false;
    m_visible.clear();
    m_rowRects.clear();
    m_expandRects.clear();
    Changed();
}

void CTreeRows::DeleteAll()
{
    delete m_root;
    m_root = new CSkinTreeNode;
    m_root->m_expanded = true;
    m_selection = m_dropHighlight = m_playlists = m_fillTarget = nullptr;
    m_reorderActive = m_reorderMoved = false;
    m_visible.clear();
    m_rowRects.clear();
    m_expandRects.clear();
    m_scroll.ScrollTo(0);
    Changed();
}

void CTreeRows::RecalcLayout()
{
    int counter = 0;
    const int height = LayoutChildren(m_root, 0, counter);
    m_nodeCount = counter;
    m_scroll.SetContentHeight(height);
}

int CTreeRows::LayoutChildren(CSkinTreeNode* node, int y, int& counter)
{
    for (CSkinTreeNode* child : node->m_children) {
        ++counter;
        child->m_line = counter % 2 == 1 ? 1 : 2;
        child->m_top = y;
        y = LayoutAdd(y, child->m_kind == CSkinTreeNode::kHead ? m_headHeight : m_nodeHeight);
        child->m_bottom = y;
        if (child->m_expanded && !child->m_children.empty()) {
            y = LayoutChildren(child, y, counter);
        }
    }
    return y;
}

const std::vector<CSkinTreeNode*>& CTreeRows::Shown() const
{
    if (!m_shownValid) {
        m_shown.clear();
        std::vector<CSkinTreeNode*> stack(m_root->m_children.rbegin(), m_root->m_children.rend());
        while (!stack.empty()) {
            CSkinTreeNode* node = stack.back();
            stack.pop_back();
            m_shown.push_back(node);
            if (node->m_expanded) {
                stack.insert(stack.end(), node->m_children.rbegin(), node->m_children.rend());
            }
        }
        m_shownValid = true;
    }
    return m_shown;
}

void CTreeRows::Walk(int left, int right, int clientHeight, ITreeNodePainter* painter)
{
    m_visible.clear();
    m_rowRects.clear();
    m_expandRects.clear();
    WalkChildren(m_root, left, right, -m_scroll.Pos(), clientHeight, painter);
}

int CTreeRows::WalkChildren(CSkinTreeNode* node, int left, int right, int y, int limit,
                            ITreeNodePainter* painter)
{
    for (CSkinTreeNode* child : node->m_children) {
        if (y > limit) {
            break;
        }
        const int height = child->Height();
        if (y > -height) {
            const QRect back(0, y, right, height);
            const QRect elements(left, y, right - left, height);
            const QRect expand =
                painter != nullptr ? painter->DrawNode(*child, back, elements) : QRect();
            m_visible.push_back(child);
            m_rowRects.push_back(back);
            m_expandRects.push_back(expand);
        }
        y += height;
        if (child->m_expanded && !child->m_children.empty()) {
            y = WalkChildren(child, left + kIndent, right, y, limit, painter);
        }
    }
    return y;
}

CSkinTreeNode* CTreeRows::NodeAt(QPoint point) const
{
    for (std::size_t i = 0; i < m_rowRects.size(); ++i) {
        if (m_rowRects[i].contains(point)) {
            return m_visible[i];
        }
    }
    return nullptr;
}

void CTreeRows::Unselect(CSkinTreeNode* node)
{
    if (node != nullptr) {
        node->m_selected = false;
        node->m_state = CSkinTreeNode::kNormal;
    }
}

void CTreeRows::SetSelection(CSkinTreeNode* node)
{
    if (m_selection != node) {
        Unselect(m_selection);
    }
    m_selection = node;
    if (node != nullptr) {
        node->m_selected = true;
        node->m_state = CSkinTreeNode::kFocus;
    }
}

bool CTreeRows::SetDropHighlight(std::optional<QPoint> point)
{
    CSkinTreeNode* node = point ? NodeAt(*point) : nullptr;
    if (node != nullptr && !node->IsPlaylist()) {
        node = nullptr;
    }
    if (node == m_dropHighlight) {
        return false;
    }
    if (m_dropHighlight != m_selection) {
        Unselect(m_dropHighlight);
    }
    m_dropHighlight = node;
    if (node != nullptr) {
        node->m_selected = true;
        node->m_state = CSkinTreeNode::kFocus;
    }
    return true;
}
