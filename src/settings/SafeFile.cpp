// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace safefile {

ReadStatus Read(const QString& path, qint64 maxBytes, QByteArray& bytes)
{
    bytes.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return ReadStatus::Missing;
    if (info.isDir())
        return ReadStatus::Unreadable;
    // A regular file's size is checked before anything is read, so a huge file costs nothing.
    if (info.isFile() && info.size() > maxBytes)
        return ReadStatus::TooLarge;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadStatus::Unreadable;
    // The size may have changed since it was asked, and special files report none: the read
    // itself is bounded too, in chunks, so memory follows what the file really holds.
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
