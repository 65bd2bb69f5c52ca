// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Menus and dialogs in the skin's colours: the shipped skins' palettes reach the dialogs the
// window opens, a skin change brings its own at once, and a skin without one gives the
// desktop's look back.
#include "CAppPalette.h"
#include "CDlgEq.h"
#include "CPanelWnd.h"
#include "CSkinPalette.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

QRgb WindowColourOf(const QString& skinFolder)
{
    CSkinPalette palette;
    EXPECT_TRUE(palette.Load(skinFolder)) << skinFolder.toStdString();
    return palette.Color(CSkinPalette::Role::Window).value_or(0);
}

TEST(SkinPalette, DialogsAndMenusOfTheWindowAreDrawnInTheSkinsColours)
{
    TestProfile home;
    UseHome(home);
    home.Write("data/Plumo/Settings.xml", "<Settings><Skin ID=\"Default\"/></Settings>");
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    const QRgb dark = WindowColourOf(wnd.GetSkinDraw().GetLoadedFolder());
    EXPECT_TRUE(wnd.GetAppPalette().IsApplied());
    EXPECT_EQ(QApplication::style()->name().compare("fusion", Qt::CaseInsensitive), 0);
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs))
        << "a native picker could not take the colours";
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase).alpha(), 255);

    // The equalizer as the window opens it: its palette and its painted background.
    QRgb seen = 0;
    QRgb painted = 0;
    QRgb menu = 0;
    session::Answer<CDlgEq>(wnd, [&](CDlgEq& dlg) {
        seen = dlg.palette().color(QPalette::Window).rgba();
        const QImage shot = dlg.grab().toImage();
        painted = shot.pixel(shot.width() - 3, shot.height() / 2);
        menu = dlg.PresetsMenu()->palette().color(QPalette::Window).rgba();
        dlg.reject();
    });
    wnd.OnCommand(CContextMenu::ID_EQUALIZER);
    EXPECT_EQ(seen, dark);
    EXPECT_EQ(painted, dark);
    EXPECT_EQ(menu, dark);

    // Another skin brings its own colours at once, without a restart.
    const QString frost = "Frost";
    ASSERT_EQ(SendMsg(wnd.MsgTarget(), UWM_SKINAPPLY, reinterpret_cast<WParam>(&frost)), 1);
    const QRgb light = WindowColourOf(wnd.GetSkinDraw().GetLoadedFolder());
    EXPECT_NE(light, dark);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window).rgba(), light);
    QDialog later(&wnd);
    EXPECT_EQ(later.palette().color(QPalette::Window).rgba(), light);
    wnd.Shutdown();
}

TEST(SkinPalette, ASkinWithoutAPaletteGivesTheDesktopsLookBack)
{
    const QString style = QApplication::style()->name();
    const QPalette desktop = QApplication::palette();
    const bool native = !QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs);

    TestProfile skin;
    skin.Write("SkinInfo.xml", "<SkinInfo><Palette Window=\"123456\" Text=\"FEDCBA\"/></SkinInfo>");
    CSkinPalette coloured;
    ASSERT_TRUE(coloured.Load(skin.Path()));
    CAppPalette look;
    look.Apply(coloured);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
    // A second skin palette replaces the first; the desktop's look is still the one kept.
    skin.Write("SkinInfo.xml", "<SkinInfo><Palette Window=\"654321\"/></SkinInfo>");
    ASSERT_TRUE(coloured.Load(skin.Path()));
    look.Apply(coloured);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0x65, 0x43, 0x21));

    look.Apply(CSkinPalette());
    EXPECT_FALSE(look.IsApplied());
    EXPECT_EQ(QApplication::style()->name(), style);
    EXPECT_EQ(QApplication::palette(), desktop);
    EXPECT_EQ(!QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs), native);
}

} // namespace
