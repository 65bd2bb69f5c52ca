// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "ArtWriter.h"
#include "IconPainter.h"
#include "SkinModel.h"
#include "Theme.h"

// How one look of an icon control is drawn.
struct Look {
    Icon icon = Icon::Play;
    bool accentIcon = false; // the icon takes the accent ("on" switches)
    bool dot = false;        // a small accent dot under the icon ("on" switches)
    bool disc = false;       // the icon sits on an accent disc (the main play button)
};

// Row and cover geometry of the list and tree description files.
struct ListLayout {
    bool headCover = true;  // group heads show the cover; otherwise a Left block does
    int headCoverSize = 36; // cover size in the head
    int blockWidth = 76;    // Left block (when the head shows no cover)
    int blockCover = 56;
};

// Writes the control description files of one skin and the images they name, all drawn from
// the theme. Every method returns the description file's path relative to the skin folder,
// as "Skin.xml" names it.
class CSkinParts {
public:
    CSkinParts(const CArtWriter& skin, const Theme& theme);

    QString Button(const QString& name, QSize size, double iconSize, const Look& look) const;
    QString Switch(const QString& name, QSize size, double iconSize, const Look& off,
        const Look& on) const;
    // A horizontal bar `height` high with a line `line` thick, reached part in the accent,
    // and a knob box `knob` wide that shows a round knob while the pointer is over the bar.
    QString Slider(const QString& name, int height, double line, int knob) const;
    QString Rating(const QString& name, int cell, double star) const;
    // A placeholder cover and an overlay that rounds real covers against `behind`; with a
    // shadow the control is `size` + 16 wide and the cover sits 8 px in.
    QString Cover(const QString& name, int size, double radius, const QColor& behind,
        bool shadow) const;
    // align: 0 left, 1 right, 2 centred, as the text files write it.
    QString Text(const QString& name, int points, bool bold, const QColor& colour,
        int align = 0) const;
    // The search box: a rounded field `height` high in the raised colour with a magnifier at
    // the left and a clear button at the right.
    QString Search(int height, const QColor& fill) const;
    QString List(const ListLayout& layout) const;
    QString Tree() const;
    // The spectrum file for an area `height` high: bars 3 px wide with a 1 px gap, one level
    // every 2 px, a brighter one-pixel peak.
    QString Spectrum(int height, const QColor& behind) const;

    // How the preview draws each kind of element.
    MockFn MockImage(const QString& png) const;
    MockFn MockSlider(const QString& name, int percent, bool hover) const;
    MockFn MockText(const QString& sample, int points, bool bold, const QColor& colour,
        Qt::Alignment align = Qt::AlignLeft) const;
    MockFn MockRating(const QString& name, int stars) const;
    MockFn MockCover(const QString& name, bool shadow) const;
    MockFn MockSpectrum(int height, const QColor& behind) const;
    MockFn MockSearch(int height, const QColor& fill, const QString& placeholder) const;
    MockFn MockList(const ListLayout& layout) const;
    MockFn MockTree() const;

    const Theme& Colours() const { return m_theme; }
    const CArtWriter& Writer() const { return m_skin; }

private:
    const CArtWriter& m_skin;
    Theme m_theme;
};

// The "Palette" element of "SkinInfo.xml": the colours menus and dialogs take from the theme.
XmlNode PaletteNode(const Theme& theme);

// Pixels of a point size on a 96 dpi screen, as the text controls compute them.
int PointsToPixels(int points);
