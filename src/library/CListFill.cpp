// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread starts and drops fills and receives their rows through a queued call;
// one worker reads them, and frees what the UI thread hands back of them once they are in.
// m_mutex is the only lock; the worker never holds it while reading or while posting. Each
// fill has a generation number: the worker posts a fill's rows only while its number is the
// newest, and the UI thread checks the number again when the rows arrive, so a superseded or
// dropped fill never reaches a sink. A read that becomes stale is cut short by
// sqlite3_interrupt on its connection, which is only called under m_mutex while the
// connection is registered in m_reading (the worker closes it only after clearing that).
#include "CListFill.h"

#include "CDBase.h"
#include "CMyCaseCollation.h"
#include "Sqlite.h"

#include <chrono>
#include <vector>

namespace {

constexpr int kBusyStepMs = 5;

} // namespace

struct CListFill::Job {
    std::uint64_t generation = 0;
    const std::atomic<std::uint64_t>* newest = nullptr;
    QString path;
    std::string_view sql;
    QStringList args;
    ListShape shape;
};

struct CListFill::Result {
    std::vector<ListRow> rows;
    bool ok = false;
};

CListFill::CListFill(QObject* parent)
    : QObject(parent)
{
    m_worker = std::thread([this] { Run(); });
}

CListFill::~CListFill()
{
    Cancel();
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        if (m_reading != nullptr) {
            sqlite3_interrupt(m_reading);
        }
    }
    m_wake.notify_all();
    m_worker.join();
}

void CListFill::Start(const QString& path, const ListQuery& query, ListShape shape, IListSink& sink)
{
    const bool wasRunning = IsRunning();
    auto job = std::make_unique<Job>();
    job->generation = ++m_newest;
    job->newest = &m_newest;
    job->path = path;
    job->sql = query.sql;
    job->args = query.args;
    job->shape = std::move(shape);
    // The rows shown so far go at once: what they stood for (the node, the playlist file) is
    // already gone, and nothing may act on them while the new ones are read.
    m_sink = &sink;
    sink.Clear();
    LockReplaceJob(std::move(job));
    m_wake.notify_one();
    if (!wasRunning) {
        Q_EMIT BusyChanged(true);
    }
}

void CListFill::Cancel()
{
    if (!IsRunning()) {
        return;
    }
    m_sink = nullptr;
    ++m_newest;
    LockReplaceJob(nullptr);
    Q_EMIT BusyChanged(false);
}

void CListFill::LockReplaceJob(std::unique_ptr<Job> job)
{
    std::lock_guard lock(m_mutex);
    m_job = std::move(job);
    // The read under way is stale now: the generation moved on before this call.
    if (m_reading != nullptr) {
        sqlite3_interrupt(m_reading);
    }
}

void CListFill::Run()
{
    // Made on the first fill: its rank table and sort-key cache then serve every later one.
    std::unique_ptr<CMyCaseCollation> collation;
    std::vector<std::shared_ptr<Result>> spent;
    for (;;) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || m_job != nullptr || !m_spent.empty(); });
            if (m_quit) {
                return;
            }
            job = std::move(m_job);
            spent.swap(m_spent);
        }
        spent.clear();
        if (!job) {
            continue;
        }
        std::shared_ptr<Result> result;
        try {
            result = Read(*job, collation);
        } catch (...) {
            // Out of memory or the like: the fill shows an empty list, the worker carries on.
            result.reset();
        }
        if (job->generation != m_newest.load()) {
            continue;
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation = job->generation, result = std::move(result)]() mutable {
                Deliver(generation, std::move(result));
            },
            Qt::QueuedConnection);
    }
}

std::shared_ptr<CListFill::Result> CListFill::Read(
    const Job& job, std::unique_ptr<CMyCaseCollation>& collation)
{
    auto result = std::make_shared<Result>();
    if (!collation) {
        collation = std::make_unique<CMyCaseCollation>();
    }
    // A fresh connection per fill: it sees the file as it is now, even one made anew.
    SqliteDb db;
    if (!db.OpenReadOnly(job.path) || !collation->Register(db.Get())) {
        return result;
    }
    sqlite3_busy_handler(db.Get(), &CListFill::OnBusy, const_cast<Job*>(&job));
    if (!LockBeginRead(job, db.Get())) {
        return result;
    }
    // Whatever ends the read, the connection is unregistered before it closes.
    struct EndRead {
        CListFill* fill;
        ~EndRead() { fill->LockEndRead(); }
    } endRead { this };
    try {
        result->rows = CListReader(db.Get(), *collation).Read(job.sql, job.args, job.shape);
        result->ok = true;
    } catch (const SqliteError&) {
        result->rows.clear();
    }
    return result;
}

bool CListFill::LockBeginRead(const Job& job, sqlite3* db)
{
    std::lock_guard lock(m_mutex);
    if (job.generation != m_newest.load()) {
        return false;
    }
    m_reading = db;
    return true;
}

void CListFill::LockEndRead()
{
    std::lock_guard lock(m_mutex);
    m_reading = nullptr;
}

int CListFill::OnBusy(void* data, int count)
{
    // A writer is committing: wait for it, as the window's own connection would, unless the
    // fill went stale meanwhile.
    const auto* job = static_cast<const Job*>(data);
    if (count * kBusyStepMs >= CDBase::kBusyMs || job->newest->load() != job->generation) {
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kBusyStepMs));
    return 1;
}

void CListFill::Deliver(std::uint64_t generation, std::shared_ptr<Result> result)
{
    if (generation != m_newest.load() || m_sink == nullptr) {
        LockHandBack(std::move(result));
        return;
    }
    IListSink& sink = *m_sink;
    m_sink = nullptr;
    std::vector<ListRow> none;
    sink.Clear();
    sink.BeginUpdate();
    sink.AddRows(result ? result->rows : none);
    sink.EndUpdate();
    const bool ok = result && result->ok;
    LockHandBack(std::move(result));
    Q_EMIT BusyChanged(false);
    Q_EMIT Finished(ok);
}

void CListFill::LockHandBack(std::shared_ptr<Result> result)
{
    if (!result) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_spent.push_back(std::move(result));
    }
    m_wake.notify_one();
}
