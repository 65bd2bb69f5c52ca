// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "Sqlite.h"

#include <QFileInfo>
#include <QStorageInfo>

#include <array>
#include <cstring>

namespace {

// File systems whose locks reach across machines or through a user-space bridge, so the
// memory a write-ahead log shares between connections is not guarded on them.
bool IsNetworkFileSystem(const QString& path)
{
    static constexpr std::array<const char*, 12> kNetwork = {"nfs", "nfs4", "cifs", "smb",
        "smbfs", "smb3", "9p", "afs", "ceph", "glusterfs", "lustre", "davfs"};
    const QByteArray type = QStorageInfo(QFileInfo(path).absolutePath()).fileSystemType();
    if (type.startsWith("fuse")) {
        // fuse.sshfs, fuse.rclone and their like; a local fuse file system gives up nothing
        // but speed by keeping the rollback journal.
        return true;
    }
    for (const char* name : kNetwork) {
        if (type == name) {
            return true;
        }
    }
    return false;
}

} // namespace

SqliteDb& SqliteDb::operator=(SqliteDb&& other) noexcept
{
    if (this != &other) {
        Close();
        m_wal = other.m_wal;
        m_db = other.Release();
    }
    return *this;
}

bool SqliteDb::Open(const QString& path)
{
    Close();
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(path.toUtf8().constData(), &db);
    if (rc != SQLITE_OK) {
        // sqlite3_open hands out a handle even on failure; it must still be closed.
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    return true;
}

bool SqliteDb::OpenReadOnly(const QString& path)
{
    Close();
    sqlite3* db = nullptr;
    // One thread at a time uses such a connection, so it goes without SQLite's per-call mutex.
    const int rc = sqlite3_open_v2(
        path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    return true;
}

bool SqliteDb::UseWriteAheadLog(const QString& path)
{
    if (m_db == nullptr || sqlite3_db_readonly(m_db, "main") == 1 || IsNetworkFileSystem(path)) {
        return false;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode=WAL;", -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return false;
    }
    // The pragma answers with the mode in force, which stays the old one when SQLite cannot
    // switch.
    bool wal = false;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* mode = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        wal = mode != nullptr && std::strcmp(mode, "wal") == 0;
    }
    sqlite3_finalize(stmt);
    m_wal = wal;
    return wal;
}

QStringList SqliteDb::LogFiles(const QString& path)
{
    return {path + QStringLiteral("-wal"), path + QStringLiteral("-shm")};
}

void SqliteDb::Close()
{
    if (m_db != nullptr && m_wal) {
        // Only possible while no other connection reads the file; with one still reading (a
        // list fill), it is not worth a wait, and the file stays in log mode until next time.
        sqlite3_busy_timeout(m_db, 0);
        sqlite3_exec(m_db, "PRAGMA journal_mode=DELETE;", nullptr, nullptr, nullptr);
    }
    m_wal = false;
    if (m_db != nullptr) {
        // close_v2 defers the close until stray statements are finalized instead of failing.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

sqlite3* SqliteDb::Release()
{
    sqlite3* db = m_db;
    m_db = nullptr;
    m_wal = false;
    return db;
}

bool SqliteDb::Exec(std::string_view sql) const
{
    if (m_db == nullptr) {
        return false;
    }
    try {
        SqliteStmt stmt(m_db, sql);
        stmt.Run();
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

SqliteTransaction::SqliteTransaction(sqlite3* db) : m_db(db)
{
    SqliteStmt(db, "BEGIN;").Run();
}

SqliteTransaction::~SqliteTransaction()
{
    // SQLite may have ended the transaction itself after an I/O error; a ROLLBACK then fails
    // and is not needed.
    if (!m_done && sqlite3_get_autocommit(m_db) == 0) {
        sqlite3_exec(m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
    }
}

void SqliteTransaction::Commit()
{
    SqliteStmt(m_db, "COMMIT;").Run();
    m_done = true;
}

SqliteStmt::SqliteStmt(sqlite3* db, std::string_view sql)
{
    if (db == nullptr) {
        throw SqliteError(SQLITE_MISUSE, "connection closed");
    }
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt,
                                      nullptr);
    if (rc != SQLITE_OK || m_stmt == nullptr) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw SqliteError(rc, sqlite3_errmsg(db));
    }
}

bool SqliteStmt::Step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    throw SqliteError(rc, sqlite3_errmsg(sqlite3_db_handle(m_stmt)));
}

void SqliteStmt::Run()
{
    while (Step()) {
    }
}

void SqliteStmt::Reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

QString SqliteStmt::Text(int col) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    if (text == nullptr) {
        return {};
    }
    return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, col));
}

std::string SqliteStmt::Utf8(int col) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    if (text == nullptr) {
        return {};
    }
    return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, col)));
}

void SqliteStmt::Check(int rc) const
{
    if (rc != SQLITE_OK) {
        throw SqliteError(rc, "bind failed");
    }
}

SqliteStmt& SqliteStmt::BindTexts(const QStringList& values)
{
    if (values.size() != sqlite3_bind_parameter_count(m_stmt)) {
        throw SqliteError(SQLITE_RANGE, "parameter count mismatch");
    }
    int index = 0;
    for (const QString& value : values) {
        BindOne(++index, value);
    }
    return *this;
}

void SqliteStmt::BindOne(int index, SqlNull)
{
    Check(sqlite3_bind_null(m_stmt, index));
}

void SqliteStmt::BindOne(int index, int value)
{
    Check(sqlite3_bind_int(m_stmt, index, value));
}

void SqliteStmt::BindOne(int index, std::int64_t value)
{
    Check(sqlite3_bind_int64(m_stmt, index, value));
}

void SqliteStmt::BindOne(int index, const QString& value)
{
    if (value.isEmpty()) {
        BindOne(index, SqlNull{});
        return;
    }
    const QByteArray utf8 = value.toUtf8();
    Check(sqlite3_bind_text(m_stmt, index, utf8.constData(), static_cast<int>(utf8.size()),
                            SQLITE_TRANSIENT));
}

void SqliteStmt::BindOne(int index, const std::string& value)
{
    if (value.empty()) {
        BindOne(index, SqlNull{});
        return;
    }
    Check(sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()),
                            SQLITE_TRANSIENT));
}

void SqliteStmt::BindOne(int index, const char* value)
{
    if (value == nullptr || *value == '\0') {
        BindOne(index, SqlNull{});
        return;
    }
    Check(sqlite3_bind_text(m_stmt, index, value, static_cast<int>(std::strlen(value)),
                            SQLITE_TRANSIENT));
}

void SqliteStmt::BindOne(int index, const std::optional<double>& value)
{
    if (value) {
        Check(sqlite3_bind_double(m_stmt, index, *value));
    } else {
        BindOne(index, SqlNull{});
    }
}

void SqliteStmt::BindOne(int index, const std::optional<int>& value)
{
    if (value) {
        BindOne(index, *value);
    } else {
        BindOne(index, SqlNull{});
    }
}
