// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QColor>

// Every colour and size the shipped skins are drawn with. Change a value here and run
// tools/make-skins: the images, the description files and the previews follow.
struct Theme {
    // Surfaces
    QColor window;   // the body behind the list and the tree
    QColor raised;   // title strip and now-playing band
    QColor header;   // the strip at the very top (may be translucent)
    QColor divider;  // 1 px lines between areas
    QColor hoverFill; // the soft circle behind a hovered control
    QColor pressFill; // the same while pressed

    // Text and icons
    QColor text;      // primary text
    QColor text2;     // secondary text
    QColor icon;      // icons at rest
    QColor iconHover; // icons under the pointer
    QColor iconPress; // icons while pressed

    // The one accent and what sits on it
    QColor accent;
    QColor accentHover;
    QColor accentPress;
    QColor onAccent;   // glyph drawn on an accent fill
    QColor accentText; // the playing row's title: the accent, kept readable on its row

    // Sliders, stars, covers
    QColor track;     // the part of a bar not yet reached
    QColor knob;      // slider knob under the pointer
    QColor starOn;
    QColor starOff;
    QColor rowStarOff; // unlit stars in list rows, quieter than the main rating
    QColor coverBack; // placeholder cover
    QColor coverGlyph;

    // List and tree rows
    QColor stripe;     // every second row, a few percent off the window colour
    QColor selected;   // selected rows
    QColor playingRow; // the playing row, tinted by the accent
    QColor focusLine;  // the frame of the keyboard focus row
    QColor headLine;   // the rule above a group head

    // Menus and dialogs (the skin's "Palette"): their background, the fields and lists in
    // them, push buttons, the accent fill of a selection (dark enough for onAccent text),
    // links and disabled text
    QColor dialog;
    QColor field;
    QColor control;
    QColor selection;
    QColor link;
    QColor disabledText;

    // Window shape
    int corner = 8;      // window corner radius in pixels
    int shadow = 0;      // soft shadow margin around a layered window (0: none)
    int shadowAlpha = 0; // the shadow's darkest alpha, at the card's edge

    // Type, in points (the controls turn points into pixels at 96 dpi: 11 pt is 15 px)
    int titlePt = 11;
    int secondPt = 9;
    int rowPt = 9;
    int headPt = 10;

    // Rows
    int rowHeight = 26;
    int headHeight = 52;
    int treeRowHeight = 26;
    int treeHeadHeight = 32;

    // Stroke of every icon, in pixels at 1x
    double stroke = 1.75;
};

Theme DarkTheme();  // "Default": near-black surfaces, blue accent
Theme FrostTheme(); // the layered skin: light frosted card, coral accent
