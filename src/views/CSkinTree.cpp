// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinTree.h"

#include "CSkinList.h"
#include "platform/CMsgTarget.h"
#include "ScrollBarLook.h"

#include <QApplication>
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

} // namespace

class CSkinTree::NodePainter : public ITreeNodePainter {
public:
    NodePainter(const CTreeSkin& skin, QPainter& painter) : m_skin(skin), m_painter(painter) {}
    QRect DrawNode(CSkinTreeNode& node, const QRect& back, const QRect& elements) override
    {
        return m_skin.DrawNode(m_painter, node, back, elements);
    }

private:
    const CTreeSkin& m_skin;
    QPainter& m_painter;
};

CSkinTree::CSkinTree(QWidget* parent)
    : QWidget(parent), m_scrollBar(new QScrollBar(Qt::Vertical, this))
{
    setObjectName(QStringLiteral("SkinTree"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    m_scrollBar->setObjectName(QString::number(kScrollBarId));
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_syncingBar && m_rows.Scroll().ScrollTo(value)) {
            update();
        }
    });
}

CSkinTree::~CSkinTree() = default;

void CSkinTree::Create(QWidget* parent, CMsgTarget* owner, bool popup)
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

bool CSkinTree::LoadSkin(const QString& path, qreal dpr)
{
    const bool ok = m_skin.Load(path, dpr);
    MatchScrollBar(*m_scrollBar, m_skin.Background());
    m_rows.SetHeights(m_skin.NodeHeight(), m_skin.HeadHeight());
    RecalcLayout();
    return ok;
}

void CSkinTree::FreeSkin()
{
    hide();
    DeleteAll();
    m_skin.Free();
    m_rows.SetHeights(0, 0);
    m_rows.SetAutoLayout(false);
    m_rows.RecalcLayout();
    UpdateScrollBar();
}

void CSkinTree::Added()
{
    if (m_rows.AutoLayout()) {
        RecalcLayout();
    }
}

CSkinTreeNode* CSkinTree::AddCategory(NodeType type, const QString& label)
{
    CSkinTreeNode* node = m_rows.AddCategory(type, label);
    Added();
    return node;
}

CSkinTreeNode* CSkinTree::AddValueNode(CSkinTreeNode* parent, const QString& label,
                                       const QString& key)
{
    CSkinTreeNode* node = m_rows.AddValueNode(parent, label, key);
    Added();
    return node;
}

CSkinTreeNode* CSkinTree::AddAlbumNode(CSkinTreeNode* parent, const QString& label,
                                       const QString& artist, const QString& album)
{
    CSkinTreeNode* node = m_rows.AddAlbumNode(parent, label, artist, album);
    Added();
    return node;
}

CSkinTreeNode* CSkinTree::AddRadioNode(CSkinTreeNode* parent, const QString& label,
                                       const QString& key)
{
    CSkinTreeNode* node = m_rows.AddRadioNode(parent, label, key);
    Added();
    return node;
}

CSkinTreeNode* CSkinTree::AddPlaylistNode(CSkinTreeNode* parent, const QString& label,
                                          const QString& file)
{
    CSkinTreeNode* node = m_rows.AddPlaylistNode(parent, label, file);
    Added();
    return node;
}

void CSkinTree::AddValueNode(const QString& label, const QString& key)
{
    m_rows.AddValueNode(label, key);
    Added();
}

void CSkinTree::AddAlbumNode(const QString& label, const QString& artist, const QString& album)
{
    m_rows.AddAlbumNode(label, artist, album);
    Added();
}

void CSkinTree::AddPlaylistNode(const QString& label, const QString& file)
{
    m_rows.AddPlaylistNode(label, file);
    Added();
}

void CSkinTree::DeleteNode(CSkinTreeNode* node)
{
    m_rows.DeleteNode(node);
    Added();
}

void CSkinTree::DeleteAll()
{
    m_rows.DeleteAll();
    Added();
}

void CSkinTree::RecalcLayout()
{
    m_rows.RecalcLayout();
    UpdateScrollBar();
    update();
}

int CSkinTree::ScrollBarWidth() const
{
    return m_rows.Scroll().Shown() ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
}

