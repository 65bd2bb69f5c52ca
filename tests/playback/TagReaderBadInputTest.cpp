// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Files that are not what their name says: every one must be refused with the record left as
// the caller gave it, since the library update skips what the reader refuses.
#include "AudioFixture.h"
#include "CTagReader.h"
#include "TagReaderSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char* const kTypes[] = { "mp3", "ogg", "wma", "flac", "ape", "aac", "mp4", "m4a", "opus",
    "wav", "aiff", "aif", "wv", "mpc" };

class TagReaderBadInput : public testing::TestWithParam<const char*> {
protected:
    void ExpectRefused(const QString& path, const char* what)
    {
        TrackRecord r = tagtest::Sentinel();
        EXPECT_FALSE(CTagReader::ReadTags(path, r)) << what << " ." << GetParam();
        EXPECT_TRUE(tagtest::SameRecord(r, tagtest::Sentinel())) << what << " ." << GetParam();
    }

    QString PathFor(const char* name) const
    {
        return m_dir.filePath(QString(name) + "." + GetParam());
    }

    QTemporaryDir m_dir;
};

TEST_P(TagReaderBadInput, ZeroLengthFile)
{
    ASSERT_TRUE(tagtest::WriteBytes(PathFor("empty"), {}));
    ExpectRefused(PathFor("empty"), "zero-length");
}

TEST_P(TagReaderBadInput, RandomBytes)
{
    QRandomGenerator random(20261208);
    QByteArray bytes(64 * 1024, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    ASSERT_TRUE(tagtest::WriteBytes(PathFor("noise"), bytes));
    ExpectRefused(PathFor("noise"), "random bytes");
}

TEST_P(TagReaderBadInput, MissingFile)
{
    ExpectRefused(PathFor("not-there"), "missing");
}

// The length of a file cut inside its stream headers: ogg, flac and mp4 keep them in front,
// ADTS and mp3 frames need seven and four bytes, wma's and ape's headers are larger. A
// WavPack block header takes 32 bytes, and Musepack's stream header packet ends at byte 18.
int CutInsideHeaders(const QString& type)
{
    if (type == "aac")
        return 5;
    if (type == "wv")
        return 20;
    if (type == "mpc")
        return 12;
    return 40;
}

TEST_P(TagReaderBadInput, TruncatedHeaders)
{
    const QString type = GetParam();
    QString whole = PathFor("whole");
    if (type == "ape")
        whole = tagtest::ApeSample("mac-399.ape");
    else
        ASSERT_TRUE(fixture::CopyTone(type, whole));
    if (whole.isEmpty())
        GTEST_SKIP() << "no APE sample: PLUMO_SHARED_TESTDATA/ape is missing";
    QFile file(whole);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_TRUE(tagtest::WriteBytes(PathFor("cut"), file.read(CutInsideHeaders(type))));
    ExpectRefused(PathFor("cut"), "truncated");
}

INSTANTIATE_TEST_SUITE_P(AllTypes, TagReaderBadInput, testing::ValuesIn(kTypes),
    [](const testing::TestParamInfo<const char*>& param) { return std::string(param.param); });

// The audio layer plays a file by what it holds, so the reader must not refuse what it plays.
TEST(TagReaderWrongContent, FileNamedForAnotherTypeIsReadByContent)
{
    const struct {
        const char* holds;
        const char* namedAs;
    } cases[] = {{"mp3", "flac"}, {"flac", "mp3"}, {"ogg", "m4a"}, {"m4a", "ogg"}, {"wma", "mp3"}};
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString real = dir.filePath(QString("real.") + c.holds);
        const QString renamed = dir.filePath(QString(c.holds) + "-as." + c.namedAs);
        ASSERT_TRUE(fixture::MakeTone(real, {2.5, 440.0, 0.5, 1, 22050}));
        ASSERT_TRUE(fixture::WriteTags(real, {{"TITLE", "Inside"}, {"ARTIST", c.holds}}));
        ASSERT_TRUE(QFile::rename(real, renamed));
        TrackRecord r = tagtest::Sentinel();
        ASSERT_TRUE(CTagReader::ReadTags(renamed, r)) << c.holds << " named ." << c.namedAs;
        EXPECT_EQ(r.title, "Inside") << c.holds;
        EXPECT_EQ(r.artist, c.holds);
        EXPECT_EQ(r.time, 2) << c.holds;
        EXPECT_EQ(r.sample, 22050) << c.holds;
        EXPECT_EQ(r.channel, 1) << c.holds;
    }
}

// Some programs name AAC in an MP4 container ".aac"; it has no ADTS frames to count, so
// libavformat measures it.
TEST(TagReaderWrongContent, AacFileHoldingMp4IsStillMeasured)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("song.aac");
    ASSERT_TRUE(fixture::MakeTone(dir.filePath("song.m4a"), { 2.5, 440.0, 0.5, 1, 22050 }));
    ASSERT_TRUE(QFile::rename(dir.filePath("song.m4a"), path));
    TrackRecord r;
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    EXPECT_EQ(r.time, 2);
    EXPECT_EQ(r.sample, 22050);
    EXPECT_EQ(r.channel, 1);
}

TEST(TagReaderWrongContent, FolderIsRefused)
{
    QTemporaryDir dir;
    TrackRecord r = tagtest::Sentinel();
    EXPECT_FALSE(CTagReader::ReadTags(dir.path(), r));
    EXPECT_FALSE(CTagReader::ReadTags(QString(), r));
    EXPECT_TRUE(tagtest::SameRecord(r, tagtest::Sentinel()));
}

} // namespace
