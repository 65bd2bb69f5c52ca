// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CKnownRows.h"

#include "Sqlite.h"

#include <algorithm>
#include <memory>

namespace {

enum class Sql { Load, FlagNull, FlagOne, Delete };
constexpr const char* kSql[] = {
    "SELECT id,file,modified,flag FROM library ORDER BY id;",
    "UPDATE library SET flag=NULL WHERE id=?;",
    "UPDATE library SET flag=1 WHERE id=?;",
    "DELETE FROM library WHERE id=?;",
};

// One statement of the final pass, prepared on first use. Run() reports whether a row changed.
class LazyStatement {
public:
    LazyStatement(sqlite3* db, Sql sql) : m_db(db), m_sql(sql) {}

    bool Run(int id)
    {
        try {
            if (!m_stmt)
                m_stmt = std::make_unique<SqliteStmt>(m_db, kSql[static_cast<int>(m_sql)]);
            m_stmt->Bind(id).Run();
            m_stmt->Reset();
            return sqlite3_changes(m_db) > 0;
        } catch (const SqliteError&) {
            if (m_stmt)
                m_stmt->Reset();
            return false;
        }
    }

private:
    sqlite3* m_db;
    Sql m_sql;
    std::unique_ptr<SqliteStmt> m_stmt;
};

} // namespace

bool CKnownRows::Load(sqlite3* db)
{
    m_rows.clear();
    m_byFile.clear();
    try {
        SqliteStmt stmt(db, kSql[static_cast<int>(Sql::Load)]);
        while (stmt.Step()) {
            sqlite3_stmt* row = stmt.Get();
            const int flagType = sqlite3_column_type(row, 3);
            m_rows.push_back({stmt.Int(0), flagType == SQLITE_NULL,
                flagType == SQLITE_INTEGER && sqlite3_column_int64(row, 3) == 1,
                sqlite3_column_type(row, 1) == SQLITE_TEXT, stmt.Utf8(1), stmt.Utf8(2)});
        }
    } catch (const SqliteError&) {
        m_rows.clear();
        return false;
    }
    m_seen.assign(m_rows.size(), 0);
    // The views point into the strings only now that the vector no longer grows.
    m_byFile.reserve(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].hasFile)
            m_byFile.emplace(m_rows[i].file, static_cast<int>(i));
    }
    return true;
}

int CKnownRows::FindUnseen(std::string_view file) const
{
    const auto found = m_byFile.find(file);
    if (found == m_byFile.end() || m_seen[static_cast<std::size_t>(found->second)] != 0)
        return -1;
    return found->second;
}

int CKnownRows::UnseenById(int id) const
{
    const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), id,
        [](const Row& row, int value) { return row.id < value; });
    if (found == m_rows.end() || found->id != id)
        return -1;
    const auto row = static_cast<std::size_t>(found - m_rows.begin());
    return m_seen[row] != 0 ? -1 : static_cast<int>(row);
}

const std::string* CKnownRows::KnownModified(std::string_view file) const
{
    const auto found = m_byFile.find(file);
    return found == m_byFile.end() ? nullptr
                                   : &m_rows[static_cast<std::size_t>(found->second)].modified;
}

int CKnownRows::Finish(sqlite3* db, bool removeUnseen)
{
    LazyStatement flagNull(db, Sql::FlagNull);
    LazyStatement flagOne(db, Sql::FlagOne);
    LazyStatement remove(db, Sql::Delete);
    int removed = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        if (m_seen[i] != 0) {
            if (!row.flagNull)
                flagNull.Run(row.id);
        } else if (removeUnseen) {
            removed += remove.Run(row.id) ? 1 : 0;
        } else if (!row.flagOne) {
            flagOne.Run(row.id);
        }
    }
    return removed;
}
