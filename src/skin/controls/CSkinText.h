// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinElement.h"

#include <QFont>
#include <QRgb>

namespace tinyxml2 {
class XMLElement;
}

// One line of text (title, artist or album of the playing track, or the time into it): never
// wrapped, centred vertically, aligned left, right or centred, and cut with an ellipsis when it
// is wider than the rectangle. A Time text is also clickable: a press and release over it is
// reported (the main window switches between elapsed and remaining time); the others ignore
// the mouse.
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
    // Time texts only: hover and click tracking as for a button; others return nullptr.
    CSkinElement* OnMouseMove(QPoint point) override;
    CSkinElement* OnButtonDown(QPoint point) override;
    CSkinElement* OnButtonUp(QPoint point) override;

    // What a Time text shows. positionSeconds is the time into the track, lengthSeconds the
    // file's length (0 or less for a stream or an unknown length), durations as "%d:%.2d":
    //   file: "1:23 / 4:05", or with remaining "-2:42 / 4:05";
    //   stream: "1:23" (remaining has no meaning without a length);
    //   nothing playing (playing false): empty.
    // A position past the length shows the length (and "-0:00" remaining).
    static QString TimeText(bool playing, qint64 positionSeconds, qint64 lengthSeconds,
        bool remaining);
    // A duration as "%d:%.2d" (minutes may exceed 59); negative values show as 0:00.
    static QString Duration(qint64 seconds);

    QString GetText() const override { return m_text; }
    bool HasFont() const { return m_hasFont; }
    const QFont& GetFont() const { return m_font; }
    QRgb GetColor() const { return m_color; }
    Align GetAlign() const { return m_align; }

private:
    bool IsClickable() const { return GetKind() == SkinKind::Time; }
    void ReadFont(const tinyxml2::XMLElement* font);

    bool m_hasFont = false;
    QFont m_font;
    // Opaque black until a skin file says otherwise, so a control without one still shows.
    QRgb m_color = 0xFF000000u;
    Align m_align = Align::Left;
    QString m_text;
};
