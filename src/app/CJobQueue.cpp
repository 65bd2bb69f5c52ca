// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CJobQueue.h"

#include <utility>

void CJobQueue::Run(std::function<void()> job)
{
    if (m_closed)
        return;
    m_queue.push_back(std::move(job));
    if (m_running)
        return;
    m_running = true;
    // Jobs do not throw (exceptions never cross the event loop their dialogs run), so the
    // flag is cleared on the one way out.
    while (!m_queue.empty() && !m_closed) {
        std::function<void()> next = std::move(m_queue.front());
        m_queue.pop_front();
        next();
    }
    m_running = false;
}

void CJobQueue::Close()
{
    m_closed = true;
    m_queue.clear();
}
