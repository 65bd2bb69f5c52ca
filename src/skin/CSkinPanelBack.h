// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CExImage.h"
#include "SkinPosition.h"

#include <QRgb>
#include <QString>

class QPainter;

namespace tinyxml2 {
class XMLElement;
}

// One background or foreground piece of a panel: an image, a one-pixel rectangle outline or a
// solid fill, placed inside the panel. UI thread only.
class CSkinPanelBack {
public:
    enum class Kind { Image = 0, Rect = 1, Fill = 2, Unknown = -404 };

    // Size of a Rect or Fill piece whose position gives none.
    static constexpr int kDefaultWidth = 20;
    static constexpr int kDefaultHeight = 2;
    // Longest image file name taken from the skin, in UTF-16 units.
    static constexpr int kMaxFileLength = 259;

    // Reads the piece element (its tag gives the kind) with skinFolder (ending with a
    // separator) as the base of its image file; images are loaded for the device pixel ratio
    // dpr. Missing children or attributes keep their defaults.
    void Load(const QString& skinFolder, const tinyxml2::XMLElement* piece, qreal dpr);

    // Draws the piece inside panel; nothing for an unknown kind, a piece without position or
    // without content.
    void Draw(QPainter& painter, const SkinRect& panel) const;

    // "Color" as hexadecimal digits: RRGGBB is opaque, RRGGBBAA carries alpha in its last two
    // digits; anything else (missing, another length, a character that is not a hex digit)
    // is white.
    static QRgb ParseColor(const char* text);

    Kind GetKind() const { return m_kind; }
    const SkinPosition& GetPosition() const { return m_position; }
    bool HasContent() const { return m_hasContent; }
    QRgb GetColor() const { return m_color; }
    const CExImage& GetImage() const { return m_image; }

private:
    Kind m_kind = Kind::Unknown;
    SkinPosition m_position;
    bool m_hasContent = false;
    QRgb m_color = 0xFF000000;
    CExImage m_image;
};
