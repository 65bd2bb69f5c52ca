// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "library/Sqlite.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// The listens the service has not yet accepted, oldest first, in an SQLite file of the profile
// folder. A listen is written here before any request carries it and leaves only when the
// service has taken it, so a crash, a restart or weeks without a network lose nothing.
// Each listen is kept as the JSON object the service takes (listened_at and track_metadata),
// so what is sent after a restart is exactly what was heard. One thread at a time.
class CListenQueue {
public:
    struct Entry {
        std::int64_t id = 0; // grows with every listen added; the order of sending
        QByteArray listen;   // one listen as compact JSON
    };

    // Opens (creating when missing) the file at path. False when it cannot be opened or is
    // not a queue; the queue stays closed then and every other call fails.
    bool Open(const QString& path);
    void Close() { m_db.Close(); }
    bool IsOpen() const { return m_db.IsOpen(); }

    // Appends a listen; its id, or 0 when it could not be written (closed, disk full).
    std::int64_t Add(const QByteArray& listen);
    // Up to count of the oldest listens, oldest first; empty when closed or on failure.
    std::vector<Entry> Oldest(int count) const;
    // Removes the listens with these ids in one transaction. False when nothing was removed.
    bool Remove(const std::vector<std::int64_t>& ids);
    // How many wait; 0 when closed or on failure.
    int Count() const;

private:
    SqliteDb m_db;
};
