// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CWheelSteps.h"

int CWheelSteps::Add(int delta)
{
    if (delta == 0 || (m_partial < 0) != (delta < 0))
        m_partial = 0;
    m_partial += delta;
    const int steps = m_partial / kNotch; // truncates toward zero, keeping the sign
    m_partial -= steps * kNotch;
    return steps;
}
