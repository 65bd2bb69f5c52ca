// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "skin/CCoverWorker.h"

#include <QWidget>

#include <vector>

class CSkinListNode;

// The list view's cover loading. Paints queue heads and blocks whose Cover element is shown;
// the worker finds each one's picture (an image in the track's folder, else a picture in the
// track's tags) and loads it at the wanted size, and the UI thread publishes it on the node
// and repaints the window. Each node is queued at most once in its life (CSkinListNode::
// m_coverQueued, UI thread).
//
// Threads: UI thread only; the pictures are found and decoded on a CCoverWorker, which gets
// copies of each node's file and size, never the node. Stop never waits for the worker: a
// picture still being read (a dead network share, a pipe behind an image name) is abandoned
// and the covers of the next rows still come.
class CSkinListThread {
public:
    // window: repainted after each cover, and the thread covers are published on; dpr: pixel
    // ratio of covers.
    explicit CSkinListThread(QWidget* window, qreal dpr = 1.0);
    CSkinListThread(const CSkinListThread&) = delete;
    CSkinListThread& operator=(const CSkinListThread&) = delete;

    // Appends node (file and wanted size already set); it must stay alive until Stop.
    void Queue(CSkinListNode* node);
    // Hands the worker what was queued since the last signal (once per paint).
    void Signal();
    // Forgets the queue and every cover still unpublished, so the queued nodes may go.
    void Stop();
    void SetDpr(qreal dpr) { m_dpr = dpr; }
    // True while covers are waiting or being loaded, for tests and benchmarks.
    bool IsBusy() const { return !m_queued.empty() || m_worker.IsBusy(); }

private:
    QWidget* m_window;
    qreal m_dpr;
    std::vector<CSkinListNode*> m_queued; // queued since the last Signal
    CCoverWorker m_worker;
};
