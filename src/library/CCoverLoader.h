// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QImage>
#include <QString>

// Finds the picture of an album: an image file in the folder of one of its tracks. It lists
// the folder once and opens no file. Any thread; one object per thread (it keeps the last
// result).
class CCoverLoader {
public:
    // Searches the folder of trackPath, in this order: a "*front*" image, a "*cover*" image,
    // any "*.jpg", any "*.jpeg", any "*.png" (names compared without regard to case; within
    // one step the first name in case-insensitive order wins). True and the path kept when
    // found; false otherwise, leaving the previous path as it was. A missing or unreadable
    // folder finds nothing.
    bool FindCover(const QString& trackPath);
    const QString& GetCoverPath() const { return m_coverPath; }

    // Decodes an image file, refusing (null image) one that is not a regular file or whose
    // declared size cannot be read or exceeds kMaxPixels, before any pixel is decoded.
    static QImage LoadImage(const QString& path);
    // 64 megapixels, 256 MB once decoded: an 8000 x 8000 scan still loads.
    static constexpr qint64 kMaxPixels = 64'000'000;

private:
    QString m_coverPath;
};
