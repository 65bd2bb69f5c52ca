// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinList.h"

#include "CListBuilder.h"
#include "platform/CMsgTarget.h"
#include "ScrollBarLook.h"

#include <QApplication>
#include <QDrag>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QUrl>

#include <cstdlib>

namespace {

constexpr QSize kInitialSize(350, 300);
// From this many songs on, freeing the rows costs more than handing them to another thread.
constexpr int kDetachRows = 5000;

} // namespace

// Draws each row the walk reaches and queues the covers its Cover elements show.
class CSkinList::RowPainter : public IListRowPainter {
public:
    RowPainter(CSkinList& list, QPainter& painter) : m_list(list), m_painter(painter) {}
    QRect DrawRow(CSkinListNode& node, const QRect& rect) override
    {
        QSize coverSize;
        const QRect rating = m_list.m_skin.DrawRow(m_painter, node, rect, &coverSize);
        if (!coverSize.isEmpty() && !node.m_coverQueued && !node.IsSong()) {
            node.m_coverWidth = coverSize.width();
            node.m_coverHeight = coverSize.height();
            node.m_coverQueued = true;
            m_list.m_worker.Queue(&node);
        }
        return rating;
    }

private:
    CSkinList& m_list;
    QPainter& m_painter;
};

CSkinList::CSkinList(QWidget* parent)
    : QWidget(parent), m_scrollBar(new QScrollBar(Qt::Vertical, this)), m_worker(this)
{
    setObjectName(QStringLiteral("SkinList"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setAcceptDrops(true);
    m_scrollBar->setObjectName(QString::number(kScrollBarId));
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &CSkinList::OnScrollBar);
}

CSkinList::~CSkinList()
{
    m_worker.Stop();
}

void CSkinList::Create(QWidget* parent, CMsgTarget* owner, bool popup)
{
    m_owner = owner;
    if (popup) {
        setParent(parent, Qt::Tool | Qt::FramelessWindowHint);
        resize(0, 0);
        hide();
        return;
    }
    setParent(parent);
    resize(kInitialSize);
    show();
}

bool CSkinList::LoadSkin(const QString& path, qreal dpr)
{
    m_worker.SetDpr(dpr);
    const bool ok = m_skin.Load(path, dpr);
    MatchScrollBar(*m_scrollBar, m_skin.Background());
    m_rows.SetGeometry(m_skin.Geometry());
    RecalcLayout();
    return ok;
}

void CSkinList::FreeSkin()
{
    hide();
    DeleteAll();
    m_skin.Free();
    m_rows.SetGeometry({});
    m_rows.SetAutoLayout(false);
    m_rows.RecalcLayout();
    UpdateScrollBar();
}

CSkinListNode* CSkinList::AddHead(const QString& file)
{
    CSkinListNode* head = m_rows.AddHead(file);
    m_lastHead = head;
    if (m_rows.AutoLayout()) {
        RecalcLayout();
    }
    return head;
}

CSkinListNode* CSkinList::AddSong(int playlistId, CSkinListNode* parent, const QString& file,
                                  int libraryId, int rating)
{
    CSkinListNode* song = m_rows.AddSong(playlistId, parent, file, libraryId, rating);
    if (m_rows.AutoLayout()) {
        RecalcLayout();
    }
    return song;
}

void CSkinList::DeleteAll()
{
    // Covers still on their way are for rows about to go: they are dropped, never waited for.
    m_worker.Stop();
    m_rows.DeleteAll();
    m_lastHead = nullptr;
    if (m_rows.AutoLayout()) {
        RecalcLayout();
    }
}

std::shared_ptr<void> CSkinList::Detach()
{
    // The count of the last layout: counting the rows anew would cost as much as freeing them.
    const bool longList = m_rows.SongCount() >= kDetachRows;
    // Nothing else points into the old tree: the cover worker has copies of files only.
    m_worker.Stop();
    std::shared_ptr<CSkinListNode> old = m_rows.TakeAll();
    m_lastHead = nullptr;
    if (m_rows.AutoLayout()) {
        RecalcLayout();
    }
    if (!longList) {
        return nullptr;
    }
    return old;
}

void CSkinList::AddTree(ListTree tree)
{
    m_lastHead = m_rows.Adopt(std::move(tree), m_lastHead);
    if (m_rows.AutoLayout()) {
        RecalcLayout();
    }
}

std::shared_ptr<const IListBuilder> CSkinList::Builder()
{
    return std::make_shared<CListBuilder>(*this, m_rows.Geometry());
}

void CSkinList::RecalcLayout()
{
    m_rows.RecalcLayout();
    UpdateScrollBar();
    update();
}

void CSkinList::SetPlayNode(CSkinListNode* row)
{
    m_rows.SetPlayNode(row);
    update();
}

void CSkinList::SelectAllSongs()
{
    m_rows.SelectAllSongs();
    update();
}

void CSkinList::ScrollToEnd()
{
    m_rows.ScrollToEnd();
    UpdateScrollBar();
    update();
}

void CSkinList::EndUpdate()
{
    m_rows.SetAutoLayout(true);
    RecalcLayout();
}

void CSkinList::AddHead(const QString& file, const ListTexts& texts)
{
    m_lastHead = m_rows.AddHead(file);
    m_lastHead->m_texts = texts;
    if (m_rows.AutoLayout()) {
        RecalcLayout();
    }
}

void CSkinList::AddSong(int playlistId, bool underHead, const QString& file, int libraryId,
                        int rating, const ListTexts& texts)
{
    CSkinListNode* song = m_rows.AddSong(playlistId, underHead ? m_lastHead : nullptr, file,
                                         libraryId, rating);
    song->m_texts = texts;
    if (m_rows.AutoLayout()) {
        RecalcLayout();
    }
}

void CSkinList::AddRows(std::vector<ListRow>& rows)
{
    // The files and texts move into the rows: a 50,000-row fill then copies no string, and
    // what is left of the rows holds none to release.
    for (ListRow& row : rows) {
        if (row.head) {
            m_lastHead = m_rows.AddHead(row.file);
            m_lastHead->m_texts = std::move(row.texts);
        } else {
            CSkinListNode* song
                = m_rows.AddSong(0, m_lastHead, QString(), row.libraryId, row.rating);
            song->m_file = std::move(row.file);
            song->m_texts = std::move(row.texts);
        }
    }
    if (m_rows.AutoLayout()) {
        RecalcLayout();
    }
}

void CSkinList::SetPositionText(int row, const QString& text)
{
    if (CSkinListNode* song = m_rows.FindSongByIndex(row)) {
        song->m_texts[static_cast<std::size_t>(ListSlot::Index)] = text;
    }
}

int CSkinList::ScrollBarWidth() const
{
    return m_rows.Scroll().Shown() ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
}

void CSkinList::UpdateScrollBar()
{
    CViewScroll& scroll = m_rows.Scroll();
    scroll.SetClientHeight(height());
    m_syncingBar = true;
    if (scroll.Shown()) {
        const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        m_scrollBar->setGeometry(width() - w, 0, w, height());
        m_scrollBar->setRange(0, scroll.Max());
        m_scrollBar->setPageStep(scroll.Page());
        m_scrollBar->setSingleStep(std::max(1, m_rows.Geometry().songHeight));
        m_scrollBar->setValue(scroll.Pos());
        m_scrollBar->show();
    } else {
        m_scrollBar->setRange(0, 0);
        m_scrollBar->hide();
    }
    m_syncingBar = false;
}

void CSkinList::OnScrollBar(int value)
{
    if (!m_syncingBar && m_rows.Scroll().ScrollTo(value)) {
        update();
    }
}

void CSkinList::Render(QPainter& painter)
{
    painter.fillRect(rect(), QColor::fromRgba(m_skin.Background()));
    m_skin.BackImage().DrawClipped(painter, 0, 0, width(), height());
    RowPainter rows(*this, painter);
    m_rows.Walk(0, width() - ScrollBarWidth(), height(), &rows);
    m_worker.Signal();
}

void CSkinList::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Render(painter);
}

