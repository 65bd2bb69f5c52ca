// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CHotKey.h"
#include "CKeyHookFocus.h"
#include "DesktopSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

void Send(QWindow* window, QEvent::Type type, int key, Qt::KeyboardModifiers mods,
    const QString& text = {}, bool autoRepeat = false)
{
    QKeyEvent event(type, key, mods, text, autoRepeat);
    QCoreApplication::sendEvent(window, &event);
}

void Click(QWindow* window, int key, Qt::KeyboardModifiers mods, const QString& text = {})
{
    Send(window, QEvent::KeyPress, key, mods, text);
    Send(window, QEvent::KeyRelease, key, mods, text);
}

} // namespace

TEST(KeyHookFocus, KeysInTheProgramsWindowsAreReportedWithTheirRepeatsAndStillDelivered)
{
    RecordingTarget target;
    CKeyHookFocus hook(&target);
    EXPECT_FALSE(hook.IsGlobal());
    QLineEdit edit;
    edit.show();
    edit.activateWindow();
    edit.setFocus();
    QWindow* window = edit.windowHandle();
    ASSERT_NE(window, nullptr);

    const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    Click(window, Qt::Key_MediaTogglePlayPause, Qt::NoModifier);
    Send(window, QEvent::KeyPress, Qt::Key_P, ctrlAlt);
    // A held key repeats: each repeat is reported as one (Qt pairs it with a release).
    Send(window, QEvent::KeyRelease, Qt::Key_P, ctrlAlt, {}, true);
    Send(window, QEvent::KeyPress, Qt::Key_P, ctrlAlt, {}, true);
    Send(window, QEvent::KeyRelease, Qt::Key_P, ctrlAlt);
    Click(window, Qt::Key_Q, Qt::ShiftModifier, "Q");

    ASSERT_TRUE(PumpUntil([&] { return target.received.size() >= 4; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(target.received.size(), 4u);
    EXPECT_EQ(target.received[0].msg, UWM_HOOKKEYDOWN);
    EXPECT_EQ(target.received[0].wParam, 179u);
    EXPECT_EQ(target.received[0].lParam, 0);
    EXPECT_EQ(target.received[1].wParam, WParam('P'));
    EXPECT_EQ(target.received[1].lParam, CHotKey::kBitCtrl | CHotKey::kBitAlt);
    EXPECT_EQ(target.received[2].wParam, WParam('P'));
    EXPECT_EQ(target.received[2].lParam, CHotKey::kBitCtrl | CHotKey::kBitAlt | CHotKey::kBitRepeat);
    EXPECT_EQ(target.received[3].wParam, WParam('Q'));
    EXPECT_EQ(target.received[3].lParam, CHotKey::kBitShift);
    EXPECT_EQ(edit.text(), "Q") << "the focused widget still gets its keys";
}
