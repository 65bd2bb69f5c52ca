// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The library update against a real SQLite file and real folders. Tags come from a stand-in
// reader: each file holds "title|artist|album" as text, and a file holding "unreadable"
// cannot be read, so the decisions are tested without audio.
#include "CDBase.h"
#include "CLibraryQuery.h"
#include "CLibraryUpdate.h"
#include "RecordingSinks.h"
#include "TestProfile.h"
#include "TextTagReader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

constexpr const char* kFirstRun = "2026-01-01 10:00:00";
constexpr const char* kSecondRun = "2026-02-02 20:00:00";

// Counts the steps and cancels the job once cancelAt steps were made (never when negative).
class TestProgress : public IUpdateProgress {
public:
    explicit TestProgress(std::atomic<bool>& cancel, int cancelAt = -1)
        : m_cancel(cancel), m_cancelAt(cancelAt) {}
    void SetRange(int files) override { range = files; position = 0; }
    void Step() override
    {
        if (++position == m_cancelAt)
            m_cancel = true;
    }
    void SetStatus(const QString& text) override { lastStatus = text; }

    int range = -1;
    int position = 0;
    QString lastStatus;

private:
    std::atomic<bool>& m_cancel;
    int m_cancelAt;
};

class LibraryUpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_db.SetFolder(m_dir.Path());
        m_db.OpenLibrary();
    }

    // Writes a music file under "music" with a fixed last-write time (plus offset seconds).
    QString Track(const QString& name, const QByteArray& tags, int offset = 0)
    {
        const QString path = m_dir.Write(QStringLiteral("music/") + name, tags);
        SetTime(path, offset);
        return path;
    }
    static void SetTime(const QString& path, int offset)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(1700000000 + offset),
            QFileDevice::FileModificationTime));
    }
    QString Music() const { return m_dir.File(QStringLiteral("music")); }

    UpdateStats Update(const QStringList& folders, const char* added = kFirstRun,
        int threads = 0, int cancelAt = -1)
    {
        std::atomic<bool> cancel{false};
        TestProgress progress(cancel, cancelAt);
        CLibraryUpdate job(m_db, ReadTextTags, progress, cancel);
        job.SetLines({QStringLiteral("Updating"), QStringLiteral("Cancel"),
            QStringLiteral("Please wait"), QStringLiteral("Reading")});
        job.SetStartTime(added);
        job.SetReaderThreads(threads);
        job.UpdateLibrary(folders);
        return job.Stats();
    }

    // Rows of a query, columns joined by "|", NULL as "-", the music folder as "~".
    QStringList Rows(const char* sql, DbConn conn = DbConn::Library)
    {
        QStringList rows;
        SqliteStmt stmt(m_db.Handle(conn), sql);
        while (stmt.Step()) {
            QStringList columns;
            for (int i = 0; i < sqlite3_column_count(stmt.Get()); ++i)
                columns << (stmt.IsNull(i) ? QStringLiteral("-") : stmt.Text(i));
            rows << columns.join(u'|').replace(Music(), QStringLiteral("~"));
        }
        return rows;
    }
    int IdOf(const QString& name)
    {
        const QStringList rows = Rows(
            ("SELECT id FROM library WHERE file='" + (Music() + u'/' + name).toStdString() + "';")
                .c_str());
        return rows.isEmpty() ? 0 : rows.first().toInt();
    }

    TestProfile m_dir;
    CDBase m_db;
};

TEST_F(LibraryUpdateTest, FirstUpdateInsertsEveryMusicFileWithTheRunsTime)
{
    Track(QStringLiteral("b/Song.MP3"), "Song|Artist|Album");
    Track(QStringLiteral("a.ogg"), "");
    Track(QStringLiteral("notes.txt"), "Not|Music|At all");
    Track(QStringLiteral("cover.jpg"), "x");
    const UpdateStats stats = Update({Music()});
    EXPECT_EQ(stats.files, 2);
    EXPECT_EQ(stats.inserted, 2);
    EXPECT_EQ(Rows("SELECT id,flag,file,title,artist,album,added,type,modified,count,skip "
                   "FROM library ORDER BY id;"),
        QStringList({QStringLiteral("1|-|~/a.ogg|a|-|-|2026-01-01 10:00:00|2|2023-11-14 22:13:20|0|0"),
            QStringLiteral("2|-|~/b/Song.MP3|Song|Artist|Album|2026-01-01 10:00:00|1|"
                           "2023-11-14 22:13:20|0|0")}));
}

