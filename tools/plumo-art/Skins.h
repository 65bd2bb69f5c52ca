// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "ArtWriter.h"

#include <QColor>
#include <QRectF>

// Each writes one shipped skin into `skin` (the skin's own folder) and, when `mocks` is given,
// previews at several window sizes into it for checking by eye.
void BuildDefaultSkin(const CArtWriter& skin, const CArtWriter* mocks);
void BuildFrostSkin(const CArtWriter& skin, const CArtWriter* mocks);

// The application icon: "plumo.svg" and "plumo-N.png" for every size the desktop asks for.
void BuildAppIcon(const CArtWriter& icons);

// The mark (a rounded square in the accent with a white "p" that is also a note) filling `box`,
// and the "plumo" wordmark drawn from strokes, 56 x 20 logical pixels at `origin`.
void DrawMark(QPainter& painter, const QRectF& box, const QColor& top, const QColor& bottom);
void DrawWordmark(QPainter& painter, const QPointF& origin, const QColor& colour);
