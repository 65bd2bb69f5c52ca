// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CListRows.h"
#include "CSkinTreeNode.h"
#include "CViewScroll.h"
#include "library/ITreeSink.h"

#include <QPoint>
#include <QRect>

#include <optional>
#include <vector>

// Draws one tree node during the paint walk.
class ITreeNodePainter {
public:
    virtual ~ITreeNodePainter() = default;
    // back: the full-width row; elements: the same row, indented. Returns the expand button's
    // rectangle, empty when none was drawn.
    virtual QRect DrawNode(CSkinTreeNode& node, const QRect& back, const QRect& elements) = 0;
};

// The tree view without its window: nodes, layout, the single selection, the drop highlight,
// playlist reordering, scrolling, hit-testing on the rectangles of the last paint walk and the
// mouse and key rules. Its input handlers answer with a ViewReply instead of sending.
//
// As the library's tree sink it appends each node to the fill target: the node whose
// expansion is being answered, else the playlists category. UI thread only.
class CTreeRows : public ITreeSink {
public:
    static constexpr int kIndent = 12;

    CTreeRows();
    ~CTreeRows() override;
    CTreeRows(const CTreeRows&) = delete;
    CTreeRows& operator=(const CTreeRows&) = delete;

    void SetHeights(int nodeHeight, int headHeight);
    int NodeHeight() const { return m_nodeHeight; }
    int HeadHeight() const { return m_headHeight; }

    CSkinTreeNode* AddCategory(NodeType type, const QString& label);
    CSkinTreeNode* AddValueNode(CSkinTreeNode* parent, const QString& label, const QString& key);
    CSkinTreeNode* AddAlbumNode(CSkinTreeNode* parent, const QString& label,
                                const QString& artist, const QString& album);
    CSkinTreeNode* AddRadioNode(CSkinTreeNode* parent, const QString& label, const QString& key);
    CSkinTreeNode* AddPlaylistNode(CSkinTreeNode* parent, const QString& label,
                                   const QString& file);
    // Removes and deletes the node; clears the selection and the drop highlight.
    void DeleteNode(CSkinTreeNode* node);
    void DeleteAll();
    void RecalcLayout();
    bool AutoLayout() const { return m_autoLayout; }
    void SetAutoLayout(bool on) { m_autoLayout = on; }

    // ITreeSink: appends to FillTarget().
    void AddValueNode(const QString& label, const QString& key) override;
    void AddAlbumNode(const QString& label, const QString& artist, const QString& album) override;
    void AddPlaylistNode(const QString& label, const QString& file) override;
    void SetFillTarget(CSkinTreeNode* node) { m_fillTarget = node; }
    CSkinTreeNode* FillTarget() const;

    CSkinTreeNode* Root() const { return m_root; }
    CSkinTreeNode* Selection() const { return m_selection; }
    CSkinTreeNode* DropHighlight() const { return m_dropHighlight; }
    CSkinTreeNode* PlaylistsCategory() const { return m_playlists; }
    int NodeCount() const { return m_nodeCount; }
    // Makes node the selection (state Focus) without telling anyone; null clears it.
    void SetSelection(CSkinTreeNode* node);
    // Lights the playlist under point as the drop target; none (or another point) puts it out.
    // True when something changed.
    bool SetDropHighlight(std::optional<QPoint> point);

    // Nodes shown (in expanded parents), in display order.
    const std::vector<CSkinTreeNode*>& Shown() const;

    CViewScroll& Scroll() { return m_scroll; }
    const CViewScroll& Scroll() const { return m_scroll; }

    void Walk(int left, int right, int clientHeight, ITreeNodePainter* painter);
    const std::vector<CSkinTreeNode*>& VisibleNodes() const { return m_visible; }
    const std::vector<QRect>& RowRects() const { return m_rowRects; }
    const std::vector<QRect>& ExpandRects() const { return m_expandRects; }
    CSkinTreeNode* NodeAt(QPoint point) const;

    // Input, in client coordinates. A reply carrying UWM_TREEEXPAND asks the window to send it,
    // lay out and repaint, then switch autoLayout on.
    ViewReply LButtonDown(QPoint point);
    ViewReply LButtonUp();
    ViewReply RButtonDown(QPoint point);
    ViewReply MouseMove(QPoint point);
    // Auto-repeated presses are ignored.
    ViewReply KeyDown(ViewKey key, bool autoRepeat);
    ViewReply Wheel(int delta, int wheelLines);

private:
    CSkinTreeNode* Append(CSkinTreeNode* parent, int kind, NodeType type, const QString& label);
    int LayoutChildren(CSkinTreeNode* node, int y, int& counter);
    int WalkChildren(CSkinTreeNode* node, int left, int right, int y, int limit,
                     ITreeNodePainter* painter);
    void Unselect(CSkinTreeNode* node);
    void Changed() { m_shownValid = false; }
    CSkinTreeNode* KeyTarget(ViewKey key) const;

    CSkinTreeNode* m_root;
    CSkinTreeNode* m_selection = nullptr;
    CSkinTreeNode* m_dropHighlight = nullptr;
    CSkinTreeNode* m_playlists = nullptr;
    CSkinTreeNode* m_fillTarget = nullptr;
    int m_nodeHeight = 0;
    int m_headHeight = 0;
    bool m_autoLayout = true;
    bool m_reorderActive = false;
    bool m_reorderMoved = false;
    int m_nodeCount = 0;
    CViewScroll m_scroll;
    std::vector<CSkinTreeNode*> m_visible;
    std::vector<QRect> m_rowRects;
    std::vector<QRect> m_expandRects;
    mutable std::vector<CSkinTreeNode*> m_shown;
    mutable bool m_shownValid = false;
};
