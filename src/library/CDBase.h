// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CMyCaseCollation.h"
#include "Sqlite.h"
#include "TrackRecord.h"
#include "settings/CLanguage.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The SQLite connections the program holds.
enum class DbConn {
    Library, // "Library.db", from start-up to exit
    Viewed,  // the playlist shown in the list
    Playing, // a playlist still playing after the view moved away from it
    Target,  // a playlist being filled in one bulk insertion while not shown
};

// Result of looking a file up among the rows not yet seen by the running update.
enum class LookupResult : int {
    Same = 0,    // a row with exactly this modified text
    NoRow = 1,   // no unseen row for the path
    Changed = 2, // a row whose modified text differs
};

// A library row as loudness analysis sees it: album is the album artist (else the artist) and
// the album, empty for a track with no album.
struct LoudnessRow {
    int libraryId = 0;
    QString file;
    QString album;
};

// A language line, by section and index; empty when the line does not exist.
using LineSource = std::function<QString(LangSection, int)>;

// Owner of every SQLite connection: the library and up to three playlist files. It creates the
// two table layouts, registers "MYCASE" on the library connection and runs the statements of
// the library update, the per-track values and the single-track look-ups. The browsing queries
// (CLibraryQuery) and the playlist store (CPlaylistStore) run theirs on its connections.
//
// Thread: the UI thread, or the one library-update worker while the UI thread waits in the
// progress dialog; never two at once, so nothing here locks. Failed statements are skipped
// and reported as false or "nothing found", never to the user.
class CDBase {
public:
    CDBase();
    ~CDBase();
    CDBase(const CDBase&) = delete;
    CDBase& operator=(const CDBase&) = delete;

    // The profile folder; "/" is appended when missing.
    void SetFolder(const QString& folder);
    const QString& GetFolder() const { return m_folder; }
    // The folder that holds the playlist files, ending in "/".
    QString PlaylistFolder() const;

    // The language table whose lines label unknown values; it must outlive this object.
    // Lines are read at the time they are needed, so a language change shows at the next fill.
    void SetLanguage(const CLanguage* language);
    // Replaces the line source directly (tests, or a caller without a language table).
    void SetLineSource(LineSource source) { m_lines = std::move(source); }
    QString Line(LangSection section, int index) const;

    // Opens "Library.db" (created when missing), registers "MYCASE" and creates the table.
    // A file that is not a database is left untouched; the library then reads as empty.
    // The library and the playlists keep their changes in a write-ahead log, so a rating or a
    // count given while the list fill reads the file is stored at once; where the log cannot
    // be used (a network or read-only folder) a change waits up to kBusyMs for such a read.
    void OpenLibrary();
    // True when the library holds the word index searches read (made by OpenLibrary, for an
    // older library too, whenever SQLite offers FTS5).
    bool HasSearchIndex();
    // The path of "Library.db" in the profile folder.
    QString LibraryPath() const { return m_folder + QStringLiteral("Library.db"); }
    // The "MYCASE" collation registered on the library connection; null before OpenLibrary.
    // It belongs to the thread that runs the library connection's statements.
    CMyCaseCollation* LibraryCollation() { return m_collation.get(); }
    // Opens a playlist file of the "Playlist" folder into the Viewed or Target slot (any
    // connection already there is closed first). A file that has vanished is made again with
    // an empty table, so rows added to it are kept. False when SQLite cannot open it, or
    // (nothing opened or made) when fileName is not a plain file name (IsPlaylistFileName).
    bool OpenPlaylist(DbConn slot, const QString& fileName);
    // True when fileName names a file inside the "Playlist" folder: not empty, not "." or
    // "..", without a separator, drive colon or NUL, at most 255 characters. The names come
    // from files the user may have been handed ("Playlist.xml", "Settings.xml"), so they are
    // checked before they become paths.
    static bool IsPlaylistFileName(const QString& fileName);
    // Creates the playlist file fileName in the "Playlist" folder (made when missing) with an
    // empty table. Never touches an existing file: false when the name is taken or the file
    // cannot be made; taken is then set when a file of that name already exists.
    bool MakePlaylistFile(const QString& fileName, bool* taken);
    // Empties the viewed slot. With isPlaying set and no playing connection held, the
    // connection moves to the playing slot instead of being closed.
    void CloseViewedPlaylist(bool isPlaying);
    void ClosePlayingPlaylist();
    void CloseTargetPlaylist();
    // Closes the viewed and the playing connection when they are on fileName.
    void ClosePlaylistFile(const QString& fileName);

    bool IsOpen(DbConn conn) const { return Db(conn).IsOpen(); }
    sqlite3* Handle(DbConn conn) const { return Db(conn).Get(); }
    // File name (inside "Playlist") of a playlist connection; empty when closed.
    const QString& PlaylistFile(DbConn conn) const;
    // If the file under a playlist connection was deleted behind its back, writes its rows to
    // a new file of the same name and reopens it there, so later changes are not lost.
    void KeepPlaylistFile(DbConn conn);

    // "BEGIN;" / "COMMIT;" on conn, only when it is open.
    void Begin(DbConn conn);
    void Commit(DbConn conn);

