// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// Thin RAII owners over the SQLite C API. The database layer converts between the program's
// UTF-16 strings and SQLite's UTF-8 here and nowhere else.

// Thrown by the wrappers when SQLite refuses an operation. Callers in the database layer catch
// it at their public boundary, because the program runs on with what the database could give.
class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    int Code() const { return m_code; }

private:
    int m_code;
};

// Owns one connection; closed on destruction or Close(). Not copyable.
class SqliteDb {
public:
    SqliteDb() = default;
    ~SqliteDb() { Close(); }
    SqliteDb(SqliteDb&& other) noexcept : m_wal(other.m_wal), m_db(other.Release()) {}
    SqliteDb& operator=(SqliteDb&& other) noexcept;
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens (creating when missing) the file at path. On failure the connection stays closed
    // and false is returned; SQLite only reads the file on the first statement, so a file that
    // is not a database opens fine and fails later, statement by statement.
    bool Open(const QString& path);
    // Opens the existing file at path for reading only, for use by one thread at a time (no
    // per-call mutex; sqlite3_interrupt may still come from any thread). False (closed) when
    // the file is missing or cannot be opened.
    bool OpenReadOnly(const QString& path);
    // Keeps the file's changes in a write-ahead log from now on (the file remembers it), so a
    // reader on another connection never holds up a change and a change never holds up a
    // reader. Left with its rollback journal where the log would be unsafe or cannot be made:
    // on a network file system, whose locks do not guard the log's shared memory, and for a
    // file SQLite cannot change (read-only, or not a database). True when the log is in use.
    // Close() goes back to the rollback journal when no other connection is open: a file at
    // rest is then whole by itself, and still readable from a folder that became read-only
    // (a file in log mode cannot be read where its shared-memory file cannot be made).
    bool UseWriteAheadLog(const QString& path);
    // The files SQLite keeps beside the database at path while it is open in that mode, or
    // left behind by a process that ended without closing it.
    static QStringList LogFiles(const QString& path);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    sqlite3* Get() const { return m_db; }
    sqlite3* Release();

    // Prepares, steps once and finalizes sql. False when the connection is closed or SQLite
    // refuses; nothing is thrown.
    bool Exec(std::string_view sql) const;

private:
    bool m_wal = false; // switched to the write-ahead log by this connection
    sqlite3* m_db = nullptr;
};

// One transaction on a connection: "BEGIN;" when made, "COMMIT;" by Commit, and "ROLLBACK;"
// when destroyed uncommitted. So a failed statement or an exception on the way leaves the file
// as it was, and no transaction stays open to swallow the changes made after it.
class SqliteTransaction {
public:
    // Throws SqliteError when db is closed or "BEGIN;" fails.
    explicit SqliteTransaction(sqlite3* db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // Throws SqliteError when "COMMIT;" fails (a lock held too long, a full disk); the
    // destructor then rolls the transaction back.
    void Commit();

private:
    sqlite3* m_db;
    bool m_done = false; // committed, or nothing left to roll back
};

// Value bound as SQL NULL.
struct SqlNull {};

// Owns one prepared statement; finalized on destruction. Not copyable.
class SqliteStmt {
public:
    // Prepares sql on db. Throws SqliteError when db is closed or the statement does not prepare.
    SqliteStmt(sqlite3* db, std::string_view sql);
    ~SqliteStmt() { sqlite3_finalize(m_stmt); }
    SqliteStmt(const SqliteStmt&) = delete;
    SqliteStmt& operator=(const SqliteStmt&) = delete;

    // Binds every argument in order, from parameter 1; the count must equal the statement's
    // parameter count. Empty strings and empty optionals are bound as NULL.
    template <typename... Args>
    SqliteStmt& Bind(const Args&... args)
    {
        if (static_cast<int>(sizeof...(Args)) != sqlite3_bind_parameter_count(m_stmt)) {
            throw SqliteError(SQLITE_RANGE, "parameter count mismatch");
        }
        int index = 0;
        (BindOne(++index, args), ...);
        return *this;
    }

    // The same for a list of texts, as a tree node's values come. A year goes in as text too:
    // compared with an INTEGER column, SQLite turns it into a number first.
    SqliteStmt& BindTexts(const QStringList& values);

    // Steps once: true with a row ready, false when done. Throws SqliteError on failure.
    bool Step();
    // Steps until done (for statements that return no rows).
    void Run();
    void Reset();

    bool IsNull(int col) const { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }
    int Int(int col) const { return sqlite3_column_int(m_stmt, col); }
    std::int64_t Int64(int col) const { return sqlite3_column_int64(m_stmt, col); }
    double Double(int col) const { return sqlite3_column_double(m_stmt, col); }
    // Column as UTF-16; empty for NULL.
    QString Text(int col) const;
    // Column as UTF-8; empty for NULL.
    std::string Utf8(int col) const;
    sqlite3_stmt* Get() const { return m_stmt; }

private:
    void BindOne(int index, SqlNull);
    void BindOne(int index, int value);
    void BindOne(int index, std::int64_t value);
    void BindOne(int index, const QString& value);
    void BindOne(int index, const std::string& value);
    void BindOne(int index, const char* value);
    void BindOne(int index, const std::optional<int>& value);
    void BindOne(int index, const std::optional<double>& value);
    void Check(int rc) const;

    sqlite3_stmt* m_stmt = nullptr;
};
