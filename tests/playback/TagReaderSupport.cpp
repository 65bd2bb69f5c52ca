// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagReaderSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray BigEndian(quint32 value, bool synchsafe)
{
    const int shift = synchsafe ? 7 : 8;
    const quint32 mask = synchsafe ? 0x7F : 0xFF;
    QByteArray out(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= shift)
        out[i] = static_cast<char>(value & mask);
    return out;
}

// Bytes after a leading ID3v2 tag.
QByteArray WithoutId3v2(const QByteArray& bytes)
{
    if (!bytes.startsWith("ID3") || bytes.size() < 10)
        return bytes;
    qsizetype size = 10;
    for (int i = 6; i < 10; ++i)
        size = size + ((static_cast<unsigned char>(bytes[i]) & 0x7F) << (7 * (9 - i)));
    return bytes.mid(size);
}

} // namespace

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
        && a.album == b.album && a.year == b.year && a.hasYear == b.hasYear && a.genre == b.genre
        && a.composer == b.composer && a.albumartist == b.albumartist && a.time == b.time
        && a.type == b.type && a.bitrate == b.bitrate && a.sample == b.sample
        && a.channel == b.channel;
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

bool PrependId3v23(const QString& path, const char* frameId, const QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray audio = WithoutId3v2(file.readAll());
    file.close();
    const QByteArray body = '\0' + text;
    const QByteArray frame = QByteArray(frameId)
        + BigEndian(static_cast<quint32>(body.size()), false) + QByteArray(2, '\0') + body;
    const QByteArray tag = QByteArray("ID3\x03\x00\x00", 6)
        + BigEndian(static_cast<quint32>(frame.size()), true) + frame;
    return WriteBytes(path, tag + audio);
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

} // namespace tagtest
