// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "ArtWriter.h"

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

// Where a panel, piece or element sits, as the skin description anchors it: the attributes of
// its "Position" child. Unset values are not written.
struct Anchor {
    std::optional<int> left, right, width, centreX;
    std::optional<int> top, bottom, height, centreY;

    // Builders for the common cases.
    static Anchor Box(int l, int t, int w, int h); // fixed box from the top-left
    Anchor& L(int v) { left = v; return *this; }
    Anchor& R(int v) { right = v; return *this; }
    Anchor& W(int v) { width = v; return *this; }
    Anchor& T(int v) { top = v; return *this; }
    Anchor& B(int v) { bottom = v; return *this; }
    Anchor& H(int v) { height = v; return *this; }
    Anchor& CX(int v) { centreX = v; return *this; }
    Anchor& CY(int v) { centreY = v; return *this; }
};

struct Piece {
    enum class Kind { Image, Fill, Rect };
    Kind kind = Kind::Fill;
    QString file;   // Image: relative to the skin folder
    QColor colour;  // Fill, Rect
    Anchor pos;
};

using MockFn = std::function<void(QPainter&, const QRect&)>;

struct Element {
    QString tag;
    QString skin;    // the control's description file, relative to the skin folder
    QString trigger; // Button only
    Anchor pos;
    MockFn mock;     // how the preview draws it (none: nothing)
};

struct Panel {
    QString name;
    int id = 0;
    int hide = 0;
    Anchor pos;
    QList<Piece> back;
    QList<Element> elements;
    QString note; // comment written before the panel
};

struct SkinModel {
    int minWidth = 0, minHeight = 0;
    bool layered = false;
    int corners = 0;
    QList<Panel> panels;

    XmlNode ToXml() const;
    // The panels that a trigger file leaves shown, by the IDs it hides and shows.
    SkinModel WithHidden(const QList<std::pair<int, int>>& idHide) const;
};

// The rectangle of a panel in a W x H client area, and of a piece or element in a panel.
QRect PlacePanel(const Anchor& a, int width, int height);
QRect PlaceInside(const Anchor& a, const QRect& panel);

// Draws the skin as the engine would lay it out at W x H (pieces, then every visible
// element's mock), over `backdrop` where the window is transparent or clipped.
QImage ComposeMock(const SkinModel& model, const CArtWriter& skin, QSize size, int scale,
    const QColor& backdrop);
