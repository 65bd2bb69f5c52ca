// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "IListSink.h"

#include <QString>

#include <vector>

class SqliteStmt;

// The track columns every list query reads, in this order:
// id, file, number, title, artist, album, year, genre, time, rating. Texts are empty for NULL.
struct TrackColumns {
    int id = 0;
    QString file;
    QString number;
    QString title;
    QString artist;
    QString album;
    QString year;
    QString genre;
    QString time;  // "%d:%.2d", empty for NULL
    int stars = 0; // rating / 20, clamped to 0..5

    static TrackColumns Read(const SqliteStmt& stmt);
};

// Texts of a group head for the skin's head kinds: artist, album, year, genre and the composed
// artist-and-album; a missing artist or album shows unknown.
ListTexts HeadTexts(const TrackColumns& row, const std::vector<int>& kinds,
                    const QString& unknown);
// Texts of a song row for the skin's song kinds (slots 0..6 and the composed artist-and-title).
ListTexts SongTexts(const TrackColumns& row, const std::vector<int>& kinds);
// Position text of row index (0-based) in a list of count rows: all of one width, "01" to "12".
QString PositionText(int index, int count);
