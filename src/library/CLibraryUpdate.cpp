// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: every method runs on the job's worker thread, the one thread that uses the database
// while the job runs. Tags may be read ahead by CTagPrefetch's readers; their results are
// taken in walk order, so rows, ids, `added` values and the matching of moved files are those
// of a file-by-file run. The seen marks of a library update are kept in CKnownRows rather than
// written row by row; the flags end with the values a row-by-row marking gives.
#include "CLibraryUpdate.h"

#include "CDBase.h"
#include "CKnownRows.h"
#include "CPlsFile.h"
#include "CUpdateStatements.h"

#include <QFileInfo>

#include <algorithm>
#include <thread>

namespace {

enum class Sql { Vacuum };
constexpr const char* kSql[] = {
    "VACUUM;",
};

const char* Text(Sql sql)
{
    return kSql[static_cast<int>(sql)];
}

QString FileName(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// The title of an untagged file: its name without the extension.
std::string BareName(const QString& path)
{
    const QString name = FileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot > 0 ? name.left(dot) : name).toStdString();
}

} // namespace

CLibraryUpdate::CLibraryUpdate(CDBase& db, TagReadFn reader, IUpdateProgress& progress,
    const std::atomic<bool>& cancel)
    : m_db(db), m_reader(std::move(reader)), m_progress(progress), m_cancel(cancel),
      m_added(CDBase::NowText())
{
}

int CLibraryUpdate::DefaultReaderThreads()
{
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

void CLibraryUpdate::UpdateLibrary(const QStringList& folders)
{
    m_stats = {};
    std::vector<WalkFile> files;
    CFolderWalk walk(m_cancel);
    for (int i = 0; i < folders.size() && walk.Walk(folders[i], i, files); ++i) {
    }
    if (Cancelled())
        return;
    m_stats.files = static_cast<int>(files.size());
    m_position = 0;
    m_progress.SetRange(m_stats.files);
    const bool empty = m_db.IsLibraryEmpty();
    sqlite3* library = m_db.Handle(DbConn::Library);
    // A run that fails on the way (a tag reader that throws, a commit that cannot get its
    // lock) is undone whole: the flags of half a run would delete rows at the next one.
    SqliteTransaction transaction(library);
    CKnownRows known;
    // A table that cannot be read is left as it is: without its rows no file can be judged.
    if (empty || known.Load(library)) {
        const bool complete = ProcessFiles(files, empty ? nullptr : &known);
        // Rows of files under a folder that could not be walked (an unplugged drive, a
        // folder without permission) are not evidence of deleted files: they stay, marked,
        // until a run sees every folder.
        if (!empty)
            m_stats.removed = known.Finish(library, complete && !walk.Incomplete());
    }
    transaction.Commit();
    if (m_compact)
        Vacuum(DbConn::Library);
}

// True when every file was passed, false when the run was cancelled on the way. known is null
// for an empty library.
bool CLibraryUpdate::ProcessFiles(const std::vector<WalkFile>& files, CKnownRows* known)
{
    CUpdateStatements statements(m_db);
    CTagPrefetch prefetch(files, known, m_reader, m_threads, m_cancel);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Cancelled())
            return false;
        PrefetchItem& item = prefetch.Get(static_cast<int>(i));
        if (item.exists)
            known ? Reconcile(files[i], item, statements, *known)
                  : InsertNew(files[i], item, statements);
        ++m_position;
        m_progress.Step();
    }
    return true;
}

void CLibraryUpdate::ShowReading(const QString& path)
{
    m_progress.SetStatus(m_lines.value(3) + u' ' + FileName(path));
}

// Tags read ahead are used as they are; a file the prefetch expected to be unchanged but that
// needs its tags after all (a folder listed twice) is read now.
bool CLibraryUpdate::ReadTags(const WalkFile& file, PrefetchItem& item)
{
    if (!item.tagsRead) {
        item.tagsRead = true;
        item.tagsOk = m_reader(file.path, item.record);
    }
    if (item.tagsOk && item.record.title.empty())
        item.record.title = BareName(file.path);
    return item.tagsOk;
}

void CLibraryUpdate::InsertNew(const WalkFile& file, PrefetchItem& item,
    CUpdateStatements& statements)
{
    ShowReading(file.path);
    if (ReadTags(file, item) && statements.InsertLibraryRow(item.file, m_added, item.record))
        ++m_stats.inserted;
}

// The file is judged against the rows not yet seen in this run, as they stand at this point
// of the walk: a row claimed by an earlier file (unchanged, changed or moved) is out of reach.
void CLibraryUpdate::Reconcile(const WalkFile& file, PrefetchItem& item,
    CUpdateStatements& statements, CKnownRows& known)
{
    int row = known.FindUnseen(item.file);
    if (row >= 0 && known.Modified(row) == item.record.modified) {
        m_progress.SetStatus(m_lines.value(2));
        known.MarkSeen(row);
        ++m_stats.unchanged;
        return;
    }
    ShowReading(file.path);
    if (row >= 0) {
        // A changed file whose tags cannot be read leaves its row unseen, to be removed.
        if (ReadTags(file, item) && m_db.UpdateChangedRow(known.Id(row), item.record)) {
            known.MarkSeen(row);
            ++m_stats.updated;
        }
        return;
    }
    if (!ReadTags(file, item))
        return;
    row = statements.LookupMoved(item.record, known);
    if (row < 0) {
        if (statements.InsertLibraryRow(item.file, m_added, item.record))
            ++m_stats.inserted;
    } else if (m_db.UpdateMovedRow(known.Id(row), item.file, m_added, item.record)) {
        known.MarkSeen(row);
        ++m_stats.moved;
    }
}