// The update prepares its insert once per run; the row must be the one CDBase writes.
TEST_F(LibraryUpdateTest, InsertedRowEqualsTheDatabaseLayersRow)
{
    const QString path = Track(QStringLiteral("a.flac"), "Title||Album|3|1987");
    Update({Music()});
    TrackRecord record;
    ASSERT_TRUE(ReadTextTags(path, record));
    record.type = 4;
    record.size = QFileInfo(path).size();
    record.modified = "2023-11-14 22:13:20";
    ASSERT_TRUE(m_db.InsertLibraryRow("other", kFirstRun, record));
    const QStringList rows = Rows("SELECT flag,deleted,play,size,modified,added,number,title,"
        "artist,album,year,genre,albumartist,composer,mood,time,type,bitrate,sample,channel,"
        "rating,love,count,lastcount,skip,lastskip,equalizer FROM library ORDER BY id;");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], rows[1]);
    EXPECT_TRUE(rows[0].contains(QStringLiteral("|3|Title|-|Album|1987|")));
}

TEST_F(LibraryUpdateTest, RenamedFileKeepsIdRatingAndCountersAndTakesTheNewAddedTime)
{
    Track(QStringLiteral("a.mp3"), "Kept|Artist|Album");
    Track(QStringLiteral("z.mp3"), "Other|Artist|Album");
    Update({Music()});
    const int id = IdOf(QStringLiteral("a.mp3"));
    m_db.SetRating(id, 0, 4);
    m_db.CountPlay(id, 0);
    m_db.CountSkip(id, 0);
    ASSERT_TRUE(QDir().mkpath(Music() + QStringLiteral("/moved")));
    ASSERT_TRUE(QFile::rename(Music() + QStringLiteral("/a.mp3"),
        Music() + QStringLiteral("/moved/renamed.mp3")));

    const UpdateStats stats = Update({Music()}, kSecondRun);
    EXPECT_EQ(stats.moved, 1);
    EXPECT_EQ(stats.unchanged, 1);
    EXPECT_EQ(stats.removed, 0);
    EXPECT_EQ(Rows("SELECT id,file,title,rating,count,skip,added FROM library ORDER BY id;"),
        QStringList({QStringLiteral("1|~/moved/renamed.mp3|Kept|80|1|1|2026-02-02 20:00:00"),
            QStringLiteral("2|~/z.mp3|Other|-|0|0|2026-01-01 10:00:00")}));
}

TEST_F(LibraryUpdateTest, TagsAreReadAgainOnlyWhenTheLastWriteTimeChanged)
{
    const QString path = Track(QStringLiteral("a.mp3"), "Old|Artist|Album");
    Update({Music()});
    m_db.SetRating(1, 0, 3);
    Track(QStringLiteral("a.mp3"), "New|Artist|Album"); // same time as before
    EXPECT_EQ(Update({Music()}, kSecondRun).unchanged, 1);
    EXPECT_EQ(Rows("SELECT title FROM library;"), QStringList({QStringLiteral("Old")}));

    SetTime(path, 60);
    const UpdateStats stats = Update({Music()}, kSecondRun);
    EXPECT_EQ(stats.updated, 1);
    EXPECT_EQ(Rows("SELECT id,title,rating,added,modified FROM library;"),
        QStringList({QStringLiteral("1|New|60|2026-01-01 10:00:00|2023-11-14 22:14:20")}));
}

TEST_F(LibraryUpdateTest, VanishedAndUnreadableFilesGoOnlyAfterACompleteRun)
{
    Track(QStringLiteral("a.mp3"), "A||");
    Track(QStringLiteral("b.mp3"), "B||");
    Track(QStringLiteral("c.mp3"), "C||");
    Update({Music()});
    QFile::remove(Music() + QStringLiteral("/b.mp3"));
    Track(QStringLiteral("c.mp3"), "unreadable", 5);

    const UpdateStats cancelled = Update({Music()}, kSecondRun, 0, 1);
    EXPECT_EQ(cancelled.unchanged, 1);
    EXPECT_EQ(cancelled.removed, 0);
    EXPECT_EQ(Rows("SELECT title,flag FROM library ORDER BY id;"),
        QStringList({QStringLiteral("A|-"), QStringLiteral("B|1"), QStringLiteral("C|1")}));

    const UpdateStats complete = Update({Music()}, kSecondRun);
    EXPECT_EQ(complete.removed, 2);
    EXPECT_EQ(Rows("SELECT title,flag FROM library;"), QStringList({QStringLiteral("A|-")}));
}

