// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CCoverLoader.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

// The one image type of the skin: a picture decoded once into premultiplied ARGB32 and drawn
// source-over, unsmoothed, onto the frame buffer. Every size and coordinate here is in logical
// skin pixels; on a high-density screen the pixels behind them may be two or more per logical
// pixel (see LoadFile). Copies share the pixels (QImage is implicitly shared).
//
// Any load first empties the image. A load fails (false, image empty) for a missing, 0-byte,
// truncated or undecodable file, for a path that is not a plain file (a folder, a pipe, a
// device; never waiting on one), and before decoding for a picture whose header declares more
// than kMaxPixels pixels or no size at all, or more than the CImageBudget of the load's scope
// has left.
//
// Loading may run on any thread; drawing on the thread that owns the painter.
class CExImage {
public:
    // The album cover loader's limit: a picture above 64 megapixels is refused unread.
    static constexpr qint64 kMaxPixels = CCoverLoader::kMaxPixels;
    // Qt's allocation guard for one decoded picture, in MB: kMaxPixels of 4 bytes each.
    static constexpr int kAllocationLimitMb = static_cast<int>((kMaxPixels * 4 + 0xFFFFF) >> 20);

    CExImage() = default;
    virtual ~CExImage() = default;
    CExImage(const CExImage&) = default;
    CExImage& operator=(const CExImage&) = default;
    CExImage(CExImage&&) = default;
    CExImage& operator=(CExImage&&) = default;

    // Loads a picture file in any format Qt reads. With devicePixelRatio >= 1.5, "name@2x.ext"
    // beside "name.ext" is taken instead when it exists and loads (two image pixels per logical
    // pixel); otherwise the picture is enlarged by the nearest whole factor of the ratio without
    // smoothing, so drawing it later needs no scaling. The logical size stays that of the 1x
    // picture (an @2x picture of odd size rounds up).
    bool LoadFile(const QString& path, qreal devicePixelRatio = 1.0);
    // Loads the picture and scales it smoothly to exactly width x height logical pixels
    // (aspect ratio not kept), with width x height x devicePixelRatio^2 pixels behind them.
    // False, empty, when width or height is not positive or the picture does not load.
    bool LoadThumbnail(const QString& path, int width, int height, qreal devicePixelRatio = 1.0);
    // As LoadFile, from an encoded picture in memory (a cover taken from a tag).
    bool LoadBytes(const QByteArray& bytes);
    // Takes a decoded picture (its devicePixelRatio is kept); false, empty, for a null image or
    // one above kMaxPixels.
    bool LoadImage(const QImage& image);
    // Scales the loaded picture smoothly to exactly width x height logical pixels, keeping its
    // pixel density. False (picture unchanged) when empty or a size is not positive.
    bool ScaleTo(int width, int height);
    // A vertically flipped copy (an empty image stays empty).
    CExImage Flipped() const;
    void Free();

    bool IsLoaded() const { return !m_image.isNull(); }
    // Logical size; 0 x 0 when nothing is loaded.
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // True when the decoded picture had an alpha channel.
    bool HasAlpha() const { return m_hasAlpha; }
    // The pixels (Format_ARGB32_Premultiplied, devicePixelRatio set); null when empty.
    const QImage& GetImage() const { return m_image; }

    // The draws below blend source-over with the painter's current composition mode (callers
    // leave it at the default) and draw nothing when the image is empty. Smoothing follows the
    // painter's SmoothPixmapTransform hint, which skin painting leaves off.
    //
    // The whole picture stretched into target.
    void Draw(QPainter& painter, const QRect& target) const;
    // The whole picture at its natural size with its top-left corner at (x, y).
    void DrawAt(QPainter& painter, int x, int y) const;
    // The top-left min(width, picture width) x min(height, picture height), unscaled.
    void DrawClipped(QPainter& painter, int x, int y, int width, int height) const;
    // The part source of the picture, unscaled, with its top-left corner at (x, y). The part
    // is cut to the picture; whatever lies outside it is not drawn.
    void DrawPart(QPainter& painter, const QRect& source, int x, int y) const;

private:
    // Keeps image (converted to premultiplied ARGB32) with the given logical size.
    bool Adopt(QImage image, bool hadAlpha, int width, int height);
    // Draws the logical part source of the picture into the logical rectangle target.
    void Blit(QPainter& painter, const QRectF& target, const QRect& source) const;

    QImage m_image;
    int m_width = 0;
    int m_height = 0;
    bool m_hasAlpha = false;
};
