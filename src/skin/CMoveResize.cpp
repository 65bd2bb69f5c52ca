// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMoveResize.h"

namespace {

// Boxes include their left and top borders but not their right and bottom ones.
bool InBox(QPoint p, int left, int top, int right, int bottom)
{
    return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom;
}

// Brings the extent low..high within [min, max] (0 or less: no limit) by moving the low side
// when it is the one being dragged, else the high side. Without a minimum the window still
// keeps one pixel: an edge dragged across the opposite one must not turn the window inside out.
void Limit(int& low, int& high, int minSize, int maxSize, bool lowDragged)
{
    const int size = high - low;
    const int floor = minSize > 0 ? minSize : 1;
    int wanted = size;
    if (size < floor)
        wanted = floor;
    else if (maxSize > 0 && size > maxSize)
        wanted = maxSize;
    if (wanted == size)
        return;
    if (lowDragged)
        low = high - wanted;
    else
        high = low + wanted;
}

} // namespace

void CMoveResize::SetLimits(int minWidth, int minHeight, int maxWidth, int maxHeight)
{
    m_minWidth = minWidth;
    m_minHeight = minHeight;
    m_maxWidth = maxWidth;
    m_maxHeight = maxHeight;
}

bool CMoveResize::SizeWithinLimits(int width, int height) const
{
    if (m_minWidth > 0 && width < m_minWidth)
        return false;
    if (m_maxWidth > 0 && width > m_maxWidth)
        return false;
    if (m_minHeight > 0 && height < m_minHeight)
        return false;
    if (m_maxHeight > 0 && height > m_maxHeight)
        return false;
    return true;
}

void CMoveResize::SetClientSize(int width, int height)
{
    m_clientWidth = width;
    m_clientHeight = height;
}

int CMoveResize::HitTest(QPoint client, int w, int h)
{
    if (InBox(client, 0, 0, kBand, kTopBand))
        return kTopLeft;
    if (InBox(client, w - kBand, 0, w, kTopBand))
        return kTopRight;
    if (InBox(client, 0, h - kBand, kBand, h))
        return kBottomLeft;
    if (InBox(client, w - kBand, h - kBand, w, h))
        return kBottomRight;
    if (client.x() < kBand)
        return kLeft;
    if (client.y() < kTopBand)
        return kTop;
    if (client.x() > w - kBand)
        return kRight;
    if (client.y() > h - kBand)
        return kBottom;
    return kMove;
}

int CMoveResize::HitTest(QPoint client)
{
    m_mode = HitTest(client, m_clientWidth, m_clientHeight);
    return m_mode;
}

std::optional<Qt::CursorShape> CMoveResize::Cursor() const
{
    switch (m_mode) {
    case kLeft:
    case kRight:
        return Qt::SizeHorCursor;
    case kTop:
    case kBottom:
        return Qt::SizeVerCursor;
    case kTopLeft:
    case kBottomRight:
        return Qt::SizeFDiagCursor;
    case kTopRight:
    case kBottomLeft:
        return Qt::SizeBDiagCursor;
    default:
        return std::nullopt;
    }
}

void CMoveResize::BeginDrag(QPoint client, QPoint screen, const QRect& windowRect)
{
    m_pressRect = windowRect;
    m_pressPos = screen;
    m_current = windowRect;
    HitTest(client);
    m_dragging = true;
}

QRect CMoveResize::DragRect(const QRect& press, int mode, int dx, int dy) const
{
    // Work on exclusive edges, as the window system reports them.
    int left = press.x();
    int top = press.y();
    int right = press.x() + press.width();
    int bottom = press.y() + press.height();
    if (mode == kMove)
        return press.translated(dx, dy);
    if (mode & kLeft)
        left += dx;
    if (mode & kRight)
        right += dx;
    if (mode & kTop)
        top += dy;
    if (mode & kBottom)
        bottom += dy;
    Limit(left, right, m_minWidth, m_maxWidth, (mode & kLeft) != 0);
    Limit(top, bottom, m_minHeight, m_maxHeight, (mode & kTop) != 0);
    return QRect(left, top, right - left, bottom - top);
}

bool CMoveResize::DragStep(QPoint client, QPoint screen, std::optional<QRect>* moveTo)
{
    if (!m_dragging) {
        HitTest(client);
        return false;
    }
    const QPoint d = screen - m_pressPos;
    const QRect next = DragRect(m_pressRect, m_mode, d.x(), d.y());
    if (next != m_current) {
        m_current = next;
        if (moveTo)
            *moveTo = next;
    }
    return true;
}

void CMoveResize::EndDrag(QPoint client)
{
    m_pressRect = QRect();
    m_pressPos = QPoint();
    HitTest(client);
    m_dragging = false;
}
