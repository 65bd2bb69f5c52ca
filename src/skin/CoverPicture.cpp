// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CoverPicture.h"

CExImage PrepareCoverPicture(
    const QString& imageFile, const QImage& picture, QSize size, qreal devicePixelRatio)
{
    CExImage cover;
    if (size.width() <= 0 || size.height() <= 0)
        return cover;
    if (!imageFile.isEmpty()) {
        cover.LoadThumbnail(imageFile, size.width(), size.height(), devicePixelRatio);
        return cover;
    }
    QImage dense = picture;
    dense.setDevicePixelRatio(devicePixelRatio >= 1.0 ? devicePixelRatio : 1.0);
    if (!cover.LoadImage(dense) || !cover.ScaleTo(size.width(), size.height()))
        cover.Free();
    return cover;
}