int CountStatement(unsigned, void* context, void*, void*)
{
    ++*static_cast<int*>(context);
    return 0;
}

TEST_F(LibraryUpdateTest, CancellingWhileCountingRunsNoStatement)
{
    Track(QStringLiteral("a.mp3"), "A||");
    Update({Music()});
    int statements = 0;
    sqlite3_trace_v2(m_db.Handle(DbConn::Library), SQLITE_TRACE_STMT, CountStatement, &statements);
    std::atomic<bool> cancel{true};
    TestProgress progress(cancel);
    CLibraryUpdate job(m_db, ReadTextTags, progress, cancel);
    job.UpdateLibrary({Music()});
    sqlite3_trace_v2(m_db.Handle(DbConn::Library), 0, nullptr, nullptr);
    EXPECT_EQ(statements, 0);
    EXPECT_EQ(progress.range, -1);
    EXPECT_EQ(Rows("SELECT flag FROM library;"), QStringList({QStringLiteral("-")}));
}

TEST_F(LibraryUpdateTest, FilesWithEqualTagsMovingTogetherTakeTheUnseenRowsInOrder)
{
    Track(QStringLiteral("old/1.mp3"), "Same|Artist|Album");
    Track(QStringLiteral("old/2.mp3"), "Same|Artist|Album");
    Update({Music()});
    m_db.SetRating(2, 0, 5);
    QDir(Music()).rename(QStringLiteral("old"), QStringLiteral("new"));
    Track(QStringLiteral("new/3.mp3"), "Same|Artist|Album");

    const UpdateStats stats = Update({Music()}, kSecondRun);
    EXPECT_EQ(stats.moved, 2);
    EXPECT_EQ(stats.inserted, 1);
    EXPECT_EQ(Rows("SELECT id,file,rating,added FROM library ORDER BY id;"),
        QStringList({QStringLiteral("1|~/new/1.mp3|-|2026-02-02 20:00:00"),
            QStringLiteral("2|~/new/2.mp3|100|2026-02-02 20:00:00"),
            QStringLiteral("3|~/new/3.mp3|-|2026-02-02 20:00:00")}));
}

TEST_F(LibraryUpdateTest, LinkLoopsAreWalkedOnceAndATwiceListedFolderAddsNothing)
{
    Track(QStringLiteral("a.mp3"), "A||");
    Track(QStringLiteral("sub/b.mp3"), "B||");
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), Music() + QStringLiteral("/sub/up")));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), Music() + QStringLiteral("/self")));
    ASSERT_TRUE(QFile::link(Music() + QStringLiteral("/sub"), Music() + QStringLiteral("/zlink")));
    EXPECT_EQ(Update({Music()}).inserted, 2);

    const UpdateStats twice = Update({Music(), Music()}, kSecondRun);
    EXPECT_EQ(twice.files, 4);
    EXPECT_EQ(twice.unchanged, 2);
    EXPECT_EQ(Rows("SELECT file FROM library ORDER BY id;"),
        QStringList({QStringLiteral("~/a.mp3"), QStringLiteral("~/sub/b.mp3")}));
}

TEST_F(LibraryUpdateTest, AMissingLibraryFolderDoesNotEmptyTheLibrary)
{
    Track(QStringLiteral("a.mp3"), "A||");
    const QString notAFolder = Track(QStringLiteral("b.mp3"), "B||");
    Update({Music()});
    const UpdateStats missing =
        Update({m_dir.File(QStringLiteral("unplugged")), notAFolder}, kSecondRun);
    EXPECT_EQ(missing.files, 0);
    EXPECT_EQ(missing.removed, 0);
    EXPECT_EQ(Rows("SELECT count(*) FROM library;"), QStringList({QStringLiteral("2")}));

    // An empty folder list is a complete run over nothing.
    EXPECT_EQ(Update({}, kSecondRun).removed, 2);
}

