// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <algorithm>
#include <limits>
#include <optional>

// Layout positions stop growing here: far beyond any list a screen can scroll through, and
// low enough that adding a page or a row height to a position never overflows an int.
inline constexpr int kMaxLayoutPos = std::numeric_limits<int>::max() / 2;
// pos + height, stopping at kMaxLayoutPos (height is never negative).
inline int LayoutAdd(int pos, int height)
{
    const long long sum = static_cast<long long>(pos) + height;
    return static_cast<int>(std::min<long long>(sum, kMaxLayoutPos));
}

// The keys both views move their selection with.
enum class ViewKey { Up, Down, PageUp, PageDown, Home, End };
// The view key of a Qt key code; none for any other key.
std::optional<ViewKey> ViewKeyOf(int qtKey);

// The vertical scroll state shared by the list and the tree: content height, client height
// and position, all in pixels. The bar is shown only while the content is taller than the
// client area; the position always stays within 0..Max(). UI thread only.
class CViewScroll {
public:
    void SetContentHeight(int height);
    void SetClientHeight(int height);
    int ContentHeight() const { return m_content; }
    int Page() const { return m_page; }
    int Pos() const { return m_pos; }
    // Largest position: the last pixel row of the content at the bottom of the client area.
    int Max() const;
    bool Shown() const { return m_content > m_page; }

    // Clamps to 0..Max(); true when the position changed.
    bool ScrollTo(int pos);
    bool ScrollBy(int delta) { return ScrollTo(m_pos + delta); }

    // One wheel message: positive delta scrolls up, zero or negative down, one step per
    // message whatever its size. wheelLines is the system setting: 0 does nothing, a negative
    // value means whole pages, otherwise lines of lineHeight pixels.
    bool Wheel(int delta, int wheelLines, int lineHeight);

    // Brings [top, bottom) into view: above the view scrolls to its top, below to
    // bottom - page. upFirst chooses which test is made first (they differ for rows taller
    // than the page).
    bool Reveal(int top, int bottom, bool upFirst);

private:
    int m_content = 0;
    int m_page = 0;
    int m_pos = 0;
};
