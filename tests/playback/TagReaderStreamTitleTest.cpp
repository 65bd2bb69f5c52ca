// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Splitting a radio stream's metadata into title, artist and album.
#include "CTagReader.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

const QString kAddress = "http://radio.example:8000/live";

struct Split {
    const char* meta;
    const char* title;
    const char* artist;
    const char* album;
};

void PrintTo(const Split& split, std::ostream* os)
{
    *os << split.meta;
}

class TagReaderStreamTitle : public testing::TestWithParam<Split> {};

// The caller passes the address as title and empty artist and album, as the player does.
TEST_P(TagReaderStreamTitle, SplitsAsTheRulesSay)
{
    const Split& split = GetParam();
    QString title = kAddress;
    QString artist;
    QString album;
    CTagReader::SplitStreamTitle(QString::fromUtf8(split.meta), title, artist, album);
    EXPECT_EQ(title, QString::fromUtf8(split.title));
    EXPECT_EQ(artist, QString::fromUtf8(split.artist));
    EXPECT_EQ(album, QString::fromUtf8(split.album));
}

const char* const kAddr = "http://radio.example:8000/live";

INSTANTIATE_TEST_SUITE_P(Examples, TagReaderStreamTitle,
    testing::Values(Split{"StreamTitle='Artist - Song (Live)';StreamUrl='';", "Song", "Artist", "Live"},
        Split{"StreamTitle='Song';", "Song", "", ""},
        Split{"StreamTitle='';", kAddr, "", ""},
        Split{"", kAddr, "", ""},
        Split{"StreamTitle='(Intro)';", "(Intro)", "", ""},
        Split{"StreamTitle=' \t Artist  -  Song \r\n';", "Song", "Artist", ""},
        Split{"StreamTitle='Artist - ';", "Artist -", "", ""},
        Split{"StreamTitle=' - Song';", "- Song", "", ""},
        Split{"StreamTitle='A - B - C';", "B - C", "A", ""},
        Split{"StreamTitle='Song ()';", "Song ()", "", ""},
        Split{"StreamTitle='Song ( Remix )x';", "Song", "", "Remix"},
        Split{"StreamTitle='Song) (Demo';", "Song) (Demo", "", ""},
        Split{"StreamTitle='Artist - (Intro)';", "(Intro)", "Artist", ""},
        Split{"StreamTitle='Ärtist - Sóng (Ålbum)';", "Sóng", "Ärtist", "Ålbum"},
        Split{"StreamTitle='Song\u00a0';", "Song\u00a0", "", ""},
        Split{"StreamTitle='no end", kAddr, "", ""},
        Split{"no quote at all", kAddr, "", ""}));

TEST(TagReaderStreamTitleKeeps, CallerValuesWhenTheTitleHasNoArtistOrAlbum)
{
    QString title = kAddress;
    QString artist = "Earlier Artist";
    QString album = "Earlier Album";
    CTagReader::SplitStreamTitle("StreamTitle='Only A Song';", title, artist, album);
    EXPECT_EQ(title, "Only A Song");
    EXPECT_EQ(artist, "Earlier Artist");
    EXPECT_EQ(album, "Earlier Album");
}

} // namespace
