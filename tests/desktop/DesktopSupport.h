// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CMsgTarget.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <vector>

// A main window stand-in that keeps every private message it receives.
class RecordingTarget : public CMsgTarget {
public:
    struct Message {
        unsigned msg;
        WParam wParam;
        LParam lParam;
    };
    LResult OnUserMessage(unsigned msg, WParam wParam, LParam lParam) override
    {
        received.push_back({msg, wParam, lParam});
        return 1;
    }
    std::vector<Message> received;
};

// Runs the event loop until done() holds; the deadline only turns a hang into a failure.
template <typename Done>
bool PumpUntil(Done done, int ms = 10000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