void CSkinList::resizeEvent(QResizeEvent*)
{
    UpdateScrollBar();
}

void CSkinList::Handle(const ViewReply& reply)
{
    if (reply.release && mouseGrabber() == this) {
        releaseMouse();
    }
    if (reply.repaint || reply.message != 0) {
        UpdateScrollBar();
        update();
    }
    if (reply.message != 0 && reply.message != UWM_LISTMENU) {
        SendMsg(m_owner, reply.message, reinterpret_cast<WParam>(reply.node), 0);
    }
}

void CSkinList::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint point = event->position().toPoint();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if (event->button() == Qt::LeftButton) {
        Handle(m_rows.LButtonDown(point, event->modifiers().testFlag(Qt::ShiftModifier), ctrl));
    } else if (event->button() == Qt::RightButton) {
        const ViewReply reply = m_rows.RButtonDown(point, ctrl);
        Handle(reply);
        if (reply.message == UWM_LISTMENU) {
            const QPoint screen = mapToGlobal(point);
            SendMsg(m_owner, UWM_LISTMENU, static_cast<WParam>(screen.x()), screen.y());
        }
    }
}

void CSkinList::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        Handle(m_rows.LButtonUp());
    }
}

void CSkinList::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        Handle(m_rows.LButtonDblClk());
    }
}

void CSkinList::mouseMoveEvent(QMouseEvent* event)
{
    Handle(m_rows.MouseMove(event->position().toPoint()));
}

void CSkinList::wheelEvent(QWheelEvent* event)
{
    // One scroll step per notch, however finely the device reports the turn.
    const int steps = m_wheel.Add(event->angleDelta().y());
    for (int i = 0; i < std::abs(steps); ++i) {
        Handle(m_rows.Wheel(steps, QApplication::wheelScrollLines()));
    }
    event->accept();
}

void CSkinList::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
}

void CSkinList::keyPressEvent(QKeyEvent* event)
{
    const std::optional<ViewKey> key = ViewKeyOf(event->key());
    if (!key) {
        QWidget::keyPressEvent(event);
        return;
    }
    Handle(m_rows.KeyDown(*key));
}

QMimeData* CSkinList::SelectionMimeData() const
{
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const CSkinListNode* row : m_rows.Selection()) {
        if (!row->m_file.contains(QLatin1String("://"))) {
            urls << QUrl::fromLocalFile(row->m_file);
        }
    }
    mime->setUrls(urls);
    mime->setData(QString::fromLatin1(kRowsMime), QByteArray::number(m_rows.Selection().size()));
    return mime;
}

void CSkinList::DragSelection()
{
    if (m_rows.Selection().empty()) {
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(SelectionMimeData());
    drag->exec(Qt::CopyAction);
}

bool CSkinList::AcceptsDrop(const QMimeData* mime) const
{
    // Rows of this list dropped back onto it add nothing.
    return mime != nullptr && mime->hasUrls() && !mime->hasFormat(QString::fromLatin1(kRowsMime));
}

void CSkinList::dragEnterEvent(QDragEnterEvent* event)
{
    if (AcceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void CSkinList::dragMoveEvent(QDragMoveEvent* event)
{
    if (AcceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void CSkinList::dropEvent(QDropEvent* event)
{
    if (!AcceptsDrop(event->mimeData())) {
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!paths.isEmpty()) {
        Q_EMIT FilesDropped(paths);
    }
}
