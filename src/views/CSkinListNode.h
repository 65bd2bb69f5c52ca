// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "library/IListSink.h"

#include <QString>

#include <atomic>
#include <vector>

class CExImage;

enum class NodeKind : int { Root = 0, Song = 1, Head = 2, Left = 3, Right = 4 };
enum class RowState : int { Normal = 1, Select = 2, Focus = 4 };
enum class PlayState : int { Stop = 1, Play = 2, Pause = 4 };

// One node of the list's row tree: the root, a song row, a group head or one of a head's
// Left and Right blocks. The list owns every node; deleting a node deletes its blocks, its
// cover and its children.
//
// Threads: UI thread only. The cover worker gets copies of m_file and the cover size; the
// picture it loads is stored in m_cover on the UI thread, once, from null to a complete image.
class CSkinListNode {
public:
    CSkinListNode() = default;
    virtual ~CSkinListNode();
    CSkinListNode(const CSkinListNode&) = delete;
    CSkinListNode& operator=(const CSkinListNode&) = delete;

    bool IsSong() const { return m_kind == NodeKind::Song; }
    bool IsHead() const { return m_kind == NodeKind::Head; }
    int Height() const { return m_bottom - m_top; }
    // Takes ownership of image and publishes it; false (image deleted) when a cover was set.
    bool SetCover(CExImage* image);
    const CExImage* Cover() const { return m_cover.load(std::memory_order_acquire); }

    CSkinListNode* m_parent = nullptr;
    CSkinListNode* m_left = nullptr;  // Left block of a head; owned
    CSkinListNode* m_right = nullptr; // Right block of a head; owned
    std::vector<CSkinListNode*> m_children; // owned
    QString m_file;
    bool m_coverQueued = false;
    int m_coverWidth = 0;
    int m_coverHeight = 0;
    int m_top = 0; // content coordinates, pixels
    int m_bottom = 0;
    NodeKind m_kind = NodeKind::Root;
    bool m_expanded = true;
    bool m_selected = false;
    ListTexts m_texts;
    RowState m_state = RowState::Normal;
    PlayState m_playState = PlayState::Stop;
    int m_line = 0;   // 1 Line1, 2 Line2; 0 for heads and blocks
    int m_source = 0; // 1 Library, 2 Playlist
    int m_rating = 0; // stars 0..5
    int m_libraryId = 0;
    int m_playlistId = 0;

private:
    std::atomic<CExImage*> m_cover{nullptr};
};
