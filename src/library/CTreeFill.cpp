// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread starts and drops reads and receives their children through a queued
// call; one worker reads them in the order asked. m_mutex is the only lock; the worker never
// holds it while reading or while posting. Each read has a generation number, and m_wanted
// holds the newest one of each root: the worker reads and posts a job only while it is the
// one wanted, and the UI thread checks again when the children arrive, so a superseded or
// dropped read never reaches the tree. A read that becomes stale is cut short by
// sqlite3_interrupt on its connection, which is only called under m_mutex while the
// connection is registered in m_reading (the worker closes it only after clearing that).
#include "CTreeFill.h"

#include "CDBase.h"
#include "CMyCaseCollation.h"
#include "Sqlite.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr int kBusyStepMs = 5;

} // namespace

void CTreeFill::Children::AddValueNode(const QString& label, const QString& key)
{
    m_nodes.push_back({ Kind::Value, label, key, QString(), QString() });
}

void CTreeFill::Children::AddAlbumNode(
    const QString& label, const QString& artist, const QString& album)
{
    m_nodes.push_back({ Kind::Album, label, QString(), artist, album });
}

void CTreeFill::Children::AddPlaylistNode(const QString& label, const QString& file)
{
    m_nodes.push_back({ Kind::Playlist, label, file, QString(), QString() });
}

void CTreeFill::Children::Replay(ITreeSink& sink) const
{
    for (const Node& node : m_nodes) {
        switch (node.kind) {
        case Kind::Value:
            sink.AddValueNode(node.label, node.key);
            break;
        case Kind::Album:
            sink.AddAlbumNode(node.label, node.artist, node.album);
            break;
        case Kind::Playlist:
            sink.AddPlaylistNode(node.label, node.key);
            break;
        }
    }
}

CTreeFill::CTreeFill(QObject* parent)
    : QObject(parent)
{
    m_worker = std::thread([this] { Run(); });
}

CTreeFill::~CTreeFill()
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

void CTreeFill::Start(const QString& path, TreeKind kind, const QString& nullLabel)
{
    if (kind != TreeKind::Artists && kind != TreeKind::Albums && kind != TreeKind::Genres
        && kind != TreeKind::Years) {
        return;
    }
    const bool wasRunning = IsRunning();
    Job job { ++m_newest, kind, path, nullLabel };
    {
        std::lock_guard lock(m_mutex);
        m_wanted[kind] = job.generation;
        m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                          [kind](const Job& queued) { return queued.kind == kind; }),
            m_queue.end());
        m_queue.push_back(std::move(job));
        // The same root read before is stale now; other roots read on.
        if (m_reading != nullptr && m_readingKind == kind) {
            sqlite3_interrupt(m_reading);
        }
    }
    m_wake.notify_one();
    if (!wasRunning) {
        Q_EMIT BusyChanged(true);
    }
}

void CTreeFill::Cancel()
{
    if (!IsRunning()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_wanted.clear();
        m_queue.clear();
        if (m_reading != nullptr) {
            sqlite3_interrupt(m_reading);
        }
    }
    Q_EMIT BusyChanged(false);
}

void CTreeFill::Run()
{
    // Made on the first read: its rank table and sort-key cache then serve every later one.
    std::unique_ptr<CMyCaseCollation> collation;
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
            if (m_quit) {
                return;
            }
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        std::shared_ptr<Result> result;
        try {
            result = Read(job, collation);
        } catch (...) {
            // Out of memory or the like: the root stays without children, the worker carries on.
            result.reset();
        }
        if (!LockIsWanted(job)) {
            continue;
        }
        QMetaObject::invokeMethod(
            this,
            [this, job = std::move(job), result = std::move(result)] { Deliver(job, result); },
            Qt::QueuedConnection);
    }
}

std::shared_ptr<CTreeFill::Result> CTreeFill::Read(
    const Job& job, std::unique_ptr<CMyCaseCollation>& collation)
{
    auto result = std::make_shared<Result>();
    if (!collation) {
        collation = std::make_unique<CMyCaseCollation>();
    }
    BusyContext busy { this, &job };
    // A fresh connection per read: it sees the file as it is now, even one made anew.
    SqliteDb db;
    if (!db.OpenReadOnly(job.path) || !collation->Register(db.Get())) {
        return result;
    }
    sqlite3_busy_handler(db.Get(), &CTreeFill::OnBusy, &busy);
    if (!LockBeginRead(job, db.Get())) {
        return result;
    }
    // Whatever ends the read, the connection is unregistered before it closes.
    struct EndRead {
        CTreeFill* fill;
        ~EndRead() { fill->LockEndRead(); }
    } endRead { this };
    Children children;
    if (CLibraryQuery::ReadRoot(db.Get(), collation.get(), job.kind, job.nullLabel, children)) {
        result->children = std::move(children);
        result->ok = true;
    }
    return result;
}

bool CTreeFill::LockBeginRead(const Job& job, sqlite3* db)
{
    std::lock_guard lock(m_mutex);
    const auto wanted = m_wanted.find(job.kind);
    if (wanted == m_wanted.end() || wanted->second != job.generation) {
        return false;
    }
    m_reading = db;
    m_readingKind = job.kind;
    return true;
}

void CTreeFill::LockEndRead()
{
    std::lock_guard lock(m_mutex);
    m_reading = nullptr;
}

bool CTreeFill::LockIsWanted(const Job& job)
{
    std::lock_guard lock(m_mutex);
    const auto wanted = m_wanted.find(job.kind);
    return wanted != m_wanted.end() && wanted->second == job.generation;
}

int CTreeFill::OnBusy(void* data, int count)
{
    // A writer is committing: wait for it, as the window's own connection would, unless the
    // read went stale meanwhile.
    const auto* busy = static_cast<const BusyContext*>(data);
    if (count * kBusyStepMs >= CDBase::kBusyMs || !busy->fill->LockIsWanted(*busy->job)) {
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kBusyStepMs));
    return 1;
}

void CTreeFill::Deliver(const Job& job, const std::shared_ptr<Result>& result)
{
    const auto wanted = m_wanted.find(job.kind);
    if (wanted == m_wanted.end() || wanted->second != job.generation) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_wanted.erase(job.kind);
    }
    // Told first: whoever takes the children may start the next read at once.
    if (!IsRunning()) {
        Q_EMIT BusyChanged(false);
    }
    const Children none;
    const bool ok = result && result->ok;
    Q_EMIT Finished(job.kind, ok ? result->children : none, ok);
}
