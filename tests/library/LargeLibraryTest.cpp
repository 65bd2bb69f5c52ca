// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CListFill.h"
#include "LibraryFixture.h"
#include "RecordingSinks.h"

#include <QSignalSpy>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

constexpr int kTracks = 250000;
constexpr int kDeadlineMs = 120000;
constexpr int kSampleStep = 487;

// Keeps what order checks need of a fill: each row's library id, 0 for a head.
class IdList : public IListSink {
public:
    std::vector<int> HeadKinds() const override
    {
        return { static_cast<int>(ListSlot::Artist), static_cast<int>(ListSlot::Album) };
    }
    std::vector<int> SongKinds() const override { return { static_cast<int>(ListSlot::Title) }; }
    void Clear() override { ids.clear(); }
    void BeginUpdate() override { }
    void EndUpdate() override { }
    void AddHead(const QString&, const ListTexts&) override { ids.push_back(0); }
    void AddSong(int, bool, const QString&, int libraryId, int, const ListTexts&) override
    {
        ids.push_back(libraryId);
    }
    int SongCount() const override
    {
        return static_cast<int>(
            std::count_if(ids.begin(), ids.end(), [](int id) { return id != 0; }));
    }
    void SetPositionText(int, const QString&) override { }

    std::vector<int> ids;
};

// A quarter of a million tracks made by one statement: artists and albums that repeat in
// other letter cases and with accents, NULL albums, numbers and years, and a few tracks
// outside the "Rock" genre, which also comes in other cases.
class LargeLibraryTest : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        const char* const fill = R"(
            WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 250000),
            g(x, a, b) AS (SELECT x, ((x / 11) % 20011 * 7919) % 3001, (x / 11) % 20011 FROM n),
            t(x, artist, album) AS (SELECT x,
                CASE a % 3 WHEN 0 THEN 'Émile ' WHEN 1 THEN 'emile ' ELSE 'Artist ' END || a,
                CASE b % 4 WHEN 1 THEN 'Été ' ELSE 'Album ' END || b FROM g)
            INSERT INTO library (file, title, artist, album, number, year, genre, time, rating)
            SELECT '/music/' || x || '.mp3', 'Title ' || x,
                CASE x % 3 WHEN 0 THEN upper(artist) WHEN 1 THEN lower(artist) ELSE artist END,
                CASE WHEN x % 97 = 0 THEN NULL WHEN x % 5 = 0 THEN upper(album)
                    WHEN x % 5 = 1 THEN lower(album) ELSE album END,
                CASE WHEN x % 53 = 0 THEN NULL ELSE x % 17 + 1 END,
                CASE WHEN x % 41 = 0 THEN NULL ELSE 1950 + x % 70 END,
                CASE WHEN x % 101 = 0 THEN 'Jazz' WHEN x % 2 = 0 THEN 'rock' ELSE 'Rock' END,
                100 + x % 300, (x % 6) * 20
            FROM t;)";
        char* error = nullptr;
        ASSERT_EQ(
            sqlite3_exec(m_db.Handle(DbConn::Library), fill, nullptr, nullptr, &error), SQLITE_OK)
            << (error != nullptr ? error : "");
        ASSERT_EQ(Rows(DbConn::Library, "SELECT count(*) FROM library;"),
            QStringList(QString::number(kTracks)));
    }

    // The library ids of the given tracks in the order of SQLite's ORDER BY clause by, ties
    // by id.
    std::vector<int> SqliteOrder(const std::vector<int>& ids, const char* by) const
    {
        QStringList list;
        for (const int id : ids) {
            list << QString::number(id);
        }
        const QByteArray sql
            = QStringLiteral("SELECT id FROM library WHERE id IN (%1) ORDER BY %2,id;")
                  .arg(list.join(QLatin1Char(',')), QString::fromLatin1(by))
                  .toUtf8();
        std::vector<int> ordered;
        for (const QString& row : Rows(DbConn::Library, sql.constData())) {
            ordered.push_back(row.toInt());
        }
        return ordered;
    }

    // Fills list on the worker, as the window does, and waits for the rows.
    void Fill(const ListQuery& query, IdList& list)
    {
        CListFill fill;
        QSignalSpy finished(&fill, &CListFill::Finished);
        fill.Start(m_db.LibraryPath(), query, CLibraryQuery(m_db).ShapeOf(list), list);
        ASSERT_TRUE(finished.wait(kDeadlineMs));
        ASSERT_TRUE(finished.at(0).at(0).toBool());
    }
};

} // namespace

