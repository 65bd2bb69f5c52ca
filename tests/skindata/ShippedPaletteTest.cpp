// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The menus and dialogs of each shipped skin: every colour given, and text readable on what
// it is drawn on (WCAG AA, 4.5:1).
#include "SkinDataFixture.h"

#include "CSkinPalette.h"

#include <gtest/gtest.h>

using namespace skindata;

namespace {

using Role = CSkinPalette::Role;

class ShippedPalette : public ::testing::TestWithParam<const char*> {
protected:
    QString Skin() const { return QString::fromLatin1(GetParam()); }
};

TEST_P(ShippedPalette, EveryRoleIsGivenAndEveryTextIsReadable)
{
    CSkinPalette palette;
    ASSERT_TRUE(palette.Load(SkinFolder(Skin())));
    for (int i = 0; i < CSkinPalette::kRoleCount; ++i) {
        const auto role = static_cast<Role>(i);
        EXPECT_TRUE(palette.Color(role).has_value()) << CSkinPalette::RoleName(role);
    }
    struct Pair {
        Role text;
        Role back;
    };
    const Pair pairs[] = {
        {Role::Text, Role::Window},
        {Role::Text, Role::Base},
        {Role::Text, Role::AlternateBase},
        {Role::Text, Role::Button},
        {Role::ButtonText, Role::Button},
        {Role::ButtonText, Role::Window},
        {Role::HighlightedText, Role::Highlight},
        {Role::Link, Role::Base},
        {Role::Link, Role::Window},
    };
    for (const Pair& p : pairs) {
        const QRgb text = palette.Color(p.text).value_or(0);
        const QRgb back = palette.Color(p.back).value_or(0);
        EXPECT_GE(CSkinPalette::ContrastRatio(text, back), 4.5)
            << CSkinPalette::RoleName(p.text) << " on " << CSkinPalette::RoleName(p.back);
    }
    // Disabled text is exempt from the ratio but must still be told apart from enabled text
    // and seen at all.
    const QRgb window = palette.Color(Role::Window).value_or(0);
    const double disabled
        = CSkinPalette::ContrastRatio(palette.Color(Role::DisabledText).value_or(0), window);
    EXPECT_GE(disabled, 2.0);
    EXPECT_LT(disabled, CSkinPalette::ContrastRatio(palette.Color(Role::Text).value_or(0), window));
}

TEST(ShippedPalettes, EachMatchesItsSkinDarkWithBlueOrLightWithCoral)
{
    const auto colour = [](const char* skin, Role role) {
        CSkinPalette palette;
        EXPECT_TRUE(palette.Load(SkinFolder(QString::fromLatin1(skin))));
        return QColor::fromRgb(palette.Color(role).value_or(0));
    };
    EXPECT_LT(colour("Default", Role::Window).lightness(), 64);
    EXPECT_GT(colour("Frost", Role::Window).lightness(), 200);
    const QColor blue = colour("Default", Role::Highlight);
    const QColor coral = colour("Frost", Role::Highlight);
    EXPECT_GT(blue.hue(), 200);
    EXPECT_LT(blue.hue(), 240);
    EXPECT_LT(coral.hue(), 20);
}

INSTANTIATE_TEST_SUITE_P(Skins, ShippedPalette, ::testing::Values("Default", "Frost"));

} // namespace
