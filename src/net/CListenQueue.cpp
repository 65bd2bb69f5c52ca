// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CListenQueue.h"

namespace {

enum class Sql { Create, Add, Oldest, Remove, Count };

// AUTOINCREMENT: an id is never given twice, not even after the newest listen was sent, so
// the order of the queue is the order of hearing across restarts.
constexpr const char* kSql[] = {
    "CREATE TABLE IF NOT EXISTS listens(id INTEGER PRIMARY KEY AUTOINCREMENT, "
    "listen TEXT NOT NULL);",
    "INSERT INTO listens(listen) VALUES(?);",
    "SELECT id, listen FROM listens ORDER BY id LIMIT ?;",
    "DELETE FROM listens WHERE id=?;",
    "SELECT COUNT(*) FROM listens;",
};

const char* Text(Sql sql)
{
    return kSql[static_cast<int>(sql)];
}

} // namespace

bool CListenQueue::Open(const QString& path)
{
    if (!m_db.Open(path))
        return false;
    // A file that is not a database opens and fails here, on the first statement.
    if (!m_db.Exec(Text(Sql::Create))) {
        m_db.Close();
        return false;
    }
    return true;
}

std::int64_t CListenQueue::Add(const QByteArray& listen)
{
    if (!m_db.IsOpen())
        return 0;
    try {
        SqliteStmt stmt(m_db.Get(), Text(Sql::Add));
        stmt.Bind(listen.toStdString()).Run();
        return sqlite3_last_insert_rowid(m_db.Get());
    } catch (const SqliteError&) {
        return 0;
    }
}

std::vector<CListenQueue::Entry> CListenQueue::Oldest(int count) const
{
    std::vector<Entry> entries;
    if (!m_db.IsOpen() || count <= 0)
        return entries;
    try {
        SqliteStmt stmt(m_db.Get(), Text(Sql::Oldest));
        stmt.Bind(count);
        while (stmt.Step()) {
            const std::string text = stmt.Utf8(1);
            entries.push_back({stmt.Int64(0), QByteArray(text.data(), static_cast<qsizetype>(text.size()))});
        }
    } catch (const SqliteError&) {
        entries.clear();
    }
    return entries;
}

bool CListenQueue::Remove(const std::vector<std::int64_t>& ids)
{
    if (!m_db.IsOpen() || ids.empty())
        return false;
    try {
        SqliteTransaction transaction(m_db.Get());
        SqliteStmt stmt(m_db.Get(), Text(Sql::Remove));
        for (const std::int64_t id : ids) {
            stmt.Bind(id).Run();
            stmt.Reset();
        }
        transaction.Commit();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

int CListenQueue::Count() const
{
    if (!m_db.IsOpen())
        return 0;
    try {
        SqliteStmt stmt(m_db.Get(), Text(Sql::Count));
        return stmt.Step() ? stmt.Int(0) : 0;
    } catch (const SqliteError&) {
        return 0;
    }
}
