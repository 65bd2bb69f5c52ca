// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CLibraryQuery.h"
#include "LibraryFixture.h"
#include "RecordingSinks.h"

namespace {

class LibraryQueryTest : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        AddTracks({
            {"Queen", "A Night", "Death", 1975, "Rock", 1, 245, "/q/1.mp3"},
            {"queen", "a night", "Lazing", 1975, "rock", 2, 3725, "/q/2.mp3"},
            {"Queen", "Jazz", "Mustapha", 1978, "Rock", 1, 100, "/q/3.mp3"},
            {"ABBA", "Arrival", "Dancing", 1976, "Pop", 2, 200, "/a/4.mp3"},
            {"abba", "Arrival", "When I", 1976, "", 1, 180, "/a/5.mp3"},
            {"", "Arrival", "Anon", std::nullopt, "Pop", std::nullopt, 60, "/x/6.mp3"},
            {"Queen", "", "Loose", std::nullopt, "Rock", 3, 90, "/q/7.mp3"},
            {"", "", "Nothing", std::nullopt, "", std::nullopt, 30, "/x/8.mp3"},
            {"Émile", "Été", "Chant", 2001, "Chanson", 1, 120, "/e/9.mp3"},
        });
    }

    // Tree nodes folded to lower case: which spelling stands for a group is SQLite's choice.
    static QStringList Folded(QStringList nodes)
    {
        for (QString& n : nodes) {
            n = n.toLower();
        }
        return nodes;
    }

    CLibraryQuery m_query{m_db};
    RecordingTree m_tree;
    RecordingList m_list;
};

TEST_F(LibraryQueryTest, RootChildrenAreGroupedSortedAndEndWithTheUnknownNode)
{
    ASSERT_TRUE(m_query.FillRoot(TreeKind::Artists, m_tree));
    EXPECT_EQ(Folded(m_tree.nodes), QStringList({"value abba|abba", "value émile|émile",
                                                 "value queen|queen", "value <unknown>|"}));
    m_tree.nodes.clear();
    ASSERT_TRUE(m_query.FillRoot(TreeKind::Genres, m_tree));
    EXPECT_EQ(Folded(m_tree.nodes), QStringList({"value chanson|chanson", "value pop|pop",
                                                 "value rock|rock", "value <unknown>|"}));
    m_tree.nodes.clear();
    ASSERT_TRUE(m_query.FillRoot(TreeKind::Years, m_tree));
    EXPECT_EQ(m_tree.nodes, QStringList({"value 2001|2001", "value 1978|1978", "value 1976|1976",
                                         "value 1975|1975", "value <unknown>|"}));
    m_tree.nodes.clear();
    // One leaf per artist and album, ordered by album only; the two "Arrival" leaves are
    // ABBA's and the one without artist, side by side.
    ASSERT_TRUE(m_query.FillRoot(TreeKind::Albums, m_tree));
    QStringList albums = Folded(m_tree.nodes);
    ASSERT_EQ(albums.size(), 6);
    EXPECT_EQ(albums[0], QStringLiteral("album a night|queen|a night"));
    EXPECT_EQ(QStringList(albums.mid(1, 2)).replaceInStrings(QStringLiteral("abba"), QString()),
              QStringList({"album arrival||arrival", "album arrival||arrival"}));
    EXPECT_EQ(albums.mid(3), QStringList({"album été|émile|été", "album jazz|queen|jazz",
                                          "album <unknown>||"}));

    EXPECT_FALSE(m_query.FillRoot(TreeKind::Radio, m_tree));
    EXPECT_FALSE(m_query.FillRoot(TreeKind::Playlists, m_tree));
}

TEST_F(LibraryQueryTest, RootChildrenOfOtherColumnTypesFollowTheStatement)
{
    // Values other tools may leave: a year that is text, an artist and a genre that are
    // numbers, an album that is a blob. Each root then shows what its statement gives.
    sqlite3_exec(m_db.Handle(DbConn::Library),
        "INSERT INTO library (file,title,artist,album,genre,year) VALUES "
        "('/o/1.mp3','Odd',42,x'4a617a7a',7,'nineteen');",
        nullptr, nullptr, nullptr);
    for (const TreeKind kind :
         { TreeKind::Artists, TreeKind::Genres, TreeKind::Years, TreeKind::Albums }) {
        SCOPED_TRACE(static_cast<int>(kind));
        m_tree.nodes.clear();
        ASSERT_TRUE(m_query.FillRoot(kind, m_tree));
        const QStringList rows = Rows(DbConn::Library, CLibraryQuery::RootStatement(kind).data());
        QStringList expected;
        for (const QString& row : rows) {
            const QString value = row.section(QLatin1Char('|'), -1);
            if (value == QLatin1String("<null>")) {
                continue;
            }
            expected << (kind == TreeKind::Albums
                    ? QStringLiteral("album %1|%2|%1")
                          .arg(value, row.section(QLatin1Char('|'), 0, 0))
                          .replace(QLatin1String("<null>"), QString())
                    : QStringLiteral("value %1|%1").arg(value));
        }
        expected << (kind == TreeKind::Albums ? QStringLiteral("album <unknown>||")
                                              : QStringLiteral("value <unknown>|"));
        EXPECT_EQ(Folded(m_tree.nodes), Folded(expected));
    }
}

