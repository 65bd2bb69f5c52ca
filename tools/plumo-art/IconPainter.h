// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

// The one icon family of the shipped skins: drawn on a 24-unit grid, rounded caps and joins,
// one stroke width for all, so that every icon looks like its neighbours at any size.
enum class Icon {
    Play,
    Pause,
    Stop,
    Previous,
    Next,
    Shuffle,
    Repeat,
    Volume,
    Muted,
    Equalizer,
    Close,
    Minimize,
    SidebarOpen,
    SidebarClosed,
    Note,
    Artist,
    Album,
    Year,
    Genre,
    Playlist,
    Radio,
    ChevronRight,
    ChevronDown,
    Star,
    StarOutline,
    Library,
    Queue,
    Search,
};

// Draws `icon` filling the square `box` in `colour`; `stroke` is the line width in the
// painter's units (logical pixels), whatever the box size.
void DrawIcon(QPainter& painter, Icon icon, const QRectF& box, const QColor& colour,
    double stroke);

// The path of a five-pointed star inside the square box.
QPainterPath StarPath(const QRectF& box);