void CSkinTree::UpdateScrollBar()
{
    CViewScroll& scroll = m_rows.Scroll();
    scroll.SetClientHeight(height());
    m_syncingBar = true;
    if (scroll.Shown()) {
        const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        m_scrollBar->setGeometry(width() - w, 0, w, height());
        m_scrollBar->setRange(0, scroll.Max());
        m_scrollBar->setPageStep(scroll.Page());
        m_scrollBar->setSingleStep(std::max(1, m_rows.NodeHeight()));
        m_scrollBar->setValue(scroll.Pos());
        m_scrollBar->show();
    } else {
        m_scrollBar->setRange(0, 0);
        m_scrollBar->hide();
    }
    m_syncingBar = false;
}

void CSkinTree::Render(QPainter& painter)
{
    painter.fillRect(rect(), QColor::fromRgba(m_skin.Background()));
    m_skin.BackImage().DrawClipped(painter, 0, 0, width(), height());
    NodePainter nodes(m_skin, painter);
    m_rows.Walk(0, width() - ScrollBarWidth(), height(), &nodes);
}

void CSkinTree::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Render(painter);
}

void CSkinTree::resizeEvent(QResizeEvent*)
{
    UpdateScrollBar();
}

void CSkinTree::Handle(const ViewReply& reply)
{
    if (reply.message == UWM_TREEEXPAND) {
        // The owner answers by adding the children to this node, laid out once afterwards.
        auto* node = static_cast<CSkinTreeNode*>(reply.node);
        m_rows.SetFillTarget(node);
        m_rows.SetAutoLayout(false);
        SendMsg(m_owner, UWM_TREEEXPAND, reinterpret_cast<WParam>(node), 0);
        m_rows.SetFillTarget(nullptr);
        m_rows.SetAutoLayout(true);
        RecalcLayout();
        return;
    }
    if (reply.repaint) {
        RecalcLayout();
    }
    if (reply.message != 0 && reply.message != UWM_TREEMENU) {
        SendMsg(m_owner, reply.message, reinterpret_cast<WParam>(reply.node), 0);
    }
}

void CSkinTree::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        Handle(m_rows.LButtonDown(point));
    } else if (event->button() == Qt::RightButton) {
        const ViewReply reply = m_rows.RButtonDown(point);
        Handle(reply);
        if (reply.message == UWM_TREEMENU) {
            const QPoint screen = mapToGlobal(point);
            const LParam packed = static_cast<LParam>((screen.x() & 0xFFFF)
                                                      | ((screen.y() & 0xFFFF) << 16));
            SendMsg(m_owner, UWM_TREEMENU, reinterpret_cast<WParam>(reply.node), packed);
        }
    }
}

void CSkinTree::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        Handle(m_rows.LButtonUp());
    }
}

void CSkinTree::mouseMoveEvent(QMouseEvent* event)
{
    // Passing over the tree takes no focus: keys meant for the list must still reach it.
    Handle(m_rows.MouseMove(event->position().toPoint()));
}

void CSkinTree::wheelEvent(QWheelEvent* event)
{
    // One scroll step per notch, however finely the device reports the turn.
    const int steps = m_wheel.Add(event->angleDelta().y());
    for (int i = 0; i < std::abs(steps); ++i) {
        Handle(m_rows.Wheel(steps, QApplication::wheelScrollLines()));
    }
    event->accept();
}

void CSkinTree::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
}

void CSkinTree::keyPressEvent(QKeyEvent* event)
{
    const std::optional<ViewKey> key = ViewKeyOf(event->key());
    if (!key) {
        QWidget::keyPressEvent(event);
        return;
    }
    Handle(m_rows.KeyDown(*key, event->isAutoRepeat()));
}

void CSkinTree::dragEnterEvent(QDragEnterEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CSkinTree::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_rows.SetDropHighlight(event->position().toPoint())) {
        update();
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CSkinTree::dragLeaveEvent(QDragLeaveEvent*)
{
    if (m_rows.SetDropHighlight(std::nullopt)) {
        update();
    }
}

void CSkinTree::dropEvent(QDropEvent* event)
{
    CSkinTreeNode* target = m_rows.DropHighlight();
    const QMimeData* mime = event->mimeData();
    const bool fromList = mime->hasFormat(QString::fromLatin1(CSkinList::kRowsMime));
    QStringList paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (target != nullptr) {
        Q_EMIT DroppedOnPlaylist(target, fromList, paths);
    }
    if (m_rows.SetDropHighlight(std::nullopt)) {
        update();
    }
}
