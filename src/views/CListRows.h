// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinListNode.h"
#include "CViewScroll.h"

#include <QPoint>
#include <QRect>

#include <memory>
#include <vector>

// Row heights and the Left and Right block geometry of the loaded list skin, in pixels.
struct ListGeometry {
    int songHeight = 0;
    int headHeight = 0;
    bool hasLeft = false;
    bool hasRight = false;
    int leftWidth = 0;
    int leftHeight = 0;
    int rightWidth = 0;
    int rightHeight = 0;
    bool leftOver = false; // the block is drawn over the song rows, which keep the full width
    bool rightOver = false;

    bool operator==(const ListGeometry&) const = default;
};

// Rows made away from the list (see CListRows::Adopt) under a root of their own, laid out for
// geometry: height is the content height, songs the count of song rows.
struct ListTree {
    std::unique_ptr<CSkinListNode> root;
    ListGeometry geometry;
    int height = 0;
    int songs = 0;
};

// What the window does after an input event: repaint, grab or release the mouse, and send
// one private message (0 for none) about a row.
struct ViewReply {
    bool repaint = false;
    bool capture = false;
    bool release = false;
    unsigned message = 0;
    void* node = nullptr;
};

// Draws one song row, head or block of the list during the paint walk.
class IListRowPainter {
public:
    virtual ~IListRowPainter() = default;
    // rect is in client pixels. For a block, node is the block and its head is node.m_parent.
    // Returns the rectangle of the row's rating stars, empty when none were drawn.
    virtual QRect DrawRow(CSkinListNode& node, const QRect& rect) = 0;
};

// The list view without its window: the row tree, layout, selection and focus, the playing
// row, scrolling, hit-testing on the rectangles of the last paint walk, and the mouse and key
// rules. It paints nothing and sends nothing: its input handlers answer with a ViewReply.
// UI thread only.
class CListRows {
public:
    CListRows();
    ~CListRows();
    CListRows(const CListRows&) = delete;
    CListRows& operator=(const CListRows&) = delete;

    void SetGeometry(const ListGeometry& geometry)
    {
        m_geo = geometry;
        m_layoutKept = false;
    }
    const ListGeometry& Geometry() const { return m_geo; }

    // Filling. Without autoLayout nothing is laid out until RecalcLayout.
    CSkinListNode* AddHead(const QString& file);
    // parent: a head, or null for the root (a flat list).
    CSkinListNode* AddSong(int playlistId, CSkinListNode* parent, const QString& file,
                           int libraryId, int rating);
    // Deletes every node, the selection, focus and playing row; scrolls to the top.
    void DeleteAll();
    // As DeleteAll, but the old tree goes to the caller, who may free it on any thread.
    std::unique_ptr<CSkinListNode> TakeAll();

    // Rows made away from the list, on any thread: a head with its blocks, a song with no
    // parent yet. Append links one in under parent as the last child.
    static CSkinListNode* NewHead(const QString& file, bool left, bool right);
    static CSkinListNode* NewSong(int playlistId, const QString& file, int libraryId, int rating);
    static void Append(CSkinListNode* node, CSkinListNode* parent);
    // Lays out tree's rows for geometry as RecalcLayout does (any thread).
    static void Layout(ListTree& tree);
    // Takes in the children of tree's root in order, as AddHead and AddSong would add them:
    // a song under lastHead (null: the root), a head with blocks that match the loaded skin,
    // and the head's songs with it. Returns the last head of the list afterwards. An empty list
    // takes a tree laid out for its geometry with that layout: the next RecalcLayout keeps it.
    CSkinListNode* Adopt(ListTree tree, CSkinListNode* lastHead);
    // Deletes the selected rows; focus is cleared and a deleted playing row forgotten. Does
    // not lay out. Heads left without songs stay.
    void DeleteSelected();
    void RecalcLayout();
    bool AutoLayout() const { return m_autoLayout; }
    void SetAutoLayout(bool on) { m_autoLayout = on; }

