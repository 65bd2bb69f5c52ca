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

class TagReaderStreamTitle : public testing::TestWithParam<Split> { };

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

const Split kSplits[] = {
    { "StreamTitle='Artist - Song (Live)';StreamUrl='';", "Song", "Artist", "Live" },
    { "StreamTitle='Song';", "Song", "", "" },
    { "StreamTitle='';", kAddr, "", "" },
    { "", kAddr, "", "" },
    { "StreamTitle='(Intro)';", "(Intro)", "", "" },
    { "StreamTitle=' \t Artist  -  Song \r\n';", "Song", "Artist", "" },
    { "StreamTitle='Artist - ';", "Artist -", "", "" },
    { "StreamTitle=' - Song';", "- Song", "", "" },
    { "StreamTitle='A - B - C';", "B - C", "A", "" },
    { "StreamTitle='Song ()';", "Song ()", "", "" },
    { "StreamTitle='Song ( Remix )x';", "Song", "", "Remix" },
    { "StreamTitle='Song) (Demo';", "Song) (Demo", "", "" },
    { "StreamTitle='Artist - (Intro)';", "(Intro)", "Artist", "" },
    { "StreamTitle='Ärtist - Sóng (Ålbum)';", "Sóng", "Ärtist", "Ålbum" },
    { "StreamTitle='Song\u00a0';", "Song\u00a0", "", "" },
    { "StreamTitle='no end", kAddr, "", "" },
    { "no quote at all", kAddr, "", "" },
};

INSTANTIATE_TEST_SUITE_P(Examples, TagReaderStreamTitle, testing::ValuesIn(kSplits));

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
