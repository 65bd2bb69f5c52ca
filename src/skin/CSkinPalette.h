// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QPalette>
#include <QRgb>
#include <QString>

#include <array>
#include <optional>

// The colours a skin gives the menus, dialogs, file pickers and tooltips, so that they look
// like the window they come from: the optional "Palette" element of the skin's
// "SkinInfo.xml", one attribute per role, each six hexadecimal digits RRGGBB:
//   <Palette Window="16181D" Base="1E2127" AlternateBase="23262D" Text="E8EAED"
//            Button="2A2E36" ButtonText="E8EAED" Highlight="4C8DFF" HighlightedText="FFFFFF"
//            Link="8AB4FF" DisabledText="7A8088"/>
// Without the element (or without a usable Window colour) the skin has no palette and the
// desktop's own look stays. A role that is missing or not six digits takes the colour Qt
// derives from Window and Button. Any thread (QtGui only, no widgets).
class CSkinPalette {
public:
    enum class Role : int {
        Window = 0,
        Base,
        AlternateBase,
        Text,
        Button,
        ButtonText,
        Highlight,
        HighlightedText,
        Link,
        DisabledText,
    };
    static constexpr int kRoleCount = 10;
    // Attribute names, indexed by Role.
    static const char* RoleName(Role role);

    // Reads skinFolder/"SkinInfo.xml" (folder with or without its trailing '/'). False, with no
    // palette, when the file cannot be read or has no usable "Palette".
    bool Load(const QString& skinFolder);

    bool IsSet() const { return m_colors[0].has_value(); }
    // The colour given for role, when the file gave one.
    std::optional<QRgb> Color(Role role) const { return m_colors[static_cast<std::size_t>(role)]; }
    // The palette for the whole application (every group; the disabled group takes
    // DisabledText for its texts). Only meaningful when IsSet().
    QPalette ToPalette() const;

    // WCAG contrast ratio of two opaque colours, 1 (none) to 21 (black on white).
    static double ContrastRatio(QRgb a, QRgb b);

private:
    std::array<std::optional<QRgb>, kRoleCount> m_colors{};
};
