// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "UserMessage.h"

#include <QObject>

// A receiver of private messages: the main window, and the recording targets of the tests.
// It lives on one thread (its QObject thread) and handles every message there, in one
// dispatch function, in the order the messages were sent or posted.
class CMsgTarget : public QObject {
    Q_OBJECT
public:
    explicit CMsgTarget(QObject* parent = nullptr);
    ~CMsgTarget() override;

    // Runs on the target's thread only. The result is what SendMsg returns.
    virtual LResult OnUserMessage(unsigned msg, WParam wParam, LParam lParam) = 0;
};

// Delivers msg synchronously and returns the handler's result.
// On the target's thread this is a direct call. From any other thread the caller blocks until
// the target's thread has run the handler; the caller must therefore hold no lock that the
// target's thread may wait for, and the target's thread must be running its event loop.
// Returns 0 when target is null or is destroyed before it could answer.
LResult SendMsg(CMsgTarget* target, unsigned msg, WParam wParam = 0, LParam lParam = 0);

// Queues msg for the target's thread and returns at once; messages posted from one thread
// arrive in the order they were posted. Dropped when the target is destroyed first.
// Safe from any thread, including audio and worker threads (it allocates one small event).
void PostMsg(CMsgTarget* target, unsigned msg, WParam wParam = 0, LParam lParam = 0);
