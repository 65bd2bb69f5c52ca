// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CKeyHookX11.h"

#include "CHotKey.h"
#include "VirtualKey.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace {

// Bits of CHotKey for the modifier keys in the order of m_modifierCodes.
constexpr int kModifierBits[] = {CHotKey::kBitShift, CHotKey::kBitShift, CHotKey::kBitCtrl,
    CHotKey::kBitCtrl, CHotKey::kBitAlt, CHotKey::kBitAlt};
constexpr KeySym kModifierSyms[] = {0xffe1, 0xffe2, 0xffe3, 0xffe4, 0xffe9, 0xffea};

bool IsWaylandSession()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool SelectRawKeys(Display* display)
{
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    return XISelectEvents(display, DefaultRootWindow(display), &mask, 1) == Success;
}

} // namespace

std::unique_ptr<CKeyHookX11> CKeyHookX11::Create(CMsgTarget* target, const QByteArray& displayName)
{
    if (displayName.isEmpty() && IsWaylandSession())
        return nullptr;
    Display* display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (display == nullptr)
        return nullptr;
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success || !SelectRawKeys(display)) {
        XCloseDisplay(display);
        return nullptr;
    }
    XFlush(display);
    return std::unique_ptr<CKeyHookX11>(new CKeyHookX11(target, display, opcode));
}

CKeyHookX11::CKeyHookX11(CMsgTarget* target, Display* display, int opcode)
    : CKeyHook(target)
    , m_display(display)
    , m_opcode(opcode)
{
    for (std::size_t i = 0; i < m_modifierCodes.size(); ++i)
        m_modifierCodes[i] = static_cast<unsigned char>(XKeysymToKeycode(display, kModifierSyms[i]));
    XQueryKeymap(display, reinterpret_cast<char*>(m_held.data()));
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &CKeyHookX11::ReadEvents);
    m_repeat.setSingleShot(true);
    connect(&m_repeat, &QTimer::timeout, this, &CKeyHookX11::OnRepeat);
}

CKeyHookX11::~CKeyHookX11()
{
    m_notifier.reset();
    XCloseDisplay(m_display);
}

int CKeyHookX11::ModifierBits() const
{
    int bits = 0;
    for (std::size_t i = 0; i < m_modifierCodes.size(); ++i) {
        const unsigned char code = m_modifierCodes[i];
        if (code != 0 && (m_held[code / 8] & (1 << (code % 8))) != 0)
            bits |= kModifierBits[i];
    }
    return bits;
}

void CKeyHookX11::SetHeld(unsigned code, bool held)
{
    if (code >= m_held.size() * 8)
        return;
    const auto bit = static_cast<unsigned char>(1u << (code % 8));
    if (held)
        m_held[code / 8] |= bit;
    else
        m_held[code / 8] &= static_cast<unsigned char>(~bit);
}

void CKeyHookX11::ReadEvents()
{
    // Xlib may already hold read events in its queue (a round trip reads ahead), so drain it
    // rather than rely on the socket becoming readable again.
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_opcode
            || !XGetEventData(m_display, cookie))
            continue;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            const auto keyCode = static_cast<KeyCode>(raw->detail);
            const int code = vkey::FromKeySym(XkbKeycodeToKeysym(m_display, keyCode, 0, 0));
            const bool press = cookie->evtype == XI_RawKeyPress;
            const auto detail = static_cast<unsigned>(raw->detail);
            if (press)
                ReportKeyDown(code, ModifierBits());
            else
                ReportKeyUp(code);
            SetHeld(detail, press);
            if (press)
                StartRepeat(detail, code);
            else if (detail == m_repeatKey)
                m_repeat.stop();
        }
        XFreeEventData(m_display, cookie);
    }
}

bool CKeyHookX11::IsHeld(unsigned code) const
{
    return code < m_held.size() * 8 && (m_held[code / 8] & (1u << (code % 8))) != 0;
}

void CKeyHookX11::StartRepeat(unsigned code, int vk)
{
    // Like the server, only the last key pressed repeats.
    m_repeat.stop();
    m_repeatKey = 0;
    if (vk == 0 || code >= m_held.size() * 8)
        return;
    XKeyboardState keyboard;
    XGetKeyboardControl(m_display, &keyboard);
    if (keyboard.global_auto_repeat != AutoRepeatModeOn
        || (static_cast<unsigned char>(keyboard.auto_repeats[code / 8]) & (1u << (code % 8))) == 0)
        return;
    unsigned delay = 0;
    unsigned interval = 0;
    if (!XkbGetAutoRepeatRate(m_display, XkbUseCoreKbd, &delay, &interval) || interval == 0)
        return;
    m_repeatKey = code;
    m_repeatVk = vk;
    m_repeatInterval = static_cast<int>(interval);
    m_repeat.start(static_cast<int>(delay));
}

void CKeyHookX11::OnRepeat()
{
    // Events still queued may hold the release: read them before repeating.
    ReadEvents();
    if (m_repeatKey == 0 || !IsHeld(m_repeatKey) || m_repeat.isActive())
        return;
    ReportKeyDown(m_repeatVk, ModifierBits());
    m_repeat.start(m_repeatInterval);
}
