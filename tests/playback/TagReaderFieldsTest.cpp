// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// How tag texts become record fields: track numbers, years, genres and blanks, in the tag
// kinds that store them as text (ID3v2 in mp3 and aac, Xiph in ogg and flac, ASF in wma).
#include "AudioFixture.h"
#include "CTagReader.h"
#include "TagReaderSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

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
    } cases[] = { { "3/12", 3 }, { "03", 3 }, { "A", 0 }, { "12", 12 }, { "  7", 7 }, { "+4", 4 }, { "-2", -2 },
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

TEST_P(TagReaderFields, YearIsTheFirstYearBetweenOneThousandAndFourThousand)
{
    const struct {
        const char* tag;
        int year; // 0: no year
    } cases[] = { { "0", 0 }, { "999", 0 }, { "1000", 1000 }, { "4000", 4000 }, { "4001", 0 },
        { "2009-05-01", 2009 }, { "99", 0 }, { "abc", 0 }, { "1987 ", 1987 },
        { "01.05.2009", 2009 }, { "5/1/2009", 2009 }, { "c. 1987", 1987 }, { "12345", 0 } };
    for (const auto& c : cases) {
        // TagLib does not write every text as an ID3v2 date, so those are written by hand.
        const TrackRecord r
            = IsId3v2() ? ReadWithRawId3("TYER", c.tag) : ReadWith("DATE", c.tag);
        EXPECT_EQ(r.year, c.year) << c.tag;
        EXPECT_EQ(r.hasYear, c.year != 0) << c.tag;
    }
    const TrackRecord absent = ReadWith("TITLE", "x");
    EXPECT_EQ(absent.year, 0);
    EXPECT_FALSE(absent.hasYear);
}

// Genres as taggers write them: names, ID3v1 numbers bare or in parentheses, and numbers
// refined by a name, which is what the tagger meant to show.
TEST_P(TagReaderFields, GenreNumbersBecomeNamesAndRefinementsWin)
{
    const struct {
        const char* tag;
        const char* genre;
    } cases[] = { { "17", "Rock" }, { "(17)", "Rock" }, { "(17)Rock", "Rock" },
        { "(9)Hard Rock", "Hard Rock" }, { "(17)(18)", "Rock; Techno" }, { "80s Pop", "80s Pop" },
        { "Rock", "Rock" }, { "200", "" }, { " Blues ", "Blues" } };
    for (const auto& c : cases)
        EXPECT_EQ(ReadWith("GENRE", c.tag).genre, c.genre) << c.tag;
    // A parenthesis that holds no number is part of the name; TagLib's ID3v2 parser alone
    // drops it.
    EXPECT_EQ(ReadWith("GENRE", "(Live) Jazz").genre, IsId3v2() ? "Jazz" : "(Live) Jazz");
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
    EXPECT_EQ(r.genre, "Rock") << "a genre number is named, not replaced by the older tag's genre";
}

// Old taggers stored Windows-1252 in the Latin-1 texts of both ID3 versions.
TEST_P(TagReaderTrailingTags, LatinTextsShowWindowsLetters)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString("cp.") + GetParam());
    ASSERT_TRUE(fixture::CopyTone(GetParam(), path));
    {
        const QByteArray native = QFile::encodeName(path);
        TagLib::MPEG::File file(native.constData(), false);
        file.strip(TagLib::MPEG::File::ID3v2);
        file.ID3v1Tag(true)->setArtist(TagLib::String("It\x92s \x80", TagLib::String::Latin1));
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v1, TagLib::File::StripOthers));
    }
    ASSERT_TRUE(tagtest::PrependId3v23(path, "TIT2", "Caf\xe9 \x93Q\x94"));
    TrackRecord r;
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    EXPECT_EQ(r.title, "Caf\u00e9 \u201cQ\u201d");
    EXPECT_EQ(r.artist, "It\u2019s \u20ac");
}

