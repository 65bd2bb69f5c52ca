// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CViewScroll.h"

#include <Qt>

#include <algorithm>

void CViewScroll::SetContentHeight(int height)
{
    m_content = std::max(0, height);
    ScrollTo(m_pos);
}

void CViewScroll::SetClientHeight(int height)
{
    m_page = std::max(0, height);
    ScrollTo(m_pos);
}

int CViewScroll::Max() const
{
    return Shown() ? m_content - m_page : 0;
}

bool CViewScroll::ScrollTo(int pos)
{
    const int clamped = std::clamp(pos, 0, Max());
    if (clamped == m_pos) {
        return false;
    }
    m_pos = clamped;
    return true;
}

bool CViewScroll::Wheel(int delta, int wheelLines, int lineHeight)
{
    if (wheelLines == 0) {
        return false;
    }
    const int step = wheelLines < 0 ? m_page : wheelLines * lineHeight;
    return ScrollBy(delta > 0 ? -step : step);
}

bool CViewScroll::Reveal(int top, int bottom, bool upFirst)
{
    const bool above = top < m_pos;
    const bool below = bottom > m_pos + m_page;
    if (upFirst ? above : !below && above) {
        return ScrollTo(top);
    }
    if (below) {
        return ScrollTo(bottom - m_page);
    }
    return false;
}

std::optional<ViewKey> ViewKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Up:
        return ViewKey::Up;
    case Qt::Key_Down:
        return ViewKey::Down;
    case Qt::Key_PageUp:
        return ViewKey::PageUp;
    case Qt::Key_PageDown:
        return ViewKey::PageDown;
    case Qt::Key_Home:
        return ViewKey::Home;
    case Qt::Key_End:
        return ViewKey::End;
    default:
        return std::nullopt;
    }
}
