// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QObject>

#include <memory>
#include <vector>

class CMsgTarget;

// The keyboard hook: reports every key going down, with the modifiers held, to the main
// window as UWM_HOOKKEYDOWN (wParam the virtual-key code, lParam CHotKey's modifier bits).
// Keys are only observed, never taken from the program that has the focus. A key held down
// reports again on each repeat of the keyboard, with CHotKey::kBitRepeat set. UI thread only; the message is posted, so the hot-key lookup runs later
// in the main window's own handling.
class CKeyHook : public QObject {
    Q_OBJECT
public:
    ~CKeyHook() override;

    // Starts the best hook this desktop allows: on X11 one that observes the whole desktop;
    // elsewhere (Wayland, or a build without X11) one that sees the keys pressed in this
    // program's own windows. Never fails; the hook ends when the returned object is destroyed.
    static std::unique_ptr<CKeyHook> Install(CMsgTarget* target);

    // Whether key presses in other programs' windows are seen.
    virtual bool IsGlobal() const = 0;

protected:
    explicit CKeyHook(CMsgTarget* target);
    // Posts the key to the target; a key already down (a repeat) is marked with kBitRepeat.
    void ReportKeyDown(int code, int modifierBits);
    void ReportKeyUp(int code);

private:
    CMsgTarget* m_target;
    std::vector<int> m_down; // codes currently held, so repeats are told from presses
};
