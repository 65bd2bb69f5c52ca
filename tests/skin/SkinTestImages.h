// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

// Pictures and canvases for skin tests: generated in the test's temporary folder.
namespace skintest {

// A size x size picture of one colour (ARGB, non-premultiplied), saved as PNG at path.
QImage SolidPng(const QString& path, QSize size, QRgb color);
// A canvas filled with color, in the frame buffer's format.
QImage Canvas(QSize size, QRgb color);
// The pixel as a non-premultiplied QRgb.
QRgb PixelAt(const QImage& image, int x, int y);
// The bounding box of the pixels that differ from background.
QRect Changed(const QImage& image, QRgb background);
// Writes text to path (creating the folder); false on failure.
bool WriteText(const QString& path, const QByteArray& text);

} // namespace skintest
