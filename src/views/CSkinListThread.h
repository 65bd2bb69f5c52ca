// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QWidget>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class CSkinListNode;

// The list view's cover worker. Paints queue heads and blocks whose Cover element is shown;
// the worker finds each one's picture (an image in the track's folder, else a picture in the
// track's tags), loads it at the wanted size and publishes it on the node, then asks the
// window to repaint. Each node is queued at most once in its life (CSkinListNode::
// m_coverQueued, UI thread).
//
// Threads: Queue, Signal, Stop and Start run on the UI thread; the loop on the worker. m_mutex
// guards m_queue, m_signalled and m_stop and is never held while a picture loads. A queued
// node stays alive until Stop has returned, which the list guarantees by stopping the worker
// before it deletes rows. Stop abandons what is still queued after the picture being loaded,
// so it never keeps the UI thread waiting for a long queue.
class CSkinListThread {
public:
    // window: repainted (queued to its thread) after each cover; dpr: pixel ratio of covers.
    explicit CSkinListThread(QWidget* window, qreal dpr = 1.0);
    virtual ~CSkinListThread();
    CSkinListThread(const CSkinListThread&) = delete;
    CSkinListThread& operator=(const CSkinListThread&) = delete;

    // Appends node (file and wanted size already set). UI thread.
    void Queue(CSkinListNode* node);
    // Wakes the worker for what was queued since the last signal (once per paint).
    void Signal();
    // Ends the worker and forgets the queue; returns once the worker has ended.
    void Stop();
    // Starts a worker after Stop (the constructor starts the first).
    void Start();
    void SetDpr(qreal dpr) { m_dpr = dpr; }
    // Nodes still waiting, for tests and benchmarks.
    std::size_t LockPending();

private:
    void Run();
    void LoadCover(CSkinListNode* node) const;

    QWidget* m_window; // outlives the worker: the list stops it before it goes
    qreal m_dpr;
    std::mutex m_mutex;
    std::condition_variable m_event;
    std::deque<CSkinListNode*> m_queue; // guarded by m_mutex
    bool m_signalled = false;           // guarded by m_mutex
    bool m_stop = false;                // guarded by m_mutex
    std::thread m_thread;
};
