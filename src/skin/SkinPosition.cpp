// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SkinPosition.h"

#include <tinyxml2.h>

#include <algorithm>

bool ReadCoord(const tinyxml2::XMLElement* element, const char* name, int& value)
{
    int64_t v = 0;
    if (!element || element->QueryInt64Attribute(name, &v) != tinyxml2::XML_SUCCESS)
        return false;
    value = static_cast<int>(std::clamp<int64_t>(v, -kMaxCoord, kMaxCoord));
    return true;
}

namespace {

struct Axis {
    int offset = 0;
    int extent = 0;
    SkinPosition::Anchor anchor = SkinPosition::Anchor::Near;
    bool extentIsSize = true;
};

// One axis of a piece position: near, else far, else centre, else near at 0. Only the near
// anchor accepts the far attribute as its extent (a distance from the far edge).
Axis ReadAxis(const tinyxml2::XMLElement* pos, const char* nearName, const char* farName,
    const char* centreName, const char* sizeName, int defaultSize)
{
    Axis a;
    const bool hasSize = ReadCoord(pos, sizeName, a.extent);
    if (!hasSize)
        a.extent = defaultSize;
    if (ReadCoord(pos, nearName, a.offset)) {
        a.anchor = SkinPosition::Anchor::Near;
        if (!hasSize && ReadCoord(pos, farName, a.extent))
            a.extentIsSize = false;
    } else if (ReadCoord(pos, farName, a.offset)) {
        a.anchor = SkinPosition::Anchor::Far;
    } else if (ReadCoord(pos, centreName, a.offset)) {
        a.anchor = SkinPosition::Anchor::Centre;
    }
    return a;
}

void PlaceAxis(int low, int high, int offset, int extent, SkinPosition::Anchor anchor,
    bool extentIsSize, int& first, int& last)
{
    switch (anchor) {
    case SkinPosition::Anchor::Near:
        first = low + offset;
        last = extentIsSize ? first + extent : high - extent;
        break;
    case SkinPosition::Anchor::Far:
        last = high - offset;
        first = last - extent;
        break;
    case SkinPosition::Anchor::Centre:
        first = low + (high - low) / 2 + offset - extent / 2;
        last = first + extent;
        break;
    }
}

} // namespace

SkinPosition SkinPosition::Read(const tinyxml2::XMLElement* parent, int defaultWidth,
    int defaultHeight)
{
    SkinPosition p;
    const tinyxml2::XMLElement* pos = parent ? parent->FirstChildElement("Position") : nullptr;
    if (!pos)
        return p;
    p.present = true;
    const Axis h = ReadAxis(pos, "Left", "Right", "LeftRight", "Width", defaultWidth);
    const Axis v = ReadAxis(pos, "Top", "Bottom", "TopBottom", "Height", defaultHeight);
    p.x = h.offset;
    p.width = h.extent;
    p.horizontal = h.anchor;
    p.widthIsSize = h.extentIsSize;
    p.y = v.offset;
    p.height = v.extent;
    p.vertical = v.anchor;
    p.heightIsSize = v.extentIsSize;
    return p;
}

SkinRect SkinPosition::Place(const SkinRect& panel) const
{
    SkinRect r;
    PlaceAxis(panel.left, panel.right, x, width, horizontal, widthIsSize, r.left, r.right);
    PlaceAxis(panel.top, panel.bottom, y, height, vertical, heightIsSize, r.top, r.bottom);
    return r;
}
