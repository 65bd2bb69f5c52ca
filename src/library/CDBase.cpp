// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDBase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <ctime>
#include <string_view>

namespace {

enum class Sql : int {
    CreateLibrary,
    CreatePlaylist,
    Begin,
    Commit,
    InsertLibrary,
    UpdateChanged,
    UpdateMoved,
    MarkSeen,
    LookupFile,
    LookupMovedBoth,
    LookupMovedNoAlbum,
    LookupMovedNoArtist,
    LookupMovedNeither,
    AnyRow,
    MarkAllUnseen,
    DeleteUnseen,
    InsertPlaylistFile,
    InsertPlaylistStream,
    MaxIdx,
    RatingLibrary,
    RatingPlaylist,
    CountLibrary,
    CountPlaylist,
    SkipLibrary,
    SkipPlaylist,
    GetRatingLibrary,
    GetRatingPlaylist,
    ShortLibrary,
    ShortPlaylist,
    FullLibrary,
    FullPlaylist,
    VacuumInto,
    LibraryColumns,
    SetGainsLibrary,
    GetGainsLibrary,
    GetGainsByFile,
    LoudnessRows,
    SearchIndexExists,
    Count_
};

constexpr std::array<std::string_view, static_cast<int>(Sql::Count_)> kSql = {
    "CREATE TABLE IF NOT EXISTS library (id INTEGER PRIMARY KEY,flag INTEGER,deleted INTEGER,"
    "play INTEGER,file TEXT UNIQUE,size INTEGER,modified DATE,added DATE,number INTEGER,"
    "title TEXT,artist TEXT,album TEXT,year INTEGER,genre TEXT,albumartist TEXT,composer TEXT,"
    "mood TEXT,time INTEGER,type INTEGER,bitrate INTEGER,sample INTEGER,channel INTEGER,"
    "rating INTEGER,love INTEGER,count INTEGER,lastcount DATE,skip INTEGER,lastskip DATE,"
    "equalizer TEXT);",
    "CREATE TABLE IF NOT EXISTS playlist (id INTEGER PRIMARY KEY,idlib INTEGER,idx INTEGER,"
    "play INTEGER,file TEXT,size INTEGER,modified DATE,added DATE,number INTEGER,title TEXT,"
    "artist TEXT,album TEXT,year INTEGER,genre TEXT,albumartist TEXT,composer TEXT,mood TEXT,"
    "time INTEGER,type INTEGER,bitrate INTEGER,sample INTEGER,channel INTEGER,rating INTEGER,"
    "love INTEGER,count INTEGER,lastcount DATE,skip INTEGER,lastskip DATE,equalizer TEXT);",
    "BEGIN;",
    "COMMIT;",
    "INSERT INTO library (flag,file,size,modified,added,number,title,artist,album,year,genre,"
    "albumartist,composer,time,type,bitrate,sample,channel,count,skip,trackgain,albumgain,"
    "trackpeak,albumpeak) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);",
    "UPDATE library SET flag=?,size=?,modified=?,number=?,title=?,artist=?,album=?,year=?,"
    "genre=?,albumartist=?,composer=?,time=?,type=?,bitrate=?,sample=?,channel=?,trackgain=?,"
    "albumgain=?,trackpeak=?,albumpeak=? WHERE id=?;",
    "UPDATE library SET flag=?,file=?,size=?,modified=?,added=?,number=?,title=?,artist=?,"
    "album=?,year=?,genre=?,albumartist=?,composer=?,time=?,type=?,bitrate=?,sample=?,"
    "channel=?,trackgain=?,albumgain=?,trackpeak=?,albumpeak=? WHERE id=?;",
    "UPDATE library SET flag=NULL WHERE id=?;",
    "SELECT id,modified FROM library WHERE file=? AND flag=1;",
    "SELECT id FROM library WHERE title=? AND artist=? AND album=? AND flag=1;",
    "SELECT id FROM library WHERE title=? AND artist=? AND album IS NULL AND flag=1;",
    "SELECT id FROM library WHERE title=? AND artist IS NULL AND album=? AND flag=1;",
    "SELECT id FROM library WHERE title=? AND artist IS NULL AND album IS NULL AND flag=1;",
    "SELECT id FROM library;",
    "UPDATE library SET flag = 1;",
    "DELETE FROM library WHERE flag=1;",
    "INSERT INTO playlist (idx,file,size,modified,added,number,title,artist,album,year,genre,"
    "albumartist,composer,time,type,bitrate,sample,channel,count,skip) "
    "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);",
    "INSERT INTO playlist (idx,file,title,type,count,skip) VALUES (?,?,?,?,?,?);",
    "SELECT max(idx) FROM playlist;",
    "UPDATE library SET rating=? WHERE id=?;",
    "UPDATE playlist SET rating=? WHERE id=?;",
    "UPDATE library SET count=count+1,lastcount=? WHERE id=?;",
    "UPDATE playlist SET count=count+1,lastcount=? WHERE id=?;",
    "UPDATE library SET skip=skip+1,lastskip=? WHERE id=?;",
    "UPDATE playlist SET skip=skip+1,lastskip=? WHERE id=?;",
    "SELECT rating FROM library WHERE id=?;",
    "SELECT rating FROM playlist WHERE id=?;",
    "SELECT title,artist,album,time FROM library WHERE id=?;",
    "SELECT title,artist,album,time FROM playlist WHERE id=?;",
    "SELECT file,number,title,artist,album,year,genre,bitrate,sample,channel FROM library "
    "WHERE id=?;",
    "SELECT file,number,title,artist,album,year,genre,bitrate,sample,channel FROM playlist "
    "WHERE id=?;",
    "VACUUM INTO ?;",
    "SELECT name FROM pragma_table_info('library');",
    "UPDATE library SET trackgain=?,albumgain=?,trackpeak=?,albumpeak=? WHERE id=?;",
    "SELECT trackgain,albumgain,trackpeak,albumpeak FROM library WHERE id=?;",
    "SELECT trackgain,albumgain,trackpeak,albumpeak FROM library WHERE file=?;",
    "SELECT id,file,albumartist,artist,album FROM library ORDER BY id;",
    "SELECT 1 FROM sqlite_master WHERE type='table' AND name='search';",
};

// Columns added after the first layout, in the order they came. A library made by an older
// build gets them on opening; a new one is made the same way, so both end up alike.
constexpr std::array<std::string_view, 4> kAddedColumns = {
    "trackgain REAL",
    "albumgain REAL",
    "trackpeak REAL",
    "albumpeak REAL",
};

// The word index over the texts a search looks in. It reads its texts from the library rows
// (no second copy of them) and the triggers keep it in step with every change of those rows,
// whoever makes it. Words are folded to lower case without accents, and the index keeps the
// first one to three letters of each word apart, so a typed prefix costs one look-up.
#define PLUMO_INDEXED "title,artist,album,albumartist,composer,genre,year"
#define PLUMO_NEW "new.title,new.artist,new.album,new.albumartist,new.composer,new.genre,new.year"
#define PLUMO_OLD "old.title,old.artist,old.album,old.albumartist,old.composer,old.genre,old.year"
constexpr std::array<std::string_view, 5> kSearchIndex = {
    "CREATE VIRTUAL TABLE search USING fts5(" PLUMO_INDEXED ",content='library',"
    "content_rowid='id',tokenize='unicode61 remove_diacritics 2',prefix='1 2 3');",
    "CREATE TRIGGER IF NOT EXISTS search_insert AFTER INSERT ON library BEGIN "
    "INSERT INTO search(rowid," PLUMO_INDEXED ") VALUES (new.id," PLUMO_NEW "); END;",
    "CREATE TRIGGER IF NOT EXISTS search_delete AFTER DELETE ON library BEGIN "
    "INSERT INTO search(search,rowid," PLUMO_INDEXED ") VALUES ('delete',old.id," PLUMO_OLD
    "); END;",
    // Only a change of an indexed text touches the index: ratings and counters do not.
    "CREATE TRIGGER IF NOT EXISTS search_update AFTER UPDATE OF " PLUMO_INDEXED " ON library "
    "BEGIN INSERT INTO search(search,rowid," PLUMO_INDEXED ") VALUES ('delete',old.id," PLUMO_OLD
    "); INSERT INTO search(rowid," PLUMO_INDEXED ") VALUES (new.id," PLUMO_NEW "); END;",
    // A library made before the index existed gets its rows indexed once.
    "INSERT INTO search(search) VALUES ('rebuild');",
};
#undef PLUMO_INDEXED
#undef PLUMO_NEW
#undef PLUMO_OLD

std::string_view Text(Sql sql)
{
    return kSql[static_cast<std::size_t>(sql)];
}

std::optional<int> Number(const TrackRecord& r)
{
    return r.hasNumber ? std::optional<int>(r.number) : std::nullopt;
}

std::optional<int> Year(const TrackRecord& r)
{
    return r.hasYear ? std::optional<int>(r.year) : std::nullopt;
}

} // namespace

