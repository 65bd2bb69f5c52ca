// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The rows table library held when an update began, and which of them the update has seen.
// It stands in for the flag column while the update runs: a row is unseen when it was there
// at the start and no file has claimed it yet, which are exactly the rows a flag set on every
// row at the start and cleared on each claim would mark. So an unchanged file costs one hash
// look-up and no write, and the flags get their final values once, at the end.
//
// Threads: Load, MarkSeen and Finish on the update's thread. KnownModified may be called from
// reader threads at the same time as MarkSeen: it reads only what Load wrote, and the seen
// marks live apart from it.
class CKnownRows {
public:
    // Reads id, file, modified and flag of every row. False when the table could not be read
    // to its end; the object is then empty.
    bool Load(sqlite3* db);

    // Index of the unseen row whose file is file (compared byte for byte); -1 when none.
    int FindUnseen(std::string_view file) const;
    int Id(int row) const { return m_rows[static_cast<std::size_t>(row)].id; }
    const std::string& Modified(int row) const
    {
        return m_rows[static_cast<std::size_t>(row)].modified;
    }
    void MarkSeen(int row) { m_seen[static_cast<std::size_t>(row)] = 1; }
    // The row of id when it is one of the start and still unseen; -1 otherwise (seen, added by
    // this update, or unknown).
    int UnseenById(int id) const;

    // Modified text of the row whose file is file, seen or not; nullptr when there is none.
    const std::string* KnownModified(std::string_view file) const;

    // Gives every row of the start its final flag: NULL when seen, else 1, or deletes the
    // unseen rows when removeUnseen. Rows whose flag already holds the value are not written.
    // Returns the number of rows deleted. Failed statements are skipped.
    int Finish(sqlite3* db, bool removeUnseen);

private:
    struct Row {
        int id = 0;
        bool flagNull = false; // the flag was NULL at the start
        bool flagOne = false;  // the flag was the integer 1 at the start
        bool hasFile = false;  // file is a text (NULL and BLOB files match no path)
        std::string file;
        std::string modified;
    };

    std::vector<Row> m_rows;  // ascending id
    std::vector<char> m_seen; // by row
    std::unordered_map<std::string_view, int> m_byFile; // views into m_rows[].file
};