TEST_F(LibraryUpdateTest, NamesInAnyScript)
{
    const QString cyrillic = QString::fromUtf8("Музыка/Песня.flac");
    const QString cjk = QString::fromUtf8("日本語/歌 🎵.m4a");
    Track(cyrillic, QByteArray("Песня|Исполнитель|"));
    Track(cjk, "");
    EXPECT_EQ(Update({Music()}).inserted, 2);
    EXPECT_EQ(Rows("SELECT file,title,artist FROM library ORDER BY id;"),
        QStringList({QStringLiteral("~/") + cyrillic + QString::fromUtf8("|Песня|Исполнитель"),
            QStringLiteral("~/") + cjk + QString::fromUtf8("|歌 🎵|-")}));
    EXPECT_EQ(Update({Music()}, kSecondRun).unchanged, 2);
}

TEST_F(LibraryUpdateTest, SearchFindsWhatTheUpdateAddedRetaggedMovedAndKept)
{
    const auto found = [this](const char* words) {
        RecordingList list;
        CLibraryQuery(m_db).RunList(CLibraryQuery::SearchList(QString::fromUtf8(words)), list);
        return list.Slot(2).join(u',');
    };
    Track(QStringLiteral("a.mp3"), "Jóga|Björk|Homogenic");
    Track(QStringLiteral("b.mp3"), "Hoppípolla|Sigur Rós|Takk");
    Track(QStringLiteral("c.mp3"), "Bachelorette|Björk|Homogenic|2");
    Update({Music()});
    EXPECT_EQ(found("bjork"), QStringLiteral("Jóga,Bachelorette"));
    EXPECT_EQ(found("sigur ros hopp"), QStringLiteral("Hoppípolla"));

    Track(QStringLiteral("a.mp3"), "Joga (Live)|Björk|Homogenic", 60);
    QFile::remove(Music() + QStringLiteral("/b.mp3"));
    ASSERT_TRUE(QFile::rename(
        Music() + QStringLiteral("/c.mp3"), Music() + QStringLiteral("/moved.mp3")));
    Track(QStringLiteral("d.mp3"), "Glósóli|Sigur Rós|Takk");
    const UpdateStats stats = Update({Music()}, kSecondRun);
    EXPECT_EQ(stats.updated, 1);
    EXPECT_EQ(stats.moved, 1);
    EXPECT_EQ(found("live"), QStringLiteral("Joga (Live)"));
    EXPECT_EQ(found("hopp"), QString());
    EXPECT_EQ(found("sigur"), QStringLiteral("Glósóli"));
    EXPECT_EQ(found("bach"), QStringLiteral("Bachelorette"));
}

TEST_F(LibraryUpdateTest, AddingAppendsAfterTheBaseWithGapsForUnreadableFiles)
{
    const QString single = Track(QStringLiteral("one.mp3"), "One||");
    Track(QStringLiteral("dir/a.mp3"), "unreadable");
    Track(QStringLiteral("dir/b.ogg"), "B|Art|");
    Track(QStringLiteral("dir/c.txt"), "C||");
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("0000000a.db")));
    std::atomic<bool> cancel{false};
    TestProgress progress(cancel);
    CLibraryUpdate job(m_db, ReadTextTags, progress, cancel);
    job.SetStartTime(kFirstRun);
    job.SetReaderThreads(2);
    job.AddToViewed({single, Music() + QStringLiteral("/dir")}, 5);
    EXPECT_EQ(progress.range, 3);
    EXPECT_EQ(Rows("SELECT idx,idlib,file,title,artist,added,type,count FROM playlist ORDER BY idx;",
                  DbConn::Viewed),
        QStringList({QStringLiteral("6|-|~/one.mp3|One|-|2026-01-01 10:00:00|1|0"),
            QStringLiteral("8|-|~/dir/b.ogg|B|Art|2026-01-01 10:00:00|2|0")}));
}

