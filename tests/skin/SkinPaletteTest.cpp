// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The colours a skin gives menus and dialogs, read from its "SkinInfo.xml".
#include "CSkinPalette.h"

#include "TestProfile.h"

#include <gtest/gtest.h>

namespace {

using Role = CSkinPalette::Role;

TEST(SkinPaletteTest, EveryRoleReachesTheApplicationPalette)
{
    TestProfile skin;
    skin.Write("SkinInfo.xml",
        "<SkinInfo SkinEngine=\"1.5\"><Palette Window=\"101112\" Base=\"202122\" "
        "AlternateBase=\"303132\" Text=\"F0F1F2\" Button=\"404142\" ButtonText=\"E0E1E2\" "
        "Highlight=\"3366CC\" HighlightedText=\"FFFFFF\" Link=\"88AAFF\" "
        "DisabledText=\"707172\"/></SkinInfo>");
    CSkinPalette palette;
    ASSERT_TRUE(palette.Load(skin.Path()));
    const QPalette p = palette.ToPalette();
    struct Expect {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
        QRgb rgb;
    };
    const Expect expected[] = {
        {QPalette::Active, QPalette::Window, 0xFF101112},
        {QPalette::Inactive, QPalette::Window, 0xFF101112},
        {QPalette::Active, QPalette::Base, 0xFF202122},
        {QPalette::Active, QPalette::AlternateBase, 0xFF303132},
        {QPalette::Active, QPalette::Text, 0xFFF0F1F2},
        {QPalette::Active, QPalette::WindowText, 0xFFF0F1F2},
        {QPalette::Active, QPalette::Button, 0xFF404142},
        {QPalette::Active, QPalette::ButtonText, 0xFFE0E1E2},
        {QPalette::Active, QPalette::Highlight, 0xFF3366CC},
        {QPalette::Active, QPalette::HighlightedText, 0xFFFFFFFF},
        {QPalette::Active, QPalette::Link, 0xFF88AAFF},
        {QPalette::Disabled, QPalette::Text, 0xFF707172},
        {QPalette::Disabled, QPalette::ButtonText, 0xFF707172},
        {QPalette::Active, QPalette::ToolTipBase, 0xFF202122},
        {QPalette::Active, QPalette::ToolTipText, 0xFFF0F1F2},
    };
    for (const Expect& e : expected)
        EXPECT_EQ(p.color(e.group, e.role).rgba(), e.rgb) << e.group << " " << e.role;
}

TEST(SkinPaletteTest, OnlyAUsableWindowColourMakesAPalette)
{
    struct Case {
        const char* name;
        const char* file; // null: no SkinInfo.xml at all
        bool set;
    };
    const Case cases[] = {
        {"no file", nullptr, false},
        {"no palette", "<SkinInfo SkinEngine=\"1.5\"><Author Line=\"x\"/></SkinInfo>", false},
        {"not well-formed", "<SkinInfo><Palette Window=\"101112\"></SkinInfo>", false},
        {"palette outside SkinInfo", "<Other><Palette Window=\"101112\"/></Other>", false},
        {"window missing", "<SkinInfo><Palette Text=\"FFFFFF\"/></SkinInfo>", false},
        {"window of three digits", "<SkinInfo><Palette Window=\"111\"/></SkinInfo>", false},
        {"window with alpha", "<SkinInfo><Palette Window=\"10111280\"/></SkinInfo>", false},
        {"window not hexadecimal", "<SkinInfo><Palette Window=\"10111G\"/></SkinInfo>", false},
        {"window alone", "<SkinInfo><Palette Window=\"101112\"/></SkinInfo>", true},
    };
    for (const Case& c : cases) {
        TestProfile skin;
        if (c.file != nullptr)
            skin.Write("SkinInfo.xml", c.file);
        CSkinPalette palette;
        EXPECT_EQ(palette.Load(skin.Path() + "/"), c.set) << c.name;
        EXPECT_EQ(palette.IsSet(), c.set) << c.name;
    }
}

TEST(SkinPaletteTest, MissingOrUnusableRolesFollowTheWindowColour)
{
    TestProfile skin;
    skin.Write("SkinInfo.xml",
        "<SkinInfo><Palette Window=\"202020\" Text=\"FFF\" Highlight=\"3366CC80\"/></SkinInfo>");
    CSkinPalette palette;
    ASSERT_TRUE(palette.Load(skin.Path()));
    EXPECT_FALSE(palette.Color(Role::Text).has_value());
    EXPECT_FALSE(palette.Color(Role::Highlight).has_value());
    // What Qt builds around the window colour: a dark window gets light text, and the
    // buttons take the window's colour.
    const QPalette p = palette.ToPalette();
    const QPalette derived(QColor(0x20, 0x20, 0x20), QColor(0x20, 0x20, 0x20));
    EXPECT_EQ(p.color(QPalette::Button), QColor(0x20, 0x20, 0x20));
    EXPECT_EQ(p.color(QPalette::WindowText), derived.color(QPalette::WindowText));
    EXPECT_EQ(p.color(QPalette::Highlight), derived.color(QPalette::Highlight));
}

TEST(SkinPaletteTest, ContrastRatioFollowsTheWcagFormula)
{
    EXPECT_DOUBLE_EQ(CSkinPalette::ContrastRatio(0xFF000000, 0xFFFFFFFF), 21.0);
    EXPECT_DOUBLE_EQ(CSkinPalette::ContrastRatio(0xFFFFFFFF, 0xFF000000), 21.0);
    EXPECT_DOUBLE_EQ(CSkinPalette::ContrastRatio(0xFF777777, 0xFF777777), 1.0);
    // #767676 on white is the classic lightest grey that passes 4.5:1.
    EXPECT_NEAR(CSkinPalette::ContrastRatio(0xFF767676, 0xFFFFFFFF), 4.54, 0.01);
}

} // namespace
