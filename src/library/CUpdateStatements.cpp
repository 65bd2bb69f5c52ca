// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CUpdateStatements.h"

#include <optional>

namespace {

enum class Sql { LookupFile, MarkSeen, Insert };
constexpr const char* kSql[] = {
    "SELECT id,modified FROM library WHERE file=? AND flag=1;",
    "UPDATE library SET flag=NULL WHERE id=?;",
    "INSERT INTO library (flag,file,size,modified,added,number,title,artist,album,year,genre,"
    "albumartist,composer,time,type,bitrate,sample,channel,count,skip) "
    "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);",
};

std::optional<int> Present(bool present, int value)
{
    return present ? std::optional<int>(value) : std::nullopt;
}

std::unique_ptr<SqliteStmt> Prepare(CDBase& db, Sql sql)
{
    try {
        return std::make_unique<SqliteStmt>(db.Handle(DbConn::Library),
            kSql[static_cast<int>(sql)]);
    } catch (const SqliteError&) {
        return nullptr;
    }
}

// Leaves a statement ready for its next use however the use ended.
class ResetGuard {
public:
    explicit ResetGuard(SqliteStmt& stmt) : m_stmt(stmt) {}
    ~ResetGuard() { m_stmt.Reset(); }
    ResetGuard(const ResetGuard&) = delete;
    ResetGuard& operator=(const ResetGuard&) = delete;

private:
    SqliteStmt& m_stmt;
};

} // namespace

CUpdateStatements::CUpdateStatements(CDBase& db)
    : m_db(db), m_lookup(Prepare(db, Sql::LookupFile)), m_markSeen(Prepare(db, Sql::MarkSeen)),
      m_insert(Prepare(db, Sql::Insert))
{
}

CUpdateStatements::~CUpdateStatements() = default;

LookupResult CUpdateStatements::LookupFile(const std::string& file, const std::string& modified,
    int* id)
{
    if (!m_lookup)
        return m_db.LookupFile(file, QString::fromStdString(modified), id);
    const ResetGuard reset(*m_lookup);
    try {
        if (!m_lookup->Bind(file).Step())
            return LookupResult::NoRow;
        *id = m_lookup->Int(0);
        return m_lookup->Utf8(1) == modified ? LookupResult::Same : LookupResult::Changed;
    } catch (const SqliteError&) {
        return LookupResult::NoRow;
    }
}

bool CUpdateStatements::MarkSeen(int id)
{
    if (!m_markSeen)
        return m_db.MarkSeen(id);
    const ResetGuard reset(*m_markSeen);
    try {
        m_markSeen->Bind(id).Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CUpdateStatements::InsertLibraryRow(const std::string& file, const std::string& added,
    const TrackRecord& r)
{
    if (!m_insert)
        return m_db.InsertLibraryRow(file, added, r);
    const ResetGuard reset(*m_insert);
    try {
        m_insert->Bind(SqlNull{}, file, r.size, r.modified, added, Present(r.hasNumber, r.number),
            r.title, r.artist, r.album, Present(r.hasYear, r.year), r.genre, r.albumartist,
            r.composer, r.time, r.type, r.bitrate, r.sample, r.channel, 0, 0);
        m_insert->Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}
