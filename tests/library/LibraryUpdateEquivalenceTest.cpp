// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The library update keeps its seen marks in memory and writes the flags once at the end. Its
// tables must equal, column for column, those of the plain row-by-row algorithm: every row
// flagged at the start, each file looked up among the flagged rows and its row unflagged,
// moved files matched by tags among the rows still flagged at that point of the walk. The
// row-by-row run is built here from the database layer's own single statements.
#include "CDBase.h"
#include "CFolderWalk.h"
#include "CLibraryUpdate.h"
#include "CTagPrefetch.h"
#include "TestProfile.h"
#include "TextTagReader.h"

#include <QDateTime>
#include <QFile>

#include <random>

#include <gtest/gtest.h>

namespace {

constexpr const char* kRunTimes[] = {"2026-01-01 10:00:00", "2026-02-02 20:00:00",
    "2026-03-03 03:03:03", "2026-04-04 04:04:04", "2026-05-05 05:05:05", "2026-06-06 06:06:06"};

// One file of the row-by-row update.
void RowByRowFile(CDBase& db, const WalkFile& file, const std::string& added, bool empty)
{
    const std::string path = file.path.toStdString();
    TrackRecord r;
    r.type = file.type;
    if (!CTagPrefetch::Examine(file.path, r))
        return;
    int id = 0;
    const QString modified = QString::fromStdString(r.modified);
    const LookupResult found = empty ? LookupResult::NoRow : db.LookupFile(path, modified, &id);
    if (found == LookupResult::Same) {
        db.MarkSeen(id);
        return;
    }
    if (!ReadTextTags(file.path, r))
        return;
    if (found == LookupResult::Changed)
        db.UpdateChangedRow(id, r);
    else if (!empty && db.LookupMoved(r, &id))
        db.UpdateMovedRow(id, path, added, r);
    else
        db.InsertLibraryRow(path, added, r);
}

// The row-by-row update over the same walk, stopping (as a cancel would) after stopAfter files.
void RowByRowUpdate(CDBase& db, const QStringList& folders, const std::string& added,
    int stopAfter)
{
    std::atomic<bool> cancel{false};
    std::vector<WalkFile> files;
    CFolderWalk walk(cancel);
    for (int i = 0; i < folders.size(); ++i)
        walk.Walk(folders[i], i, files);
    const bool empty = db.IsLibraryEmpty();
    db.Begin(DbConn::Library);
    if (!empty)
        db.MarkAllUnseen();
    const std::size_t count = stopAfter < 0
        ? files.size()
        : std::min(static_cast<std::size_t>(stopAfter), files.size());
    for (std::size_t i = 0; i < count; ++i)
        RowByRowFile(db, files[i], added, empty);
    if (!empty && count == files.size() && !walk.Incomplete())
        db.DeleteUnseen();
    db.Commit(DbConn::Library);
}

QStringList Dump(CDBase& db)
{
    QStringList rows;
    SqliteStmt stmt(db.Handle(DbConn::Library), "SELECT * FROM library ORDER BY id;");
    while (stmt.Step()) {
        QStringList columns;
        for (int i = 0; i < sqlite3_column_count(stmt.Get()); ++i)
            columns << (stmt.IsNull(i) ? QStringLiteral("-") : stmt.Text(i));
        rows << columns.join(u'|');
    }
    return rows;
}

class LibraryUpdateEquivalenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 2; ++i) {
            m_dbs[i].SetFolder(m_profiles[i].Path());
            m_dbs[i].OpenLibrary();
        }
    }

    QString Write(const QString& name, const QByteArray& tags, int time)
    {
        const QString path = m_music.Write(name, tags);
        Touch(path, time);
        return path;
    }
    static void Touch(const QString& path, int time)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(1700000000 + time),
            QFileDevice::FileModificationTime));
    }

    // Runs both updates (the job with threads readers) and expects equal tables.
    void RunBoth(const QStringList& folders, int run, int threads, int stopAfter = -1)
    {
        RowByRowUpdate(m_dbs[0], folders, kRunTimes[run], stopAfter);
        std::atomic<bool> cancel{false};
        CancelAfter progress(cancel, stopAfter);
        CLibraryUpdate job(m_dbs[1], ReadTextTags, progress, cancel);
        job.SetStartTime(kRunTimes[run]);
        job.SetReaderThreads(threads);
        job.UpdateLibrary(folders);
        EXPECT_EQ(Dump(m_dbs[1]), Dump(m_dbs[0])) << "after run " << run;
    }

    // Cancels once stopAfter files were passed (never when negative).
    class CancelAfter : public NoUpdateProgress {
    public:
        CancelAfter(std::atomic<bool>& cancel, int stopAfter)
            : m_cancel(cancel), m_stop(stopAfter) {}
        void Step() override
        {
            if (++m_position == m_stop)
                m_cancel = true;
        }

    private:
        std::atomic<bool>& m_cancel;
        int m_stop;
        int m_position = 0;
    };

    TestProfile m_music;
    TestProfile m_profiles[2];
    CDBase m_dbs[2];
};

