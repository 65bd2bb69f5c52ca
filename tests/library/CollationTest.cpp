// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "LibraryFixture.h"

#include <unicode/uloc.h>

#include <cstring>
#include <random>
#include <string>

namespace {

class CollationTest : public LibraryFixture {};

int Sign(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

TEST_F(CollationTest, GroupsCaseVariantsAndKeepsAccentsApartInThreeScripts)
{
    const std::vector<const char*> artists = {
        "zed",  "ABBA", "Émile", "abba", "emile", "Abba", "ёлка", "Ёлка", "елка", "ЁЛКА",
        "Άλφα", "άλφα", "αλφα",  "ΑΛΦΑ", "Zed",   "émile"};
    std::vector<TestTrack> tracks;
    for (const char* artist : artists) {
        tracks.push_back({artist, "Album", "Title", 2000, "Pop", 1, 100, {}});
    }
    AddTracks(tracks);

    QStringList groups = Rows(DbConn::Library,
                              "SELECT artist,count(*) FROM library GROUP BY artist COLLATE MYCASE "
                              "ORDER BY artist COLLATE MYCASE;");
    // Each group shows one of its spellings; compare them folded.
    for (QString& g : groups) {
        g = g.toLower();
    }
    // Latin before Greek before Cyrillic; within a script the unaccented spelling first.
    // Upper-case Greek carries no tonos, so "ΑΛΦΑ" joins "αλφα", not "άλφα".
    EXPECT_EQ(groups, QStringList({"abba|3", "emile|1", "émile|2", "zed|2", "αλφα|2", "άλφα|2",
                                   "елка|1", "ёлка|3"}))
        << groups.join(QLatin1Char(' ')).toStdString();
}

TEST(Collation, FollowsTheLocaleItIsGiven)
{
    CMyCaseCollation english("en_US");
    CMyCaseCollation swedish("sv_SE");
    const char* o = "öl";
    const char* z = "zebra";
    const auto len = [](const char* s) { return static_cast<int>(std::strlen(s)); };
    EXPECT_LT(english.Compare(o, len(o), z, len(z)), 0);
    EXPECT_GT(swedish.Compare(o, len(o), z, len(z)), 0);
    EXPECT_EQ(english.Compare("ABBA", 4, "abba", 4), 0);
    EXPECT_NE(english.Compare("Émile", len("Émile"), "emile", 5), 0);
}

TEST(Collation, PosixLocaleStillIgnoresCase)
{
    CMyCaseCollation posix("en_US_POSIX");
    EXPECT_EQ(posix.Compare("Queen", 5, "QUEEN", 5), 0);
    EXPECT_LT(posix.Compare("apple", 5, "Banana", 6), 0);
}

TEST(Collation, ReadsOnlyWithinTheGivenLengthAndStopsAtAZero)
{
    CMyCaseCollation collation("en_US");
    // Neither buffer is zero-terminated where the length ends.
    const char a[] = {'a', 'b', 'c', 'X', 'X'};
    const char b[] = {'A', 'B', 'C', 'Y'};
    EXPECT_EQ(collation.Compare(a, 3, b, 3), 0);
    EXPECT_LT(collation.Compare(a, 2, b, 3), 0);
    EXPECT_GT(collation.Compare(a, 4, b, 3), 0);
    const char withZero[] = {'a', 'b', '\0', 'z'};
    EXPECT_EQ(collation.Compare(withZero, 4, "AB", 2), 0);
    EXPECT_EQ(collation.Compare(nullptr, 0, "", 0), 0);
    // Invalid UTF-8 compares without failing, consistently in both directions.
    const char bad[] = {'a', static_cast<char>(0xC3)};
    EXPECT_EQ(Sign(collation.Compare(bad, 2, "b", 1)), -Sign(collation.Compare("b", 1, bad, 2)));
}

TEST(Collation, CachedKeysGiveTheSameOrderAsFreshOnes)
{
    CMyCaseCollation cached("en_US");
    const std::vector<std::string> words = {"Ärger", "arg", "Zorn", "zorn", "ärger", "Arg", "ä"};
    for (const std::string& a : words) {
        for (const std::string& b : words) {
            CMyCaseCollation fresh("en_US");
            const auto la = static_cast<int>(a.size());
            const auto lb = static_cast<int>(b.size());
            EXPECT_EQ(Sign(cached.Compare(a.data(), la, b.data(), lb)),
                      Sign(fresh.Compare(a.data(), la, b.data(), lb)))
                << a << " vs " << b;
        }
    }
    EXPECT_LE(cached.CacheSize(), words.size());
}

} // namespace

namespace {

// The ASCII weight table must give exactly the collator's answer, whatever the locale.
class CollationLocaleTest : public ::testing::TestWithParam<const char*> {};

TEST_P(CollationLocaleTest, AsciiTableAgreesWithSortKeys)
{
    CMyCaseCollation collation(GetParam());
    std::mt19937 rng(7);
    const std::string alphabet = "aAbBcChHiIlLoOyYzZ09 -'.,&!()\t\x01\x7f_aeAE";
    const auto word = [&] {
        std::string w(static_cast<std::size_t>(rng() % 12), ' ');
        for (char& c : w) {
            c = alphabet[rng() % alphabet.size()];
        }
        return w;
    };
    for (int n = 0; n < 20000; ++n) {
        const std::string a = word();
        const std::string b = n % 3 == 0 ? a.substr(0, a.size() / 2) + word() : word();
        ASSERT_EQ(Sign(collation.Compare(a.data(), static_cast<int>(a.size()), b.data(),
                                         static_cast<int>(b.size()))),
                  Sign(collation.CompareByKeys(a, b)))
            << GetParam() << ": '" << a << "' vs '" << b << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, CollationLocaleTest,
                         ::testing::Values("en_US", "sv_SE", "tr_TR", "de_DE", "cs_CZ", "da_DK",
                                           "lt_LT", "en_US_POSIX", "fr_CA", "en-u-ka-shifted",
                                           "en-u-kn"));

TEST(Collation, AsciiTableOnlyWhereTheRulesAllowIt)
{
    EXPECT_TRUE(CMyCaseCollation("en_US").HasAsciiTable());
    EXPECT_TRUE(CMyCaseCollation("ru_RU").HasAsciiTable());
    // Danish sorts "aa" as one letter, Czech "ch"; numeric ordering reads digit runs whole.
    EXPECT_FALSE(CMyCaseCollation("da_DK").HasAsciiTable());
    EXPECT_FALSE(CMyCaseCollation("cs_CZ").HasAsciiTable());
    EXPECT_FALSE(CMyCaseCollation("en-u-kn").HasAsciiTable());
}

} // namespace
