// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// Small list and tree skins written into a test folder, with plain-coloured pictures whose
// pixels the tests look for.
namespace skinfixture {

inline constexpr QRgb kListBack = 0xFF112233;
inline constexpr QRgb kHeadFill = 0xFF202020;
inline constexpr QRgb kLine1 = 0xFF101010;
inline constexpr QRgb kLine2 = 0xFF181818;
inline constexpr QRgb kSelect = 0xFF0000C0;
inline constexpr QRgb kFocus = 0xFF00C000;
inline constexpr QRgb kPlaying = 0xFFC0C000;
inline constexpr QRgb kStarOn = 0xFFFF0000;
inline constexpr QRgb kStarOff = 0xFF808080;
inline constexpr QRgb kNoCover = 0xFF404040;
inline constexpr QRgb kBlock = 0xFF305030;
inline constexpr QRgb kTreeBack = 0xFFF0F0F0;
inline constexpr QRgb kTreeFocus = 0xFF3060C0;
inline constexpr QRgb kTreeHead = 0xFFD0D0D0;

// Song rows 20 high: a fill by state (Focus, Select, Play before the stripes), a Title from
// x 10 to 80 short of the right edge, five 10-pixel stars 5 from the right edge. Heads 30 high
// with the cover picture (26 x 26, at 2,2) and "Artist - Album". With leftBlock, a Left block
// 40 wide and 100 high (Over 0) filled with kBlock. Returns the skin file's path.
QString WriteListSkin(const QString& folder, bool leftBlock = false);
// Nodes 20 high (fill by state, expand button 10 x 20 at the element box's left, text at 14,
// icons at 30), heads 24 high filled kTreeHead; withHead false leaves "Head" out.
QString WriteTreeSkin(const QString& folder, bool withHead = true,
                      const char* textColor = "000000");
// A plain picture file.
void WriteImage(const QString& path, QSize size, QRgb color);

} // namespace skinfixture
