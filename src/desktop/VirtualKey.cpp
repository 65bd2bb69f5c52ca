// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "VirtualKey.h"

#include <QKeySequence>

#include <array>
#include <utility>

namespace vkey {
namespace {

struct QtRow {
    int qtKey;
    int code;
};

// Keys whose code is not simply their character (letters and digits are; see FromQtKey).
// The first row of a code is the one ToQtKey returns.
constexpr QtRow kQtKeys[] = {
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9}, {Qt::Key_Backtab, 9}, {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13}, {Qt::Key_Shift, 16}, {Qt::Key_Control, 17}, {Qt::Key_Alt, 18},
    {Qt::Key_AltGr, 18}, {Qt::Key_Pause, 19}, {Qt::Key_CapsLock, 20}, {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32}, {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},
    {Qt::Key_Home, 36}, {Qt::Key_Left, 37}, {Qt::Key_Up, 38}, {Qt::Key_Right, 39},
    {Qt::Key_Down, 40}, {Qt::Key_Print, 44}, {Qt::Key_Insert, 45}, {Qt::Key_Delete, 46},
    {Qt::Key_Meta, 91}, {Qt::Key_Super_L, 91}, {Qt::Key_Super_R, 92}, {Qt::Key_Menu, 93},
    {Qt::Key_NumLock, 144}, {Qt::Key_ScrollLock, 145},
    {Qt::Key_Back, 166}, {Qt::Key_Forward, 167}, {Qt::Key_Refresh, 168}, {Qt::Key_Stop, 169},
    {Qt::Key_Search, 170}, {Qt::Key_Favorites, 171}, {Qt::Key_HomePage, 172},
    {Qt::Key_VolumeMute, 173}, {Qt::Key_VolumeDown, 174}, {Qt::Key_VolumeUp, 175},
    {Qt::Key_MediaNext, 176}, {Qt::Key_MediaPrevious, 177}, {Qt::Key_MediaStop, 178},
    {Qt::Key_MediaTogglePlayPause, 179}, {Qt::Key_MediaPlay, 179}, {Qt::Key_MediaPause, 179},
    {Qt::Key_LaunchMail, 180}, {Qt::Key_LaunchMedia, 181}, {Qt::Key_Launch0, 182},
    {Qt::Key_Launch1, 183},
    {Qt::Key_Semicolon, 186}, {Qt::Key_Colon, 186}, {Qt::Key_Equal, 187}, {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188}, {Qt::Key_Less, 188}, {Qt::Key_Minus, 189}, {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190}, {Qt::Key_Greater, 190}, {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191}, {Qt::Key_QuoteLeft, 192}, {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219}, {Qt::Key_BraceLeft, 219}, {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220}, {Qt::Key_BracketRight, 221}, {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222}, {Qt::Key_QuoteDbl, 222},
    // Shifted digits on a US layout, so Shift + 1 is the key "1" as on the hook's side.
    {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'}, {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

constexpr int kF1 = 0x70;
constexpr int kNumpad0 = 0x60;

constexpr std::pair<unsigned long, int> kKeySyms[] = {
    {0x0020, 32}, {0xff08, 8}, {0xff09, 9}, {0xff0d, 13}, {0xff13, 19}, {0xff14, 145},
    {0xff1b, 27}, {0xff50, 36}, {0xff51, 37}, {0xff52, 38}, {0xff53, 39}, {0xff54, 40},
    {0xff55, 33}, {0xff56, 34}, {0xff57, 35}, {0xff61, 44}, {0xff63, 45}, {0xff67, 93},
    {0xff7f, 144}, {0xff8d, 13}, {0xffaa, 0x6a}, {0xffab, 0x6b}, {0xffad, 0x6d},
    {0xffae, 0x6e}, {0xffaf, 0x6f}, {0xffe1, 16}, {0xffe2, 16}, {0xffe3, 17}, {0xffe4, 17},
    {0xffe5, 20}, {0xffe9, 18}, {0xffea, 18}, {0xffeb, 91}, {0xffec, 92}, {0xffff, 46},
    {0x003b, 186}, {0x003d, 187}, {0x002c, 188}, {0x002d, 189}, {0x002e, 190}, {0x002f, 191},
    {0x0060, 192}, {0x005b, 219}, {0x005c, 220}, {0x005d, 221}, {0x0027, 222},
    // The XF86 keys that keyboards carry for media, volume and the browser.
    {0x1008ff12, 173}, {0x1008ff11, 174}, {0x1008ff13, 175}, {0x1008ff17, 176},
    {0x1008ff16, 177}, {0x1008ff15, 178}, {0x1008ff14, 179}, {0x1008ff31, 179},
    {0x1008ff19, 180}, {0x1008ff32, 181}, {0x1008ff33, 182}, {0x1008ff1d, 183},
    {0x1008ff26, 166}, {0x1008ff27, 167}, {0x1008ff29, 168}, {0x1008ff28, 169},
    {0x1008ff1b, 170}, {0x1008ff30, 171}, {0x1008ff18, 172},
};

constexpr std::pair<int, const char*> kNames[] = {
    {19, "Pause"}, {32, "Space"}, {33, "Page Up"}, {34, "Page Down"}, {35, "End"},
    {36, "Home"}, {37, "Left"}, {38, "Up"}, {39, "Right"}, {40, "Down"}, {45, "Insert"},
    {46, "Delete"}, {144, "Num Lock"}, {166, "Browser Back"}, {167, "Browser Forward"},
    {168, "Browser Refresh"}, {169, "Browser Stop"}, {170, "Browser Search"},
    {171, "Browser Favorites"}, {172, "Browser Start/Home"}, {173, "Volume Mute"},
    {174, "Volume Down"}, {175, "Volume Up"}, {176, "Next Track"}, {177, "Previous Track"},
    {178, "Stop Media"}, {179, "Play/Pause Media"}, {180, "Start Mail"},
    {181, "Select Media"}, {182, "Start App 1"}, {183, "Start App 2"},
};

int KeypadCode(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return kNumpad0 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk: return 0x6a;
    case Qt::Key_Plus: return 0x6b;
    case Qt::Key_Minus: return 0x6d;
    case Qt::Key_Period: return 0x6e;
    case Qt::Key_Slash: return 0x6f;
    default: return 0;
    }
}

} // namespace

int FromQtKey(int qtKey, bool keypad)
{
    if (keypad) {
        if (const int code = KeypadCode(qtKey))
            return code;
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey; // Qt and the virtual keys share the upper-case ASCII codes here
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return kF1 + (qtKey - Qt::Key_F1);
    for (const QtRow& row : kQtKeys) {
        if (row.qtKey == qtKey)
            return row.code;
    }
    return 0;
}

int ToQtKey(int code)
{
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        return code;
    if (code >= kF1 && code < kF1 + 24)
        return Qt::Key_F1 + (code - kF1);
    if (code >= kNumpad0 && code <= kNumpad0 + 9)
        return Qt::Key_0 + (code - kNumpad0);
    for (const QtRow& row : kQtKeys) {
        if (row.code == code)
            return row.qtKey;
    }
    return 0;
}

int FromKeySym(unsigned long keySym)
{
    if (keySym >= 'a' && keySym <= 'z')
        return static_cast<int>(keySym - 'a' + 'A');
    if ((keySym >= 'A' && keySym <= 'Z') || (keySym >= '0' && keySym <= '9'))
        return static_cast<int>(keySym);
    if (keySym >= 0xffbe && keySym <= 0xffd5) // F1 to F24
        return kF1 + static_cast<int>(keySym - 0xffbe);
    if (keySym >= 0xffb0 && keySym <= 0xffb9) // keypad digits
        return kNumpad0 + static_cast<int>(keySym - 0xffb0);
    for (const auto& [sym, code] : kKeySyms) {
        if (sym == keySym)
            return code;
    }
    return 0;
}

QString KeyName(int code)
{
    for (const auto& [named, text] : kNames) {
        if (named == code)
            return QString::fromLatin1(text);
    }
    if (code >= kNumpad0 && code <= kNumpad0 + 9)
        return QStringLiteral("Num %1").arg(code - kNumpad0);
    switch (code) {
    case 0x6a: return QStringLiteral("Num *");
    case 0x6b: return QStringLiteral("Num +");
    case 0x6d: return QStringLiteral("Num -");
    case 0x6e: return QStringLiteral("Num Del");
    case 0x6f: return QStringLiteral("Num /");
    default: break;
    }
    const int qtKey = ToQtKey(code);
    if (qtKey == 0)
        return {};
    return QKeySequence(qtKey).toString(QKeySequence::NativeText);
}

QString ComboText(int code, bool ctrl, bool alt, bool shift)
{
    QString text;
    if (ctrl)
        text += QStringLiteral("Ctrl + ");
    if (alt)
        text += QStringLiteral("Alt + ");
    if (shift)
        text += QStringLiteral("Shift + ");
    return text + KeyName(code);
}

} // namespace vkey