INSTANTIATE_TEST_SUITE_P(MpegAndAdts, TagReaderTrailingTags, testing::Values("mp3", "aac"),
    [](const testing::TestParamInfo<const char*>& param) { return std::string(param.param); });

// Tags that hold a field under another key than the standard one, written as the tag kind
// stores such keys: Vorbis comments as they are, APE items as they are, MP4 as free-form
// items, ID3v2 as user text frames.
using Tags = QMap<QString, QString>;

TagLib::String Utf8(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

bool WriteOggComments(const QString& path, const Tags& tags)
{
    TagLib::Ogg::Vorbis::File file(QFile::encodeName(path).constData(), false);
    for (auto it = tags.cbegin(); it != tags.cend(); ++it)
        file.tag()->addField(Utf8(it.key()), Utf8(it.value()), false);
    return file.save();
}

bool WriteFlacComments(const QString& path, const Tags& tags)
{
    TagLib::FLAC::File file(QFile::encodeName(path).constData(), false);
    for (auto it = tags.cbegin(); it != tags.cend(); ++it)
        file.xiphComment(true)->addField(Utf8(it.key()), Utf8(it.value()), false);
    return file.save();
}

bool WriteApeItems(const QString& path, const Tags& tags)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    file.strip();
    for (auto it = tags.cbegin(); it != tags.cend(); ++it)
        file.APETag(true)->addValue(Utf8(it.key()), Utf8(it.value()), false);
    return file.save(TagLib::MPEG::File::APE, TagLib::File::StripOthers);
}

// The MP4 atoms TagLib knows stay atoms; every other key becomes a free-form item.
bool WriteMp4Items(const QString& path, const Tags& tags)
{
    TagLib::MP4::File file(QFile::encodeName(path).constData(), false);
    TagLib::PropertyMap known;
    for (auto it = tags.cbegin(); it != tags.cend(); ++it)
        known.insert(Utf8(it.key()), TagLib::StringList(Utf8(it.value())));
    const TagLib::PropertyMap unknown = file.setProperties(known);
    for (const auto& [key, values] : unknown)
        file.tag()->setItem("----:com.apple.iTunes:" + key, TagLib::MP4::Item(values));
    return file.save();
}

bool WriteId3v2Frames(const QString& path, const Tags& tags)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    TagLib::PropertyMap props;
    for (auto it = tags.cbegin(); it != tags.cend(); ++it)
        props.insert(Utf8(it.key()), TagLib::StringList(Utf8(it.value())));
    file.ID3v2Tag(true)->setProperties(props);
    return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers);
}

struct TagKind {
    const char* name;
    const char* ext;
    bool (*write)(const QString&, const Tags&);
};

void PrintTo(const TagKind& kind, std::ostream* os)
{
    *os << kind.name;
}

class TagReaderOtherKeys : public testing::TestWithParam<TagKind> {
protected:
    TrackRecord ReadWith(const Tags& tags)
    {
        const QString path = m_dir.filePath(QString("k%1.%2").arg(m_count++).arg(GetParam().ext));
        EXPECT_TRUE(fixture::CopyTone(GetParam().ext, path));
        EXPECT_TRUE(GetParam().write(path, tags));
        TrackRecord r;
        EXPECT_TRUE(CTagReader::ReadTags(path, r));
        return r;
    }

private:
    QTemporaryDir m_dir;
    int m_count = 0;
};

TEST_P(TagReaderOtherKeys, YearTrackAndAlbumArtistAreFoundUnderCommonKeys)
{
    EXPECT_EQ(ReadWith({ { "YEAR", "1999" } }).year, 1999);
    EXPECT_EQ(ReadWith({ { "ORIGINALDATE", "1970-03-01" } }).year, 1970);
    EXPECT_EQ(ReadWith({ { "TRACK", "03" } }).number, 3);
    EXPECT_EQ(ReadWith({ { "ALBUM ARTIST", "Various" } }).albumartist, "Various");
    EXPECT_EQ(ReadWith({ { "ALBUM_ARTIST", "Various" } }).albumartist, "Various");
}

