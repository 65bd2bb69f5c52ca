// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinButton.h"

// A button with two states of three looks each: state 0 shows the state-1 looks, any other
// state the state-2 looks. Clicking does not change the state; the main window sets it on
// every switch of a kind once the player state it shows has changed. Size and mouse behaviour
// are the button's (size of the state-1 normal picture).
//
// Skin file: root "Switch" with children "State1" and "State2", each holding "Normal",
// "Hover" and "Press" with "File". User-interface thread.
class CSkinSwitch : public CSkinButton {
public:
    bool LoadSkin(const QString& path) override;
    int GetState() const override { return m_state; }
    void SetState(int state) override { m_state = state; }

protected:
    const SkinLooks& CurrentLooks() const override;

private:
    SkinLooks m_looks2;
    int m_state = 0;
};
