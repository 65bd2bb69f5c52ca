// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinElement.h"

#include <QFont>
#include <QRgb>

namespace tinyxml2 {
class XMLElement;
}

// One line of text (title, artist or album of the playing track): never wrapped, centred
// vertically, aligned left, right or centred, and cut with an ellipsis when it is wider than
// the rectangle.
//
// Skin file: root "Text" with "Font": "Name" (face, at most 31 characters), "Size" (points),
// "Bold", "Italic" (non-zero for on), "Align" (0 left, 1 right, 2 centred), "Color" (RRGGBB or
// RRGGBBAA; anything else opaque black). Without a "Font" the painter's font is used.
// User-interface thread (the font follows the primary screen's logical DPI at LoadSkin).
class CSkinText : public CSkinElement {
public:
    enum class Align : int { Left = 0, Right = 1, Centre = 2 };

    bool LoadSkin(const QString& path) override;
    void Draw(QPainter& painter) override;
    int GetWidth() const override { return 100; }
    int GetHeight() const override { return 20; }
    // The text to show; empty shows nothing. Line breaks show as spaces.
    void SetString(const QString& text) override;

    const QString& GetText() const { return m_text; }
    bool HasFont() const { return m_hasFont; }
    const QFont& GetFont() const { return m_font; }
    QRgb GetColor() const { return m_color; }
    Align GetAlign() const { return m_align; }

private:
    void ReadFont(const tinyxml2::XMLElement* font);

    bool m_hasFont = false;
    QFont m_font;
    // Opaque black until a skin file says otherwise, so a control without one still shows.
    QRgb m_color = 0xFF000000u;
    Align m_align = Align::Left;
    QString m_text;
};
