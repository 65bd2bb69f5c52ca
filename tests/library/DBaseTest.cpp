// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "LibraryFixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <optional>
#include <utility>
#include <vector>

namespace {

const char* const kLibrarySchema =
    "CREATE TABLE library (id INTEGER PRIMARY KEY,flag INTEGER,deleted INTEGER,play INTEGER,"
    "file TEXT UNIQUE,size INTEGER,modified DATE,added DATE,number INTEGER,title TEXT,"
    "artist TEXT,album TEXT,year INTEGER,genre TEXT,albumartist TEXT,composer TEXT,mood TEXT,"
    "time INTEGER,type INTEGER,bitrate INTEGER,sample INTEGER,channel INTEGER,rating INTEGER,"
    "love INTEGER,count INTEGER,lastcount DATE,skip INTEGER,lastskip DATE,equalizer TEXT)";

// A new library is made in the old layout and brought up to date like an old one.
const char* const kCurrentLibrarySchema =
    "CREATE TABLE library (id INTEGER PRIMARY KEY,flag INTEGER,deleted INTEGER,play INTEGER,"
    "file TEXT UNIQUE,size INTEGER,modified DATE,added DATE,number INTEGER,title TEXT,"
    "artist TEXT,album TEXT,year INTEGER,genre TEXT,albumartist TEXT,composer TEXT,mood TEXT,"
    "time INTEGER,type INTEGER,bitrate INTEGER,sample INTEGER,channel INTEGER,rating INTEGER,"
    "love INTEGER,count INTEGER,lastcount DATE,skip INTEGER,lastskip DATE,equalizer TEXT, "
    "trackgain REAL, albumgain REAL, trackpeak REAL, albumpeak REAL)";

const char* const kPlaylistSchema =
    "CREATE TABLE playlist (id INTEGER PRIMARY KEY,idlib INTEGER,idx INTEGER,play INTEGER,"
    "file TEXT,size INTEGER,modified DATE,added DATE,number INTEGER,title TEXT,artist TEXT,"
    "album TEXT,year INTEGER,genre TEXT,albumartist TEXT,composer TEXT,mood TEXT,time INTEGER,"
    "type INTEGER,bitrate INTEGER,sample INTEGER,channel INTEGER,rating INTEGER,love INTEGER,"
    "count INTEGER,lastcount DATE,skip INTEGER,lastskip DATE,equalizer TEXT)";

class DBaseTest : public LibraryFixture {};

TEST_F(DBaseTest, CreatesExactlyTheTwoTableLayoutsAndNoIndex)
{
    EXPECT_EQ(Rows(DbConn::Library, "SELECT type,name,sql FROM sqlite_master "
                                    "WHERE name NOT LIKE 'search%' ORDER BY name;"),
              QStringList({QStringLiteral("table|library|") + QLatin1String(kCurrentLibrarySchema),
                           QStringLiteral("index|sqlite_autoindex_library_1|<null>")}));
    // Besides them only the word index of searches, its own tables and the triggers that keep
    // it in step.
    EXPECT_EQ(Rows(DbConn::Library, "SELECT type,name FROM sqlite_master "
                                    "WHERE name LIKE 'search%' ORDER BY type,name;"),
              QStringList({"table|search", "table|search_config", "table|search_data",
                           "table|search_docsize", "table|search_idx", "trigger|search_delete",
                           "trigger|search_insert", "trigger|search_update"}));

    // A playlist file that is gone from disk is made again with its table.
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("0a1b2c3d.db")));
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT type,name,sql FROM sqlite_master;"),
              QStringList(QStringLiteral("table|playlist|") + QLatin1String(kPlaylistSchema)));
    EXPECT_EQ(m_db.PlaylistFile(DbConn::Viewed), QStringLiteral("0a1b2c3d.db"));
}

