// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

// Keys are stored and compared as Windows virtual-key codes, so "HotKey.xml" means the same
// on every platform. These tables translate the keys of Qt and of X11 into those codes and
// name them for display. Pure functions; any thread, except KeyName (UI thread: it asks Qt
// for the names of keys outside the fixed table).
namespace vkey {

inline constexpr int kBackspace = 8;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kDelete = 46;
inline constexpr int kLeftWin = 91;
inline constexpr int kRightWin = 92;
inline constexpr int kVolumeMute = 173;
inline constexpr int kVolumeDown = 174;
inline constexpr int kVolumeUp = 175;
inline constexpr int kMediaNext = 176;
inline constexpr int kMediaPrev = 177;
inline constexpr int kMediaStop = 178;
inline constexpr int kMediaPlayPause = 179;

// The virtual-key code of a Qt key (Qt::Key), 0 when it has none. keypad selects the number
// pad's codes for digits and operators.
int FromQtKey(int qtKey, bool keypad = false);

// The Qt key of a virtual-key code, 0 when Qt has none.
int ToQtKey(int code);

// The virtual-key code of an X11 key symbol (the unshifted symbol of a key code), 0 for none.
int FromKeySym(unsigned long keySym);

// The display name of a key: the fixed names of the media, navigation and browser keys, the
// system's name for the others; empty when the code names no key.
QString KeyName(int code);

// "Ctrl + " if ctrl, "Alt + " if alt, "Shift + " if shift, then the key's name.
QString ComboText(int code, bool ctrl, bool alt, bool shift);

} // namespace vkey
