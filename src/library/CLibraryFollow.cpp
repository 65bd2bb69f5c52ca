// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread owns the state; the folder watch's thread only queues RequestRun to
// it; each run has one worker thread that owns a database connection for its life and ends by
// queueing the end of the UI thread's local event loop. The UI thread joins the worker after
// that loop ends, cancelling it first when the loop was ended from outside (the program
// quitting), so a run never outlives its call.
#include "CLibraryFollow.h"

#include "CDBase.h"

#include <QEventLoop>

#include <thread>

CLibraryFollow::CLibraryFollow(QObject* parent)
    : QObject(parent),
      m_watch(
          [this] { QMetaObject::invokeMethod(this, [this] { RequestRun(); }, Qt::QueuedConnection); },
          [this] {
              QMetaObject::invokeMethod(this, [this] { Q_EMIT LimitReached(); },
                  Qt::QueuedConnection);
          }),
      m_schedule([](const Job& job) { job(); })
{
}

CLibraryFollow::~CLibraryFollow()
{
    // The watch thread queues calls to this object: it ends before the object's posted events
    // are dropped.
    m_watch.Stop();
}

void CLibraryFollow::Start(const QStringList& folders)
{
    m_watch.Stop();
    m_folders = folders;
    m_active = !folders.isEmpty();
    if (!m_active)
        return;
    m_watch.Start(folders);
    RequestRun();
}

void CLibraryFollow::Stop()
{
    m_watch.Stop();
    m_active = false;
    m_again = false;
}

void CLibraryFollow::RequestRun()
{
    if (!m_active || m_queued)
        return;
    if (m_running) {
        m_again = true;
        return;
    }
    m_queued = true;
    m_schedule([this] {
        m_queued = false;
        if (m_active)
            RunNow();
    });
}

void CLibraryFollow::RunNow()
{
    m_running = true;
    const QStringList folders = m_folders;
    UpdateStats stats;
    bool failed = false;
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::thread worker([&] {
        try {
            stats = RunUpdate(folders, cancel);
        } catch (...) {
            // The update rolled its transaction back; the next report tries again.
            failed = true;
        }
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done)
        loop.exec();
    if (!done)
        cancel = true;
    worker.join();
    m_running = false;
    ++m_runs;
    if (!failed)
        Q_EMIT Updated(stats);
    if (m_again) {
        m_again = false;
        RequestRun();
    }
}

UpdateStats CLibraryFollow::RunUpdate(const QStringList& folders,
    const std::atomic<bool>& cancel) const
{
    CDBase db;
    db.SetFolder(m_profileFolder);
    db.OpenLibrary();
    if (!db.IsOpen(DbConn::Library))
        return {};
    NoUpdateProgress progress;
    CLibraryUpdate job(db, m_reader, progress, cancel);
    job.SetCompact(false);
    // One reader ahead of the writer: a copied album goes quickly without taking the
    // processor from playback.
    job.SetReaderThreads(1);
    job.UpdateLibrary(folders);
    return job.Stats();
}
