// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The global hook against a real X server: keys pressed through XTest while another client's
// window has the focus.
#if defined(PLUMO_HAVE_X11) && defined(PLUMO_TEST_XTST)

#include "CHotKey.h"
#include "CKeyHookX11.h"
#include "DesktopSupport.h"
#include "XServer.h"

#include <array>
#include <memory>

// Before Xlib, whose macros (None, Bool) would otherwise rewrite GoogleTest's names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

constexpr KeySym kAudioPlay = 0x1008ff14;
constexpr KeySym kControlL = 0xffe3;
constexpr KeySym kAltL = 0xffe9;
constexpr KeySym kP = 'p';
constexpr KeySym kQ = 'q';

// Another program: a window of its own connection that holds the keyboard focus.
class FocusedWindow {
public:
    explicit FocusedWindow(const QByteArray& display)
        : m_display(XOpenDisplay(display.constData()))
    {
        if (m_display == nullptr)
            return;
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 100, 100,
            0, 0, 0);
        XSelectInput(m_display, m_window, KeyPressMask);
        XMapWindow(m_display, m_window);
        XSync(m_display, False);
        XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
        XSync(m_display, False);
    }
    ~FocusedWindow()
    {
        if (m_display != nullptr)
            XCloseDisplay(m_display);
    }
    Display* Get() const { return m_display; }

    void Key(KeySym sym, bool down)
    {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, sym), down ? True : False, 0);
        XFlush(m_display);
    }
    void Click(KeySym sym)
    {
        Key(sym, true);
        Key(sym, false);
    }
    // Waits until the window itself has received count presses of sym.
    bool WaitForPresses(KeySym sym, int count)
    {
        const KeyCode code = XKeysymToKeycode(m_display, sym);
        return PumpUntil([&] {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == KeyPress && event.xkey.keycode == code)
                    ++m_presses[code];
            }
            return m_presses[code] >= count;
        });
    }

private:
    Display* m_display;
    Window m_window = 0;
    std::array<int, 256> m_presses{};
};

bool HasKey(const std::vector<RecordingTarget::Message>& received, WParam code)
{
    for (const auto& message : received) {
        if (message.wParam == code)
            return true;
    }
    return false;
}

} // namespace

TEST(KeyHookX11, KeysPressedInAnotherProgramReachTheMainWindowAndThatProgram)
{
    XServer server;
    if (server.Name().isEmpty())
        GTEST_SKIP() << "no X server: Xvfb is not installed or did not start";
    FocusedWindow other(server.Name());
    ASSERT_NE(other.Get(), nullptr);
    if (XKeysymToKeycode(other.Get(), kAudioPlay) == 0)
        GTEST_SKIP() << "the X server's keymap has no play/pause key";
    RecordingTarget target;
    std::unique_ptr<CKeyHookX11> hook = CKeyHookX11::Create(&target, server.Name());
    ASSERT_NE(hook, nullptr) << "the server lacks XInput 2";
    EXPECT_TRUE(hook->IsGlobal());

    other.Click(kAudioPlay);
    ASSERT_TRUE(PumpUntil([&] { return !target.received.empty(); }));
    EXPECT_EQ(target.received[0].msg, UWM_HOOKKEYDOWN);
    EXPECT_EQ(target.received[0].wParam, WParam(179));
    EXPECT_EQ(target.received[0].lParam, 0);
    CHotKey defaults;
    defaults.SetProfileFolder(QStringLiteral("/nonexistent"));
    ASSERT_TRUE(defaults.Load());
    EXPECT_EQ(defaults.LookupMessage(int(target.received[0].wParam), int(target.received[0].lParam)),
        CHotKey::ActionPlayPause);

    EXPECT_TRUE(other.WaitForPresses(kAudioPlay, 1)) << "the focused program gets the key too";

    // Ctrl + Alt + P, with P held until the server repeats it to the focused window, then Q
    // to mark the end of the sequence.
    other.Key(kControlL, true);
    other.Key(kAltL, true);
    other.Key(kP, true);
    ASSERT_TRUE(other.WaitForPresses(kP, 3)) << "the server did not repeat the held key";
    const auto repeatsOfP = [&] {
        int n = 0;
        for (const auto& message : target.received)
            n += message.wParam == 'P' && (message.lParam & CHotKey::kBitRepeat) != 0;
        return n;
    };
    // The server sends no raw event for its repeats; the hook repeats the held key itself.
    ASSERT_TRUE(PumpUntil([&] { return repeatsOfP() >= 2; })) << "the held key did not repeat";
    other.Key(kP, false);
    other.Key(kAltL, false);
    other.Key(kControlL, false);
    other.Click(kQ);
    ASSERT_TRUE(PumpUntil([&] { return HasKey(target.received, 'Q'); }));

    std::vector<RecordingTarget::Message> presses;
    for (const auto& message : target.received) {
        if (message.wParam == 'P')
            presses.push_back(message);
    }
    ASSERT_GE(presses.size(), 3u);
    EXPECT_EQ(presses[0].lParam, CHotKey::kBitCtrl | CHotKey::kBitAlt) << "one press";
    for (std::size_t i = 1; i < presses.size(); ++i)
        EXPECT_EQ(presses[i].lParam, CHotKey::kBitCtrl | CHotKey::kBitAlt | CHotKey::kBitRepeat)
            << "then its repeats";
    // Released, the key repeats no more: after Q nothing of P follows.
    EXPECT_NE(target.received.back().wParam, WParam('P'));
    EXPECT_TRUE(HasKey(target.received, 17)) << "modifier keys are reported like any key";
    EXPECT_TRUE(other.WaitForPresses(kQ, 1));
}

TEST(KeyHookX11, NoServerGivesNoHook)
{
    RecordingTarget target;
    EXPECT_EQ(CKeyHookX11::Create(&target, ":65000"), nullptr);
}

#endif
