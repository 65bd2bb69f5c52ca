// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CTreeRows.h"
#include "CTreeSkin.h"
#include "CWheelSteps.h"
#include "library/ITreeSink.h"

#include <QStringList>
#include <QWidget>

class CMsgTarget;
class QScrollBar;

// The skinned library tree: a child window with its own vertical scroll bar that paints the
// nodes in view from the tree skin and reports clicks, expansions, key moves, menus and
// playlist reorders to its owner with private messages (UWM_TREEEXPAND, UWM_TREESELECT,
// UWM_TREEMENU, UWM_TREEREORDER, UWM_TREEKEYSELECT), sent synchronously with the node in
// wParam. While list rows or files are dragged over it, the playlist under the pointer is lit
// as the drop target. It never reads the library: the owner fills it, directly or through
// ITreeSink (children go to the node whose expansion is being answered, else the playlists
// category). UI thread only.
class CSkinTree : public QWidget, public ITreeSink {
    Q_OBJECT
public:
    static constexpr int kScrollBarId = 7002;

    explicit CSkinTree(QWidget* parent = nullptr);
    ~CSkinTree() override;

    void Create(QWidget* parent, CMsgTarget* owner, bool popup = false);
    // Reads the tree's skin file; false when it cannot be read or parsed.
    bool LoadSkin(const QString& path, qreal dpr = 1.0);
    // Before a skin change: hides the tree, deletes every node and empties the skin.
    void FreeSkin();

    CTreeRows& Rows() { return m_rows; }
    const CTreeRows& Rows() const { return m_rows; }

    CSkinTreeNode* AddCategory(NodeType type, const QString& label);
    CSkinTreeNode* AddValueNode(CSkinTreeNode* parent, const QString& label, const QString& key);
    CSkinTreeNode* AddAlbumNode(CSkinTreeNode* parent, const QString& label,
                                const QString& artist, const QString& album);
    CSkinTreeNode* AddRadioNode(CSkinTreeNode* parent, const QString& label, const QString& key);
    CSkinTreeNode* AddPlaylistNode(CSkinTreeNode* parent, const QString& label,
                                   const QString& file);
    void DeleteNode(CSkinTreeNode* node);
    void DeleteAll();
    // Lays out, updates the scroll bar and repaints.
    void RecalcLayout();
    void SetAutoLayout(bool on) { m_rows.SetAutoLayout(on); }

    // ITreeSink.
    void AddValueNode(const QString& label, const QString& key) override;
    void AddAlbumNode(const QString& label, const QString& artist, const QString& album) override;
    void AddPlaylistNode(const QString& label, const QString& file) override;

    void Render(QPainter& painter);

Q_SIGNALS:
    // Something was dropped on the lit playlist: rows of the list view (fromList) or files and
    // folders from outside (paths).
    void DroppedOnPlaylist(CSkinTreeNode* playlist, bool fromList, const QStringList& paths);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Taken here, whatever the node: the tree's right press shows the playlist menu or
    // nothing, never the main window's menu.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class NodePainter;

    void Handle(const ViewReply& reply);
    void Added();
    void UpdateScrollBar();
    int ScrollBarWidth() const;

    CTreeRows m_rows;
    CWheelSteps m_wheel;
    CTreeSkin m_skin;
    CMsgTarget* m_owner = nullptr;
    QScrollBar* m_scrollBar;
    bool m_syncingBar = false;
};
