// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CKeyHook.h"

#include "CHotKey.h"
#include "CKeyHookFocus.h"
#include "CMsgTarget.h"
#ifdef PLUMO_HAVE_X11
#include "CKeyHookX11.h"
#endif

#include <algorithm>

CKeyHook::CKeyHook(CMsgTarget* target)
    : m_target(target)
{
}

CKeyHook::~CKeyHook() = default;

std::unique_ptr<CKeyHook> CKeyHook::Install(CMsgTarget* target)
{
#ifdef PLUMO_HAVE_X11
    if (auto x11 = CKeyHookX11::Create(target))
        return x11;
#endif
    return std::make_unique<CKeyHookFocus>(target);
}

void CKeyHook::ReportKeyDown(int code, int modifierBits)
{
    if (code == 0)
        return;
    const bool repeat = std::find(m_down.begin(), m_down.end(), code) != m_down.end();
    if (!repeat)
        m_down.push_back(code);
    PostMsg(m_target, UWM_HOOKKEYDOWN, static_cast<WParam>(code),
        modifierBits | (repeat ? CHotKey::kBitRepeat : 0));
}

void CKeyHook::ReportKeyUp(int code)
{
    m_down.erase(std::remove(m_down.begin(), m_down.end(), code), m_down.end());
}