CDBase::CDBase() = default;

CDBase::~CDBase() = default;

void CDBase::SetFolder(const QString& folder)
{
    m_folder = folder;
    if (!m_folder.isEmpty() && !m_folder.endsWith(QLatin1Char('/'))) {
        m_folder += QLatin1Char('/');
    }
}

QString CDBase::PlaylistFolder() const
{
    return m_folder + QStringLiteral("Playlist/");
}

QString CDBase::Line(LangSection section, int index) const
{
    return m_lines ? m_lines(section, index) : QString();
}

SqliteDb& CDBase::Db(DbConn conn)
{
    return const_cast<SqliteDb&>(std::as_const(*this).Db(conn));
}

const SqliteDb& CDBase::Db(DbConn conn) const
{
    switch (conn) {
    case DbConn::Library:
        return m_library;
    case DbConn::Viewed:
        return m_viewed;
    case DbConn::Playing:
        return m_playing;
    case DbConn::Target:
        break;
    }
    return m_target;
}

const QString& CDBase::PlaylistFile(DbConn conn) const
{
    static const QString kNone;
    switch (conn) {
    case DbConn::Viewed:
        return m_viewedFile;
    case DbConn::Playing:
        return m_playingFile;
    case DbConn::Target:
        return m_targetFile;
    case DbConn::Library:
        break;
    }
    return kNone;
}

