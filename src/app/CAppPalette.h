// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QPalette>
#include <QString>

class CSkinPalette;

// Gives menus, dialogs, file pickers and tooltips the look of the skin: with a skin palette
// the whole application takes it with the Fusion style (the one style that draws every
// widget from the palette alone, so the colours come out alike on every desktop), and file
// pickers use Qt's own widgets, since a desktop's native picker cannot be coloured. A skin
// without a palette gives the desktop its own style, palette and pickers back.
// UI thread; needs a QApplication.
class CAppPalette {
public:
    void Apply(const CSkinPalette& palette);
    // True while a skin's palette is in force.
    bool IsApplied() const { return m_applied; }

private:
    void Restore();

    bool m_applied = false;
    // The desktop's look, taken when a skin palette first replaces it.
    QString m_desktopStyle;
    QPalette m_desktopPalette;
    QPalette m_desktopTipPalette;
    bool m_desktopOwnPickers = false; // Qt::AA_DontUseNativeDialogs as it was
};
