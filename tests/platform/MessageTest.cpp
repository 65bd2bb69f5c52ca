// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMsgTarget.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Received {
    unsigned msg;
    WParam wParam;
    LParam lParam;
};

class RecordingTarget : public CMsgTarget {
public:
    LResult OnUserMessage(unsigned msg, WParam wParam, LParam lParam) override
    {
        handledOnThread = QThread::currentThread();
        received.push_back({msg, wParam, lParam});
        if (onMessage)
            onMessage();
        return static_cast<LResult>(wParam) + lParam;
    }
    std::function<void()> onMessage; // runs inside each message, before its answer
    std::vector<Received> received;
    QThread* handledOnThread = nullptr;
};

void PumpUntil(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

TEST(Message, NumbersKeepTheirHistoricalValues)
{
    EXPECT_EQ(UWM_TREEEXPAND, 1124u);
    EXPECT_EQ(UWM_PLAYERNEXTFILE, 1127u);
    EXPECT_EQ(UWM_PLAYERTRACKEND, 1128u);
    EXPECT_EQ(UWM_PLAYERCONNECT, 1138u);
    EXPECT_EQ(UWM_HOOKKEYDOWN, 1139u);
    EXPECT_EQ(UWM_TRAYNOTIFY, 32768u);
}

TEST(Message, SendOnOwnThreadIsADirectCall)
{
    RecordingTarget target;
    EXPECT_EQ(SendMsg(&target, UWM_LISTPLAY, 2, 3), 5);
    ASSERT_EQ(target.received.size(), 1u);
    EXPECT_EQ(target.handledOnThread, QThread::currentThread());
    EXPECT_EQ(SendMsg(nullptr, UWM_LISTPLAY, 2, 3), 0);
}

TEST(Message, SendFromWorkerBlocksUntilTheTargetThreadAnswers)
{
    RecordingTarget target;
    std::atomic<LResult> answer{-1};
    std::atomic<bool> done{false};
    std::unique_ptr<QThread> worker(QThread::create([&] {
        // The worker fills a string the UI thread owns only while the worker waits.
        QString next;
        const LResult r = SendMsg(&target, UWM_PLAYERNEXTFILE, reinterpret_cast<WParam>(&next), 7);
        answer = r;
        done = true;
    }));
    // The worker must still be inside its send when this thread gets to answer.
    bool doneBeforeAnswer = true;
    target.onMessage = [&] { doneBeforeAnswer = done.load(); };
    worker->start();
    PumpUntil([&] { return done.load(); });
    worker->wait();
    ASSERT_TRUE(done.load());
    EXPECT_FALSE(doneBeforeAnswer);
    ASSERT_EQ(target.received.size(), 1u);
    EXPECT_EQ(target.handledOnThread, QThread::currentThread());
    EXPECT_EQ(answer.load(), static_cast<LResult>(target.received[0].wParam) + 7);
}

TEST(Message, PostsArriveLaterAndInOrderFromAnyThread)
{
    RecordingTarget target;
    PostMsg(&target, UWM_PLAYERMETA, 1, 0);
    EXPECT_TRUE(target.received.empty()); // queued, not called
    std::unique_ptr<QThread> worker(QThread::create([&] {
        for (int i = 2; i <= 200; ++i)
            PostMsg(&target, UWM_PLAYERTRACKEND, static_cast<WParam>(i), 0);
    }));
    worker->start();
    worker->wait();
    PumpUntil([&] { return target.received.size() == 200; });
    ASSERT_EQ(target.received.size(), 200u);
    for (size_t i = 0; i < target.received.size(); ++i)
        EXPECT_EQ(target.received[i].wParam, i + 1);
    EXPECT_EQ(target.handledOnThread, QThread::currentThread());
}

TEST(Message, PostToATargetDestroyedBeforeDeliveryIsDropped)
{
    // The gone target's message lies between two live ones, which still arrive in order
    // (the sanitizer build also sees any touch of the freed target).
    RecordingTarget survivor;
    auto target = std::make_unique<RecordingTarget>();
    PostMsg(&survivor, UWM_PLAYERMETA, 1, 0);
    PostMsg(target.get(), UWM_PLAYERMETA, 2, 0);
    PostMsg(&survivor, UWM_PLAYERMETA, 3, 0);
    target.reset();
    PumpUntil([&] { return survivor.received.size() == 2; });
    ASSERT_EQ(survivor.received.size(), 2u);
    EXPECT_EQ(survivor.received[0].wParam, 1u);
    EXPECT_EQ(survivor.received[1].wParam, 3u);
}
