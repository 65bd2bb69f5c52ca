// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <cstddef>
#include <deque>
#include <functional>

// The window's database jobs (adding files, importing a playlist file, the library update),
// one at a time in the order asked. Each job shows a modal progress dialog whose own event
// loop still delivers requests from outside (the desktop's media controls, a later start,
// drops): a job asked for while another runs waits for it instead of starting a second worker
// on the same connection from inside the first one's dialog. UI thread only.
class CJobQueue {
public:
    // Runs job now when no job runs. Otherwise queues it behind the running job and those
    // queued before it and returns at once; the outermost call runs them, one after the
    // other, once the running job has returned, so no job ever starts inside another.
    void Run(std::function<void()> job);
    // Drops the queued jobs; one already running ends normally. Later calls to Run do nothing.
    void Close();

    bool IsRunning() const { return m_running; }
    std::size_t Queued() const { return m_queue.size(); }

private:
    std::deque<std::function<void()>> m_queue;
    bool m_running = false;
    bool m_closed = false;
};
