// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

// A plain file whose open waits, as a picture on a dead network share does: a write lease
// held on it makes every other open of it wait until the lease is given up (Linux; the
// system breaks a lease itself after /proc/sys/fs/lease-break-time, 45 s by default). A
// watchdog gives the lease up after deadlineMs, so that code which waits for the opener
// cannot hang a test; Expired then tells the test it failed.
class BlockedOpen {
public:
    // Writes bytes to path and takes the lease.
    BlockedOpen(const QString& path, const QByteArray& bytes, int deadlineMs);
    // Gives the lease up and stops the watchdog.
    ~BlockedOpen();
    BlockedOpen(const BlockedOpen&) = delete;
    BlockedOpen& operator=(const BlockedOpen&) = delete;

    // The lease is in place (false when the file could not be written or leased).
    bool IsHeld() const { return m_held; }
    // True once somebody's open waits on the file.
    bool HasOpener();
    // Lets every waiting and later open through.
    void Release();
    // True when the watchdog had to release the file.
    bool Expired();

private:
    void ReleaseLocked(std::unique_lock<std::mutex>& lock);

    int m_fd = -1; // m_mutex once the watchdog runs
    bool m_held = false;
    bool m_expired = false; // m_mutex
    std::mutex m_mutex;
    std::condition_variable m_released; // m_mutex: m_fd closed
    std::thread m_watchdog;
};
