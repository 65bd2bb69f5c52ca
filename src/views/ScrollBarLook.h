// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QRgb>

class QScrollBar;

// Gives a view's scroll bar the colours of the view's skin: the groove is the skin's background
// and the handle a contrasting shade of it, so a dark skin does not carry the desktop's light
// bar beside its rows. The bar keeps the style's width, which the views lay their rows out by.
void MatchScrollBar(QScrollBar& bar, QRgb background);
