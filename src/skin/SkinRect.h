// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QPoint>
#include <QRect>

#include <algorithm>
#include <climits>

// A rectangle of the skin in logical skin pixels, kept as its four edges: left and top are the
// first column and row inside, right and bottom the first ones outside, so the width is
// right - left. Skin files and layout rules compute edges, not sizes, and QRect's inclusive
// right() and bottom() would put an off-by-one into every one of them.
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // right - left and bottom - top, clamped to the int range (edges read from a skin file may
    // be anything).
    int Width() const { return Span(left, right); }
    int Height() const { return Span(top, bottom); }
    // left <= x < right and top <= y < bottom; an empty or inverted rectangle holds no point.
    bool Contains(QPoint point) const
    {
        return left <= point.x() && point.x() < right && top <= point.y() && point.y() < bottom;
    }
    // The same pixels as a QRect (a negative size becomes an empty QRect).
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
    static SkinRect FromQRect(const QRect& rect)
    {
        return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
    }

    // Whether every edge lies within kDrawingLimit of the origin: farther out nothing can be
    // on screen, and arithmetic on the edges could overflow.
    static constexpr int kDrawingLimit = 1 << 24;
    bool InDrawingRange() const
    {
        auto near = [](int v) { return v >= -kDrawingLimit && v <= kDrawingLimit; };
        return near(left) && near(top) && near(right) && near(bottom);
    }

    static int Span(int from, int to)
    {
        const long long span = static_cast<long long>(to) - from;
        return static_cast<int>(std::clamp<long long>(span, INT_MIN, INT_MAX));
    }

    friend bool operator==(const SkinRect&, const SkinRect&) = default;
};