TEST_F(DBaseTest, EmptyTextsAndMissingNumbersAreStoredAsNull)
{
    AddTracks({{"", "", "Untitled", std::nullopt, "", std::nullopt, 61, "/m/a.mp3"},
               {"Band", "Disc", "Song", 1999, "Rock", 4, 245, "/m/b.mp3"}});
    EXPECT_EQ(Rows(DbConn::Library,
                   "SELECT flag,file,number,title,artist,album,year,genre,albumartist,composer,"
                   "time,count,skip,added FROM library ORDER BY id;"),
              QStringList({"<null>|/m/a.mp3|<null>|Untitled|<null>|<null>|<null>|<null>|<null>|"
                           "<null>|61|0|0|2021-02-03 04:05:06",
                           "<null>|/m/b.mp3|4|Song|Band|Disc|1999|Rock|<null>|<null>|245|0|0|"
                           "2021-02-03 04:05:06"}));
    EXPECT_EQ(Rows(DbConn::Library, "SELECT id FROM library WHERE artist IS NULL;"),
              QStringList("1"));
}

TEST_F(DBaseTest, LookUpsSeeOnlyUnseenRowsAndCompareModifiedExactly)
{
    AddTracks({{"A", "B", "T", 2000, "G", 1, 100, "/m/x.mp3"},
               {"", "B", "T", 2000, "G", 1, 100, "/m/y.mp3"},
               {"A", "", "T", 2000, "G", 1, 100, "/m/z.mp3"},
               {"", "", "T", 2000, "G", 1, 100, "/m/w.mp3"}});
    int id = -1;
    // Rows are seen (flag NULL) right after insertion: the path is there, yet "no row".
    EXPECT_EQ(m_db.LookupFile("/m/x.mp3", QStringLiteral("2020-01-01 00:00:00"), &id),
              LookupResult::NoRow);
    EXPECT_FALSE(m_db.IsLibraryEmpty());
    m_db.MarkAllUnseen();
    EXPECT_EQ(m_db.LookupFile("/m/x.mp3", QStringLiteral("2020-01-01 00:00:00"), &id),
              LookupResult::Same);
    EXPECT_EQ(id, 1);
    id = -1;
    EXPECT_EQ(m_db.LookupFile("/m/y.mp3", QStringLiteral("2020-01-01 00:00:01"), &id),
              LookupResult::Changed);
    EXPECT_EQ(id, 2);
    EXPECT_EQ(m_db.LookupFile("/m/Y.mp3", QStringLiteral("2020-01-01 00:00:00"), &id),
              LookupResult::NoRow);

    // Each of the four moved-file statements, chosen by which of artist and album are empty.
    const auto moved = [this](const char* artist, const char* album) {
        TrackRecord r;
        r.title = "T";
        r.artist = artist;
        r.album = album;
        int found = 0;
        return m_db.LookupMoved(r, &found) ? found : 0;
    };
    EXPECT_EQ(moved("A", "B"), 1);
    EXPECT_EQ(moved("", "B"), 2);
    EXPECT_EQ(moved("A", ""), 3);
    EXPECT_EQ(moved("", ""), 4);
    EXPECT_EQ(moved("a", "B"), 0); // byte-wise, not MYCASE

    EXPECT_TRUE(m_db.MarkSeen(1));
    EXPECT_EQ(m_db.LookupFile("/m/x.mp3", QStringLiteral("2020-01-01 00:00:00"), &id),
              LookupResult::NoRow);
    EXPECT_EQ(moved("A", "B"), 0);
    m_db.DeleteUnseen();
    EXPECT_EQ(Rows(DbConn::Library, "SELECT id FROM library;"), QStringList("1"));
}

TEST_F(DBaseTest, UpdatesKeepFileAddedRatingAndCounters)
{
    AddTracks({{"A", "B", "T", 2000, "G", 1, 100, "/m/x.mp3"}});
    m_db.SetRating(1, 0, 3);
    m_db.CountPlay(1, 0);
    TrackRecord r;
    r.title = "New";
    r.modified = "2022-02-02 02:02:02";
    ASSERT_TRUE(m_db.UpdateChangedRow(1, r));
    EXPECT_EQ(Rows(DbConn::Library,
                   "SELECT file,added,modified,title,artist,rating,count FROM library;"),
              QStringList("/m/x.mp3|2021-02-03 04:05:06|2022-02-02 02:02:02|New|<null>|60|1"));
    ASSERT_TRUE(m_db.UpdateMovedRow(1, "/n/x.mp3", "2023-03-03 03:03:03", r));
    EXPECT_EQ(Rows(DbConn::Library, "SELECT file,added,rating,count FROM library;"),
              QStringList("/n/x.mp3|2023-03-03 03:03:03|60|1"));
}

