// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CFolderWalk.h"
#include "CTagPrefetch.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <string>
#include <vector>

class CDBase;
class CKnownRows;
class CUpdateStatements;
enum class DbConn;

// Where a running job shows its progress. Called on the job's thread only; implementations
// pass the values on to the user-interface thread without waiting for it.
class IUpdateProgress {
public:
    virtual ~IUpdateProgress() = default;
    // A new range of files; the position returns to 0.
    virtual void SetRange(int files) = 0;
    // The position advances by one file.
    virtual void Step() = 0;
    virtual void SetStatus(const QString& text) = 0;
};

// For updates nobody watches: quiet runs while the folders are followed, the command line,
// benchmarks.
class NoUpdateProgress : public IUpdateProgress {
public:
    void SetRange(int) override {}
    void Step() override {}
    void SetStatus(const QString&) override {}
};

// What a library update did, by file.
struct UpdateStats {
    int files = 0;     // music files counted
    int inserted = 0;  // new rows
    int updated = 0;   // rows of changed files
    int moved = 0;     // rows that followed a renamed or moved file
    int unchanged = 0; // rows whose file was passed over
    int removed = 0;   // rows of files not found, deleted after a complete run
};

// The three database jobs of the progress dialog: the library update, adding files to the
// viewed playlist and importing a playlist file. Runs on one worker thread, which alone
// touches the database while it runs; the cancel flag is set from the user-interface thread
// and tested before each file and after each folder. Every job ends with its work committed,
// also when cancelled. A job that throws (its tag reader, SQLite refusing the commit) leaves
// its transaction rolled back, so the file is as before the job and takes later changes.
class CLibraryUpdate {
public:
    CLibraryUpdate(CDBase& db, TagReadFn reader, IUpdateProgress& progress,
        const std::atomic<bool>& cancel);

    // Lines of the language section "ProcessDialog": 2 is shown while unchanged files are
    // passed over, 3 (with the file name) while a file is read.
    void SetLines(const QStringList& lines) { m_lines = lines; }
    // The `added` text of every row this run inserts ("%Y-%m-%d %H:%M:%S", UTC).
    void SetStartTime(const std::string& added) { m_added = added; }
    // Tag reader threads running ahead of the database writer; 0 reads on the job's thread.
    void SetReaderThreads(int threads) { m_threads = threads; }
    static int DefaultReaderThreads();
    // Whether UpdateLibrary ends with VACUUM (the default). A run that follows a few changed
    // files leaves little free space, and compacting rewrites the whole file.
    void SetCompact(bool compact) { m_compact = compact; }

    // Brings table library in line with the music files under folders, in one transaction,
    // then deletes the rows of files not found (only when not cancelled) and vacuums (see
    // SetCompact).
    void UpdateLibrary(const QStringList& folders);
    // Appends the files (or the music files under the folders) of paths to the viewed
    // playlist, with idx above base.
    void AddToViewed(const QStringList& paths, int base);
    // Appends the files (or the music files under the folders) of paths after the last row of
    // the playlist file playlistFile (a name in the "Playlist" folder) through the target
    // connection, which is closed again afterwards; the list does not show that playlist.
    void AddToPlaylist(const QStringList& paths, const QString& playlistFile);
    // Writes the entries of the playlist file plsPath into the playlist file playlistFile (a
    // name in the "Playlist" folder), with idx above base. Nothing is written when the
    // playlist file cannot be read.
    void ImportPlaylist(const QString& plsPath, const QString& playlistFile, int base);

    const UpdateStats& Stats() const { return m_stats; }

private:
    bool Cancelled() const { return m_cancel.load(std::memory_order_relaxed); }
    bool ProcessFiles(const std::vector<WalkFile>& files, CKnownRows* known);
    void ShowReading(const QString& path);
    bool ReadTags(const WalkFile& file, PrefetchItem& item);
    void Reconcile(const WalkFile& file, PrefetchItem& item, CUpdateStatements& statements,
        CKnownRows& known);
    void InsertNew(const WalkFile& file, PrefetchItem& item, CUpdateStatements& statements);
    void AppendFile(DbConn conn, const WalkFile& file, PrefetchItem& item, int base);
    void AppendPaths(DbConn conn, const std::vector<WalkFile>& files, int base);
    std::vector<WalkFile> WalkPaths(const QStringList& paths);
    void ImportStream(const QString& address, const QString& title, int base);
    void Vacuum(DbConn conn);

    CDBase& m_db;
    TagReadFn m_reader;
    IUpdateProgress& m_progress;
    const std::atomic<bool>& m_cancel;
    QStringList m_lines;
    std::string m_added;
    int m_threads = 0;
    bool m_compact = true;
    int m_position = 0; // progress position: files passed in this run
    UpdateStats m_stats;
};