    CSkinListNode* Root() const { return m_root; }
    const std::vector<CSkinListNode*>& Selection() const { return m_selection; }
    CSkinListNode* Focus() const { return m_focus; }
    CSkinListNode* Playing() const { return m_playing; }
    int SongCount() const { return m_songCount; }
    bool RadioMode() const { return m_radioMode; }
    void SetRadioMode(bool on) { m_radioMode = on; }

    // Song rows in display order (kept until the tree changes).
    const std::vector<CSkinListNode*>& Songs() const;

    void SetPlayNode(CSkinListNode* row);
    // Selects every song row that is not selected already; the focus keeps its mark.
    void SelectAllSongs();
    void ClearSelection();
    // Without a from row: the last (next) or first (previous) song. Without the page flag the
    // neighbour in display order, none at the ends. With it, the first song a page further,
    // else the last (or first) song.
    CSkinListNode* FindNextSong(const CSkinListNode* from, bool page) const;
    CSkinListNode* FindPrevSong(const CSkinListNode* from, bool page) const;
    CSkinListNode* FindSongByIndex(int n) const;

    CViewScroll& Scroll() { return m_scroll; }
    const CViewScroll& Scroll() const { return m_scroll; }
    void ScrollToEnd() { m_scroll.ScrollTo(m_scroll.Max()); }

    // The paint walk over the rows in view, from the client's top; records what hit-testing
    // uses. painter may be null (layout of the rectangles only).
    void Walk(int left, int right, int clientHeight, IListRowPainter* painter);
    const std::vector<CSkinListNode*>& VisibleRows() const { return m_visible; }
    const std::vector<QRect>& RowRects() const { return m_rowRects; }
    const std::vector<QRect>& RatingRects() const { return m_ratingRects; }
    CSkinListNode* RowAt(QPoint point) const;

    // Input, in client coordinates.
    ViewReply LButtonDown(QPoint point, bool shift, bool ctrl);
    ViewReply LButtonUp();
    ViewReply LButtonDblClk();
    // The reply carries UWM_LISTMENU when the menu is to be shown at the point.
    ViewReply RButtonDown(QPoint point, bool ctrl);
    ViewReply MouseMove(QPoint point);
    ViewReply KeyDown(ViewKey key);
    ViewReply Wheel(int delta, int wheelLines);

private:
    static CSkinListNode* NewBlock(CSkinListNode& head, NodeKind kind);
    static int LayoutChildren(CSkinListNode* node, int y, const ListGeometry& geo, int& songs);
    int WalkChildren(CSkinListNode* node, std::size_t first, int left, int right, int y,
                     int limit, IListRowPainter* painter);
    void Record(CSkinListNode* node, const QRect& rect, const QRect& rating);
    void Select(CSkinListNode* row, RowState state);
    void SelectAlone(CSkinListNode* row);
    void DemoteFocus();
    void SelectGroup(CSkinListNode* head, bool ctrl);
    void SelectRange(CSkinListNode* clicked);
    void ClickSong(CSkinListNode* row, bool ctrl);
    ViewReply RatingClick(QPoint point);
    void Reorder(CSkinListNode* target);
    int SongIndex(const CSkinListNode* row) const;
    void Changed()
    {
        m_songsValid = false;
        m_layoutFresh = false;
        m_layoutKept = false;
    }

    CSkinListNode* m_root;
    ListGeometry m_geo;
    std::vector<CSkinListNode*> m_selection;
    CSkinListNode* m_focus = nullptr;
    CSkinListNode* m_playing = nullptr;
    bool m_radioMode = false;
    bool m_autoLayout = true;
    bool m_pendingCollapse = false;
    bool m_reorderActive = false;
    bool m_reorderMoved = false;
    bool m_dragOutArmed = false;
    QPoint m_pressPoint;
    int m_songCount = 0;
    CViewScroll m_scroll;
    std::vector<CSkinListNode*> m_visible;
    std::vector<QRect> m_rowRects;
    std::vector<QRect> m_ratingRects;
    mutable std::vector<CSkinListNode*> m_songs;
    mutable bool m_songsValid = false;
    bool m_layoutFresh = false; // the tops of the last layout still hold
    bool m_layoutKept = false; // an adopted tree's layout stands in for the next RecalcLayout
};
