// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

// One music file met by a walk.
struct WalkFile {
    QString path; // full path, "/" separated
    int type = 0; // file type code (1 mp3 .. 14 mpc, see CDBase), never 0
    int root = 0; // index of the walked path in the caller's list
    // Filled when the walk could examine the file from its folder's listing (Unix): whether
    // it is a regular file (links followed), its size and last-write time.
    bool examined = false;
    bool regular = false;
    std::int64_t size = 0;
    std::int64_t modified = 0; // seconds since 1970
};

// Finds the music files under folders, recognised by extension only; nothing is opened.
// Entries of a folder are visited in case-insensitive name order, so two runs over the same
// tree meet the files in the same order. A folder that cannot be read adds nothing; a folder
// reached again through a symbolic link (or a link loop) is not entered twice within one walk.
// A folder that is missing, is not a folder or cannot be listed is skipped and noted, so the
// caller knows the walk did not see everything. Where the system allows it, each music file
// is examined (size, last-write time) while its folder is open, relative to the folder, which
// spares a lookup of the full path later.
// Any thread; the cancel flag may be set from another thread.
class CFolderWalk {
public:
    explicit CFolderWalk(const std::atomic<bool>& cancel) : m_cancel(cancel) {}

    // Appends the files under folder, recursively, tagged with root. Stops early, returning
    // false, once the cancel flag is set.
    bool Walk(const QString& folder, int root, std::vector<WalkFile>& out);
    // A path that names an existing music file gives that file; any other path is walked as
    // a folder.
    bool WalkPath(const QString& path, int root, std::vector<WalkFile>& out);
    // True once a folder could not be walked (missing, a file, unreadable).
    bool Incomplete() const { return m_incomplete; }

private:
    bool WalkInto(const QString& folder, int root, std::vector<WalkFile>& out,
        std::unordered_set<std::string>& visited);

    const std::atomic<bool>& m_cancel;
    bool m_incomplete = false;
};
