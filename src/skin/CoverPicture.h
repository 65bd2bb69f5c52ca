// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CExImage.h"

#include <QImage>
#include <QSize>
#include <QString>

// A cover scaled to size (logical pixels) at the given pixel density: from a file (imageFile)
// or a picture taken from a tag (picture, used when imageFile is empty). Empty when neither
// loads or size is empty. Any thread.
CExImage PrepareCoverPicture(
    const QString& imageFile, const QImage& picture, QSize size, qreal devicePixelRatio);