void CDBase::OpenLibrary()
{
    m_library.Close();
    if (!m_library.Open(LibraryPath())) {
        return;
    }
    // A list fill reads the file on a connection of its own while the window rates and counts
    // on this one. With the write-ahead log neither waits for the other; where the file keeps
    // its rollback journal, a change waits for that read instead of failing.
    sqlite3_busy_timeout(m_library.Get(), kBusyMs);
    m_library.UseWriteAheadLog(LibraryPath());
    m_collation = std::make_unique<CMyCaseCollation>();
    m_collation->Register(m_library.Get());
    m_library.Exec(Text(Sql::CreateLibrary));
    AddMissingColumns();
    AddSearchIndex();
}

void CDBase::AddSearchIndex()
{
    try {
        if (SqliteStmt(m_library.Get(), Text(Sql::SearchIndexExists)).Step()) {
            return;
        }
        // All or nothing: a library left with triggers but no index would refuse every change.
        SqliteTransaction transaction(m_library.Get());
        for (std::string_view sql : kSearchIndex) {
            SqliteStmt(m_library.Get(), sql).Run();
        }
        transaction.Commit();
    } catch (const SqliteError&) {
        // An SQLite built without FTS5, or a file that is not a library: the library works as
        // before and searches find nothing.
    }
}

