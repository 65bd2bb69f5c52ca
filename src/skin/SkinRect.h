// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QPoint>
#include <QRect>

// A rectangle of the skin in logical skin pixels, kept as its four edges: left and top are the
// first column and row inside, right and bottom the first ones outside, so the width is
// right - left. Skin files and layout rules compute edges, not sizes, and QRect's inclusive
// right() and bottom() would put an off-by-one into every one of them.
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
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

    friend bool operator==(const SkinRect&, const SkinRect&) = default;
};
