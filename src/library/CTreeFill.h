// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CLibraryQuery.h"
#include "ITreeSink.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct sqlite3;

// Reads the children of the library tree's roots (artists, albums, genres, years) on a worker
// thread: a quarter of a million tracks take longer to scan than the window may stay busy.
// The worker opens the library file read-only on a connection of its own with its own
// "MYCASE" collation and reads what CLibraryQuery::FillRoot would add; the children reach the
// UI thread through Finished. Reads of different roots queue up; a read of a root started
// again supersedes the older one of that root, whose children never arrive.
//
// UI thread only, except for the worker inside. Destroying the object stops a running read
// (SQLite interrupts its statement) and joins the worker.
class CTreeFill : public QObject {
    Q_OBJECT
public:
    // The children of one root as read, to be added to the tree in order.
    class Children : public ITreeSink {
    public:
        void AddValueNode(const QString& label, const QString& key) override;
        void AddAlbumNode(const QString& label, const QString& artist,
            const QString& album) override;
        void AddPlaylistNode(const QString& label, const QString& file) override;
        // Adds every child to sink, in the order read.
        void Replay(ITreeSink& sink) const;
        std::size_t Size() const { return m_nodes.size(); }

    private:
        enum class Kind : int { Value, Album, Playlist };
        struct Node {
            Kind kind;
            QString label;
            QString key; // the value, or the playlist's file name
            QString artist; // album leaves
            QString album;
        };
        std::vector<Node> m_nodes;
    };

    explicit CTreeFill(QObject* parent = nullptr);
    ~CTreeFill() override;
    CTreeFill(const CTreeFill&) = delete;
    CTreeFill& operator=(const CTreeFill&) = delete;

    // Starts reading the children of the root of kind from the library file at path;
    // nullLabel names the node of the tracks without a value. Kinds the library does not
    // serve are not read.
    void Start(const QString& path, TreeKind kind, const QString& nullLabel);
    // Drops every read, queued or under way: no children arrive from them.
    void Cancel();
    // True from Start until the children of every root asked for have arrived or were dropped.
    bool IsRunning() const { return !m_wanted.empty(); }
    bool IsRunning(TreeKind kind) const { return m_wanted.count(kind) != 0; }

Q_SIGNALS:
    // True when a read starts with none running, false when none runs any more; the window
    // shows the wait cursor in between.
    void BusyChanged(bool busy);
    // The children of the newest read of the root of kind; ok is false (and children empty)
    // when its statement failed or the file could not be opened.
    void Finished(TreeKind kind, const CTreeFill::Children& children, bool ok);

private:
    struct Job {
        std::uint64_t generation = 0;
        TreeKind kind = TreeKind::Artists;
        QString path;
        QString nullLabel;
    };
    struct Result {
        Children children;
        bool ok = false;
    };

    void Run();
    std::shared_ptr<Result> Read(const Job& job, std::unique_ptr<CMyCaseCollation>& collation);
    // Registers db as the connection reading job; false when job is stale already.
    bool LockBeginRead(const Job& job, sqlite3* db);
    void LockEndRead();
    bool LockIsWanted(const Job& job);
    void Deliver(const Job& job, const std::shared_ptr<Result>& result);
    static int OnBusy(void* data, int count);

    struct BusyContext {
        CTreeFill* fill;
        const Job* job;
    };

    std::mutex m_mutex;
    std::condition_variable m_wake; // m_mutex: a job is queued or the worker must end
    std::deque<Job> m_queue; // m_mutex: reads not begun, oldest first
    // m_mutex (written on the UI thread only): the newest read wanted for each root.
    std::map<TreeKind, std::uint64_t> m_wanted;
    sqlite3* m_reading = nullptr; // m_mutex: the connection of the read under way
    TreeKind m_readingKind = TreeKind::Artists; // m_mutex: valid while m_reading is set
    bool m_quit = false; // m_mutex
    std::uint64_t m_newest = 0; // UI thread: generation of the newest read
    std::thread m_worker; // last: it starts once the members above exist
};
