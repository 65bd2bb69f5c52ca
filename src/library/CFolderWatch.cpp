// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the owner's thread starts and stops; one watch thread places the watches, reads the
// events and calls back. The owner ends the thread through an eventfd (the inotify wait) or a
// condition variable (the fallback's wait) and joins it; nothing else is shared but atomics.
// Paths stay the system's bytes on the watch thread, so names that are not valid UTF-8 are
// followed like any other; only the extension is looked at as text.
#include "CFolderWatch.h"

#include "CDBase.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#ifdef __linux__
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <poll.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef __linux__

constexpr std::uint32_t kDirMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO
    | IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool IsMusicName(const char* name)
{
    return CDBase::FileTypeCode(QFile::decodeName(name)) != 0;
}

// The watches of one inotify instance, by watch descriptor.
class WatchSet {
public:
    WatchSet(int fd, const std::atomic<bool>& stop) : m_fd(fd), m_stop(stop) {}

    // Watches folder and every folder under it, links followed. A folder met twice (a link
    // loop, two links to one place) is entered once per call. False once the system refuses
    // further watches.
    bool AddTree(const std::string& folder)
    {
        std::set<std::pair<dev_t, ino_t>> visited;
        std::vector<std::string> pending{folder};
        while (!pending.empty() && !m_stop.load()) {
            std::string path = std::move(pending.back());
            pending.pop_back();
            struct stat info {};
            if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)
                || !visited.emplace(info.st_dev, info.st_ino).second)
                continue;
            const int wd = inotify_add_watch(m_fd, path.c_str(), kDirMask);
            if (wd < 0) {
                if (errno == ENOSPC || errno == ENOMEM)
                    return false;
                continue; // no permission, or gone since it was listed
            }
            m_paths[wd] = path;
            ListFolders(path, pending);
        }
        return true;
    }

    // Drops the watches of folder and the folders under it (moved out of the watched tree).
    void RemoveTree(const std::string& folder)
    {
        const std::string prefix = folder + '/';
        for (auto it = m_paths.begin(); it != m_paths.end();) {
            if (it->second == folder || it->second.compare(0, prefix.size(), prefix) == 0) {
                inotify_rm_watch(m_fd, it->first);
                it = m_paths.erase(it);
            } else {
                ++it;
            }
        }
    }

    void Forget(int wd) { m_paths.erase(wd); }
    const std::string* PathOf(int wd) const
    {
        const auto it = m_paths.find(wd);
        return it == m_paths.end() ? nullptr : &it->second;
    }

private:
    // Appends the entries of folder that may be folders (links and unknown types are checked
    // when they are taken from the list).
    static void ListFolders(const std::string& folder, std::vector<std::string>& out)
    {
        DIR* dir = opendir(folder.c_str());
        if (!dir)
            return;
        while (const dirent* entry = readdir(dir)) {
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            if (entry->d_type == DT_DIR || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
                out.push_back(folder + '/' + entry->d_name);
        }
        closedir(dir);
    }

    int m_fd;
    const std::atomic<bool>& m_stop;
    std::unordered_map<int, std::string> m_paths;
};

// What one read of the event queue asks for.
struct EventResult {
    bool relevant = false; // something the library may need to follow
    bool full = false;     // the watch limit was reached while following new folders
};

EventResult HandleEvent(WatchSet& watches, const inotify_event& event)
{
    EventResult result;
    if (event.mask & IN_IGNORED) {
        watches.Forget(event.wd);
        return result;
    }
    if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
        result.relevant = true;
        return result;
    }
    const std::string* parent = watches.PathOf(event.wd);
    if (!parent || event.len == 0)
        return result;
    const std::string path = *parent + '/' + event.name;
    struct stat info {};
    const bool arrived = event.mask & (IN_CREATE | IN_MOVED_TO);
    // A link to a folder arrives without IN_ISDIR.
    const bool folder = (event.mask & IN_ISDIR)
        || (arrived && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    if (!folder) {
        result.relevant = IsMusicName(event.name);
        return result;
    }
    result.relevant = true;
    if (arrived)
        result.full = !watches.AddTree(path);
    else if (event.mask & IN_MOVED_FROM)
        watches.RemoveTree(path);
    return result;
}

