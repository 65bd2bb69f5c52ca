// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "SkinRect.h"

namespace tinyxml2 {
class XMLElement;
}

// Where a background piece or an element sits inside its panel: per axis an offset from the
// near edge, the far edge or the centre, and an extent that is either a size or (near edge
// only) a distance from the far edge. Any thread.
struct SkinPosition {
    enum class Anchor { Near = 0, Far = 1, Centre = 2 };

    bool present = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Anchor horizontal = Anchor::Near;
    Anchor vertical = Anchor::Near;
    bool widthIsSize = true;
    bool heightIsSize = true;

    // Reads the "Position" child of parent ("Left"/"Right"/"LeftRight" with "Width",
    // "Top"/"Bottom"/"TopBottom" with "Height"); missing sizes take defaultWidth and
    // defaultHeight. Without the child only present is cleared. Values are clamped to
    // +-kMaxCoord so that no sum of them can overflow.
    static SkinPosition Read(const tinyxml2::XMLElement* parent, int defaultWidth,
        int defaultHeight);

    // The rectangle inside panel.
    SkinRect Place(const SkinRect& panel) const;
};

// Coordinates and sizes in skin files are clamped to this many pixels either way.
inline constexpr int kMaxCoord = 100000;

// Reads an integer attribute clamped to +-kMaxCoord. False (value unchanged) when absent or
// not a number.
bool ReadCoord(const tinyxml2::XMLElement* element, const char* name, int& value);
