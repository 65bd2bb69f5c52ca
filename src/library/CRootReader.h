// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <sqlite3.h>

#include <vector>

class CMyCaseCollation;

// Reads the children of a library tree root: the artists, the genres, the years, or one album
// per artist and album, grouped and ordered as "GROUP BY ... COLLATE MYCASE" with its ORDER BY
// would give them. SQLite would sort every row of the library through the collation for that
// (a quarter of a million rows take it some 4 million calls), so the reader scans the column
// once, keeps each distinct text and ranks only those. Which spelling stands for a group of
// texts equal by the collation is not defined here either: it is the first one met.
//
// Each read answers false, having added nothing, when the column holds a value of another
// type than the statement's ranks cover (a number in a text column, a text year); the caller
// then runs the statement itself. A failing step throws SqliteError.
//
// Thread: any, one call at a time; db and collation belong to that thread for the call.
class CRootReader {
public:
    struct Album {
        QString artist; // empty for NULL
        QString album;
    };
    enum class Column : int { Artist, Genre };

    // collation must be the "MYCASE" collation registered on db.
    CRootReader(sqlite3* db, CMyCaseCollation& collation)
        : m_db(db)
        , m_collation(collation)
    {
    }

    // The distinct texts of the column in the collation's order; *sawNull tells whether any
    // row holds NULL there.
    bool Values(Column column, std::vector<QString>& values, bool* sawNull);
    // The distinct years, newest first, as decimal texts.
    bool Years(std::vector<QString>& years, bool* sawNull);
    // One entry per artist and album (NULL artists forming one artist), ordered by album and
    // then by artist, a NULL artist first; *sawNull tells whether any row has no album.
    bool Albums(std::vector<Album>& albums, bool* sawNull);

private:
    sqlite3* m_db;
    CMyCaseCollation& m_collation;
};
