// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CDBase.h"

#include <memory>
#include <string>

class CKnownRows;

// The statements a library update may run once per file (insert, look for a moved file),
// prepared once for the run instead of once per call. The insert is the one of
// CDBase::InsertLibraryRow, which remains the fallback when preparing fails.
// The update's worker thread only; the object must not outlive the run's transaction.
class CUpdateStatements {
public:
    explicit CUpdateStatements(CDBase& db);
    ~CUpdateStatements();
    CUpdateStatements(const CUpdateStatements&) = delete;
    CUpdateStatements& operator=(const CUpdateStatements&) = delete;

    // The library INSERT of CDBase::InsertLibraryRow: flag NULL, count and skip 0, empty
    // texts and absent numbers as NULL.
    bool InsertLibraryRow(const std::string& file, const std::string& added,
        const TrackRecord& r);
    // The unseen row (of rows) with the record's title, artist and album, compared byte for
    // byte with an empty artist or album matching NULL; the one of lowest id when several
    // match, as a scan of the table in id order meets it first. -1 when none matches or the
    // look-up fails.
    int LookupMoved(const TrackRecord& r, const CKnownRows& rows);

private:
    CDBase& m_db;
    std::unique_ptr<SqliteStmt> m_insert; // null when it did not prepare
    std::unique_ptr<SqliteStmt> m_moved[4];
};
