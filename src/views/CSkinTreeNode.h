// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <vector>

// Icon and query type of a tree node.
enum class NodeType : int { None = 0, Playlist = 1, Artist = 2, Album = 3, Genre = 4, Year = 5,
                            Radio = 100 };

// One node of the library tree: a category head (kind 2) or an ordinary node (kind 1): a value
// node, an album leaf, a radio genre or a playlist. The tree owns every node; deleting a node
// deletes its children. UI thread only.
class CSkinTreeNode {
public:
    CSkinTreeNode() = default;
    virtual ~CSkinTreeNode();
    CSkinTreeNode(const CSkinTreeNode&) = delete;
    CSkinTreeNode& operator=(const CSkinTreeNode&) = delete;

    static constexpr int kNode = 1;
    static constexpr int kHead = 2;
    static constexpr int kNormal = 1;
    static constexpr int kFocus = 4;

    bool IsPlaylist() const { return m_kind == kNode && m_type == NodeType::Playlist; }
    int Height() const { return m_bottom - m_top; }
    const QString& Label() const { return m_text; }

    CSkinTreeNode* m_parent = nullptr;
    std::vector<CSkinTreeNode*> m_children; // owned
    int m_top = 0; // content coordinates, pixels
    int m_bottom = 0;
    QString m_text; // the label drawn by "Text" elements
    bool m_valueNode = false;
    QString m_key; // value, radio key or playlist file name; album leaves copy their parent's
    bool m_albumLeaf = false;
    QString m_artist;
    QString m_album;
    bool m_categoryHead = false;
    bool m_expanded = false;
    bool m_selected = false;
    bool m_expandable = true;
    int m_state = kNormal; // 1 Normal, 4 Focus (selected or drop target)
    int m_line = 0;        // 1 Line1, 2 Line2, from the last layout
    int m_kind = 0;
    NodeType m_type = NodeType::None;
};
