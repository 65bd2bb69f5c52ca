// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace safefile {

ReadStatus OpenRegular(const QString& path, qint64 maxBytes, QFile& file)
{
    if (path.isEmpty())
        return ReadStatus::Missing;
#ifdef Q_OS_UNIX
    // A plain open of a pipe waits for a writer, for ever if none comes. Opened without
    // waiting, the type is then asked of the descriptor itself, so a file swapped between a
    // check and the open cannot slip through.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return missing ? ReadStatus::Missing : ReadStatus::Unreadable;
    }
    struct stat info {};
    ReadStatus status = ReadStatus::Ok;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        status = ReadStatus::Unreadable;
    else if (info.st_size > maxBytes)
        status = ReadStatus::TooLarge;
    if (status == ReadStatus::Ok
        && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        status = ReadStatus::Unreadable;
    if (status != ReadStatus::Ok)
        ::close(fd);
    return status;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return ReadStatus::Missing;
    if (!info.isFile())
        return ReadStatus::Unreadable;
    if (info.size() > maxBytes)
        return ReadStatus::TooLarge;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) ? ReadStatus::Ok : ReadStatus::Unreadable;
#endif
}

ReadStatus Read(const QString& path, qint64 maxBytes, QByteArray& bytes)
{
    bytes.clear();
    QFile file;
    // The size is checked before anything is read, so a huge file costs nothing.
    const ReadStatus opened = OpenRegular(path, maxBytes, file);
    if (opened != ReadStatus::Ok)
        return opened;
    // The file may have grown since its size was asked: the read itself is bounded too, in
    // chunks, so memory follows what the file really holds.
    constexpr qint64 kChunk = 64 * 1024;
    QByteArray data;
    while (data.size() <= maxBytes) {
        const QByteArray chunk = file.read(std::min(kChunk, maxBytes + 1 - data.size()));
        if (file.error() != QFileDevice::NoError)
            return ReadStatus::Unreadable;
        if (chunk.isEmpty())
            break;
        data += chunk;
    }
    if (data.size() > maxBytes)
        return ReadStatus::TooLarge;
    bytes = std::move(data);
    return ReadStatus::Ok;
}

bool WriteReplacing(const QString& path, const QByteArray& bytes, bool text)
{
    // QSaveFile writes to a temporary file in the target's folder, syncs it and renames it
    // over the target on commit; on any failure it removes the temporary file.
    QSaveFile file(path);
    QIODevice::OpenMode mode = QIODevice::WriteOnly;
    if (text)
        mode |= QIODevice::Text;
    if (!file.open(mode))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace safefile
