// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Every library type read back through the tag reader: tags written by TagLib, audio made by
// ffmpeg (APE from the shared samples, which no encoder here can make).
#include "AudioFixture.h"
#include "CTagReader.h"
#include "TagReaderSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct Format {
    const char* ext;
    double lateBy; // how much longer than the encoded signal the type may play (frame padding)
    int codedRate = 0; // the one rate the type codes at, whatever its source's; 0: the source's
};

// Encoders pad the last frame; only wma and raw ADTS (no gapless information) can show it.
const Format kFormats[] = { { "mp3", 0.002 }, { "ogg", 0.002 }, { "wma", 0.05 }, { "flac", 0.0 },
    { "aac", 0.05 }, { "mp4", 0.002 }, { "m4a", 0.002 }, { "opus", 0.002, 48000 },
    { "wav", 0.0 }, { "aiff", 0.0 }, { "aif", 0.0 }, { "wv", 0.0 }, { "mpc", 0.002 } };

struct Shape {
    const char* name;
    fixture::Tone tone;
};

const Shape kShapes[] = { { "Stereo44k", { 4.5, 440.0, 0.5, 2, 44100 } },
    { "Mono48k", { 2.25, 1000.0, 0.5, 1, 48000 } } };

const QMap<QString, QString> kTags { { "TRACKNUMBER", "7" }, { "TITLE", "Ünïcode Title" },
    { "ARTIST", "The Artist" }, { "ALBUM", "An Album" }, { "DATE", "1999" }, { "GENRE", "Jazz" },
    { "COMPOSER", "A Composer" }, { "ALBUMARTIST", "Various" } };

void ExpectTags(const TrackRecord& r)
{
    EXPECT_EQ(r.number, 7);
    EXPECT_TRUE(r.hasNumber);
    EXPECT_EQ(r.title, "Ünïcode Title");
    EXPECT_EQ(r.artist, "The Artist");
    EXPECT_EQ(r.album, "An Album");
    EXPECT_EQ(r.year, 1999);
    EXPECT_TRUE(r.hasYear);
    EXPECT_EQ(r.genre, "Jazz");
    EXPECT_EQ(r.composer, "A Composer");
    EXPECT_EQ(r.albumartist, "Various");
}

// The reported bitrate must come from the whole file size and a playing time within the
// type's tolerance of the real one.
void ExpectStream(const TrackRecord& r, const QString& path, double seconds, double lateBy)
{
    const long long size = QFileInfo(path).size();
    EXPECT_EQ(r.time, static_cast<int>(seconds));
    EXPECT_LE(r.bitrate, tagtest::FormulaBitrate(size, seconds - 0.0005));
    EXPECT_GE(r.bitrate, tagtest::FormulaBitrate(size, seconds + lateBy + 0.0005));
}

void PrintTo(const Format& format, std::ostream* os)
{
    *os << format.ext;
}

void PrintTo(const Shape& shape, std::ostream* os)
{
    *os << shape.name;
}

class TagReaderFormats : public testing::TestWithParam<std::tuple<Format, Shape>> {
protected:
    QTemporaryDir m_dir;
};

TEST_P(TagReaderFormats, ReadsBackTagsAndStream)
{
    const auto& [format, shape] = GetParam();
    const QString path = m_dir.filePath(QString("track.") + format.ext);
    ASSERT_TRUE(fixture::MakeTone(path, shape.tone));
    ASSERT_TRUE(fixture::WriteTags(path, kTags));
    TrackRecord r = tagtest::Sentinel();
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    ExpectTags(r);
    ExpectStream(r, path, shape.tone.seconds, format.lateBy);
    EXPECT_EQ(r.sample, format.codedRate != 0 ? format.codedRate : shape.tone.rate);
    EXPECT_EQ(r.channel, shape.tone.channels);
    // The caller's fields stay the caller's.
    EXPECT_EQ(r.size, 77);
    EXPECT_EQ(r.type, 5);
    EXPECT_EQ(r.modified, "2001-02-03 04:05:06");
}

TEST_P(TagReaderFormats, UntaggedFileGivesEmptyFields)
{
    const auto& [format, shape] = GetParam();
    const QString path = m_dir.filePath(QString("bare.") + format.ext);
    ASSERT_TRUE(fixture::MakeTone(path, shape.tone));
    TrackRecord r = tagtest::Sentinel();
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    EXPECT_FALSE(r.hasNumber);
    EXPECT_EQ(r.number, 0);
    EXPECT_FALSE(r.hasYear);
    EXPECT_EQ(r.year, 0);
    for (const std::string* text :
        { &r.title, &r.artist, &r.album, &r.genre, &r.composer, &r.albumartist })
        EXPECT_EQ(*text, "");
}

std::string FormatName(const testing::TestParamInfo<std::tuple<Format, Shape>>& info)
{
    return std::string(std::get<0>(info.param).ext) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(AllTypes, TagReaderFormats,
    testing::Combine(testing::ValuesIn(kFormats), testing::ValuesIn(kShapes)), FormatName);

struct ApeSample {
    const char* file;
    int time;
    int channels;
    double seconds;
};

void PrintTo(const ApeSample& sample, std::ostream* os)
{
    *os << sample.file;
}

class TagReaderApe : public testing::TestWithParam<ApeSample> { };

TEST_P(TagReaderApe, ReadsBackApeTagsAndStream)
{
    const ApeSample& sample = GetParam();
    const QString source = tagtest::ApeSample(sample.file);
    if (source.isEmpty())
        GTEST_SKIP() << "no APE samples: PLUMO_SHARED_TESTDATA/ape is missing, and no APE "
                        "encoder is available to make one";
    QTemporaryDir dir;
    const QString path = dir.filePath("track.ape");
    ASSERT_TRUE(QFile::copy(source, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(fixture::WriteTags(path, kTags));
    TrackRecord r = tagtest::Sentinel();
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    ExpectTags(r);
    ExpectStream(r, path, sample.seconds, 0.0);
    EXPECT_EQ(r.time, sample.time);
    EXPECT_EQ(r.sample, 44100);
    EXPECT_EQ(r.channel, sample.channels);
}

INSTANTIATE_TEST_SUITE_P(Samples, TagReaderApe,
    testing::Values(
        ApeSample { "mac-399.ape", 3, 2, 3.550023 }, ApeSample { "short-1s.ape", 1, 1, 1.0 }));

} // namespace
