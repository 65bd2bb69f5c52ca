// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinPalette.h"

#include "SkinXml.h"
#include "XmlLimits.h"

#include <QColor>

#include <tinyxml2.h>

#include <cmath>
#include <cstring>

namespace {

// "SkinInfo.xml" is a few lines; anything larger is not one.
constexpr qint64 kMaxInfoBytes = 1024 * 1024;

constexpr const char* kRoleNames[CSkinPalette::kRoleCount] = {"Window", "Base", "AlternateBase",
    "Text", "Button", "ButtonText", "Highlight", "HighlightedText", "Link", "DisabledText"};

// Alpha has no meaning for a desktop palette, so only the six-digit form is taken.
std::optional<QRgb> ReadColor(const tinyxml2::XMLElement* palette, const char* name)
{
    const char* text = palette->Attribute(name);
    if (text == nullptr || std::strlen(text) != 6)
        return std::nullopt;
    constexpr QRgb kInvalid = 0x00000000u; // six digits always give an opaque colour
    const QRgb color = skinxml::ParseColor(text, kInvalid);
    if (qAlpha(color) == 0)
        return std::nullopt;
    return color;
}

double Luminance(QRgb color)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(color)) + 0.7152 * channel(qGreen(color))
        + 0.0722 * channel(qBlue(color));
}

} // namespace

const char* CSkinPalette::RoleName(Role role)
{
    return kRoleNames[static_cast<int>(role)];
}

bool CSkinPalette::Load(const QString& skinFolder)
{
    m_colors = {};
    QString folder = skinFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    tinyxml2::XMLDocument doc;
    if (!xmllimits::ReadFile(folder + QStringLiteral("SkinInfo.xml"), doc, kMaxInfoBytes))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("SkinInfo");
    const tinyxml2::XMLElement* palette = root ? root->FirstChildElement("Palette") : nullptr;
    if (palette == nullptr)
        return false;
    for (int i = 0; i < kRoleCount; ++i)
        m_colors[static_cast<std::size_t>(i)] = ReadColor(palette, kRoleNames[i]);
    // Every other colour is placed relative to the window's, so without it there is nothing
    // coherent to build.
    if (!IsSet()) {
        m_colors = {};
        return false;
    }
    return true;
}

QPalette CSkinPalette::ToPalette() const
{
    const QColor window = QColor::fromRgb(Color(Role::Window).value_or(0xFF808080u));
    const QColor button = QColor::fromRgb(Color(Role::Button).value_or(window.rgb()));
    // Light, dark, mid and shadow (the frames and bevels of the Fusion style) come from the
    // button colour through this constructor.
    QPalette palette(button, window);
    const auto set = [&](QPalette::ColorRole qtRole, Role role) {
        if (const std::optional<QRgb> c = Color(role))
            palette.setColor(qtRole, QColor::fromRgb(*c));
    };
    set(QPalette::Base, Role::Base);
    set(QPalette::AlternateBase, Role::AlternateBase);
    set(QPalette::Text, Role::Text);
    set(QPalette::WindowText, Role::Text);
    set(QPalette::ButtonText, Role::ButtonText);
    set(QPalette::Highlight, Role::Highlight);
    set(QPalette::HighlightedText, Role::HighlightedText);
    set(QPalette::Link, Role::Link);
    set(QPalette::LinkVisited, Role::Link);
    set(QPalette::BrightText, Role::HighlightedText);
    // Tooltips sit on the window they explain, so they take its colours.
    palette.setColor(QPalette::ToolTipBase, palette.color(QPalette::Base));
    palette.setColor(QPalette::ToolTipText, palette.color(QPalette::Text));
    if (const std::optional<QRgb> disabled = Color(Role::DisabledText)) {
        const QColor c = QColor::fromRgb(*disabled);
        palette.setColor(QPalette::PlaceholderText, c);
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText,
                 QPalette::ButtonText, QPalette::HighlightedText})
            palette.setColor(QPalette::Disabled, role, c);
    }
    // A disabled selection keeps its place but not the accent.
    palette.setColor(QPalette::Disabled, QPalette::Highlight, palette.color(QPalette::Button));
    return palette;
}

double CSkinPalette::ContrastRatio(QRgb a, QRgb b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    const double lighter = la > lb ? la : lb;
    const double darker = la > lb ? lb : la;
    return (lighter + 0.05) / (darker + 0.05);
}