TEST_F(LargeLibraryTest, AQuarterMillionRowFillKeepsSqlitesOrderAndGroups)
{
    IdList list;
    ASSERT_NO_FATAL_FAILURE(
        Fill(CLibraryQuery::ValueList(TreeKind::Genres, QStringLiteral("ROCK")), list));
    EXPECT_EQ(QStringList(QString::number(list.SongCount())),
        Rows(DbConn::Library,
            "SELECT count(*) FROM library WHERE genre='rock' COLLATE "
            "MYCASE;"));
    // One head per artist and album, both by the collation.
    const auto heads = std::count(list.ids.begin(), list.ids.end(), 0);
    EXPECT_EQ(QStringList(QString::number(heads)),
        Rows(DbConn::Library,
            "SELECT count(*) FROM (SELECT 1 FROM library WHERE genre='rock' COLLATE MYCASE "
            "GROUP BY artist COLLATE MYCASE,album COLLATE MYCASE);"));
    std::vector<int> sample;
    for (std::size_t i = 0; i < list.ids.size(); i += kSampleStep) {
        if (list.ids[i] != 0) {
            sample.push_back(list.ids[i]);
        }
    }
    ASSERT_GT(sample.size(), 400U);
    EXPECT_EQ(sample, SqliteOrder(sample, "artist COLLATE MYCASE,album COLLATE MYCASE,number"));
}

TEST_F(LargeLibraryTest, SmallerListsOfTheSameLibraryKeepSqlitesOrder)
{
    struct Case {
        const char* name;
        ListQuery query;
        const char* by;
        std::size_t atLeast;
    };
    const Case cases[] = {
        { "year", CLibraryQuery::ValueList(TreeKind::Years, QStringLiteral("1999")),
            "artist COLLATE MYCASE,album COLLATE MYCASE,number", 3000 },
        { "artist, newest first",
            CLibraryQuery::ValueList(TreeKind::Artists, QStringLiteral("ARTIST 17")),
            "year DESC,album COLLATE MYCASE,number", 50 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IdList list;
        ASSERT_NO_FATAL_FAILURE(Fill(c.query, list));
        std::vector<int> songs;
        std::copy_if(list.ids.begin(), list.ids.end(), std::back_inserter(songs),
            [](int id) { return id != 0; });
        ASSERT_GT(songs.size(), c.atLeast);
        EXPECT_EQ(songs, SqliteOrder(songs, c.by));
    }
}

TEST_F(LargeLibraryTest, RootChildrenAreTheGroupsOfTheirStatements)
{
    CLibraryQuery query(m_db);
    for (const TreeKind kind : { TreeKind::Albums, TreeKind::Years }) {
        SCOPED_TRACE(static_cast<int>(kind));
        RecordingTree tree;
        ASSERT_TRUE(query.FillRoot(kind, tree));
        const bool albums = kind == TreeKind::Albums;
        QStringList expected;
        bool sawNull = false;
        for (const QString& row :
             Rows(DbConn::Library, CLibraryQuery::RootStatement(kind).data())) {
            const QString value = row.section(QLatin1Char('|'), -1);
            if (value == QLatin1String("<null>")) {
                sawNull = true;
                continue;
            }
            expected << (albums ? QStringLiteral("album %1|%2|%1")
                                      .arg(value, row.section(QLatin1Char('|'), 0, 0))
                                : QStringLiteral("value %1|%1").arg(value));
        }
        if (sawNull) {
            expected << (albums ? QStringLiteral("album <unknown>||")
                                : QStringLiteral("value <unknown>|"));
        }
        // Which spelling stands for a group is each road's own choice.
        EXPECT_EQ(tree.nodes.join(QLatin1Char('\n')).toLower(),
                  expected.join(QLatin1Char('\n')).toLower());
    }
}
