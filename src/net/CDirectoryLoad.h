// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "RadioStations.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Loads the stations of one radio directory request at a time without holding up the window:
// the request goes out on an asynchronous socket of the UI thread, the answer is parsed on a
// worker thread, and the stations come back to the UI thread in one queued call. A load
// started while another runs supersedes it: the older one's socket is aborted and its
// stations never arrive.
//
// UI thread only, except for the parser, which runs on the worker. Destroying the object drops
// the running load and joins the worker (after a parse under way, which the byte cap bounds).
class CDirectoryLoad : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int connectMs = 10000;                   // to establish the connection
        int answerMs = 20000;                    // from the start to the server closing
        qint64 maxAnswerBytes = 8 * 1024 * 1024; // reading stops here
    };
    // Reads the stations out of a whole answer. Runs on the worker thread, so it may use only
    // what it was given.
    using Parser = std::function<std::vector<radio::Station>(const QByteArray& answer)>;

    explicit CDirectoryLoad(QObject* parent = nullptr);
    ~CDirectoryLoad() override;
    CDirectoryLoad(const CDirectoryLoad&) = delete;
    CDirectoryLoad& operator=(const CDirectoryLoad&) = delete;

    // For the loads started from now on.
    void SetLimits(const Limits& limits) { m_limits = limits; }
    const Limits& GetLimits() const { return m_limits; }

    // Drops the running load, if any, and sends request to server ("host" or "host:port",
    // port 80, or 443 with tls, when none is given) in one write; with tls over TLS with the
    // server's certificate verified against the system's authorities. Reading ends when the server closes, at the
    // answer time limit or at the byte cap; parser then makes the stations of what came.
    // Finished always follows later, from the event loop, unless a newer Start or Cancel
    // comes first.
    void Start(const QString& server, const QByteArray& request, Parser parser, bool tls = false);
    // Drops the running load, if any: its stations never arrive.
    void Cancel();
    // True from Start until Finished or the load was dropped.
    bool IsRunning() const { return m_running; }

Q_SIGNALS:
    // True when a load starts with none running, false when none runs any more (just before
    // Finished, or on Cancel); the window shows the wait cursor in between.
    void BusyChanged(bool busy);
    // The newest load ended. With listed, an answer came and stations holds what the parser
    // made of it, at most radio::kMaxStations and perhaps none (an answer that is not a
    // station list). Without, the server could not be reached, the request not sent or
    // nothing came back, and stations is empty.
    void Finished(bool listed, const std::vector<radio::Station>& stations);

private:
    class Fetch;
    struct Job;
    using Stations = std::vector<radio::Station>;

    void OnFetched(std::uint64_t generation, bool ok, const QByteArray& answer);
    void DropFetch();
    // Hands the worker its next answer to parse (null for none).
    void LockReplaceJob(std::unique_ptr<Job> job);
    void Run();
    void Deliver(std::uint64_t generation, const std::shared_ptr<const Stations>& stations);
    void Finish(bool listed, const Stations& stations);

    std::mutex m_mutex;
    std::condition_variable m_wake; // m_mutex: a job is waiting or the worker must end
    std::unique_ptr<Job> m_job; // m_mutex: the next answer to parse
    bool m_quit = false; // m_mutex
    std::atomic<std::uint64_t> m_newest { 0 }; // atomic: generation of the newest load
    Limits m_limits; // UI thread
    Parser m_parser; // UI thread: the running load's parser, until its answer is handed over
    Fetch* m_fetch = nullptr; // UI thread: the running load's request, a child of this object
    bool m_running = false; // UI thread
    std::thread m_worker; // last: it starts once the members above exist
};