bool CDBase::HasSearchIndex()
{
    try {
        return SqliteStmt(m_library.Get(), Text(Sql::SearchIndexExists)).Step();
    } catch (const SqliteError&) {
        return false;
    }
}

void CDBase::AddMissingColumns()
{
    QStringList present;
    try {
        SqliteStmt stmt(m_library.Get(), Text(Sql::LibraryColumns));
        while (stmt.Step()) {
            present.append(stmt.Text(0));
        }
    } catch (const SqliteError&) {
        return;
    }
    if (present.isEmpty()) {
        return;
    }
    for (std::string_view column : kAddedColumns) {
        const std::string_view name = column.substr(0, column.find(' '));
        if (!present.contains(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())))) {
            m_library.Exec("ALTER TABLE library ADD COLUMN " + std::string(column) + ";");
        }
    }
}

void CDBase::RemoveStaleLogs(const QString& path)
{
    for (const QString& log : SqliteDb::LogFiles(path)) {
        QFile::remove(log);
    }
}

bool CDBase::IsPlaylistFileName(const QString& fileName)
{
    constexpr qsizetype kMaxName = 255;
    return !fileName.isEmpty() && fileName.size() <= kMaxName && fileName != QLatin1String(".")
        && fileName != QLatin1String("..") && !fileName.contains(QLatin1Char('/'))
        && !fileName.contains(QLatin1Char('\\')) && !fileName.contains(QLatin1Char(':'))
        && !fileName.contains(QChar(0));
}

bool CDBase::OpenPlaylist(DbConn slot, const QString& fileName)
{
    SqliteDb& db = slot == DbConn::Target ? m_target : m_viewed;
    QString& name = slot == DbConn::Target ? m_targetFile : m_viewedFile;
    db.Close();
    name.clear();
    if (!IsPlaylistFileName(fileName)) {
        return false;
    }
    const QString path = PlaylistFolder() + fileName;
    const bool existed = QFileInfo::exists(path);
    if (!existed) {
        QDir().mkpath(PlaylistFolder());
    }
    if (!db.Open(path)) {
        return false;
    }
    // The list fill reads playlists on a connection of its own too.
    sqlite3_busy_timeout(db.Get(), kBusyMs);
    db.UseWriteAheadLog(path);
    // A registry entry whose file is gone would otherwise give a table-less file on which
    // every later insertion fails silently.
    if (!existed) {
        db.Exec(Text(Sql::CreatePlaylist));
    }
    name = fileName;
    return true;
}

bool CDBase::MakePlaylistFile(const QString& fileName, bool* taken)
{
    *taken = false;
    if (!IsPlaylistFileName(fileName)) {
        return false;
    }
    QDir().mkpath(PlaylistFolder());
    const QString path = PlaylistFolder() + fileName;
    QFile file(path);
    // Created exclusively: two playlists made within one second draw the same first name,
    // and the second must not end up sharing the first one's file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *taken = QFileInfo::exists(path);
        return false;
    }
    file.close();
    *taken = false;
    SqliteDb db;
    if (!db.Open(path) || !db.Exec(Text(Sql::CreatePlaylist))) {
        db.Close();
        QFile::remove(path);
        return false;
    }
    return true;
}

void CDBase::CloseViewedPlaylist(bool isPlaying)
{
    if (isPlaying && !m_playing.IsOpen() && m_viewed.IsOpen()) {
        m_playing = std::move(m_viewed);
        m_playingFile = m_viewedFile;
    }
    m_viewed.Close();
    m_viewedFile.clear();
}

void CDBase::ClosePlayingPlaylist()
{
    m_playing.Close();
    m_playingFile.clear();
}

void CDBase::CloseTargetPlaylist()
{
    m_target.Close();
    m_targetFile.clear();
}

void CDBase::ClosePlaylistFile(const QString& fileName)
{
    if (m_viewed.IsOpen() && m_viewedFile == fileName) {
        CloseViewedPlaylist(false);
    }
    if (m_playing.IsOpen() && m_playingFile == fileName) {
        ClosePlayingPlaylist();
    }
}

