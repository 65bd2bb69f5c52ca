// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The idle closer. A paused SDL device still wakes its audio thread every buffer to be fed
// silence; once nothing has played for a while, the device is closed instead, and the next
// channel made or started opens it again (EnsureDevice). A short pause keeps it open, so
// resuming costs nothing. Its thread sleeps on m_closeCv until armed and the time is up; it
// takes m_deviceMutex only with m_closeMutex released, since PauseIfIdle arms it with
// m_deviceMutex held.
#include "CAudioLib.h"

#include "CAudioChannel.h"

#include <algorithm>

void CAudioLib::SetIdleCloseMs(int ms)
{
    m_idleCloseMs.store(std::max(ms, 1), std::memory_order_relaxed);
}

void CAudioLib::ArmIdleClose()
{
    {
        std::lock_guard close(m_closeMutex);
        m_closeArmed = true;
        m_closeAt = std::chrono::steady_clock::now()
            + std::chrono::milliseconds(m_idleCloseMs.load(std::memory_order_relaxed));
    }
    m_closeCv.notify_all();
}

void CAudioLib::DisarmIdleClose()
{
    std::lock_guard close(m_closeMutex);
    m_closeArmed = false;
}

void CAudioLib::RunIdleClose()
{
    std::unique_lock close(m_closeMutex);
    for (;;) {
        m_closeCv.wait(close, [this] { return m_stopClose || m_closeArmed; });
        if (m_stopClose)
            return;
        const auto at = m_closeAt;
        if (m_closeCv.wait_until(close, at, [this, at] {
                return m_stopClose || !m_closeArmed || m_closeAt != at;
            }))
            continue; // stopped, disarmed or armed again: look afresh
        m_closeArmed = false;
        close.unlock();
        CloseIfStillIdle();
        close.lock();
    }
}

void CAudioLib::CloseIfStillIdle()
{
    std::lock_guard device(m_deviceMutex);
    if (!m_output.IsOpen() || !m_output.IsPaused() || m_output.IsFasterThanRealTime())
        return;
    {
        std::lock_guard lock(m_mutex);
        if (!m_mixList.empty())
            return;
    }
    m_output.Close();
    m_deviceOpen.store(false, std::memory_order_release);
    m_deviceRate.store(0, std::memory_order_relaxed);
    m_rendering.store(false, std::memory_order_relaxed);
    m_idleCloses.fetch_add(1, std::memory_order_release);
}