    // Library update.
    bool IsLibraryEmpty();
    void MarkAllUnseen();
    void DeleteUnseen();
    bool InsertLibraryRow(const std::string& file, const std::string& added, const TrackRecord& r);
    bool UpdateChangedRow(int id, const TrackRecord& r);
    bool UpdateMovedRow(int id, const std::string& file, const std::string& added,
                        const TrackRecord& r);
    bool MarkSeen(int id);
    // Looks the path up among unseen rows (flag 1); *id is set for Same and Changed.
    LookupResult LookupFile(const std::string& file, const QString& modified, int* id);
    // Looks an unseen row up by title, artist and album (byte-wise, empty matching NULL).
    bool LookupMoved(const TrackRecord& r, int* id);
    // Playlist rows written by the update's append and import jobs.
    bool InsertPlaylistFile(DbConn conn, int idx, const std::string& file, const std::string& added,
                            const TrackRecord& r);
    bool InsertPlaylistStream(DbConn conn, int idx, const QString& address, const QString& title);
    // A playlist row with only a file and a title, of the given type (100 stream, 1000 copied
    // from another playlist), count and skip 0.
    bool InsertPlaylistEntry(DbConn conn, int idx, const QString& file, const QString& title,
                             int type);
    // Largest idx of the playlist on conn; 0 when closed, failing or empty.
    int LargestPosition(DbConn conn);

    // Per-track values. The library row is changed when libraryId is non-zero and the library is
    // open, else the playlist row (on the playing connection when held, else the viewed one).
    // False when the value was not stored (no such row, a locked or read-only file); true
    // when stored, or when the track has no row on an open connection to store it in.
    bool SetRating(int libraryId, int playlistId, int stars);
    bool CountPlay(int libraryId, int playlistId);
    bool CountSkip(int libraryId, int playlistId);
    // The stars (0..5) stored for the row SetRating would change; false when it cannot be read.
    bool GetRating(int libraryId, int playlistId, int* stars);
    // Title, artist, album, time (decimal seconds). False when no row matches.
    bool GetShortInfo(int libraryId, int playlistId, QStringList* out);
    // file, number, title, artist, album, year, genre, bitrate, sample, channel; NULL gives "".
    bool GetFullInfo(int libraryId, int playlistId, QStringList* out);

    // Stores measured gains and peaks on a library row (the file itself is never written);
    // empty values store NULL. False when no row has the id or the statement fails.
    bool SetGains(int libraryId, const TrackGains& gains);
    // The gains stored for the library row of libraryId, or (libraryId 0) of the row whose
    // file is file. False when no row matches; out is then untouched.
    bool GetGains(int libraryId, const std::string& file, TrackGains* out);
    // The gains stored for the library row of file in the library file at libraryPath, read on
    // a connection of the call's own, so any thread may ask; empty when there is no such row
    // or the file cannot be read.
    static TrackGains StoredGains(const QString& libraryPath, const QString& file);
    // Every library row, in id order, for loudness analysis.
    std::vector<LoudnessRow> LoudnessRows();

    // "%Y-%m-%d %H:%M:%S" in UTC; empty when the time cannot be broken down.
    static std::string TimeText(std::int64_t seconds);
    static std::string NowText();
    // File type code from the extension: 1 mp3, 2 ogg, 3 wma, 4 flac, 5 ape, 6 aac, 7 mp4,
    // 8 m4a, 9 opus, 10 wav, 11 aiff, 12 aif, 13 wv, 14 mpc; 0 for anything else.
    static int FileTypeCode(const QString& path);
    // Compares two texts by the "MYCASE" rule (case-insensitive, accent-aware); <0, 0, >0.
    int CompareMyCase(const QString& a, const QString& b);

    // Duration text "%d:%.2d".
    static QString DurationText(int seconds);

    // How long a statement on the library or a playlist connection waits for another
    // connection's lock.
    static constexpr int kBusyMs = 2000;
    static constexpr int kTypeStream = 100;
    static constexpr int kTypeCopied = 1000;

private:
    // Brings a library made by an older build up to the current columns.
    void AddMissingColumns();
    // Makes the word index and the triggers that keep it in step, indexing the rows present.
    void AddSearchIndex();
    SqliteDb& Db(DbConn conn);
    // The connection's handle for a change, after making sure its file still exists.
    sqlite3* Writable(DbConn conn);
    const SqliteDb& Db(DbConn conn) const;
    // The connection and id a per-track value of the track goes to; null when none.
    sqlite3* TrackValueTarget(int libraryId, int playlistId, int* id, bool* library);
    bool UpdateTrackValue(int libraryId, int playlistId, int libSql, int plsSql, int value,
                          const std::string& time);
    bool ReadRow(int libSql, int plsSql, int libraryId, int playlistId, int columns,
                 QStringList* out);
    // Removes the log files beside path. SQLite drops a log it finds beside an empty file by
    // itself, but a copy put in a deleted file's place is not empty, and must not be read
    // through the log a list fill may still hold open for the deleted one.
    static void RemoveStaleLogs(const QString& path);

    QString m_folder;
    LineSource m_lines;
    std::unique_ptr<CMyCaseCollation> m_collation;
    SqliteDb m_library;
    SqliteDb m_viewed;
    SqliteDb m_playing;
    SqliteDb m_target;
    QString m_viewedFile;
    QString m_playingFile;
    QString m_targetFile;
};
