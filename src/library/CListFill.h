// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CLibraryQuery.h"
#include "CListReader.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Fills the list from the library on a worker thread, so the window keeps answering while
// tens of thousands of tracks are read and sorted. The worker opens the library file read-only
// on a connection of its own with its own "MYCASE" collation; the finished rows reach the sink
// on the UI thread, which only takes them in: a sink with a builder gets them already in its
// own form, made on the worker. The rows a sink showed before a fill are freed on the worker
// too. A fill started while another one runs supersedes it: the older one's rows never reach a
// sink.
//
// UI thread only, except for the worker inside. Destroying the object stops a running read
// (SQLite interrupts its statement) and joins the worker.
class CListFill : public QObject {
    Q_OBJECT
public:
    explicit CListFill(QObject* parent = nullptr);
    ~CListFill() override;
    CListFill(const CListFill&) = delete;
    CListFill& operator=(const CListFill&) = delete;

    // Clears sink at once (Detach) and starts reading query from the library file at path.
    // When the rows are ready sink gets Detach, BeginUpdate, AddRows (or its builder's batch)
    // and EndUpdate, and Finished follows; a failed statement or a file that cannot be opened
    // gives an empty list. sink must stay alive until then, or until the next Start or Cancel.
    void Start(const QString& path, const ListQuery& query, ListShape shape, IListSink& sink);
    // Drops the running fill, if any: its rows never reach the sink.
    void Cancel();
    // True from Start until the rows are in the sink or the fill was dropped.
    bool IsRunning() const { return m_sink != nullptr; }

Q_SIGNALS:
    // True when a fill starts with none running, false when none runs any more (its rows are
    // in or it was dropped); the window shows the wait cursor in between.
    void BusyChanged(bool busy);
    // The rows of the newest fill are in its sink; ok is false when its statement failed.
    void Finished(bool ok);

private:
    struct Job;
    struct Result;

    // Hands the worker its next job (null for none) and interrupts the read under way.
    void LockReplaceJob(std::unique_ptr<Job> job);
    // Registers db as the connection being read; false when job is stale already.
    bool LockBeginRead(const Job& job, sqlite3* db);
    void LockEndRead();
    void Run();
    std::shared_ptr<Result> Read(const Job& job, std::unique_ptr<CMyCaseCollation>& collation);
    void Deliver(std::uint64_t generation, std::shared_ptr<Result> result);
    // Gives rows to the worker to free (what is left of delivered ones, or what a sink showed
    // before): a quarter of a million of them would keep the window busy for tens of
    // milliseconds more. trim: spent is long enough that the memory freed with it is worth
    // giving back to the system (a sink detaches only rows that are costly to free).
    void LockHandBack(std::shared_ptr<void> spent, bool trim);
    static int OnBusy(void* job, int count);

    std::mutex m_mutex;
    std::condition_variable m_wake; // m_mutex: a job is waiting or the worker must end
    std::unique_ptr<Job> m_job; // m_mutex: the next fill to read
    std::vector<std::shared_ptr<void>> m_spent; // m_mutex: rows the worker frees
    bool m_trim = false; // m_mutex: m_spent holds a long list
    sqlite3* m_reading = nullptr; // m_mutex: the connection of the read under way
    bool m_quit = false; // m_mutex
    std::atomic<std::uint64_t> m_newest { 0 }; // atomic: generation of the newest fill
    IListSink* m_sink = nullptr; // UI thread: the sink of the running fill
    std::thread m_worker; // last: it starts once the members above exist
};