void CLibraryUpdate::Vacuum(DbConn conn)
{
    try {
        SqliteStmt(m_db.Handle(conn), Text(Sql::Vacuum)).Run();
    } catch (const SqliteError&) {
        // A library that cannot be compacted (busy, full disk) is still complete.
    }
}

void CLibraryUpdate::AppendFile(DbConn conn, const WalkFile& file, PrefetchItem& item, int base)
{
    ShowReading(file.path);
    if (item.exists && ReadTags(file, item)
        && m_db.InsertPlaylistFile(conn, base + m_position + 1, file.path.toStdString(), m_added,
            item.record))
        ++m_stats.inserted;
    ++m_position;
    m_progress.Step();
}

std::vector<WalkFile> CLibraryUpdate::WalkPaths(const QStringList& paths)
{
    std::vector<WalkFile> files;
    CFolderWalk walk(m_cancel);
    for (int i = 0; i < paths.size() && walk.WalkPath(paths[i], i, files); ++i) {
    }
    return files;
}

void CLibraryUpdate::AppendPaths(DbConn conn, const std::vector<WalkFile>& files, int base)
{
    m_stats.files = static_cast<int>(files.size());
    m_position = 0;
    m_progress.SetRange(m_stats.files);
    if (!m_db.IsOpen(conn))
        return;
    m_db.KeepPlaylistFile(conn);
    SqliteTransaction transaction(m_db.Handle(conn));
    {
        CTagPrefetch prefetch(files, nullptr, m_reader, m_threads, m_cancel);
        for (std::size_t i = 0; i < files.size() && !Cancelled(); ++i)
            AppendFile(conn, files[i], prefetch.Get(static_cast<int>(i)), base);
    }
    transaction.Commit();
}

void CLibraryUpdate::AddToViewed(const QStringList& paths, int base)
{
    m_stats = {};
    const std::vector<WalkFile> files = WalkPaths(paths);
    if (!Cancelled())
        AppendPaths(DbConn::Viewed, files, base);
}

void CLibraryUpdate::AddToPlaylist(const QStringList& paths, const QString& playlistFile)
{
    m_stats = {};
    const std::vector<WalkFile> files = WalkPaths(paths);
    if (Cancelled() || !m_db.OpenPlaylist(DbConn::Target, playlistFile))
        return;
    AppendPaths(DbConn::Target, files, m_db.LargestPosition(DbConn::Target));
    m_db.CloseTargetPlaylist();
}

void CLibraryUpdate::ImportPlaylist(const QString& plsPath, const QString& playlistFile, int base)
{
    m_stats = {};
    CPlsFile pls;
    if (!pls.Read(plsPath))
        return;
    // The files of all entries in entry order, each tagged with its entry; streams have none.
    std::vector<WalkFile> files;
    CFolderWalk walk(m_cancel);
    for (int i = 0; i < pls.GetCount() && !Cancelled(); ++i) {
        if (!pls.IsStream(i))
            walk.WalkPath(pls.GetFile(i), i, files);
    }
    if (Cancelled())
        return;
    m_stats.files = static_cast<int>(files.size());
    m_position = 0;
    m_progress.SetRange(m_stats.files);
    if (!m_db.OpenPlaylist(DbConn::Target, playlistFile))
        return;
    m_db.KeepPlaylistFile(DbConn::Target);
    SqliteTransaction transaction(m_db.Handle(DbConn::Target));
    {
        CTagPrefetch prefetch(files, nullptr, m_reader, m_threads, m_cancel);
        std::size_t next = 0;
        for (int i = 0; i < pls.GetCount() && !Cancelled(); ++i) {
            if (pls.IsStream(i)) {
                ImportStream(pls.GetFile(i), pls.GetTitle(i), base);
                continue;
            }
            for (; next < files.size() && files[next].root == i && !Cancelled(); ++next)
                AppendFile(DbConn::Target, files[next], prefetch.Get(static_cast<int>(next)), base);
        }
    }
    transaction.Commit();
    Vacuum(DbConn::Target);
    m_db.CloseTargetPlaylist();
}

// A stream takes the next idx without advancing the position, so the entry after it shares
// that idx.
void CLibraryUpdate::ImportStream(const QString& address, const QString& title, int base)
{
    if (m_db.InsertPlaylistStream(DbConn::Target, base + m_position + 1, address,
            title.isEmpty() ? address : title))
        ++m_stats.inserted;
}
