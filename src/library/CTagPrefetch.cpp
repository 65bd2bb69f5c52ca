// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the database writer (the caller of Get) and up to a few reader threads. Lock:
// m_mutex only, never held while a file is examined or its tags are read. Readers never touch
// the database; the writer never waits for anything but its next item.
#include "CTagPrefetch.h"

#include "CDBase.h"
#include "CKnownRows.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

CTagPrefetch::CTagPrefetch(const std::vector<WalkFile>& files, const CKnownRows* known,
    TagReadFn reader, int threads, const std::atomic<bool>& cancel)
    : m_files(files), m_known(known), m_reader(std::move(reader)), m_cancel(cancel),
      m_items(files.size()), m_ready(files.size())
{
    // A thread the system refuses (no memory for its stack, a process limit) must not end the
    // update: the readers already started do the work, and with none Get() does it itself.
    // Throwing here instead would destroy running threads unjoined.
    m_threads.reserve(static_cast<std::size_t>(std::max(threads, 0)));
    for (int i = 0; i < threads; ++i) {
        try {
            m_threads.emplace_back([this] { ReaderLoop(); });
        } catch (const std::system_error&) {
            break;
        }
    }
}

CTagPrefetch::~CTagPrefetch()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_spaceCv.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

PrefetchItem& CTagPrefetch::Get(int index)
{
    const auto at = static_cast<std::size_t>(index);
    if (m_threads.empty()) {
        Fill(index);
        return m_items[at];
    }
    // Readers waiting for the window are woken in batches; a wake-up per file would cost
    // more than examining an unchanged file.
    if (index % kWakeBatch == 0) {
        {
            std::lock_guard lock(m_mutex);
            m_consumed = index;
        }
        m_spaceCv.notify_all();
    }
    if (!m_ready[at].load(std::memory_order_acquire)) {
        // One reader fills a run in order; sleeping until the end of the run, rather than
        // waking once per file, leaves the readers a core of their own while tags are read.
        const int wakeAt = std::min(static_cast<int>(m_files.size()) - 1,
            index - index % kChunk + kChunk - 1);
        std::unique_lock lock(m_mutex);
        m_consumed = index;
        m_spaceCv.notify_all();
        m_waitingFor.store(wakeAt);
        m_readyCv.wait(lock, [&] {
            return m_ready[static_cast<std::size_t>(wakeAt)].load();
        });
        m_waitingFor.store(-1);
    }
    return m_items[at];
}

bool CTagPrefetch::Examine(const QString& path, TrackRecord& record)
{
    return Examine(path.toStdString(), path, record);
}

// Both spellings of the path: on Unix file names are UTF-8 to Qt, so utf8 is also the name
// the system takes.
bool CTagPrefetch::Examine(const std::string& utf8, const QString& path, TrackRecord& record)
{
#ifdef Q_OS_UNIX
    Q_UNUSED(path);
    // One stat call; QFileInfo would also build local-time dates nobody reads.
    struct stat info {};
    if (::stat(utf8.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    record.size = static_cast<std::int64_t>(info.st_size);
    record.modified = CDBase::TimeText(static_cast<std::int64_t>(info.st_mtime));
#else
    Q_UNUSED(utf8);
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    record.size = info.size();
    record.modified = CDBase::TimeText(info.lastModified().toSecsSinceEpoch());
#endif
    return true;
}

void CTagPrefetch::ReaderLoop()
{
    int first = 0;
    int last = 0;
    while (Claim(first, last)) {
        for (int index = first; index < last; ++index) {
            if (!m_cancel.load(std::memory_order_relaxed))
                Fill(index);
            SetReady(index);
        }
    }
}

// The next run of indexes, once the window allows it; false when there is none left or the
// prefetch stops.
bool CTagPrefetch::Claim(int& first, int& last)
{
    const int count = static_cast<int>(m_files.size());
    std::unique_lock lock(m_mutex);
    m_spaceCv.wait(lock, [&] {
        return m_stop || m_next >= count || m_next < m_consumed + kWindow;
    });
    if (m_stop || m_next >= count)
        return false;
    first = m_next;
    last = std::min(count, first + kChunk);
    m_next = last;
    return true;
}

void CTagPrefetch::SetReady(int index)
{
    m_ready[static_cast<std::size_t>(index)].store(true);
    if (m_waitingFor.load() != index)
        return;
    // Taking the lock orders the wake-up after the writer has gone to sleep, or before it
    // tests the flag again under the lock.
    {
        std::lock_guard lock(m_mutex);
    }
    m_readyCv.notify_one();
}

void CTagPrefetch::Fill(int index)
{
    const WalkFile& file = m_files[static_cast<std::size_t>(index)];
    PrefetchItem& item = m_items[static_cast<std::size_t>(index)];
    item.file = file.path.toStdString();
    item.record.type = file.type;
    if (file.examined) {
        item.exists = file.regular;
        item.record.size = file.size;
        item.record.modified = CDBase::TimeText(file.modified);
    } else {
        item.exists = Examine(item.file, file.path, item.record);
    }
    if (!item.exists)
        return;
    const std::string* known = m_known ? m_known->KnownModified(item.file) : nullptr;
    if (known && *known == item.record.modified)
        return;
    item.tagsRead = true;
    try {
        item.tagsOk = m_reader(file.path, item.record);
    } catch (...) {
        // A reader thread must not end the program: the file counts as unreadable.
        item.tagsOk = false;
    }
}