TEST_F(DBaseTest, TimeAndDurationTexts)
{
    EXPECT_EQ(CDBase::TimeText(1248199509), "2009-07-21 18:05:09");
    EXPECT_EQ(CDBase::TimeText(0), "1970-01-01 00:00:00");
    EXPECT_EQ(CDBase::TimeText(INT64_MAX), "");
    EXPECT_EQ(CDBase::DurationText(245), QStringLiteral("4:05"));
    EXPECT_EQ(CDBase::DurationText(3725), QStringLiteral("62:05"));
    EXPECT_EQ(CDBase::FileTypeCode(QStringLiteral("/a.b/Song.FLAC")), 4);
    EXPECT_EQ(CDBase::FileTypeCode(QStringLiteral("/a/song.m4a")), 8);
    EXPECT_EQ(CDBase::FileTypeCode(QStringLiteral("/a.mp3/song")), 0);
    EXPECT_EQ(CDBase::FileTypeCode(QStringLiteral("/a/song.txt")), 0);
}

// Stored rows and playlist entries keep the code their file had when it was added, so every
// extension keeps its number for good, whatever case the name is in.
TEST(DBaseTypeCodes, EveryExtensionKeepsItsNumber)
{
    const std::pair<const char*, int> codes[] = {{"mp3", 1}, {"ogg", 2}, {"wma", 3},
        {"flac", 4}, {"ape", 5}, {"aac", 6}, {"mp4", 7}, {"m4a", 8}, {"opus", 9}, {"wav", 10},
        {"aiff", 11}, {"aif", 12}, {"wv", 13}, {"mpc", 14}, {"dsf", 0}, {"aifc", 0},
        {"oga", 0}, {"wave", 0}, {"mp+", 0}, {"", 0}};
    for (const auto& [ext, code] : codes) {
        const QString name = QStringLiteral("/m/x.y/Song.") + QString::fromLatin1(ext);
        EXPECT_EQ(CDBase::FileTypeCode(name), code) << ext;
        EXPECT_EQ(CDBase::FileTypeCode(name.toUpper()), code) << ext;
    }
}

TEST(DBaseFile, LibraryFileThatIsNotADatabaseIsLeftUntouched)
{
    TestProfile profile;
    QByteArray junk(64 * 1024, '\0');
    auto* rng = QRandomGenerator::global();
    for (char& c : junk) {
        c = static_cast<char>(rng->bounded(256));
    }
    profile.Write(QStringLiteral("Library.db"), junk);

    {
        CDBase db;
        db.SetFolder(profile.Path());
        db.OpenLibrary();
        EXPECT_TRUE(db.IsLibraryEmpty());
        TrackRecord r;
        r.title = "T";
        EXPECT_FALSE(db.InsertLibraryRow("/m/a.mp3", "2020-01-01 00:00:00", r));
        int id = 0;
        EXPECT_EQ(db.LookupFile("/m/a.mp3", QString(), &id), LookupResult::NoRow);
        db.MarkAllUnseen();
        db.DeleteUnseen();
        db.SetRating(1, 0, 5);
        EXPECT_FALSE(db.GetShortInfo(1, 0, nullptr));
    }
    EXPECT_EQ(profile.Read(QStringLiteral("Library.db")), junk);
    EXPECT_EQ(QDir(profile.Path()).entryList(QDir::Files), QStringList("Library.db"));
}

