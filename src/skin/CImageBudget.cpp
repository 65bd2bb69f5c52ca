// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CImageBudget.h"

namespace {

thread_local CImageBudget* t_current = nullptr;

} // namespace

bool CImageBudget::Charge(qint64 pixels)
{
    if (pixels < 0 || pixels > m_left) {
        m_exceeded = true;
        return false;
    }
    m_left -= pixels;
    return true;
}

void CImageBudget::Reset(qint64 maxPixels)
{
    m_left = maxPixels;
    m_exceeded = false;
}

CImageBudget::Scope::Scope(CImageBudget& budget)
    : m_outer(t_current)
{
    t_current = &budget;
}

CImageBudget::Scope::~Scope()
{
    t_current = m_outer;
}

CImageBudget* CImageBudget::Current()
{
    return t_current;
}
