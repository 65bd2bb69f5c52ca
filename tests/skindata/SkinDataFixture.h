// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QColor>
#include <QDir>
#include <QList>
#include <QRect>
#include <QString>

#include <tinyxml2.h>

#include <memory>
#include <optional>

// Reads the shipped skins as the program would find them (data/Skin/NAME), with just enough
// of the layout rules to check where their panels and elements land.
namespace skindata {

QString DataFolder();
QString SkinFolder(const QString& name);

// Parses an XML file; null (and a test failure naming the file) when it cannot be read.
std::unique_ptr<tinyxml2::XMLDocument> Parse(const QString& path);

struct PlacedElement {
    QString tag;
    QString skinFile; // relative to the skin folder
    QString trigger;
    QRect rect;       // right and bottom exclusive, as QRect(QPoint, QPoint - 1)
};

struct PlacedPanel {
    QString name;
    int id = 0;
    bool hidden = false;
    QRect rect;
    QList<PlacedElement> elements;
};

// The panels of "Skin.xml" laid out for a W x H client area, with the hidden flags after the
// given trigger files were applied in order.
QList<PlacedPanel> Layout(const QString& skin, int width, int height,
    const QStringList& triggers = {});

// "RRGGBB" as the list and tree files write colours.
std::optional<QColor> Colour(const char* hex);

// The WCAG contrast ratio of two opaque colours (1 to 21).
double Contrast(const QColor& a, const QColor& b);

} // namespace skindata
