// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CMsgTarget.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <vector>

// Stands in for the main window: answers the engine's next-file request and records what the
// engine posts.
class EngineTarget : public CMsgTarget {
public:
    struct Post {
        unsigned msg;
        WParam wParam;
        LParam lParam;
    };

    LResult OnUserMessage(unsigned msg, WParam wParam, LParam lParam) override
    {
        if (msg == UWM_PLAYERNEXTFILE) {
            ++nextRequests;
            auto* next = reinterpret_cast<QString*>(wParam);
            if (onNext)
                onNext();
            if (!answers.empty()) {
                *next = answers.front();
                answers.erase(answers.begin());
            }
            return 0;
        }
        posts.push_back({msg, wParam, lParam});
        return 0;
    }

    std::vector<Post> Of(unsigned msg) const
    {
        std::vector<Post> out;
        for (const Post& p : posts)
            if (p.msg == msg)
                out.push_back(p);
        return out;
    }

    // Runs queued messages until done() holds or ms have passed.
    static bool PumpUntil(const std::function<bool()>& done, int ms = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }
    static void Pump() { QCoreApplication::processEvents(); }

    std::vector<QString> answers; // answers to successive next-file requests (empty: none)
    std::function<void()> onNext; // runs inside the request, before answering
    int nextRequests = 0;
    std::vector<Post> posts;
};
