// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread queues, drops and destroys; each lane has one worker thread. A lane's
// mutex is the only lock; the worker never holds it while a job runs, only while it takes a
// job or posts a delivery. Stale results: Drop and the destructor raise the lane's epoch under
// its mutex; a delivery carries the epoch it was posted in and runs only while that is still
// the lane's epoch, checked on the UI thread. A lane whose job is under way when it is dropped
// is marked quit (it posts nothing more and ends after that job) and is never waited for.
#include "CCoverWorker.h"

#include <QMetaObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

struct CCoverWorker::Lane {
    QObject* context = nullptr; // set before the thread starts; alive while quit is false
    std::mutex mutex;
    std::condition_variable wake; // mutex: a job was queued or the lane must end
    std::deque<Job> jobs; // mutex
    bool running = false; // mutex: a job taken from jobs is under way
    bool quit = false; // mutex: take no more jobs, post nothing more
    std::atomic<std::uint64_t> epoch { 0 }; // written under mutex; read by deliveries
    std::thread thread; // UI thread: joined or detached by the owner
};

CCoverWorker::CCoverWorker(QObject* context)
    : m_context(context)
{
    StartLane();
}

CCoverWorker::~CCoverWorker()
{
    StopLane();
}

void CCoverWorker::StartLane()
{
    m_lane = std::make_shared<Lane>();
    m_lane->context = m_context;
    m_lane->thread = std::thread([lane = m_lane] { Run(lane); });
}

void CCoverWorker::StopLane()
{
    bool idle = false;
    {
        std::lock_guard lock(m_lane->mutex);
        m_lane->quit = true;
        ++m_lane->epoch;
        m_lane->jobs.clear();
        idle = !m_lane->running;
    }
    m_lane->wake.notify_all();
    // An idle worker ends at once; a busy one may be inside a read that never returns.
    if (idle)
        m_lane->thread.join();
    else
        m_lane->thread.detach();
}

void CCoverWorker::Queue(Job job)
{
    {
        std::lock_guard lock(m_lane->mutex);
        m_lane->jobs.push_back(std::move(job));
    }
    m_lane->wake.notify_one();
}

void CCoverWorker::Drop()
{
    bool busy = false;
    {
        std::lock_guard lock(m_lane->mutex);
        m_lane->jobs.clear();
        ++m_lane->epoch;
        busy = m_lane->running;
    }
    if (busy) {
        StopLane();
        StartLane();
    }
}

bool CCoverWorker::IsBusy() const
{
    std::lock_guard lock(m_lane->mutex);
    return m_lane->running || !m_lane->jobs.empty();
}

void CCoverWorker::Run(const std::shared_ptr<Lane>& lane)
{
    std::unique_lock lock(lane->mutex);
    for (;;) {
        lane->wake.wait(lock, [&] { return lane->quit || !lane->jobs.empty(); });
        if (lane->quit)
            return;
        Job job = std::move(lane->jobs.front());
        lane->jobs.pop_front();
        lane->running = true;
        lock.unlock();
        Delivery delivery;
        try {
            delivery = job();
        } catch (...) {
            // Out of memory for one picture or the like: it shows nothing, the lane goes on.
            delivery = nullptr;
        }
        job = nullptr; // its captures go before the lock is taken again
        lock.lock();
        lane->running = false;
        if (lane->quit || !delivery)
            continue;
        const std::uint64_t epoch = lane->epoch.load();
        QMetaObject::invokeMethod(
            lane->context,
            [lane, epoch, delivery = std::move(delivery)] {
                if (lane->epoch.load() == epoch)
                    delivery();
            },
            Qt::QueuedConnection);
    }
}
