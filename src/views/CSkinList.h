// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CListRows.h"
#include "CListSkin.h"
#include "CSkinListThread.h"
#include "CWheelSteps.h"
#include "library/IListSink.h"

#include <QStringList>
#include <QWidget>

#include <memory>

class CMsgTarget;
class QMimeData;
class QScrollBar;

// The skinned now-playing list: a child window with its own vertical scroll bar that paints
// the rows in view from the list skin, loads group covers in the background and reports what
// the user does to its owner with private messages (UWM_LISTPLAY, UWM_LISTRATING,
// UWM_LISTMENU, UWM_LISTREORDER, UWM_LISTDRAG), sent synchronously; node pointers travel in
// wParam. It holds no player logic and never reads the library: the browsing queries and the
// playlist store fill it through IListSink. UI thread only.
class CSkinList : public QWidget, public IListSink {
    Q_OBJECT
public:
    static constexpr int kScrollBarId = 7001;
    // Format of the rows dragged out of the list (besides their files as text/uri-list).
    static constexpr const char* kRowsMime = "application/x-plumo-list-rows";

    explicit CSkinList(QWidget* parent = nullptr);
    ~CSkinList() override;

    // Places the list in parent (350 x 300, shown) or, with popup, as a hidden window of size
    // 0 x 0; owner receives the messages.
    void Create(QWidget* parent, CMsgTarget* owner, bool popup = false);
    // Reads the list's skin file; false when it cannot be read or parsed (rows are then 0
    // pixels high and nothing is drawn). dpr: pixel ratio pictures are loaded for.
    bool LoadSkin(const QString& path, qreal dpr = 1.0);
    // Before a skin change: hides the list, deletes every row and empties the skin.
    void FreeSkin();

    // The row tree and its rules.
    CListRows& Rows() { return m_rows; }
    const CListRows& Rows() const { return m_rows; }
    const CListSkin& Skin() const { return m_skin; }

    CSkinListNode* AddHead(const QString& file);
    CSkinListNode* AddSong(int playlistId, CSkinListNode* parent, const QString& file,
                           int libraryId, int rating);
    void DeleteAll();
    // Takes in a tree made by this list's builder, as AddRows would add its rows.
    void AddTree(ListTree tree);
    // Removes the selected rows; the caller renumbers, lays out and repaints.
    void DeleteSelected() { m_rows.DeleteSelected(); }
    // Lays out the rows, updates the scroll bar and repaints.
    void RecalcLayout();
    void SetPlayNode(CSkinListNode* row);
    void SelectAllSongs();
    void ScrollToEnd();
    void SetRadioMode(bool on) { m_rows.SetRadioMode(on); }

    // IListSink.
    std::vector<int> HeadKinds() const override { return m_skin.HeadKinds(); }
    std::vector<int> SongKinds() const override { return m_skin.SongKinds(); }
    void Clear() override { DeleteAll(); }
    std::shared_ptr<void> Detach() override;
    void BeginUpdate() override { m_rows.SetAutoLayout(false); }
    void EndUpdate() override;
    void AddHead(const QString& file, const ListTexts& texts) override;
    void AddSong(int playlistId, bool underHead, const QString& file, int libraryId, int rating,
                 const ListTexts& texts) override;
    void AddRows(std::vector<ListRow>& rows) override;
    std::shared_ptr<const IListBuilder> Builder() override;
    int SongCount() const override { return static_cast<int>(m_rows.Songs().size()); }
    void SetPositionText(int row, const QString& text) override;

    // Paints the list as the window shows it (tests and benchmarks paint into an image).
    void Render(QPainter& painter);
    // The selected rows' files (text/uri-list) marked as rows of this list.
    QMimeData* SelectionMimeData() const;
    // Drags the selected rows out (the owner calls it on UWM_LISTDRAG); returns when dropped.
    void DragSelection();
    CSkinListThread& Worker() { return m_worker; }

Q_SIGNALS:
    // Local files and folders dropped onto the list from outside it.
    void FilesDropped(const QStringList& paths);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Taken here: the right press already asked the owner for the list's menu, and the event
    // must not reach the main window, which would open its own menu as well.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class RowPainter;

    void Handle(const ViewReply& reply);
    void UpdateScrollBar();
    void OnScrollBar(int value);
    int ScrollBarWidth() const;
    bool AcceptsDrop(const QMimeData* mime) const;

    CListRows m_rows;
    CWheelSteps m_wheel;
    CListSkin m_skin;
    CMsgTarget* m_owner = nullptr;
    QScrollBar* m_scrollBar;
    CSkinListNode* m_lastHead = nullptr;
    bool m_syncingBar = false;
    CSkinListThread m_worker; // last: stopped first, before the rows go
};