TEST_F(DBaseTest, RatingAndCountersGoToTheLibraryRowOrTheRightPlaylist)
{
    AddTracks({{"A", "B", "T", 2000, "G", 1, 100, "/m/x.mp3"}});
    QDir().mkpath(m_db.PlaylistFolder());
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("00000001.db")));
    ASSERT_TRUE(m_db.InsertPlaylistStream(DbConn::Viewed, 1, QStringLiteral("http://s/1"),
                                          QStringLiteral("One")));

    m_db.SetRating(1, 1, 7); // library id wins: only the library row changes
    EXPECT_EQ(Rows(DbConn::Library, "SELECT rating FROM library;"), QStringList("100"));
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT rating FROM playlist;"), QStringList("<null>"));
    m_db.SetRating(0, 1, -1);
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT rating FROM playlist;"), QStringList("0"));
    m_db.CountPlay(0, 1);
    m_db.CountSkip(0, 1);
    m_db.CountSkip(0, 1);
    const QStringList counted = Rows(DbConn::Viewed, "SELECT count,skip,lastcount FROM playlist;");
    ASSERT_EQ(counted.size(), 1);
    EXPECT_TRUE(counted[0].startsWith(QStringLiteral("1|2|20"))) << counted[0].toStdString();

    // The viewed list moves away while it plays: counts now go to the playing connection.
    m_db.CloseViewedPlaylist(true);
    EXPECT_FALSE(m_db.IsOpen(DbConn::Viewed));
    ASSERT_TRUE(m_db.IsOpen(DbConn::Playing));
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("00000002.db")));
    ASSERT_TRUE(m_db.InsertPlaylistStream(DbConn::Viewed, 1, QStringLiteral("http://s/2"),
                                          QStringLiteral("Two")));
    m_db.CountPlay(0, 1);
    m_db.SetRating(0, 1, 2);
    EXPECT_EQ(Rows(DbConn::Playing, "SELECT count,rating FROM playlist;"), QStringList("2|40"));
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT count,rating FROM playlist;"), QStringList("0|<null>"));

    QStringList info;
    ASSERT_TRUE(m_db.GetShortInfo(0, 1, &info)); // playlist look-ups read the viewed list
    EXPECT_EQ(info, QStringList({"Two", "", "", ""}));
    ASSERT_TRUE(m_db.GetFullInfo(1, 0, &info));
    EXPECT_EQ(info, QStringList({"/m/x.mp3", "1", "T", "A", "B", "2000", "G", "0", "0", "0"}));
    EXPECT_FALSE(m_db.GetShortInfo(9, 0, &info));

    // A viewed list that is not playing is closed outright.
    m_db.CloseViewedPlaylist(false);
    EXPECT_FALSE(m_db.IsOpen(DbConn::Viewed));
}

TEST_F(DBaseTest, PlaylistFileDeletedWhileOpenKeepsItsRows)
{
    QDir().mkpath(m_db.PlaylistFolder());
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("0000000a.db")));
    ASSERT_TRUE(m_db.InsertPlaylistStream(DbConn::Viewed, 1, QStringLiteral("http://a"),
                                          QStringLiteral("A")));
    ASSERT_TRUE(QFile::remove(m_db.PlaylistFolder() + QStringLiteral("0000000a.db")));

    m_db.KeepPlaylistFile(DbConn::Viewed);
    ASSERT_TRUE(m_db.InsertPlaylistStream(DbConn::Viewed, 2, QStringLiteral("http://b"),
                                          QStringLiteral("B")));
    m_db.CloseViewedPlaylist(false);
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("0000000a.db")));
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT idx,file,title,type FROM playlist ORDER BY idx;"),
              QStringList({"1|http://a|A|100", "2|http://b|B|100"}));
    EXPECT_EQ(m_db.LargestPosition(DbConn::Viewed), 2);
    EXPECT_EQ(m_db.LargestPosition(DbConn::Target), 0);
}

// A read held open on a connection of its own, as the list fill holds one while it reads.
class HeldRead {
public:
    explicit HeldRead(const QString& path, const char* sql)
    {
        if (m_db.OpenReadOnly(path) && m_db.Exec("BEGIN;")) {
            m_stmt.emplace(m_db.Get(), sql);
            m_reading = m_stmt->Step();
        }
    }
    bool IsReading() const { return m_reading; }
    QString Value() const { return m_stmt->Text(0); }

private:
    SqliteDb m_db;
    std::optional<SqliteStmt> m_stmt;
    bool m_reading = false;
};

