// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TrackRecord.h"

#include <QFile>
#include <QString>

// A stand-in tag reader for update tests: a "music file" holds the text
// "title|artist|album[|number[|year]]", and the text "unreadable" cannot be read.
inline bool ReadTextTags(const QString& path, TrackRecord& record)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    if (text == "unreadable")
        return false;
    const QList<QByteArray> parts = text.split('|');
    record.title = parts.value(0).toStdString();
    record.artist = parts.value(1).toStdString();
    record.album = parts.value(2).toStdString();
    record.hasNumber = parts.size() > 3;
    record.number = parts.value(3).toInt();
    record.hasYear = parts.size() > 4;
    record.year = parts.value(4).toInt();
    record.time = 180;
    record.bitrate = 128;
    return true;
}