// Reads what the queue holds; the folders are walked again when the queue overflowed, since
// folders made meanwhile are not watched yet.
EventResult ReadEvents(int fd, WatchSet& watches, const QStringList& folders)
{
    EventResult total;
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                total.relevant = true;
                for (const QString& folder : folders)
                    total.full = total.full || !watches.AddTree(QFile::encodeName(folder).toStdString());
                continue;
            }
            const EventResult one = HandleEvent(watches, *event);
            total.relevant = total.relevant || one.relevant;
            total.full = total.full || one.full;
        }
    }
    return total;
}

#endif

} // namespace

CFolderWatch::CFolderWatch(Notify changed, Notify limitReached)
    : m_changed(std::move(changed)), m_limitReached(std::move(limitReached))
{
}

CFolderWatch::~CFolderWatch()
{
    Stop();
}

void CFolderWatch::Start(const QStringList& folders)
{
    Stop();
    m_ready = false;
    m_stopRequested = false;
    {
        std::lock_guard lock(m_stopMutex);
        m_stopping = false;
    }
#ifdef __linux__
    m_stopFd = eventfd(0, EFD_CLOEXEC);
#endif
    m_thread = std::thread([this, folders] { Run(folders); });
}

void CFolderWatch::Stop()
{
    if (!m_thread.joinable())
        return;
    m_stopRequested = true;
    {
        std::lock_guard lock(m_stopMutex);
        m_stopping = true;
    }
    m_stopSignal.notify_all();
#ifdef __linux__
    if (m_stopFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(m_stopFd, &one, sizeof one);
    }
#endif
    m_thread.join();
#ifdef __linux__
    if (m_stopFd >= 0)
        close(m_stopFd);
    m_stopFd = -1;
#endif
}

void CFolderWatch::Run(const QStringList& folders)
{
    if (RunWatch(folders) || m_stopRequested)
        return;
    m_ready = true;
    if (m_limitReached)
        m_limitReached();
    // Whatever happened while the watches were being placed is taken in now.
    m_changed();
    RunFallback();
}

void CFolderWatch::RunFallback()
{
    std::unique_lock lock(m_stopMutex);
    while (!m_stopping) {
        if (m_stopSignal.wait_for(lock, std::chrono::milliseconds(m_fallbackMs),
                [this] { return m_stopping; }))
            break;
        lock.unlock();
        m_changed();
        lock.lock();
    }
}

#ifdef __linux__

bool CFolderWatch::RunWatch(const QStringList& folders)
{
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0 || m_stopFd < 0)
        return false;
    WatchSet watches(fd, m_stopRequested);
    bool full = false;
    for (const QString& folder : folders)
        full = full || !watches.AddTree(QFile::encodeName(folder).toStdString());
    m_ready = true;
    using Clock = std::chrono::steady_clock;
    bool pending = false; // a burst is waiting to settle, until due
    Clock::time_point due;
    while (!full) {
        int timeout = -1;
        if (pending) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now());
            timeout = static_cast<int>(std::max<std::int64_t>(0, left.count()));
        }
        pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {fd, POLLIN, 0}};
        if (poll(fds, 2, timeout) < 0 && errno != EINTR)
            break;
        if (fds[0].revents)
            break;
        if (fds[1].revents & POLLIN) {
            const EventResult events = ReadEvents(fd, watches, folders);
            full = events.full;
            // Each relevant event pushes the run back: a burst ends when the folders are
            // quiet, not when it began.
            if (events.relevant) {
                pending = true;
                due = Clock::now() + std::chrono::milliseconds(m_settleMs);
            }
        }
        if (pending && Clock::now() >= due) {
            pending = false;
            m_changed();
        }
    }
    close(fd);
    return !full;
}

#else

bool CFolderWatch::RunWatch(const QStringList&)
{
    return false;
}

#endif
