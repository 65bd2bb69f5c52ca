// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "VirtualKey.h"

#include <QKeySequence>

#include <gtest/gtest.h>

TEST(KeyTable, NamesOfTheFixedTableAndOfOtherKeys)
{
    const struct {
        int code;
        const char* name;
    } cases[] = {
        {19, "Pause"}, {33, "Page Up"}, {46, "Delete"}, {144, "Num Lock"},
        {172, "Browser Start/Home"}, {179, "Play/Pause Media"}, {183, "Start App 2"},
        {'A', "A"}, {'7', "7"}, {0x74, "F5"}, {0x87, "F24"}, {0x61, "Num 1"},
        {0, ""}, {-5, ""}, {255, ""}, {1000000, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vkey::KeyName(c.code), QString::fromLatin1(c.name)) << c.code;
    EXPECT_EQ(vkey::KeyName(13), QKeySequence(Qt::Key_Return).toString(QKeySequence::NativeText));
    EXPECT_EQ(vkey::ComboText(0x74, false, false, true), "Shift + F5");
    EXPECT_EQ(vkey::ComboText('P', true, true, true), "Ctrl + Alt + Shift + P");
}

TEST(KeyTable, XKeySymbolsAndQtKeysGiveTheSameCodes)
{
    // The hook sees X key symbols, the dialog sees Qt keys: both must name a key alike, or a
    // combination set in the dialog would never fire.
    const struct {
        unsigned long keySym;
        int qtKey;
        int code;
    } cases[] = {
        {0x1008ff14, Qt::Key_MediaPlay, 179}, {0x1008ff17, Qt::Key_MediaNext, 176},
        {0x1008ff16, Qt::Key_MediaPrevious, 177}, {0x1008ff15, Qt::Key_MediaStop, 178},
        {0x1008ff12, Qt::Key_VolumeMute, 173}, {0x1008ff13, Qt::Key_VolumeUp, 175},
        {0x1008ff11, Qt::Key_VolumeDown, 174}, {0x70, Qt::Key_P, 'P'}, {0x35, Qt::Key_5, '5'},
        {0xffc2, Qt::Key_F5, 0x74}, {0xffff, Qt::Key_Delete, 46}, {0xff08, Qt::Key_Backspace, 8},
        {0xffe1, Qt::Key_Shift, 16}, {0xffe3, Qt::Key_Control, 17}, {0xffe9, Qt::Key_Alt, 18},
        {0x20, Qt::Key_Space, 32}, {0xff51, Qt::Key_Left, 37}, {0x2c, Qt::Key_Comma, 188},
        {0x3b, Qt::Key_Semicolon, 186}, {0xff13, Qt::Key_Pause, 19},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vkey::FromKeySym(c.keySym), c.code) << std::hex << c.keySym;
        EXPECT_EQ(vkey::FromQtKey(c.qtKey), c.code) << std::hex << c.qtKey;
    }
    EXPECT_EQ(vkey::FromKeySym(0xffb3), 0x63) << "keypad 3";
    EXPECT_EQ(vkey::FromQtKey(Qt::Key_3, true), 0x63);
    EXPECT_EQ(vkey::FromKeySym(0xfe03), 0) << "ISO level 3 shift names no key";
    EXPECT_EQ(vkey::FromQtKey(Qt::Key_unknown), 0);
}
