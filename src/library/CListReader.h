// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "IListSink.h"

#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <string_view>
#include <vector>

class CMyCaseCollation;

// What a list shows of each row: the skin's head and song kinds (as IListSink gives them) and
// the text of a missing artist or album in a head.
struct ListShape {
    std::vector<int> headKinds;
    std::vector<int> songKinds;
    QString unknown;
};

// Reads a track list statement of the browsing queries into list rows: the rows in the
// statement's order, a head wherever the artist or the album changes by the "MYCASE" rule, and
// only the texts the shape asks for.
//
// The statements order by artist, album and number, or by year (newest first), album and
// number, or by number alone. SQLite would call the collation some million times to sort a
// list of 50,000 tracks, so the reader runs the statement without its ORDER BY, ranks each
// distinct artist and album text once with the collation and sorts the rows by those ranks.
// Rows that compare equal in every sorted column keep the order of their library ids. A
// statement with another ORDER BY, or a sorted column holding a value the ranks do not cover
// (a number that is not an integer, an artist that is not text), is read with SQLite's own
// ORDER BY instead, which gives the same order.
//
// Thread: any, one call at a time; db and collation belong to that thread for the call.
class CListReader {
public:
    // collation must be the "MYCASE" collation registered on db.
    CListReader(sqlite3* db, CMyCaseCollation& collation)
        : m_db(db)
        , m_collation(collation)
    {
    }

    // The rows of sql bound to args (in order; an empty text binds NULL). Throws SqliteError
    // when the statement fails to prepare or to step, an interrupted read included.
    std::vector<ListRow> Read(
        std::string_view sql, const QStringList& args, const ListShape& shape);

    // Always sorts with SQLite's ORDER BY (for tests that compare both roads).
    void SetSqliteOrder(bool on) { m_sqliteOrder = on; }

private:
    sqlite3* m_db;
    CMyCaseCollation& m_collation;
    bool m_sqliteOrder = false;
};