// Ratings and counts are given on the window's thread: a read on another connection must
// neither make them fail nor hold them up, and goes on seeing the file as it began.
TEST_F(DBaseTest, ChangesAreStoredWhileAnotherConnectionReads)
{
    AddTracks({{"A", "B", "T", 2000, "G", 1, 100, "/m/x.mp3"}});
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("00000001.db")));
    ASSERT_TRUE(m_db.InsertPlaylistStream(DbConn::Viewed, 1, QStringLiteral("http://s/1"),
                                          QStringLiteral("One")));
    struct Case {
        const char* what;
        DbConn conn;
        QString path;
        int libraryId;
        const char* stored;
    };
    const std::vector<Case> cases = {
        {"library", DbConn::Library, m_db.LibraryPath(), 1,
         "SELECT rating||'/'||count||'/'||skip FROM library;"},
        {"playlist", DbConn::Viewed, m_db.PlaylistFolder() + QStringLiteral("00000001.db"), 0,
         "SELECT rating||'/'||count||'/'||skip FROM playlist;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeldRead read(c.path, c.stored);
        ASSERT_TRUE(read.IsReading());
        const QString before = read.Value();
        EXPECT_TRUE(m_db.SetRating(c.libraryId, 1, 4));
        EXPECT_TRUE(m_db.CountPlay(c.libraryId, 1));
        EXPECT_TRUE(m_db.CountSkip(c.libraryId, 1));
        EXPECT_EQ(Rows(c.conn, c.stored), QStringList("80/1/1"));
        EXPECT_EQ(read.Value(), before) << "the reader's view changed under it";
    }
}

// While open, the files keep a write-ahead log; closed, each is whole by itself again, so a
// copy of the profile takes everything and a read-only folder can still be read.
TEST_F(DBaseTest, FilesKeepALogWhileOpenAndAreWholeOnceClosed)
{
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("00000001.db")));
    ASSERT_TRUE(m_db.InsertPlaylistStream(DbConn::Viewed, 1, QStringLiteral("http://s/1"),
                                          QStringLiteral("One")));
    EXPECT_EQ(Rows(DbConn::Library, "PRAGMA journal_mode;"), QStringList("wal"));
    EXPECT_EQ(Rows(DbConn::Viewed, "PRAGMA journal_mode;"), QStringList("wal"));

    const auto modeAtRest = [](const QString& path) {
        SqliteDb db;
        if (!db.OpenReadOnly(path)) {
            return QString();
        }
        SqliteStmt stmt(db.Get(), "PRAGMA journal_mode;");
        return stmt.Step() ? stmt.Text(0) : QString();
    };
    m_db.CloseViewedPlaylist(false);
    EXPECT_EQ(QDir(m_db.PlaylistFolder()).entryList(QDir::Files), QStringList("00000001.db"));
    EXPECT_EQ(modeAtRest(m_db.PlaylistFolder() + QStringLiteral("00000001.db")),
              QStringLiteral("delete"));

    TestProfile other;
    {
        CDBase db;
        db.SetFolder(other.Path());
        db.OpenLibrary();
        ASSERT_TRUE(db.IsOpen(DbConn::Library));
    }
    EXPECT_EQ(QDir(other.Path()).entryList(QDir::Files), QStringList("Library.db"));
    EXPECT_EQ(modeAtRest(QDir(other.Path()).filePath(QStringLiteral("Library.db"))),
              QStringLiteral("delete"));
}

// The playlist's file is deleted while the list fill holds a read on it: its copy takes the
// name, and must read as the rows the connection had, not through the deleted file's log.
TEST_F(DBaseTest, PlaylistFileDeletedWhileAFillReadsItKeepsItsRows)
{
    const QString path = m_db.PlaylistFolder() + QStringLiteral("0000000a.db");
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("0000000a.db")));
    m_db.Begin(DbConn::Viewed);
    for (int i = 1; i <= 200; ++i) {
        ASSERT_TRUE(m_db.InsertPlaylistStream(DbConn::Viewed, i, QStringLiteral("http://%1").arg(i),
                                              QStringLiteral("Station %1").arg(i)));
    }
    m_db.Commit(DbConn::Viewed);
    HeldRead read(path, "SELECT count(*) FROM playlist;");
    ASSERT_TRUE(read.IsReading());
    ASSERT_TRUE(QFile::remove(path));

    m_db.KeepPlaylistFile(DbConn::Viewed);
    ASSERT_TRUE(m_db.InsertPlaylistStream(DbConn::Viewed, 201, QStringLiteral("http://last"),
                                          QStringLiteral("Last")));
    m_db.CloseViewedPlaylist(false);
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("0000000a.db")));
    EXPECT_EQ(Rows(DbConn::Viewed, "PRAGMA integrity_check;"), QStringList("ok"));
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT count(*),max(idx) FROM playlist;"),
              QStringList("201|201"));
}

} // namespace

