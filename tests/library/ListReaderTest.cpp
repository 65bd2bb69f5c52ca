// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CLibraryQuery.h"
#include "CListReader.h"
#include "LibraryFixture.h"

#include <future>

namespace {

// The rows of a list as text: "H file|texts" and "S id,stars|file|texts".
QStringList Dump(const std::vector<ListRow>& rows)
{
    QStringList out;
    for (const ListRow& row : rows) {
        QString line = row.head ? QStringLiteral("H ")
                                : QStringLiteral("S %1,%2 ").arg(row.libraryId).arg(row.rating);
        line += row.file;
        for (const QString& text : row.texts) {
            line += QLatin1Char('|') + text;
        }
        out << line;
    }
    return out;
}

// Lists read with the collation ranks in C++ come out exactly as SQLite's ORDER BY gives them,
// heads included, over texts that differ in case, accents and script, NULLs and empty texts.
class ListReaderTest : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        AddTracks({
            { "Queen", "A Night", "Death", 1975, "Rock", 1, 245, "" },
            { "queen", "a night", "Lazing", 1975, "rock", 2, 3725, "" },
            { "QUEEN", "Jazz", "Mustapha", 1978, "Rock", 1, 100, "" },
            { "Émile", "Été", "Chant", 2001, "Rock", 1, 120, "" },
            { "emile", "ete", "Plain", 2001, "Rock", 2, 121, "" },
            { "Émile", "été", "Accent", 2001, "Rock", std::nullopt, 122, "" },
            { "", "Été", "No artist", std::nullopt, "Rock", 4, 60, "" },
            { "", "", "Nothing", std::nullopt, "Rock", std::nullopt, 30, "" },
            { "Ærøskøbing", "Øst", "Nord", 1990, "Rock", 3, 90, "" },
            { "Straße", "Fuß", "Gang", 1990, "Rock", 2, 91, "" },
            { "STRASSE", "Fuss", "Weg", 1989, "Rock", 1, 92, "" },
            { "周杰伦", "范特西", "双截棍", 2001, "Rock", 1, 93, "" },
            { "Άλφα", "Βήτα", "Γάμμα", 2010, "Rock", 1, 94, "" },
            { "ABBA", "Arrival", "Dancing", 1976, "", 2, 200, "" },
            { "abba", "ARRIVAL", "When I", 1976, "Rock", 1, 180, "" },
            { "abba", "arrival", "Twin", 1976, "Rock", 1, 181, "" }, // ties with the row above
            { "Queen", "", "Loose", 1980, "Rock", 3, 90, "" },
        });
        // A value that other tools may leave: an album stored as an empty text, not NULL.
        sqlite3_exec(m_db.Handle(DbConn::Library),
            "INSERT INTO library (file,title,artist,album,genre,number) "
            "VALUES ('/music/x.mp3','Blank','abba','','Rock',1);",
            nullptr, nullptr, nullptr);
        m_shape.unknown = QString::fromLatin1(kNoArtist);
    }

    std::vector<ListRow> Read(const ListQuery& query, bool sqliteOrder)
    {
        CListReader reader(m_db.Handle(DbConn::Library), *m_db.LibraryCollation());
        reader.SetSqliteOrder(sqliteOrder);
        return reader.Read(query.sql, query.args, m_shape);
    }

    ListShape m_shape { { 0, 1, 3, 6 }, { 0, 1, 2, 3, 4, 5, 6 }, QString() };
};

} // namespace

TEST_F(ListReaderTest, RanksSortLikeTheStatementsOrderBy)
{
    struct Case {
        const char* name;
        ListQuery query;
    };
    const auto value = [](TreeKind kind, const char* v) {
        return CLibraryQuery::ValueList(kind, QString::fromUtf8(v));
    };
    const auto album = [](TreeKind kind, const char* v, const char* artist, const char* title) {
        return CLibraryQuery::AlbumList(
            kind, QString::fromUtf8(v), QString::fromUtf8(artist), QString::fromUtf8(title));
    };
    const Case cases[] = {
        { "genre", value(TreeKind::Genres, "ROCK") },
        { "no genre", value(TreeKind::Genres, "") },
        { "artist, newest first", value(TreeKind::Artists, "queen") },
        { "artist with accents", value(TreeKind::Artists, "EMILE") },
        { "no artist", value(TreeKind::Artists, "") },
        { "year", value(TreeKind::Years, "2001") },
        { "no year", value(TreeKind::Years, "") },
        { "album leaf by number", album(TreeKind::Albums, "", "Abba", "arrival") },
        { "albums without album", album(TreeKind::Albums, "", "", "") },
        { "album under artist", album(TreeKind::Artists, "émile", "", "ÉTÉ") },
        { "album under genre", album(TreeKind::Genres, "rock", "straße", "fuß") },
        { "no album under year", album(TreeKind::Years, "1980", "", "") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.query.sql.empty());
        const QStringList sqlite = Dump(Read(c.query, true));
        EXPECT_FALSE(sqlite.isEmpty());
        EXPECT_EQ(Dump(Read(c.query, false)), sqlite);
    }
}

