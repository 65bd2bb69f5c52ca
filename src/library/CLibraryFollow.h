// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CFolderWatch.h"
#include "CLibraryUpdate.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// Keeps "Library.db" in step with the library folders while the program runs: what the folder
// watch reports is taken in by a library update of its own (the rules of Update Library: a
// moved file keeps its row), run quietly on a worker with its own connection, without
// compacting the file. Reports that come while a run waits or runs give one more run after it.
//
// A run never overlaps another database job: it is handed to the schedule, which calls it when
// no other job runs. While the worker runs, the calling thread waits in a local event loop, so
// the window keeps answering. A run is never made without folders: an empty list would read as
// "every file deleted".
//
// Thread: the UI thread (the one the object lives on), except where noted.
class CLibraryFollow : public QObject {
    Q_OBJECT

public:
    using Job = std::function<void()>;
    using Schedule = std::function<void(Job)>;

    explicit CLibraryFollow(QObject* parent = nullptr);
    ~CLibraryFollow() override;

    // The folder that holds "Library.db".
    void SetProfileFolder(const QString& folder) { m_profileFolder = folder; }
    void SetTagReader(TagReadFn reader) { m_reader = std::move(reader); }
    // Hands a run to whatever orders the database jobs; by default it runs at once.
    void SetSchedule(Schedule schedule) { m_schedule = std::move(schedule); }
    // Quiet time before a burst is taken in, and the interval of the periodic run when the
    // system cannot watch; milliseconds, taking effect at the next Start.
    void SetSettleMs(int ms) { m_watch.SetSettleMs(ms); }
    void SetFallbackMs(int ms) { m_watch.SetFallbackMs(ms); }

    // Watches folders and asks for one run, which takes in what changed while nothing
    // watched. With no folders nothing is watched.
    void Start(const QStringList& folders);
    // Stops watching and drops a run not yet begun; a run already going ends normally.
    void Stop();
    // Asks for a run of the watched folders.
    void RequestRun();

    bool IsWatching() const { return m_active; }
    bool IsBusy() const { return m_running || m_queued; }
    const CFolderWatch& Watch() const { return m_watch; }
    // Runs finished since construction.
    int Runs() const { return m_runs; }

Q_SIGNALS:
    // After each run, with what it did; failed runs (rolled back) report nothing.
    void Updated(const UpdateStats& stats);
    // The system's watch limit was reached; the folders are now updated periodically.
    void LimitReached();

private:
    void RunNow();
    // On the worker: the update itself, on a connection of its own.
    UpdateStats RunUpdate(const QStringList& folders, const std::atomic<bool>& cancel) const;

    CFolderWatch m_watch;
    QString m_profileFolder;
    TagReadFn m_reader;
    Schedule m_schedule;
    QStringList m_folders;
    bool m_active = false;  // watching, so runs may be made
    bool m_queued = false;  // a run waits in the schedule
    bool m_running = false; // a run's worker is going
    bool m_again = false;   // a report came while a run was going
    int m_runs = 0;
};
