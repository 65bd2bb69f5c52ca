// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CKeyHookFocus.h"

#include "CHotKey.h"
#include "VirtualKey.h"

#include <QCoreApplication>
#include <QKeyEvent>

CKeyHookFocus::CKeyHookFocus(CMsgTarget* target)
    : CKeyHook(target)
{
    QCoreApplication::instance()->installEventFilter(this);
}

CKeyHookFocus::~CKeyHookFocus()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool CKeyHookFocus::eventFilter(QObject* watched, QEvent* event)
{
    // One key event is offered to the window and then to each widget it propagates to; only
    // the first delivery to a window counts.
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWindowType()) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        const Qt::KeyboardModifiers mods = key.modifiers();
        const int code = vkey::FromQtKey(key.key(), mods.testFlag(Qt::KeypadModifier));
        int bits = 0;
        if (mods.testFlag(Qt::ShiftModifier))
            bits |= CHotKey::kBitShift;
        if (mods.testFlag(Qt::ControlModifier))
            bits |= CHotKey::kBitCtrl;
        if (mods.testFlag(Qt::AltModifier))
            bits |= CHotKey::kBitAlt;
        if (key.isAutoRepeat()) {
            // The key is still held (Qt pairs each repeat with a release marked the same way):
            // the press is reported as a repeat, the release not at all.
            if (type == QEvent::KeyPress)
                ReportKeyDown(code, bits);
            return CKeyHook::eventFilter(watched, event);
        }
        // A release lost to a focus change must not make the next press look like a repeat:
        // every fresh press counts.
        ReportKeyUp(code);
        if (type == QEvent::KeyPress)
            ReportKeyDown(code, bits);
    }
    return CKeyHook::eventFilter(watched, event);
}