TEST_F(ListReaderTest, UnusualColumnTypesFallBackToTheStatementsOrder)
{
    // A number written as text and a blob artist sort as SQLite's type order has them.
    sqlite3_exec(m_db.Handle(DbConn::Library),
        "INSERT INTO library (file,title,artist,album,genre,number) VALUES "
        "('/music/t.mp3','Text number','Queen','Jazz','Rock','two'),"
        "('/music/b.mp3','Blob artist',x'51756565','Jazz','Rock',1);",
        nullptr, nullptr, nullptr);
    const ListQuery genre = CLibraryQuery::ValueList(TreeKind::Genres, QStringLiteral("rock"));
    const QStringList fast = Dump(Read(genre, false));
    EXPECT_EQ(fast, Dump(Read(genre, true)));
    EXPECT_TRUE(fast.filter(QStringLiteral("Text number")).size() == 1);
}

TEST_F(ListReaderTest, OnlyTheShownSlotsAreWrittenAndAFailedStatementThrows)
{
    m_shape = { { kKindArtistAlbum }, { kKindArtistTitle, 5 }, QStringLiteral("?") };
    const std::vector<ListRow> rows
        = Read(CLibraryQuery::AlbumList(TreeKind::Albums, "", "", ""), false);
    EXPECT_EQ(Dump(rows),
        QStringList({ "H /music/8.mp3|?|?||||||", "S 8,0 /music/8.mp3|||Nothing|||0:30||",
            "H /music/17.mp3|Queen|?||||||", "S 17,0 /music/17.mp3|Queen||Loose|||1:30||" }));
    CListReader reader(m_db.Handle(DbConn::Library), *m_db.LibraryCollation());
    EXPECT_THROW(
        reader.Read("SELECT nothing FROM nowhere ORDER BY number;", {}, m_shape), SqliteError);
}

TEST_F(ListReaderTest, TheWindowsConnectionIsFreeForOtherThreadsAfterEveryRead)
{
    // A library update shares this connection from its own thread: a read that kept the
    // connection's mutex, after rows or after a failure, would stop the update for good.
    sqlite3* db = m_db.Handle(DbConn::Library);
    ASSERT_NE(sqlite3_db_mutex(db), nullptr);
    const auto freeForAnotherThread = [db] {
        return std::async(std::launch::async, [db] {
            sqlite3_mutex* mutex = sqlite3_db_mutex(db);
            if (sqlite3_mutex_try(mutex) != SQLITE_OK) {
                return false;
            }
            sqlite3_mutex_leave(mutex);
            return true;
        }).get();
    };
    // abs() of the smallest integer fails while stepping, after the statement prepared.
    const std::string failing = "SELECT id,file,number,title,artist,album,year,genre,time,rating "
                                "FROM library WHERE abs(-9223372036854775808) ORDER BY number;";
    const ListQuery genre = CLibraryQuery::ValueList(TreeKind::Genres, QStringLiteral("rock"));
    for (const bool sqliteOrder : { false, true }) {
        SCOPED_TRACE(sqliteOrder ? "SQLite's order" : "ranks");
        EXPECT_FALSE(Read(genre, sqliteOrder).empty());
        EXPECT_TRUE(freeForAnotherThread());
        CListReader reader(db, *m_db.LibraryCollation());
        reader.SetSqliteOrder(sqliteOrder);
        EXPECT_THROW(reader.Read(failing, {}, m_shape), SqliteError);
        EXPECT_TRUE(freeForAnotherThread());
    }
}