void CDBase::KeepPlaylistFile(DbConn conn)
{
    SqliteDb& db = Db(conn);
    const QString name = PlaylistFile(conn);
    if (conn == DbConn::Library || !db.IsOpen() || name.isEmpty()) {
        return;
    }
    const QString path = PlaylistFolder() + name;
    if (QFileInfo::exists(path)) {
        return;
    }
    QDir().mkpath(PlaylistFolder());
    // The open connection still reads the deleted file; VACUUM INTO copies it out whole.
    const QString copy = path + QStringLiteral(".keep");
    QFile::remove(copy);
    try {
        SqliteStmt stmt(db.Get(), Text(Sql::VacuumInto));
        stmt.Bind(copy).Run();
    } catch (const SqliteError&) {
        QFile::remove(copy);
        return;
    }
    // The deleted file's log still lies beside its name and belongs to the open connection;
    // the copy may only take the name once that connection has closed and removed its log,
    // or the copy would be read through a log of other pages.
    db.Close();
    RemoveStaleLogs(path);
    if (!QFile::rename(copy, path)) {
        QFile::remove(copy);
    }
    if (db.Open(path)) {
        sqlite3_busy_timeout(db.Get(), kBusyMs);
        db.UseWriteAheadLog(path);
    }
}

sqlite3* CDBase::Writable(DbConn conn)
{
    KeepPlaylistFile(conn);
    return Db(conn).Get();
}

void CDBase::Begin(DbConn conn)
{
    KeepPlaylistFile(conn);
    Db(conn).Exec(Text(Sql::Begin));
}

void CDBase::Commit(DbConn conn)
{
    Db(conn).Exec(Text(Sql::Commit));
}

bool CDBase::IsLibraryEmpty()
{
    try {
        SqliteStmt stmt(m_library.Get(), Text(Sql::AnyRow));
        return !stmt.Step();
    } catch (const SqliteError&) {
        return true;
    }
}

void CDBase::MarkAllUnseen()
{
    m_library.Exec(Text(Sql::MarkAllUnseen));
}

void CDBase::DeleteUnseen()
{
    m_library.Exec(Text(Sql::DeleteUnseen));
}

