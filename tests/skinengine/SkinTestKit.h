// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CMoveResize.h"
#include "CSkinDraw.h"
#include "TestProfile.h"

#include <QColor>
#include <QImage>
#include <QString>

// A program folder in a temporary directory where tests write small skins (descriptions,
// control files, generated pictures) and load them through a painter without a window.
class SkinTestKit {
public:
    SkinTestKit();

    QString ProgramFolder() const { return m_folder.Path(); }
    // Writes text to Skin/<skin>/<file>; returns the path.
    QString Write(const QString& skin, const QString& file, const QByteArray& text) const;
    // Writes a width × height PNG of one colour to Skin/<skin>/<file>.
    QString WritePng(const QString& skin, const QString& file, int width, int height,
        QColor color) const;
    // A button file with one-colour looks of width × height ("Normal", "Hover", "Press"),
    // named <stem>.xml with pictures <stem>_n.png, <stem>_h.png, <stem>_p.png.
    void WriteButton(const QString& skin, const QString& stem, int width, int height,
        QColor normal, QColor hover, QColor press) const;
    // "Skin.xml" of skin holding body inside "Window".
    void WriteSkin(const QString& skin, const QByteArray& body) const;

    // Loads skin into the kit's painter (real controls) and lays it out at width × height.
    bool Load(const QString& skin, int width, int height);

    SkinPanels panels;
    CMoveResize mover;
    CSkinDraw draw;

private:
    TestProfile m_folder;
};

// The frame buffer's colour at a logical client point (unpremultiplied).
QColor PixelAt(const CSkinDraw& draw, int x, int y);
// The first control whose element tag is tag, or null.
CSkinElement* FindControl(const SkinPanels& panels, const QString& tag, int index = 0);