TEST_F(LibraryQueryTest, AlbumsUnderValuesIncludingTheUnknownValue)
{
    ASSERT_TRUE(m_query.FillValue(TreeKind::Artists, QStringLiteral("QUEEN"), m_tree));
    EXPECT_EQ(Folded(m_tree.nodes), QStringList({"album a night|queen|a night",
                                                 "album jazz|queen|jazz", "album <unknown>||"}));
    m_tree.nodes.clear();
    ASSERT_TRUE(m_query.FillValue(TreeKind::Artists, QString(), m_tree));
    EXPECT_EQ(m_tree.nodes, QStringList({"album Arrival||Arrival", "album <unknown>||"}));
    m_tree.nodes.clear();
    ASSERT_TRUE(m_query.FillValue(TreeKind::Genres, QString(), m_tree));
    EXPECT_EQ(m_tree.nodes, QStringList({"album Arrival|abba|Arrival", "album <unknown>||"}));
    m_tree.nodes.clear();
    // Under a genre one node stands for one album title, whatever the number of artists.
    ASSERT_TRUE(m_query.FillValue(TreeKind::Genres, QStringLiteral("pop"), m_tree));
    ASSERT_EQ(m_tree.nodes.size(), 1);
    EXPECT_TRUE(m_tree.nodes[0].startsWith(QStringLiteral("album Arrival|")));
    m_tree.nodes.clear();
    ASSERT_TRUE(m_query.FillValue(TreeKind::Years, QStringLiteral("1976"), m_tree));
    EXPECT_EQ(Folded(m_tree.nodes), QStringList({"album arrival|abba|arrival"}));
    m_tree.nodes.clear();
    ASSERT_TRUE(m_query.FillValue(TreeKind::Years, QString(), m_tree));
    EXPECT_EQ(m_tree.nodes, QStringList({"album Arrival||Arrival", "album <unknown>||"}));
}

TEST_F(LibraryQueryTest, ArtistListIsNewestFirstGroupedCaseInsensitively)
{
    ASSERT_TRUE(m_query.ListValue(TreeKind::Artists, QStringLiteral("queen"), m_list));
    EXPECT_EQ(m_list.clears, 1);
    EXPECT_EQ(m_list.recalcs, 1);
    EXPECT_EQ(m_list.rows,
              QStringList({
                  "H /q/3.mp3|Queen|Jazz||1978|||Rock|",
                  "S 0,3,0,1|/q/3.mp3|Queen|Jazz|Mustapha|1978|1|1:40|Rock|",
                  // "A Night" and "a night" by "Queen" and "queen" make one group.
                  "H /q/1.mp3|Queen|A Night||1975|||Rock|",
                  "S 0,1,0,1|/q/1.mp3|Queen|A Night|Death|1975|1|4:05|Rock|",
                  "S 0,2,0,1|/q/2.mp3|queen|a night|Lazing|1975|2|62:05|rock|",
                  // No year sorts last; no album shows the "Playlist" line 0 in the head only.
                  "H /q/7.mp3|Queen|<no artist>|||||Rock|",
                  "S 0,7,0,1|/q/7.mp3|Queen||Loose||3|1:30|Rock|",
              }));
}

TEST_F(LibraryQueryTest, FillersWriteOnlyTheSlotsTheSkinShows)
{
    m_list.headKinds = {kKindArtistAlbum};
    m_list.songKinds = {kKindArtistTitle, 5};
    m_db.SetRating(4, 0, 4);
    ASSERT_TRUE(m_query.ListAlbum(TreeKind::Albums, QString(), QStringLiteral("abba"),
                                  QStringLiteral("ARRIVAL"), m_list));
    EXPECT_EQ(m_list.rows, QStringList({"H /a/5.mp3|abba|Arrival||||||",
                                        "S 0,5,0,1|/a/5.mp3|abba||When I|||3:00||",
                                        "S 0,4,4,1|/a/4.mp3|ABBA||Dancing|||3:20||"}));
}

