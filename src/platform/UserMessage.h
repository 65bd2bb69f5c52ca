// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <cstdint>

// Private window messages. The numbers are part of the program's contract between the main
// window, the views, the engine, the skin chooser, the keyboard hook and the tray icon, so they
// keep their historical values (WM_USER = 0x400, WM_APP = 0x8000).
enum UserMessage : unsigned {
    UWM_TREEEXPAND = 0x400 + 100,     // 1124
    UWM_TREESELECT = 0x400 + 101,     // 1125
    UWM_LISTPLAY = 0x400 + 102,       // 1126
    UWM_PLAYERNEXTFILE = 0x400 + 103, // 1127
    UWM_PLAYERTRACKEND = 0x400 + 104, // 1128
    UWM_LISTRATING = 0x400 + 105,     // 1129
    UWM_SKINAPPLY = 0x400 + 106,      // 1130
    UWM_LISTMENU = 0x400 + 107,       // 1131
    UWM_TREEMENU = 0x400 + 108,       // 1132
    UWM_TREEREORDER = 0x400 + 109,    // 1133
    UWM_LISTREORDER = 0x400 + 110,    // 1134
    UWM_LISTDRAG = 0x400 + 111,       // 1135
    UWM_TREEKEYSELECT = 0x400 + 112,  // 1136
    UWM_PLAYERMETA = 0x400 + 113,     // 1137
    UWM_PLAYERCONNECT = 0x400 + 114,  // 1138
    UWM_HOOKKEYDOWN = 0x400 + 115,    // 1139
    UWM_TRAYNOTIFY = 0x8000,          // 32768
};

// Message parameters, sized like their Windows counterparts so pointers fit in both.
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
