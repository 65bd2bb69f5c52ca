// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread starts and drops fills and receives their rows through a queued call;
// one worker reads them, and frees what the UI thread hands back: the rest of delivered rows,
// and the rows a sink showed before a fill, which go before the fill's rows are made.
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
#include <utility>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int kBusyStepMs = 5;
// Freeing this many rows leaves enough loose pages to be worth handing back to the system.
constexpr std::size_t kTrimRows = 20000;

} // namespace

struct CListFill::Job {
    std::uint64_t generation = 0;
    const std::atomic<std::uint64_t>* newest = nullptr;
    QString path;
    std::string_view sql;
    QStringList args;
    ListShape shape;
    std::shared_ptr<const IListBuilder> builder; // null: the rows go in through AddRows
};

struct CListFill::Result {
    std::vector<ListRow> rows;
    std::unique_ptr<IListBatch> batch; // the rows as the sink keeps them, when it has a builder
    std::size_t count = 0; // rows read
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
    job->builder = sink.Builder();
    // The rows shown so far go at once: what they stood for (the node, the playlist file) is
    // already gone, and nothing may act on them while the new ones are read. The worker frees
    // them before it makes the new ones, so the two never take memory at the same time.
    m_sink = &sink;
    LockHandBack(sink.Detach(), true);
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
    std::vector<std::shared_ptr<void>> spent;
    for (;;) {
        std::unique_ptr<Job> job;
        bool trim = false;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || m_job != nullptr || !m_spent.empty(); });
            if (m_quit) {
                return;
            }
            job = std::move(m_job);
            spent.swap(m_spent);
            trim = std::exchange(m_trim, false);
        }
        spent.clear();
#ifdef __GLIBC__
        // The allocator keeps the pages of freed rows for reuse, scattered between live
        // blocks where it cannot give them back by itself; a long list leaves tens of
        // megabytes of them.
        if (trim) {
            malloc_trim(0);
        }
#endif
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
        result->count = result->rows.size();
        if (job.builder) {
            result->batch = job.builder->Build(result->rows);
            std::vector<ListRow>().swap(result->rows);
        }
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
        const bool trim = result && result->count >= kTrimRows;
        LockHandBack(std::move(result), trim);
        return;
    }
    IListSink& sink = *m_sink;
    m_sink = nullptr;
    std::vector<ListRow> none;
    LockHandBack(sink.Detach(), true);
    sink.BeginUpdate();
    if (result && result->batch) {
        result->batch->AddToSink();
    } else {
        sink.AddRows(result ? result->rows : none);
    }
    sink.EndUpdate();
    const bool ok = result && result->ok;
    const bool trim = result && result->count >= kTrimRows;
    LockHandBack(std::move(result), trim);
    Q_EMIT BusyChanged(false);
    Q_EMIT Finished(ok);
}

void CListFill::LockHandBack(std::shared_ptr<void> spent, bool trim)
{
    if (!spent) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_spent.push_back(std::move(spent));
        m_trim = m_trim || trim;
    }
    m_wake.notify_one();
}
