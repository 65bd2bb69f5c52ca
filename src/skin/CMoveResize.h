// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

// Drags and resizes the caption-less main window. It only computes: the window applies the
// rectangles it returns (on X11 by moving itself, on Wayland by handing the mode to the
// compositor). Rectangles are window rectangles in screen coordinates, points on the client
// are client coordinates; all in logical pixels. UI thread only.
class CMoveResize {
public:
    // Mode bits; corners combine two edges.
    static constexpr int kMove = 1;
    static constexpr int kLeft = 2;
    static constexpr int kRight = 4;
    static constexpr int kTop = 8;
    static constexpr int kBottom = 16;
    static constexpr int kTopLeft = kTop | kLeft;
    static constexpr int kTopRight = kTop | kRight;
    static constexpr int kBottomLeft = kBottom | kLeft;
    static constexpr int kBottomRight = kBottom | kRight;
    // Width of the left, right and bottom resize bands and of the corner boxes; height of the
    // top band and of the top corner boxes.
    static constexpr int kBand = 10;
    static constexpr int kTopBand = 4;

    // Limits for interactive resizing; 0 or less means no limit.
    void SetLimits(int minWidth, int minHeight, int maxWidth, int maxHeight);
    int GetMinWidth() const { return m_minWidth; }
    int GetMinHeight() const { return m_minHeight; }
    int GetMaxWidth() const { return m_maxWidth; }
    int GetMaxHeight() const { return m_maxHeight; }
    // True when the size lies within the limits that are set.
    bool SizeWithinLimits(int width, int height) const;

    // The client area, set on every size change.
    void SetClientSize(int width, int height);

    // Sets and returns the mode for a client point: a corner or edge band, else kMove.
    int HitTest(QPoint client);
    int GetMode() const { return m_mode; }
    static int HitTest(QPoint client, int width, int height);

    // The cursor for the current mode; none for kMove (the window's own cursor stays).
    std::optional<Qt::CursorShape> Cursor() const;

    // Button down where no control took the press: remembers where the drag starts.
    void BeginDrag(QPoint client, QPoint screen, const QRect& windowRect);
    // A mouse move. Not dragging: hit-tests for the cursor and returns false. Dragging:
    // returns true and, when the new rectangle differs from the current one, stores it and
    // sets *moveTo (which may be null) to it.
    bool DragStep(QPoint client, QPoint screen, std::optional<QRect>* moveTo);
    // Button up: ends the drag.
    void EndDrag(QPoint client);
    bool IsDragging() const { return m_dragging; }
    bool IsResizing() const { return m_dragging && m_mode != kMove; }

    // The current rectangle, as after the last drag step; the window reports outside moves.
    void SetCurrentRect(const QRect& rect) { m_current = rect; }
    const QRect& GetCurrentRect() const { return m_current; }

    // The rectangle a drag from press with the cursor moved by (dx, dy) gives in mode, with the
    // limits applied (the dragged edge gives way, the opposite one stays).
    QRect DragRect(const QRect& press, int mode, int dx, int dy) const;

private:
    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_maxWidth = 0;
    int m_maxHeight = 0;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    int m_mode = kMove;
    bool m_dragging = false;
    QRect m_current;
    QPoint m_pressPos;
    QRect m_pressRect;
};
