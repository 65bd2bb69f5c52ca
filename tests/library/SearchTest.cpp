// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Finding tracks by typed words against a real library file: which rows match, in which
// order, what hostile input does, and how the word index follows changes of the rows.
#include "CLibraryQuery.h"
#include "LibraryFixture.h"
#include "RecordingSinks.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

class SearchTest : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        AddTracks({
            {"Björk", "Homogenic", "Jóga", 1997, "Electronic", 2, 200, ""},        // 1
            {"Björk", "Debut", "Human Behaviour", 1993, "Electronic", 1, 200, ""}, // 2
            {"Sigur Rós", "Ágætis byrjun", "Svefn-g-englar", 1999, "Post-Rock", 2, 200, ""}, // 3
            {"Queen", "Jazz", "Mustapha", 1978, "Rock", 1, 200, ""},               // 4
            {"Queen", "A Night at the Opera", "Death on Two Legs", 1975, "Rock", 1, 200, ""}, // 5
            {"Nearly God", "Poems", "Near Me", 1996, "Trip Hop", 3, 200, ""},      // 6
            {"", "", "Untitled", std::nullopt, "", std::nullopt, 200, ""},         // 7
        });
        TrackRecord r;
        r.title = "Gymnopédie No. 1";
        r.artist = "Reinbert de Leeuw";
        r.albumartist = "Various Pianists";
        r.composer = "Erik Satie";
        r.album = "Piano";
        r.type = 1;
        ASSERT_TRUE(m_db.InsertLibraryRow("/music/satie.mp3", "2021-02-03 04:05:06", r)); // 8
    }

    // Library ids of the tracks a search lists, in list order; "error" when the statement
    // failed, "none" when the words made no statement at all.
    QString Find(const QString& words)
    {
        const ListQuery query = CLibraryQuery::SearchList(words);
        if (query.sql.empty())
            return QStringLiteral("none");
        RecordingList list;
        if (!m_query.RunList(query, list))
            return QStringLiteral("error");
        QStringList ids;
        for (const int row : list.songs)
            ids << list.rows.at(row).section(QLatin1Char(','), 1, 1);
        return ids.join(QLatin1Char(' '));
    }

    CLibraryQuery m_query{m_db};
};

TEST_F(SearchTest, TheLibraryHoldsTheWordIndex)
{
    EXPECT_TRUE(m_db.HasSearchIndex());
}

