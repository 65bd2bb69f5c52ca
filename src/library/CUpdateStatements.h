// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CDBase.h"

#include <memory>
#include <string>

// The statements a library update runs once per file (look up by file, mark seen, insert),
// prepared once for the run instead of once per call: for 10,000 unchanged files preparing
// them costs more than running them. Same statements, bindings and results as the CDBase
// operations of the same names, which remain the fallback when preparing fails.
// The update's worker thread only; the object must not outlive the run's transaction.
class CUpdateStatements {
public:
    explicit CUpdateStatements(CDBase& db);
    ~CUpdateStatements();
    CUpdateStatements(const CUpdateStatements&) = delete;
    CUpdateStatements& operator=(const CUpdateStatements&) = delete;

    // "SELECT id,modified FROM library WHERE file=? AND flag=1;": Same when a row's modified
    // text equals modified byte for byte, Changed when it differs (*id set for both), NoRow.
    LookupResult LookupFile(const std::string& file, const std::string& modified, int* id);
    // "UPDATE library SET flag=NULL WHERE id=?;"
    bool MarkSeen(int id);
    // The library INSERT of CDBase::InsertLibraryRow: flag NULL, count and skip 0, empty
    // texts and absent numbers as NULL.
    bool InsertLibraryRow(const std::string& file, const std::string& added,
        const TrackRecord& r);

private:
    CDBase& m_db;
    std::unique_ptr<SqliteStmt> m_lookup; // null when it did not prepare
    std::unique_ptr<SqliteStmt> m_markSeen;
    std::unique_ptr<SqliteStmt> m_insert;
};