// Moves, renames, edits, unreadable and vanished files, duplicates of one set of tags, a
// cancelled run that leaves flags behind and a folder listed twice, over several runs.
TEST_F(LibraryUpdateEquivalenceTest, RandomHistoriesGiveTheTablesOfTheRowByRowRun)
{
    std::mt19937 random(20261208);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto tags = [&] {
        const int t = pick(12);
        return "T" + QByteArray::number(t) + "|" + (t % 3 ? "A" + QByteArray::number(t % 4) : "")
            + "|" + (t % 4 ? "B" : "");
    };
    QStringList live;
    for (int i = 0; i < 120; ++i)
        live << Write(QStringLiteral("d%1/f%2.mp3").arg(pick(6)).arg(i), tags(), 0);
    RunBoth({m_music.Path()}, 0, 0);
    for (int run = 1; run < 6; ++run) {
        for (int change = 0; change < 25; ++change) {
            const int which = pick(static_cast<int>(live.size()));
            const QString path = live[which];
            switch (pick(5)) {
            case 0: { // moved to another folder, sometimes ahead of its old place in the walk
                const QString to = m_music.File(QStringLiteral("d%1/%2m%3.mp3")
                        .arg(pick(6))
                        .arg(pick(2) ? "0" : "z")
                        .arg(change * 10 + run));
                if (QFile::rename(path, to))
                    live[which] = to;
                break;
            }
            case 1:
                Touch(path, run * 10 + change);
                break;
            case 2:
                Write(path.mid(m_music.Path().size() + 1), pick(2) ? "unreadable" : tags(), run);
                break;
            case 3:
                QFile::remove(path);
                live.removeAt(which);
                break;
            default:
                live << Write(QStringLiteral("d%1/n%2x%3.mp3").arg(pick(6)).arg(run).arg(change),
                    tags(), run);
                break;
            }
        }
        const QStringList folders = run == 4
            ? QStringList({m_music.File(QStringLiteral("d1")), m_music.Path()})
            : QStringList({m_music.Path()});
        RunBoth(folders, run, run % 2 == 0 ? 0 : 2, run == 2 ? 40 : -1);
    }
    EXPECT_GT(Dump(m_dbs[1]).size(), 60);
}

// Two rows with the same tags. A moved file met before the unchanged one claims the first
// row, so the unchanged file no longer finds its own row and takes the other one; met after
// it, the moved file skips the row already seen.
TEST_F(LibraryUpdateEquivalenceTest, AMovedFileSkipsRowsSeenEarlierInTheWalk)
{
    Write(QStringLiteral("k.mp3"), "Same|Artist|Album", 0);
    Write(QStringLiteral("m.mp3"), "Same|Artist|Album", 0);
    RunBoth({m_music.Path()}, 0, 0);
    ASSERT_TRUE(QFile::rename(m_music.File(QStringLiteral("m.mp3")),
        m_music.File(QStringLiteral("a.mp3"))));
    RunBoth({m_music.Path()}, 1, 0);
    QStringList rows;
    SqliteStmt stmt(m_dbs[1].Handle(DbConn::Library),
        "SELECT id,substr(file,-5),added,flag IS NULL FROM library ORDER BY id;");
    while (stmt.Step())
        rows << QStringLiteral("%1|%2|%3|%4").arg(stmt.Int(0)).arg(stmt.Text(1), stmt.Text(2),
            stmt.Text(3));
    EXPECT_EQ(rows, QStringList({QStringLiteral("1|a.mp3|2026-02-02 20:00:00|1"),
        QStringLiteral("2|k.mp3|2026-02-02 20:00:00|1")}));

    ASSERT_TRUE(QFile::rename(m_music.File(QStringLiteral("a.mp3")),
        m_music.File(QStringLiteral("z.mp3"))));
    RunBoth({m_music.Path()}, 2, 2);
    EXPECT_EQ(Dump(m_dbs[1]).size(), 2);
}

// The walk examines files from their folder's listing: a link to a file gives the file's
// size and time, a dangling link and a folder with a music extension give no row, and each
// entry counts once.
TEST_F(LibraryUpdateEquivalenceTest, LinksAndFoldersWithMusicNamesAsInTheRowByRowRun)
{
    const QString target = Write(QStringLiteral("real.mp3"), "Real|Artist|", 30);
    ASSERT_TRUE(QFile::link(target, m_music.File(QStringLiteral("alias.mp3"))));
    ASSERT_TRUE(QFile::link(m_music.File(QStringLiteral("gone.mp3")),
        m_music.File(QStringLiteral("dead.mp3"))));
    Write(QStringLiteral("folder.mp3/inner.ogg"), "Inner||", 40);
    RunBoth({m_music.Path()}, 0, 2);
    RunBoth({m_music.Path()}, 1, 0);
    QStringList rows;
    SqliteStmt stmt(m_dbs[1].Handle(DbConn::Library),
        "SELECT substr(file,-20),modified,size FROM library ORDER BY id;");
    while (stmt.Step())
        rows << QStringLiteral("%1|%2|%3").arg(stmt.Text(0).section(u'/', -1), stmt.Text(1),
            stmt.Text(2));
    EXPECT_EQ(rows, QStringList({QStringLiteral("alias.mp3|2023-11-14 22:13:50|12"),
        QStringLiteral("inner.ogg|2023-11-14 22:14:00|7"),
        QStringLiteral("real.mp3|2023-11-14 22:13:50|12")}));
}

} // namespace