TEST_F(SearchTest, EveryWordMustBeginAWordOfAnIndexedTextIgnoringCaseAndAccents)
{
    struct Case {
        const char* words;
        const char* ids;
    };
    const Case cases[] = {
        {"bjork", "2 1"},          // grouped as a genre: artist, album, number
        {"BJÖRK", "2 1"},
        {"bj", "2 1"},
        {"sigur ros", "3"},
        {"ros sigur", "3"},        // words in any order
        {"agaetis", ""},           // "æ" is a letter of its own, not "ae"
        {"agæt", "3"},
        {"queen jazz", "4"},       // artist and album together
        {"queen o", "5"},          // "Opera", "on": prefixes anywhere in the row
        {"1975", "5"},             // year
        {"19", "2 1 6 5 4 3"},
        {"satie", "8"},            // composer
        {"pianists", "8"},         // album artist
        {"gymnopedie", "8"},
        {"electronic human", "2"}, // genre and title
        {"englar", "3"},           // a word after a hyphen
        {"svefn-g", "3"},
        {"queen bjork", ""},       // no track has both
        {"ueen", ""},              // a word's middle is no start
        {"untitled", "7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(QString::fromUtf8(c.words)), QString::fromUtf8(c.ids)) << c.words;
}

TEST_F(SearchTest, WithoutWordsThereIsNoSearch)
{
    for (const char* words : {"", "   ", "\t\n", "*", "\"", "- * ^", "()"})
        EXPECT_EQ(Find(QString::fromUtf8(words)), QStringLiteral("none")) << words;
}

TEST_F(SearchTest, QueryOperatorsAndSyntaxAreSearchedAsPlainWords)
{
    struct Case {
        QString words;
        QString ids;
    };
    const Case cases[] = {
        {QStringLiteral("bj*"), QStringLiteral("2 1")},
        {QStringLiteral("\"bjork\""), QStringLiteral("2 1")},
        {QStringLiteral("\"bjork"), QStringLiteral("2 1")},
        {QStringLiteral("bj\"ork"), QString()},
        {QStringLiteral("NEAR"), QStringLiteral("6")},
        {QStringLiteral("near(queen jazz)"), QString()},
        {QStringLiteral("NEAR(queen jazz, 2)"), QString()},
        {QStringLiteral("queen OR bjork"), QString()},
        {QStringLiteral("queen AND jazz"), QString()},
        {QStringLiteral("queen NOT jazz"), QString()},
        {QStringLiteral("artist:queen"), QString()},
        {QStringLiteral("{title artist}: queen"), QString()},
        {QStringLiteral("-queen"), QStringLiteral("5 4")},
        {QStringLiteral("^queen"), QStringLiteral("5 4")},
        {QStringLiteral("queen + jazz"), QStringLiteral("4")},
        {QStringLiteral("(queen"), QStringLiteral("5 4")},
        {QStringLiteral("'; DROP TABLE library; --"), QString()},
        {QStringLiteral("rowid:1"), QString()},
        {QStringLiteral("search"), QString()},
        {QString(10000, QLatin1Char('q')), QString()},
        {QStringLiteral("queen ").repeated(2000), QStringLiteral("5 4")},
        {QStringLiteral("bj ") + QString(QChar(0xD83C)), QStringLiteral("2 1")},
        {QString(63, QLatin1Char('x')) + QStringLiteral("\U0001F3B5 bj"), QString()},
        {QStringLiteral("\U0001F3B5"), QStringLiteral("none")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(c.words), c.ids) << c.words.left(40).toStdString();
    EXPECT_EQ(Rows(DbConn::Library, "SELECT count(*) FROM library;"), QStringList({"8"}));
}

TEST_F(SearchTest, TheIndexFollowsChangedMovedAndRemovedRows)
{
    TrackRecord r;
    r.title = "Hyperballad";
    r.artist = "Björk";
    r.album = "Post";
    r.type = 1;
    ASSERT_TRUE(m_db.UpdateChangedRow(1, r));
    EXPECT_EQ(Find(QStringLiteral("joga")), QString());
    EXPECT_EQ(Find(QStringLiteral("hyper post")), QStringLiteral("1"));

    r.title = "Army of Me";
    ASSERT_TRUE(m_db.UpdateMovedRow(1, "/moved/army.mp3", "2022-01-01 00:00:00", r));
    EXPECT_EQ(Find(QStringLiteral("hyper")), QString());
    EXPECT_EQ(Find(QStringLiteral("army")), QStringLiteral("1"));

    // Ratings and counters leave the index alone.
    ASSERT_TRUE(m_db.SetRating(1, 0, 5));
    ASSERT_TRUE(m_db.CountPlay(1, 0));
    EXPECT_EQ(Find(QStringLiteral("army")), QStringLiteral("1"));

    m_db.MarkAllUnseen();
    for (int id = 2; id <= 8; ++id)
        ASSERT_TRUE(m_db.MarkSeen(id));
    m_db.DeleteUnseen();
    EXPECT_EQ(Find(QStringLiteral("bjork")), QStringLiteral("2"));
    EXPECT_EQ(Find(QStringLiteral("army")), QString());
    // The index still agrees with its rows after all of it.
    EXPECT_EQ(Rows(DbConn::Library, "INSERT INTO search(search) VALUES ('integrity-check');"),
        QStringList());
}

TEST_F(SearchTest, ALibraryMadeWithoutTheIndexGetsItWhenOpened)
{
    // The library as an older build left it: the table and its rows, no index, no triggers.
    for (const char* sql : {"DROP TRIGGER search_insert;", "DROP TRIGGER search_delete;",
             "DROP TRIGGER search_update;", "DROP TABLE search;"})
        ASSERT_TRUE(Rows(DbConn::Library, sql).isEmpty());
    ASSERT_FALSE(m_db.HasSearchIndex());
    m_db.OpenLibrary();
    ASSERT_TRUE(m_db.HasSearchIndex());
    EXPECT_EQ(Find(QStringLiteral("sigur")), QStringLiteral("3"));
    EXPECT_EQ(Find(QStringLiteral("satie")), QStringLiteral("8"));
    AddTracks({{"Björk", "Vespertine", "Pagan Poetry", 2001, "Electronic", 5, 200, ""}});
    EXPECT_EQ(Find(QStringLiteral("pagan")), QStringLiteral("9"));
}

TEST_F(SearchTest, AFileThatIsNoLibraryGetsNoIndexAndStaysUntouched)
{
    const QString path = m_profile.File(QStringLiteral("other/Library.db"));
    m_profile.Write(QStringLiteral("other/Library.db"), "not a database");
    CDBase other;
    other.SetFolder(m_profile.File(QStringLiteral("other")));
    other.OpenLibrary();
    EXPECT_FALSE(other.HasSearchIndex());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("not a database"));
}

} // namespace

namespace {

// The plumo-search tool, run on the fixture's library as a script runs it.
class SearchToolTest : public SearchTest {
protected:
    QStringList Run(const QStringList& words, int* exitCode)
    {
        QProcess tool;
        tool.start(QDir(qEnvironmentVariable("PLUMO_BUILD_DIR")).filePath("bin/plumo-search"),
            QStringList(m_profile.Path()) + words);
        EXPECT_TRUE(tool.waitForFinished(30000)) << tool.errorString().toStdString();
        *exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
        QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n');
        EXPECT_EQ(lines.takeLast(), QString()) << "every line ends with a line break";
        return lines;
    }
};

TEST_F(SearchToolTest, PrintsTheListedIdsOneALine)
{
    if (qEnvironmentVariableIsEmpty("PLUMO_BUILD_DIR"))
        GTEST_SKIP() << "PLUMO_BUILD_DIR is not set, so the built tool cannot be found";
    int code = -1;
    EXPECT_EQ(Run({QStringLiteral("bj")}, &code), QStringList({"2", "1"}));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Run({QStringLiteral("Sigur"), QString::fromUtf8("RÓS")}, &code), QStringList({"3"}));
    EXPECT_EQ(Run({QStringLiteral("\"*"), QStringLiteral("NEAR(")}, &code), QStringList({"6"}));
    EXPECT_EQ(Run({QStringLiteral("*")}, &code), QStringList());
    EXPECT_EQ(code, 0);
    Run({}, &code);
    EXPECT_EQ(code, 2);
}

} // namespace
