// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CKeyHook.h"

// The hook where the desktop does not let a program watch the keyboard (Wayland, or a build
// without X11): it sees the keys pressed while one of this program's windows has the focus,
// by filtering the application's key events (which still reach their widgets). UI thread only.
class CKeyHookFocus : public CKeyHook {
    Q_OBJECT
public:
    // Requires a QCoreApplication; filters its events until destroyed.
    explicit CKeyHookFocus(CMsgTarget* target);
    ~CKeyHookFocus() override;

    bool IsGlobal() const override { return false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
