// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "BlockedOpen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

BlockedOpen::BlockedOpen(const QString& path, const QByteArray& bytes, int deadlineMs)
{
    // The lease's holder is told of each waiting open by SIGIO, which would end the process.
    std::signal(SIGIO, SIG_IGN);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return;
    file.close();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    m_held = m_fd >= 0 && ::fcntl(m_fd, F_SETLEASE, F_WRLCK) == 0;
    m_watchdog = std::thread([this, deadlineMs] {
        std::unique_lock lock(m_mutex);
        if (!m_released.wait_for(lock, std::chrono::milliseconds(deadlineMs),
                [this] { return m_fd < 0; })) {
            m_expired = true;
            ReleaseLocked(lock);
        }
    });
}

BlockedOpen::~BlockedOpen()
{
    Release();
    m_watchdog.join();
}

bool BlockedOpen::HasOpener()
{
    std::lock_guard lock(m_mutex);
    // While an open waits, the lease is being broken and no longer reads as a write lease.
    return m_fd >= 0 && ::fcntl(m_fd, F_GETLEASE) != F_WRLCK;
}

void BlockedOpen::Release()
{
    std::unique_lock lock(m_mutex);
    ReleaseLocked(lock);
}

bool BlockedOpen::Expired()
{
    std::lock_guard lock(m_mutex);
    return m_expired;
}

void BlockedOpen::ReleaseLocked(std::unique_lock<std::mutex>& lock)
{
    if (m_fd < 0)
        return;
    ::fcntl(m_fd, F_SETLEASE, F_UNLCK);
    ::close(m_fd);
    m_fd = -1;
    lock.unlock();
    m_released.notify_all();
    lock.lock();
}
