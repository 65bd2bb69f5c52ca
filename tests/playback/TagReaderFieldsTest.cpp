// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// How tag texts become record fields: track numbers, years, genres and blanks, in the tag
// kinds that store them as text (ID3v2 in mp3 and aac, Xiph in ogg and flac, ASF in wma).
#include "AudioFixture.h"
#include "CTagReader.h"
#include "TagReaderSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

namespace {

class TagReaderFields : public testing::TestWithParam<const char*> {
protected:
    // Writes one tag into a fresh copy of the type's template and reads the file back.
    TrackRecord ReadWith(const QString& key, const QString& value)
    {
        const QString path = m_dir.filePath(QString("f%1.%2").arg(m_count++).arg(GetParam()));
        EXPECT_TRUE(fixture::CopyTone(GetParam(), path));
        EXPECT_TRUE(fixture::WriteTags(path, { { key, value } }));
        TrackRecord r;
        r.number = r.year = -1;
        EXPECT_TRUE(CTagReader::ReadTags(path, r));
        return r;
    }

    bool IsId3v2() const { return QString(GetParam()) == "mp3" || QString(GetParam()) == "aac"; }

    // TagLib's ID3v2 writer leaves out a track number that is not numeric, so such texts are
    // written as a hand-made ID3v2.3 tag in front of the audio.
    TrackRecord ReadWithRawId3(const char* frameId, const QByteArray& text)
    {
        const QString path = m_dir.filePath(QString("f%1.%2").arg(m_count++).arg(GetParam()));
        EXPECT_TRUE(fixture::CopyTone(GetParam(), path));
        EXPECT_TRUE(tagtest::PrependId3v23(path, frameId, text));
        TrackRecord r;
        EXPECT_TRUE(CTagReader::ReadTags(path, r));
        return r;
    }

private:
    QTemporaryDir m_dir;
    int m_count = 0;
};

TEST_P(TagReaderFields, TrackNumberIsTheLeadingDecimalValue)
{
    const struct {
        const char* tag;
        int number;
    } cases[] = { { "3/12", 3 }, { "A", 0 }, { "12", 12 }, { "  7", 7 }, { "+4", 4 }, { "-2", -2 },
        { "99999999999", 2147483647 } };
    for (const auto& c : cases) {
        const TrackRecord r
            = IsId3v2() ? ReadWithRawId3("TRCK", c.tag) : ReadWith("TRACKNUMBER", c.tag);
        EXPECT_EQ(r.number, c.number) << c.tag;
        EXPECT_TRUE(r.hasNumber) << c.tag;
    }
    const TrackRecord absent = ReadWith("TITLE", "x");
    EXPECT_EQ(absent.number, 0);
    EXPECT_FALSE(absent.hasNumber);
    const TrackRecord blank = ReadWith("TRACKNUMBER", " \t");
    EXPECT_EQ(blank.number, 0);
    EXPECT_FALSE(blank.hasNumber) << "a blank track tag counts as none";
}

TEST_P(TagReaderFields, YearsOutsideOneThousandToFourThousandAreNone)
{
    const struct {
        const char* tag;
        int year; // 0: no year
    } cases[] = { { "0", 0 }, { "999", 0 }, { "1000", 1000 }, { "4000", 4000 }, { "4001", 0 },
        { "2009-05-01", 2009 }, { "99", 0 }, { "abc", 0 }, { "1987 ", 1987 } };
    for (const auto& c : cases) {
        const TrackRecord r = ReadWith("DATE", c.tag);
        EXPECT_EQ(r.year, c.year) << c.tag;
        EXPECT_EQ(r.hasYear, c.year != 0) << c.tag;
    }
    const TrackRecord absent = ReadWith("TITLE", "x");
    EXPECT_EQ(absent.year, 0);
    EXPECT_FALSE(absent.hasYear);
}

TEST_P(TagReaderFields, NumericGenresAreDropped)
{
    EXPECT_EQ(ReadWith("GENRE", "17").genre, "");
    EXPECT_EQ(ReadWith("GENRE", "80s Pop").genre, "");
    EXPECT_EQ(ReadWith("GENRE", "Rock").genre, "Rock");
    // ID3v2 resolves a genre reference with a refinement to the refinement; the other tag
    // kinds keep the text as written. Either way the named genre survives.
    const std::string refined = ReadWith("GENRE", "(17)Rock").genre;
    EXPECT_EQ(refined, IsId3v2() ? "Rock" : "(17)Rock");
}

TEST_P(TagReaderFields, OnlyTrailingBlanksAreTrimmed)
{
    EXPECT_EQ(ReadWith("TITLE", "  Title \t\r\n ").title, "  Title");
    EXPECT_EQ(ReadWith("ARTIST", "Art ist  ").artist, "Art ist");
    EXPECT_EQ(ReadWith("ALBUMARTIST", "\tLead").albumartist, "\tLead");
    EXPECT_EQ(ReadWith("COMPOSER", "   ").composer, "");
}

INSTANTIATE_TEST_SUITE_P(TextTags, TagReaderFields,
    testing::Values("mp3", "ogg", "flac", "wma", "aac"),
    [](const testing::TestParamInfo<const char*>& param) { return std::string(param.param); });

// Without an ID3v2 tag, the older tags at the end of the file describe it: an APE tag first,
// then ID3v1.
class TagReaderTrailingTags : public testing::TestWithParam<const char*> { };

TEST_P(TagReaderTrailingTags, Id3v1AloneIsRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString("old.") + GetParam());
    ASSERT_TRUE(fixture::CopyTone(GetParam(), path));
    {
        const QByteArray native = QFile::encodeName(path);
        TagLib::MPEG::File file(native.constData(), false);
        file.strip(TagLib::MPEG::File::ID3v2);
        TagLib::ID3v1::Tag* tag = file.ID3v1Tag(true);
        tag->setTitle("Old Title");
        tag->setArtist("Old Artist");
        tag->setYear(1994);
        tag->setTrack(5);
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v1, TagLib::File::StripOthers));
    }
    TrackRecord r;
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    EXPECT_EQ(r.title, "Old Title");
    EXPECT_EQ(r.artist, "Old Artist");
    EXPECT_EQ(r.year, 1994);
    EXPECT_EQ(r.number, 5);
    EXPECT_EQ(r.time, 1);
}

TEST_P(TagReaderTrailingTags, Id3v2FieldsComeFirstAndId3v1FillsTheRest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString("both.") + GetParam());
    ASSERT_TRUE(fixture::CopyTone(GetParam(), path));
    {
        const QByteArray native = QFile::encodeName(path);
        TagLib::MPEG::File file(native.constData(), false);
        TagLib::ID3v1::Tag* old = file.ID3v1Tag(true);
        old->setTitle("Old Title");
        old->setArtist("Old Artist");
        old->setGenre("Jazz");
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
        tag->setTitle("New Title");
        tag->setGenre("17");
        ASSERT_TRUE(file.save(
            TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers));
    }
    TrackRecord r;
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    EXPECT_EQ(r.title, "New Title");
    EXPECT_EQ(r.artist, "Old Artist");
    EXPECT_EQ(r.genre, "") << "a dropped genre code is not replaced by the older tag's genre";
}

INSTANTIATE_TEST_SUITE_P(MpegAndAdts, TagReaderTrailingTags, testing::Values("mp3", "aac"),
    [](const testing::TestParamInfo<const char*>& param) { return std::string(param.param); });

} // namespace