namespace {

// A library written before the loudness columns existed, with one row that must survive.
QString WriteOldLibrary(const TestProfile& profile)
{
    const QString path = profile.File(QStringLiteral("Library.db"));
    SqliteDb db;
    EXPECT_TRUE(db.Open(path));
    EXPECT_TRUE(db.Exec(kLibrarySchema));
    EXPECT_TRUE(db.Exec("INSERT INTO library (file,title,rating,count) "
                        "VALUES ('/m/old.mp3','Old',80,7);"));
    return path;
}

} // namespace

TEST(DBaseUpgrade, OldLibraryGainsTheLoudnessColumnsAndKeepsItsRows)
{
    TestProfile profile;
    WriteOldLibrary(profile);
    CDBase db;
    db.SetFolder(profile.Path());
    db.OpenLibrary();
    ASSERT_TRUE(db.IsOpen(DbConn::Library));

    QStringList columns;
    {
        SqliteStmt stmt(db.Handle(DbConn::Library), "SELECT name FROM pragma_table_info('library');");
        while (stmt.Step()) {
            columns.append(stmt.Text(0));
        }
    }
    EXPECT_EQ(columns.mid(columns.size() - 4),
              QStringList({"trackgain", "albumgain", "trackpeak", "albumpeak"}));
    QStringList info;
    ASSERT_TRUE(db.GetShortInfo(1, 0, &info));
    EXPECT_EQ(info.value(0), QStringLiteral("Old"));
    TrackGains gains{1.0, 1.0, 1.0, 1.0};
    ASSERT_TRUE(db.GetGains(1, {}, &gains));
    EXPECT_FALSE(gains.trackGain || gains.albumGain || gains.trackPeak || gains.albumPeak);

    // Opening again finds nothing to add and changes nothing.
    db.OpenLibrary();
    ASSERT_TRUE(db.SetGains(1, {-3.5, std::nullopt, 0.75, std::nullopt}));
    db.OpenLibrary();
    ASSERT_TRUE(db.GetGains(0, "/m/old.mp3", &gains));
    EXPECT_EQ(gains.trackGain, -3.5);
    EXPECT_FALSE(gains.albumGain);
    EXPECT_EQ(gains.trackPeak, 0.75);
    EXPECT_FALSE(gains.albumPeak);
    int stars = 0;
    ASSERT_TRUE(db.GetRating(1, 0, &stars));
    EXPECT_EQ(stars, 4);
}

TEST_F(DBaseTest, UpdatesStoreAndReplaceTheTagGains)
{
    TrackRecord r;
    r.title = "T";
    r.gains = {-6.0, -5.0, 0.9, 0.95};
    ASSERT_TRUE(m_db.InsertLibraryRow("/m/a.mp3", "2021-02-03 04:05:06", r));
    EXPECT_EQ(Rows(DbConn::Library, "SELECT trackgain,albumgain,trackpeak,albumpeak FROM library;"),
              QStringList("-6.0|-5.0|0.9|0.95"));
    r.gains = {2.0, std::nullopt, std::nullopt, std::nullopt};
    ASSERT_TRUE(m_db.UpdateChangedRow(1, r));
    EXPECT_EQ(Rows(DbConn::Library, "SELECT trackgain,albumgain,trackpeak,albumpeak FROM library;"),
              QStringList("2.0|<null>|<null>|<null>"));
    r.gains = {};
    ASSERT_TRUE(m_db.UpdateMovedRow(1, "/n/a.mp3", "2023-03-03 03:03:03", r));
    EXPECT_EQ(Rows(DbConn::Library, "SELECT trackgain,albumgain,trackpeak,albumpeak FROM library;"),
              QStringList("<null>|<null>|<null>|<null>"));
    EXPECT_FALSE(m_db.SetGains(99, {}));
}
