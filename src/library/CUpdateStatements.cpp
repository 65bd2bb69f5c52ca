// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CUpdateStatements.h"

#include "CKnownRows.h"

#include <optional>

namespace {

// The moved-file look-ups leave the flag out: the update keeps the seen marks in memory and
// skips the rows already claimed, in id order.
enum class Sql { Insert, MovedBoth, MovedNoAlbum, MovedNoArtist, MovedNeither };
constexpr const char* kSql[] = {
    "INSERT INTO library (flag,file,size,modified,added,number,title,artist,album,year,genre,"
    "albumartist,composer,time,type,bitrate,sample,channel,count,skip,trackgain,albumgain,"
    "trackpeak,albumpeak) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);",
    "SELECT id FROM library WHERE title=? AND artist=? AND album=? ORDER BY id;",
    "SELECT id FROM library WHERE title=? AND artist=? AND album IS NULL ORDER BY id;",
    "SELECT id FROM library WHERE title=? AND artist IS NULL AND album=? ORDER BY id;",
    "SELECT id FROM library WHERE title=? AND artist IS NULL AND album IS NULL ORDER BY id;",
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

CUpdateStatements::CUpdateStatements(CDBase& db) : m_db(db), m_insert(Prepare(db, Sql::Insert))
{
}

CUpdateStatements::~CUpdateStatements() = default;

bool CUpdateStatements::InsertLibraryRow(const std::string& file, const std::string& added,
    const TrackRecord& r)
{
    if (!m_insert)
        return m_db.InsertLibraryRow(file, added, r);
    const ResetGuard reset(*m_insert);
    try {
        m_insert->Bind(SqlNull{}, file, r.size, r.modified, added, Present(r.hasNumber, r.number),
            r.title, r.artist, r.album, Present(r.hasYear, r.year), r.genre, r.albumartist,
            r.composer, r.time, r.type, r.bitrate, r.sample, r.channel, 0, 0, r.gains.trackGain,
            r.gains.albumGain, r.gains.trackPeak, r.gains.albumPeak);
        m_insert->Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

int CUpdateStatements::LookupMoved(const TrackRecord& r, const CKnownRows& rows)
{
    const bool artist = !r.artist.empty();
    const bool album = !r.album.empty();
    const int which = artist ? (album ? 0 : 1) : (album ? 2 : 3);
    std::unique_ptr<SqliteStmt>& stmt = m_moved[which];
    try {
        if (!stmt)
            stmt = std::make_unique<SqliteStmt>(m_db.Handle(DbConn::Library),
                kSql[static_cast<int>(Sql::MovedBoth) + which]);
        const ResetGuard reset(*stmt);
        if (artist && album)
            stmt->Bind(r.title, r.artist, r.album);
        else if (artist || album)
            stmt->Bind(r.title, artist ? r.artist : r.album);
        else
            stmt->Bind(r.title);
        while (stmt->Step()) {
            const int row = rows.UnseenById(stmt->Int(0));
            if (row >= 0)
                return row;
        }
    } catch (const SqliteError&) {
        // Counted as no match: the file is inserted as a new row.
    }
    return -1;
}