TEST_F(LibraryUpdateTest, AddingToAPlaylistNotShownAppendsAfterItsLastRowAndLetsItGo)
{
    const QString first = Track(QStringLiteral("one.mp3"), "One||");
    const QString second = Track(QStringLiteral("two.mp3"), "Two|Art|");
    const QString file = QStringLiteral("0000000c.db");
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Target, file));
    ASSERT_TRUE(m_db.InsertPlaylistEntry(
        DbConn::Target, 4, QStringLiteral("/old.mp3"), QStringLiteral("Old"), CDBase::kTypeCopied));
    m_db.CloseTargetPlaylist();
    // Another playlist is shown meanwhile and must not receive anything.
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("0000000d.db")));
    std::atomic<bool> cancel { false };
    TestProgress progress(cancel);
    CLibraryUpdate job(m_db, ReadTextTags, progress, cancel);
    job.SetStartTime(kFirstRun);
    job.AddToPlaylist({ first, second }, file);
    EXPECT_EQ(progress.range, 2);
    EXPECT_EQ(job.Stats().inserted, 2);
    EXPECT_FALSE(m_db.IsOpen(DbConn::Target));
    EXPECT_TRUE(Rows("SELECT idx FROM playlist;", DbConn::Viewed).isEmpty());
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, file));
    EXPECT_EQ(Rows("SELECT idx,file,title,artist FROM playlist ORDER BY idx;", DbConn::Viewed),
        QStringList({ QStringLiteral("4|/old.mp3|Old|-"), QStringLiteral("5|~/one.mp3|One|-"),
            QStringLiteral("6|~/two.mp3|Two|Art") }));
}

TEST_F(LibraryUpdateTest, ImportKeepsEntryOrderAndGivesStreamsTheNextIdx)
{
    Track(QStringLiteral("a.mp3"), "A||");
    Track(QStringLiteral("b.mp3"), "B||");
    const QString list = m_dir.Write(QStringLiteral("music/list.m3u"),
        "#EXTM3U\n#EXTINF:-1,Radio One\nhttp://one.example/live\nhttp://two.example/\n"
        "a.mp3\nmissing.mp3\nhttp://three.example/\nb.mp3\n");
    std::atomic<bool> cancel{false};
    TestProgress progress(cancel);
    CLibraryUpdate job(m_db, ReadTextTags, progress, cancel);
    job.ImportPlaylist(list, QStringLiteral("0000000b.db"), 2);
    EXPECT_EQ(progress.range, 2);
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("0000000b.db")));
    EXPECT_EQ(Rows("SELECT idx,file,title,type FROM playlist ORDER BY id;", DbConn::Viewed),
        QStringList({QStringLiteral("3|http://one.example/live|Radio One|100"),
            QStringLiteral("3|http://two.example/|http://two.example/|100"),
            QStringLiteral("3|~/a.mp3|A|1"),
            QStringLiteral("4|http://three.example/|http://three.example/|100"),
            QStringLiteral("4|~/b.mp3|B|1")}));
    EXPECT_FALSE(m_db.IsOpen(DbConn::Target));
}

TEST_F(LibraryUpdateTest, UnreadablePlaylistImportsNothing)
{
    std::atomic<bool> cancel{false};
    TestProgress progress(cancel);
    CLibraryUpdate job(m_db, ReadTextTags, progress, cancel);
    job.ImportPlaylist(m_dir.Write(QStringLiteral("bad.pls"), "no header\nFile1=a.mp3\n"),
        QStringLiteral("0000000c.db"), 0);
    EXPECT_EQ(progress.range, -1);
    EXPECT_FALSE(QFile::exists(m_db.PlaylistFolder() + QStringLiteral("0000000c.db")));
}

// The same history of changes, applied to a library updated by one thread and to one
// updated with readers ahead of the writer, must give identical tables.
TEST(LibraryUpdateThreads, ReadersAheadGiveTheRowsOfASequentialRun)
{
    TestProfile music;
    for (int i = 0; i < 300; ++i) {
        const QByteArray tags = "T" + QByteArray::number(i % 40) + "|A" + QByteArray::number(i % 7)
            + "|" + (i % 3 ? "B" : "");
        music.Write(QStringLiteral("d%1/f%2.mp3").arg(i % 9).arg(i), i % 50 == 0 ? "unreadable" : tags);
    }
    QStringList dumps[2];
    TestProfile profiles[2];
    CDBase dbs[2];
    std::atomic<bool> cancel{false};
    auto run = [&](int which, const char* added) {
        TestProgress progress(cancel);
        CLibraryUpdate job(dbs[which], ReadTextTags, progress, cancel);
        job.SetStartTime(added);
        job.SetReaderThreads(which == 0 ? 0 : 3);
        job.UpdateLibrary({music.Path()});
    };
    for (int which = 0; which < 2; ++which) {
        dbs[which].SetFolder(profiles[which].Path());
        dbs[which].OpenLibrary();
        run(which, kFirstRun);
    }
    for (int i = 0; i < 300; i += 7)
        QFile::rename(music.File(QStringLiteral("d%1/f%2.mp3").arg(i % 9).arg(i)),
            music.File(QStringLiteral("d%1/g%2.mp3").arg((i + 1) % 9).arg(i)));
    for (int which = 0; which < 2; ++which) {
        run(which, kSecondRun);
        SqliteStmt stmt(dbs[which].Handle(DbConn::Library),
            "SELECT id,flag,file,title,artist,album,added FROM library ORDER BY id;");
        while (stmt.Step())
            dumps[which] << QStringLiteral("%1|%2|%3|%4|%5|%6").arg(stmt.Int(0)).arg(stmt.Text(2),
                stmt.Text(3), stmt.Text(4), stmt.Text(5), stmt.Text(6));
    }
    EXPECT_GT(dumps[0].size(), 250);
    EXPECT_EQ(dumps[0], dumps[1]);
}

