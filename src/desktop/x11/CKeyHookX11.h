// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CKeyHook.h"

#include <QByteArray>
#include <QTimer>

#include <array>
#include <memory>

class QSocketNotifier;
struct _XDisplay;

// The hook on X11: XInput2 raw key presses selected on the root window, which the server
// copies to every client that asks without taking them from the focused window (no grab).
// Raw events carry no modifier state. The keyboard's state is read once at the start and then
// followed through the raw events themselves: read again at each press it would already be
// later than the press (a quick Ctrl + P is over by the time its events are read).
// The server repeats a held key without raw events, so the hook repeats the last key pressed
// itself while it is held, with the keyboard's own delay, rate and per-key setting.
// The hook has its own connection to the X server, read through a socket notifier on the UI
// thread. UI thread only.
class CKeyHookX11 : public CKeyHook {
    Q_OBJECT
public:
    // Connects to displayName (the DISPLAY variable when empty). Null when the session is a
    // Wayland one (X clients there see only their own keys), when no X server answers, or
    // when it lacks XInput 2.
    static std::unique_ptr<CKeyHookX11> Create(
        CMsgTarget* target, const QByteArray& displayName = {});
    ~CKeyHookX11() override;

    bool IsGlobal() const override { return true; }

private:
    CKeyHookX11(CMsgTarget* target, _XDisplay* display, int opcode);
    void ReadEvents();
    int ModifierBits() const;
    void SetHeld(unsigned code, bool held);
    bool IsHeld(unsigned code) const;
    // After a press of code (an X key code): the key repeats, as the server repeats it.
    void StartRepeat(unsigned code, int vk);
    void OnRepeat();

    _XDisplay* m_display;
    int m_opcode; // XInput's major opcode, naming its events
    std::unique_ptr<QSocketNotifier> m_notifier;
    // Key codes of Shift, Control and Alt (left and right), 0 where the keymap has none.
    std::array<unsigned char, 6> m_modifierCodes{};
    std::array<unsigned char, 32> m_held{}; // one bit per X key code: the keys down now
    QTimer m_repeat; // single shot: the keyboard's delay, then its interval
    unsigned m_repeatKey = 0; // X key code that repeats now (the last pressed), 0 for none
    int m_repeatVk = 0;
    int m_repeatInterval = 0; // ms
};