bool CDBase::InsertLibraryRow(const std::string& file, const std::string& added,
                              const TrackRecord& r)
{
    try {
        SqliteStmt stmt(m_library.Get(), Text(Sql::InsertLibrary));
        stmt.Bind(SqlNull{}, file, r.size, r.modified, added, Number(r), r.title, r.artist,
                  r.album, Year(r), r.genre, r.albumartist, r.composer, r.time, r.type, r.bitrate,
                  r.sample, r.channel, 0, 0, r.gains.trackGain, r.gains.albumGain, r.gains.trackPeak,
                  r.gains.albumPeak);
        stmt.Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CDBase::UpdateChangedRow(int id, const TrackRecord& r)
{
    try {
        SqliteStmt stmt(m_library.Get(), Text(Sql::UpdateChanged));
        stmt.Bind(SqlNull{}, r.size, r.modified, Number(r), r.title, r.artist, r.album, Year(r),
                  r.genre, r.albumartist, r.composer, r.time, r.type, r.bitrate, r.sample,
                  r.channel, r.gains.trackGain, r.gains.albumGain, r.gains.trackPeak,
                  r.gains.albumPeak, id);
        stmt.Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CDBase::UpdateMovedRow(int id, const std::string& file, const std::string& added,
                            const TrackRecord& r)
{
    try {
        SqliteStmt stmt(m_library.Get(), Text(Sql::UpdateMoved));
        stmt.Bind(SqlNull{}, file, r.size, r.modified, added, Number(r), r.title, r.artist,
                  r.album, Year(r), r.genre, r.albumartist, r.composer, r.time, r.type, r.bitrate,
                  r.sample, r.channel, r.gains.trackGain, r.gains.albumGain, r.gains.trackPeak,
                  r.gains.albumPeak, id);
        stmt.Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CDBase::MarkSeen(int id)
{
    try {
        SqliteStmt stmt(m_library.Get(), Text(Sql::MarkSeen));
        stmt.Bind(id).Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

LookupResult CDBase::LookupFile(const std::string& file, const QString& modified, int* id)
{
    try {
        SqliteStmt stmt(m_library.Get(), Text(Sql::LookupFile));
        stmt.Bind(file);
        if (!stmt.Step()) {
            return LookupResult::NoRow;
        }
        if (id != nullptr) {
            *id = stmt.Int(0);
        }
        return stmt.Text(1) == modified ? LookupResult::Same : LookupResult::Changed;
    } catch (const SqliteError&) {
        return LookupResult::NoRow;
    }
}

bool CDBase::LookupMoved(const TrackRecord& r, int* id)
{
    try {
        const bool artist = !r.artist.empty();
        const bool album = !r.album.empty();
        const Sql sql = artist ? (album ? Sql::LookupMovedBoth : Sql::LookupMovedNoAlbum)
                               : (album ? Sql::LookupMovedNoArtist : Sql::LookupMovedNeither);
        SqliteStmt stmt(m_library.Get(), Text(sql));
        if (artist && album) {
            stmt.Bind(r.title, r.artist, r.album);
        } else if (artist || album) {
            stmt.Bind(r.title, artist ? r.artist : r.album);
        } else {
            stmt.Bind(r.title);
        }
        if (!stmt.Step()) {
            return false;
        }
        if (id != nullptr) {
            *id = stmt.Int(0);
        }
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CDBase::InsertPlaylistFile(DbConn conn, int idx, const std::string& file,
                                const std::string& added, const TrackRecord& r)
{
    try {
        SqliteStmt stmt(Writable(conn), Text(Sql::InsertPlaylistFile));
        stmt.Bind(idx, file, r.size, r.modified, added, Number(r), r.title, r.artist, r.album,
                  Year(r), r.genre, r.albumartist, r.composer, r.time, r.type, r.bitrate,
                  r.sample, r.channel, 0, 0);
        stmt.Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CDBase::InsertPlaylistStream(DbConn conn, int idx, const QString& address,
                                  const QString& title)
{
    return InsertPlaylistEntry(conn, idx, address, title, kTypeStream);
}

bool CDBase::InsertPlaylistEntry(DbConn conn, int idx, const QString& file, const QString& title,
                                 int type)
{
    try {
        SqliteStmt stmt(Writable(conn), Text(Sql::InsertPlaylistStream));
        stmt.Bind(idx, file, title, type, 0, 0).Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

int CDBase::LargestPosition(DbConn conn)
{
    try {
        SqliteStmt stmt(Db(conn).Get(), Text(Sql::MaxIdx));
        return stmt.Step() ? stmt.Int(0) : 0;
    } catch (const SqliteError&) {
        return 0;
    }
}

sqlite3* CDBase::TrackValueTarget(int libraryId, int playlistId, int* id, bool* library)
{
    *library = libraryId != 0 && m_library.IsOpen();
    if (*library) {
        *id = libraryId;
        return m_library.Get();
    }
    if (playlistId == 0) {
        return nullptr;
    }
    *id = playlistId;
    return Writable(m_playing.IsOpen() ? DbConn::Playing : DbConn::Viewed);
}

bool CDBase::UpdateTrackValue(int libraryId, int playlistId, int libSql, int plsSql, int value,
                              const std::string& time)
{
    int id = 0;
    bool library = false;
    sqlite3* db = TrackValueTarget(libraryId, playlistId, &id, &library);
    if (db == nullptr) {
        // A track without a row (a radio station) has nothing to store.
        return true;
    }
    try {
        SqliteStmt stmt(db, Text(static_cast<Sql>(library ? libSql : plsSql)));
        if (time.empty()) {
            stmt.Bind(value, id);
        } else {
            stmt.Bind(time, id);
        }
        stmt.Run();
        return sqlite3_changes(db) == 1;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CDBase::SetRating(int libraryId, int playlistId, int stars)
{
    const int clamped = std::clamp(stars, 0, 5);
    return UpdateTrackValue(libraryId, playlistId, static_cast<int>(Sql::RatingLibrary),
                            static_cast<int>(Sql::RatingPlaylist), clamped * 20, {});
}

bool CDBase::CountPlay(int libraryId, int playlistId)
{
    return UpdateTrackValue(libraryId, playlistId, static_cast<int>(Sql::CountLibrary),
                            static_cast<int>(Sql::CountPlaylist), 0, NowText());
}

bool CDBase::CountSkip(int libraryId, int playlistId)
{
    return UpdateTrackValue(libraryId, playlistId, static_cast<int>(Sql::SkipLibrary),
                            static_cast<int>(Sql::SkipPlaylist), 0, NowText());
}

bool CDBase::GetRating(int libraryId, int playlistId, int* stars)
{
    int id = 0;
    bool library = false;
    sqlite3* db = TrackValueTarget(libraryId, playlistId, &id, &library);
    if (db == nullptr) {
        return false;
    }
    try {
        SqliteStmt stmt(db, Text(library ? Sql::GetRatingLibrary : Sql::GetRatingPlaylist));
        stmt.Bind(id);
        if (!stmt.Step()) {
            return false;
        }
        *stars = std::clamp(stmt.Int(0) / 20, 0, 5);
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CDBase::ReadRow(int libSql, int plsSql, int libraryId, int playlistId, int columns,
                     QStringList* out)
{
    sqlite3* db = libraryId != 0 ? m_library.Get() : m_viewed.Get();
    const Sql sql = static_cast<Sql>(libraryId != 0 ? libSql : plsSql);
    try {
        SqliteStmt stmt(db, Text(sql));
        stmt.Bind(libraryId != 0 ? libraryId : playlistId);
        if (!stmt.Step()) {
            return false;
        }
        if (out != nullptr) {
            out->clear();
            for (int col = 0; col < columns; ++col) {
                out->append(stmt.Text(col));
            }
        }
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CDBase::GetShortInfo(int libraryId, int playlistId, QStringList* out)
{
    return ReadRow(static_cast<int>(Sql::ShortLibrary), static_cast<int>(Sql::ShortPlaylist),
                   libraryId, playlistId, 4, out);
}

bool CDBase::GetFullInfo(int libraryId, int playlistId, QStringList* out)
{
    return ReadRow(static_cast<int>(Sql::FullLibrary), static_cast<int>(Sql::FullPlaylist),
                   libraryId, playlistId, 10, out);
}

bool CDBase::SetGains(int libraryId, const TrackGains& gains)
{
    try {
        SqliteStmt stmt(m_library.Get(), Text(Sql::SetGainsLibrary));
        stmt.Bind(gains.trackGain, gains.albumGain, gains.trackPeak, gains.albumPeak, libraryId);
        stmt.Run();
        return sqlite3_changes(m_library.Get()) == 1;
    } catch (const SqliteError&) {
        return false;
    }
}

namespace {

std::optional<double> OptionalDouble(const SqliteStmt& stmt, int col)
{
    return stmt.IsNull(col) ? std::nullopt : std::optional<double>(stmt.Double(col));
}

} // namespace

bool CDBase::GetGains(int libraryId, const std::string& file, TrackGains* out)
{
    try {
        SqliteStmt stmt(m_library.Get(),
                        Text(libraryId != 0 ? Sql::GetGainsLibrary : Sql::GetGainsByFile));
        if (libraryId != 0) {
            stmt.Bind(libraryId);
        } else {
            stmt.Bind(file);
        }
        if (!stmt.Step()) {
            return false;
        }
        out->trackGain = OptionalDouble(stmt, 0);
        out->albumGain = OptionalDouble(stmt, 1);
        out->trackPeak = OptionalDouble(stmt, 2);
        out->albumPeak = OptionalDouble(stmt, 3);
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

TrackGains CDBase::StoredGains(const QString& libraryPath, const QString& file)
{
    TrackGains gains;
    // A connection per call sees the file as it is now, even one made anew since.
    SqliteDb db;
    if (!db.OpenReadOnly(libraryPath)) {
        return gains;
    }
    // Asked while a file opens: a commit that holds the file longer costs the measured gain of
    // one play, not a stalled start.
    constexpr int kGainsBusyMs = 250;
    sqlite3_busy_timeout(db.Get(), kGainsBusyMs);
    try {
        SqliteStmt stmt(db.Get(), Text(Sql::GetGainsByFile));
        stmt.Bind(file);
        if (stmt.Step()) {
            gains.trackGain = OptionalDouble(stmt, 0);
            gains.albumGain = OptionalDouble(stmt, 1);
            gains.trackPeak = OptionalDouble(stmt, 2);
            gains.albumPeak = OptionalDouble(stmt, 3);
        }
    } catch (const SqliteError&) {
        gains = TrackGains{};
    }
    return gains;
}

std::vector<LoudnessRow> CDBase::LoudnessRows()
{
    std::vector<LoudnessRow> out;
    try {
        SqliteStmt stmt(m_library.Get(), Text(Sql::LoudnessRows));
        while (stmt.Step()) {
            LoudnessRow row;
            row.libraryId = stmt.Int(0);
            row.file = stmt.Text(1);
            const QString album = stmt.Text(4);
            if (!album.isEmpty()) {
                const QString artist = stmt.IsNull(2) ? stmt.Text(3) : stmt.Text(2);
                // The unit separator cannot occur in a tag text the reader keeps apart.
                row.album = artist + QChar(0x1f) + album;
            }
            out.push_back(std::move(row));
        }
    } catch (const SqliteError&) {
        // What was read so far stands.
    }
    return out;
}

std::string CDBase::TimeText(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (gmtime_r(&t, &parts) == nullptr) {
        return {};
    }
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &parts);
    return std::string(buffer, n);
}

std::string CDBase::NowText()
{
    return TimeText(static_cast<std::int64_t>(std::time(nullptr)));
}

int CDBase::FileTypeCode(const QString& path)
{
    // A code is stored with every row and playlist entry, so a type keeps its place for good;
    // new types only ever join at the end.
    static const std::array<QLatin1StringView, 14> kExtensions = {
        QLatin1StringView("mp3"), QLatin1StringView("ogg"), QLatin1StringView("wma"),
        QLatin1StringView("flac"), QLatin1StringView("ape"), QLatin1StringView("aac"),
        QLatin1StringView("mp4"), QLatin1StringView("m4a"), QLatin1StringView("opus"),
        QLatin1StringView("wav"), QLatin1StringView("aiff"), QLatin1StringView("aif"),
        QLatin1StringView("wv"), QLatin1StringView("mpc")};
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        return 0;
    }
    const QString extension = path.mid(dot + 1).toLower();
    for (std::size_t i = 0; i < kExtensions.size(); ++i) {
        if (extension == kExtensions[i]) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

int CDBase::CompareMyCase(const QString& a, const QString& b)
{
    if (!m_collation) {
        m_collation = std::make_unique<CMyCaseCollation>();
    }
    const QByteArray utf8A = a.toUtf8();
    const QByteArray utf8B = b.toUtf8();
    return m_collation->Compare(utf8A.constData(), static_cast<int>(utf8A.size()),
                                utf8B.constData(), static_cast<int>(utf8B.size()));
}

QString CDBase::DurationText(int seconds)
{
    return QString::asprintf("%d:%.2d", seconds / 60, seconds % 60);
}