// A run that fails on the way: the progress report throws at a step (as anything on the job's
// thread may), or SQLite refuses the commit (a deferred foreign key that a trigger breaks).
struct FailingRun {
    const char* name;
    int threads;
    int progressThrowsAt; // 0: never
    bool commitFails;
};

class ThrowingProgress : public IUpdateProgress {
public:
    explicit ThrowingProgress(int throwAt) : m_throwAt(throwAt) {}
    void SetRange(int) override {}
    void Step() override
    {
        if (++m_position == m_throwAt)
            throw std::runtime_error("progress failed");
    }
    void SetStatus(const QString&) override {}

private:
    int m_throwAt;
    int m_position = 0;
};

class FailingUpdateTest : public LibraryUpdateTest,
                          public ::testing::WithParamInterface<FailingRun> {};

// The library stays as it was before the run, and no transaction is left open: a rating and a
// play count given afterwards are still there after a restart.
TEST_P(FailingUpdateTest, IsUndoneWholeAndLaterValuesAreKept)
{
    const FailingRun& run = GetParam();
    Track(QStringLiteral("a.mp3"), "A|Artist|Album");
    Track(QStringLiteral("b.mp3"), "B|Artist|Album");
    Update({Music()});
    m_db.SetRating(IdOf(QStringLiteral("a.mp3")), 0, 3);
    ASSERT_TRUE(QFile::remove(m_dir.File(QStringLiteral("music/a.mp3"))));
    Track(QStringLiteral("b.mp3"), "B2|Artist|Album", 5);
    Track(QStringLiteral("c.mp3"), "C|Artist|Album");
    Track(QStringLiteral("d.mp3"), "D|Artist|Album");
    if (run.commitFails) {
        for (const char* sql : {"PRAGMA foreign_keys=ON;",
                 "CREATE TABLE parent (id INTEGER PRIMARY KEY);",
                 "CREATE TABLE child (p INTEGER REFERENCES parent(id) DEFERRABLE INITIALLY "
                 "DEFERRED);",
                 "CREATE TRIGGER broken AFTER INSERT ON library BEGIN INSERT INTO child "
                 "VALUES (999); END;"})
            SqliteStmt(m_db.Handle(DbConn::Library), sql).Run();
    }
    std::atomic<bool> cancel{false};
    ThrowingProgress progress(run.progressThrowsAt);
    CLibraryUpdate job(m_db, ReadTextTags, progress, cancel);
    job.SetStartTime(kSecondRun);
    job.SetReaderThreads(run.threads);
    bool threw = false;
    try {
        job.UpdateLibrary({Music()});
    } catch (const std::exception&) {
        threw = true;
    }
    EXPECT_TRUE(threw);

    const int b = IdOf(QStringLiteral("b.mp3"));
    m_db.SetRating(b, 0, 4);
    m_db.CountPlay(b, 0);
    m_db.OpenLibrary();
    EXPECT_EQ(Rows("SELECT file,title,rating,count,added FROM library ORDER BY id;"),
        QStringList({QStringLiteral("~/a.mp3|A|60|0|2026-01-01 10:00:00"),
            QStringLiteral("~/b.mp3|B|80|1|2026-01-01 10:00:00")}));
}

INSTANTIATE_TEST_SUITE_P(Runs, FailingUpdateTest,
    ::testing::Values(FailingRun{"ThrowsReadingAlone", 0, 3, false},
        FailingRun{"ThrowsWithReaders", 2, 2, false},
        FailingRun{"CommitRefused", 2, 0, true}),
    [](const ::testing::TestParamInfo<FailingRun>& run) { return std::string(run.param.name); });

} // namespace
