// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinElement.h"

#include "SkinTestImages.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

inline constexpr QRgb kBack = 0xFF808080;
inline constexpr QRgb kRed = 0xFFFF0000;
inline constexpr QRgb kGreen = 0xFF00FF00;
inline constexpr QRgb kBlue = 0xFF0000FF;
inline constexpr QRgb kYellow = 0xFFFFFF00;
inline constexpr QRgb kWhite = 0xFFFFFFFF;
inline constexpr QRgb kBlack = 0xFF000000;

// A temporary skin folder for one test: pictures and control files are written into it, and
// controls are rendered onto a grey canvas the size of the "window".
class ControlTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    // Saves a size picture of one colour as name (a PNG).
    void Png(const QString& name, QSize size, QRgb color)
    {
        skintest::SolidPng(Path(name), size, color);
    }
    // Writes a control file and returns its path.
    QString File(const QString& name, const QByteArray& xml)
    {
        EXPECT_TRUE(skintest::WriteText(Path(name), xml));
        return Path(name);
    }
    QImage Render(CSkinElement& element, QSize size = {60, 40}, QRgb background = kBack)
    {
        QImage canvas = skintest::Canvas(size, background);
        QPainter painter(&canvas);
        element.Draw(painter);
        painter.end();
        return canvas;
    }

    QTemporaryDir m_dir;
};

// Pointer helpers: the mouse operations answer the control or nullptr.
inline bool Answers(CSkinElement* answer, const CSkinElement& element)
{
    return answer == &element;
}
