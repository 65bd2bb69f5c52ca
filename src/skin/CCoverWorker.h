// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QObject>

#include <functional>
#include <memory>

// Finds and decodes pictures away from the window's thread, which never waits for it: not to
// queue, not to drop, not to be destroyed. A picture on a dead network share or a named pipe
// behind an image name can keep a read waiting for ever; the worker doing that read is then
// left behind (it ends on its own once the read returns, and reports nothing) and a fresh one
// takes the next job, so newer pictures still come.
//
// A job is a function run on the worker that returns its delivery, a function run on the
// context's thread. A job captures values only: a worker left behind may still run it after
// its owner is gone. Deliveries of jobs queued before the last Drop never run.
//
// Threads: construction, Queue, Drop, IsBusy and destruction on the context's thread (the UI
// thread); jobs on the worker.
class CCoverWorker {
public:
    using Delivery = std::function<void()>;
    using Job = std::function<Delivery()>;

    // context: deliveries are queued to its thread; it must outlive this object.
    explicit CCoverWorker(QObject* context);
    // Drops what is queued; an idle worker is joined, a busy one is left behind.
    ~CCoverWorker();
    CCoverWorker(const CCoverWorker&) = delete;
    CCoverWorker& operator=(const CCoverWorker&) = delete;

    // Appends job; jobs run one at a time in the order queued. A job that throws delivers
    // nothing.
    void Queue(Job job);
    // Forgets the queued jobs and the delivery of the one under way.
    void Drop();
    // True while jobs are queued or one runs whose delivery is still wanted (tests and
    // benchmarks wait on it).
    bool IsBusy() const;

private:
    struct Lane;

    void StartLane();
    // Stops the current lane: joins its thread when it is idle, else leaves it to end alone.
    void StopLane();
    static void Run(const std::shared_ptr<Lane>& lane);

    QObject* m_context;
    std::shared_ptr<Lane> m_lane; // the worker taking new jobs; shared with its thread
};
