// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

// Turns wheel deltas into whole steps of 120, the size of one notch of a classic wheel. A
// touchpad or a free-spinning wheel sends many small deltas: they add up until a notch is
// reached, and the remainder waits for the next event. Turning the other way starts counting
// afresh, so a leftover part of a notch never cancels the first notch back. UI thread only.
class CWheelSteps {
public:
    static constexpr int kNotch = 120;

    // Adds one event's delta (positive away from the user); returns the whole notches now
    // complete, signed like the delta (0 while a notch is still partial).
    int Add(int delta);

private:
    int m_partial = 0; // the signed rest of a notch, below one step
};