// TagLib itself reads APE's "Track" and "TRACKNUMBER" (and the like) as one field, so APE
// items have no standard key to prefer.
class TagReaderStandardKeys : public TagReaderOtherKeys { };

TEST_P(TagReaderStandardKeys, TheStandardKeyWins)
{
    const TrackRecord r = ReadWith({ { "DATE", "2001" }, { "ORIGINALDATE", "1970" },
        { "TRACKNUMBER", "4" }, { "TRACK", "9" }, { "ALBUMARTIST", "Std" },
        { "ALBUM ARTIST", "Other" } });
    EXPECT_EQ(r.year, 2001);
    EXPECT_EQ(r.number, 4);
    EXPECT_EQ(r.albumartist, "Std");
}

const TagKind kVorbisOgg { "VorbisOgg", "ogg", WriteOggComments };
const TagKind kVorbisFlac { "VorbisFlac", "flac", WriteFlacComments };
const TagKind kApe { "ApeInMp3", "mp3", WriteApeItems };
const TagKind kMp4 { "Mp4FreeForm", "m4a", WriteMp4Items };
const TagKind kId3v2 { "Id3v2UserText", "mp3", WriteId3v2Frames };

std::string KindName(const testing::TestParamInfo<TagKind>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(TagKinds, TagReaderOtherKeys,
    testing::Values(kVorbisOgg, kVorbisFlac, kApe, kMp4, kId3v2), KindName);
INSTANTIATE_TEST_SUITE_P(TagKinds, TagReaderStandardKeys,
    testing::Values(kVorbisOgg, kVorbisFlac, kMp4, kId3v2), KindName);

// A Vorbis comment may repeat a field; a genre number beside a genre name is not shown.
TEST(TagReaderGenres, NamesWinOverNumbersAcrossValues)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("two.ogg");
    ASSERT_TRUE(fixture::CopyTone("ogg", path));
    ASSERT_TRUE(WriteOggComments(path, { { "GENRE", "17" } }));
    ASSERT_TRUE(WriteOggComments(path, { { "GENRE", "Jazz" } }));
    ASSERT_TRUE(WriteOggComments(path, { { "GENRE", "Blues" } }));
    TrackRecord r;
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    EXPECT_EQ(r.genre, "Jazz; Blues");
}

// Old wma files number their tracks only in "WM/Track", which counts from zero.
TEST(TagReaderAsf, ZeroBasedTrackCountsOnlyWithoutTrackNumber)
{
    QTemporaryDir dir;
    const auto readWith = [&](const QString& name, auto setUp) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(fixture::CopyTone("wma", path));
        {
            TagLib::ASF::File file(QFile::encodeName(path).constData(), false);
            setUp(*file.tag());
            EXPECT_TRUE(file.save());
        }
        TrackRecord r;
        EXPECT_TRUE(CTagReader::ReadTags(path, r));
        return r;
    };
    const TrackRecord dword = readWith("a.wma",
        [](TagLib::ASF::Tag& tag) { tag.setAttribute("WM/Track", TagLib::ASF::Attribute(2U)); });
    EXPECT_EQ(dword.number, 3);
    EXPECT_TRUE(dword.hasNumber);
    const TrackRecord text = readWith("b.wma", [](TagLib::ASF::Tag& tag) {
        tag.setAttribute("WM/Track", TagLib::ASF::Attribute(TagLib::String("0")));
    });
    EXPECT_EQ(text.number, 1);
    const TrackRecord both = readWith("c.wma", [](TagLib::ASF::Tag& tag) {
        tag.setAttribute("WM/Track", TagLib::ASF::Attribute(2U));
        tag.setAttribute("WM/TrackNumber", TagLib::ASF::Attribute(TagLib::String("7")));
    });
    EXPECT_EQ(both.number, 7);
}

} // namespace
