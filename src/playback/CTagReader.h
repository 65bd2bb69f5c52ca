// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TrackRecord.h"

#include <QString>

// Readers of descriptive information, independent of what the engine is playing.
class CTagReader {
public:
    // Fills the tag and stream fields of record (number, title, artist, album, year, genre,
    // composer, albumartist, time, bitrate, sample, channel, the loudness gains and peaks);
    // size, modified and type are the
    // caller's. Returns false when the file cannot be opened as audio (record untouched).
    // Any thread; never decodes audio.
    static bool ReadTags(const QString& path, TrackRecord& record);

    // Splits a stream's metadata text ("StreamTitle='Artist - Song (Album)';...") into the
    // caller's title, artist and album; each is changed only as the rules allow.
    static void SplitStreamTitle(const QString& meta, QString& title, QString& artist,
        QString& album);
};