TEST_F(LibraryQueryTest, UnknownNodesListTheTracksWithoutAValue)
{
    m_list.songKinds = {2};
    const auto titles = [this](TreeKind kind, const char* value, const char* artist,
                               const char* album) {
        const bool leaf = artist != nullptr;
        EXPECT_TRUE(leaf ? m_query.ListAlbum(kind, QString::fromUtf8(value),
                                             QString::fromUtf8(artist), QString::fromUtf8(album),
                                             m_list)
                         : m_query.ListValue(kind, QString::fromUtf8(value), m_list));
        return m_list.Slot(2);
    };
    EXPECT_EQ(titles(TreeKind::Genres, "", nullptr, nullptr), QStringList({"Nothing", "When I"}));
    EXPECT_EQ(titles(TreeKind::Years, "", nullptr, nullptr),
              QStringList({"Nothing", "Anon", "Loose"}));
    EXPECT_EQ(titles(TreeKind::Artists, "", nullptr, nullptr), QStringList({"Nothing", "Anon"}));
    // Unknown album under an artist: that artist's tracks without album.
    EXPECT_EQ(titles(TreeKind::Artists, "QUEEN", "", ""), QStringList("Loose"));
    // Unknown album under the albums root: every track without album, of any artist.
    EXPECT_EQ(titles(TreeKind::Albums, "", "", ""), QStringList({"Nothing", "Loose"}));
    // Album without artist under an unknown artist.
    EXPECT_EQ(titles(TreeKind::Artists, "", "", "arrival"), QStringList("Anon"));
    EXPECT_EQ(titles(TreeKind::Artists, "", "", ""), QStringList("Nothing"));
    EXPECT_EQ(titles(TreeKind::Albums, "", "", "Arrival"), QStringList("Anon"));
    // Albums under genres and years, with and without values.
    EXPECT_EQ(titles(TreeKind::Genres, "POP", "abba", "arrival"), QStringList("Dancing"));
    EXPECT_EQ(titles(TreeKind::Genres, "Pop", "", "Arrival"), QStringList("Anon"));
    EXPECT_EQ(titles(TreeKind::Genres, "rock", "", ""), QStringList("Loose"));
    EXPECT_EQ(titles(TreeKind::Genres, "", "ABBA", "Arrival"), QStringList("When I"));
    EXPECT_EQ(titles(TreeKind::Genres, "", "", "Arrival"), QStringList());
    EXPECT_EQ(titles(TreeKind::Genres, "", "", ""), QStringList("Nothing"));
    EXPECT_EQ(titles(TreeKind::Years, "1975", "QUEEN", "A NIGHT"),
              QStringList({"Death", "Lazing"}));
    EXPECT_EQ(titles(TreeKind::Years, "", "", "Arrival"), QStringList("Anon"));
    EXPECT_EQ(titles(TreeKind::Years, "", "", ""), QStringList({"Nothing", "Loose"}));
    EXPECT_EQ(titles(TreeKind::Years, "1976", "abba", "Arrival"),
              QStringList({"When I", "Dancing"}));
}

TEST_F(LibraryQueryTest, GenreListGroupsByArtistAndAlbumTogether)
{
    AddTracks({{"Other", "Arrival", "Cover", 1990, "Pop", 1, 100, "/o/10.mp3"}});
    ASSERT_TRUE(m_query.ListValue(TreeKind::Genres, QStringLiteral("pop"), m_list));
    QStringList heads;
    for (const QString& row : m_list.rows) {
        if (row.startsWith(QLatin1Char('H'))) {
            heads << row.section(QLatin1Char('|'), 1, 2);
        }
    }
    EXPECT_EQ(heads, QStringList({"<no artist>|Arrival", "ABBA|Arrival", "Other|Arrival"}));
}

TEST_F(LibraryQueryTest, FailedStatementLeavesAnEmptyButRecalculatedList)
{
    m_db.SetFolder(m_profile.File(QStringLiteral("missing/deeper")));
    m_db.OpenLibrary(); // cannot open: no connection at all
    EXPECT_FALSE(m_query.ListValue(TreeKind::Artists, QStringLiteral("Queen"), m_list));
    EXPECT_TRUE(m_list.rows.isEmpty());
    EXPECT_EQ(m_list.recalcs, 1);
    EXPECT_FALSE(m_query.FillRoot(TreeKind::Artists, m_tree));
    EXPECT_TRUE(m_tree.nodes.isEmpty());
}

} // namespace
