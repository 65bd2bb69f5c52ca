// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Watches folders and everything under them for changes that matter to the library: music
// files (by extension) created, written, touched, removed or renamed, and folders created,
// removed or moved in or out. Changes are not reported one by one: once the folders have been
// quiet for the settle time, Changed is called once for the whole burst, so an album being
// copied or a file written for minutes gives one call after its last write.
//
// Where the system cannot watch (no inotify, or its per-user watch limit reached), the watch
// says so once through LimitReached and from then on calls Changed at the fallback interval.
//
// Threads: Start and Stop on the owner's thread; the callbacks run on the watch's own thread,
// which also walks the folders to place the watches, so a large tree never holds up the
// caller. Stop (and the destructor) wait for that thread, so the callbacks must not wait for
// the owner's thread.
class CFolderWatch {
public:
    using Notify = std::function<void()>;

    CFolderWatch(Notify changed, Notify limitReached);
    ~CFolderWatch();
    CFolderWatch(const CFolderWatch&) = delete;
    CFolderWatch& operator=(const CFolderWatch&) = delete;

    // Both in milliseconds; they take effect at the next Start.
    void SetSettleMs(int ms) { m_settleMs = ms; }
    void SetFallbackMs(int ms) { m_fallbackMs = ms; }
    // Stops any earlier watch and watches folders (missing ones are skipped).
    void Start(const QStringList& folders);
    void Stop();

    // True once the folders present at Start are all watched (or the fallback took over).
    bool IsReady() const { return m_ready.load(); }

private:
    void Run(const QStringList& folders);
    // Calls Changed every fallback interval until Stop.
    void RunFallback();
    // The inotify watch; false when the system refuses it, after which the fallback runs.
    bool RunWatch(const QStringList& folders);

    Notify m_changed;
    Notify m_limitReached;
    int m_settleMs = 500;
    int m_fallbackMs = 60000;
    int m_stopFd = -1; // eventfd the owner signals to end the inotify wait (Linux)
    std::mutex m_stopMutex;
    std::condition_variable m_stopSignal; // ends the fallback's wait
    bool m_stopping = false;              // guarded by m_stopMutex
    std::atomic<bool> m_stopRequested{false};
    std::thread m_thread;
    std::atomic<bool> m_ready{false};
};
