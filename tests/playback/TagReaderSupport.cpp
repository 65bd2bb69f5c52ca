// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagReaderSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tagtest {

TrackRecord Sentinel()
{
    TrackRecord r;
    r.size = 77;
    r.modified = "2001-02-03 04:05:06";
    r.number = -7;
    r.hasNumber = true;
    r.title = "untouched title";
    r.artist = "untouched artist";
    r.album = "untouched album";
    r.year = 1234;
    r.hasYear = true;
    r.genre = "untouched genre";
    r.composer = "untouched composer";
    r.albumartist = "untouched albumartist";
    r.time = 99;
    r.type = 5;
    r.bitrate = 98;
    r.sample = 97;
    r.channel = 96;
    return r;
}

bool SameRecord(const TrackRecord& a, const TrackRecord& b)
{
    return a.size == b.size && a.modified == b.modified && a.number == b.number
        && a.hasNumber == b.hasNumber && a.title == b.title && a.artist == b.artist
        && a.album == b.album && a.year == b.year && a.hasYear == b.hasYear
        && a.genre == b.genre && a.composer == b.composer && a.albumartist == b.albumartist
        && a.time == b.time && a.type == b.type && a.bitrate == b.bitrate
        && a.sample == b.sample && a.channel == b.channel;
}

QString ApeSample(const QString& name)
{
    const QString folder = qEnvironmentVariable("PLUMO_SHARED_TESTDATA");
    if (folder.isEmpty())
        return {};
    const QString path = QDir(folder).filePath("ape/" + name);
    return QFileInfo::exists(path) ? path : QString();
}

int FormulaBitrate(long long size, double seconds)
{
    return static_cast<int>(static_cast<double>(size) / (seconds * 125.0) + 0.5);
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace tagtest
