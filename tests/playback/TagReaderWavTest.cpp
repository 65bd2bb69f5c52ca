// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// WAV files carry their fields in a RIFF INFO list, an ID3v2 chunk, or both.
#include "CTagReader.h"
#include "TagReaderSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/wavfile.h>

#include <gtest/gtest.h>

namespace {

class TagReaderWav : public testing::Test {
protected:
    // A 2.5 s tone whose INFO list ffmpeg writes from its metadata options.
    QString MakeWithInfo()
    {
        const QString path = m_dir.filePath("info.wav");
        const int code = QProcess::execute("ffmpeg",
            {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                "sine=frequency=440:sample_rate=44100:duration=2.5", "-metadata",
                "title=Info Title", "-metadata", "artist=Info Artist", "-metadata",
                "album=Info Album", "-metadata", "date=2009-05-01", "-metadata", "genre=Ambient",
                "-metadata", "track=3", "-c:a", "pcm_s16le", path});
        return code == 0 ? path : QString();
    }

    QTemporaryDir m_dir;
};

TEST_F(TagReaderWav, InfoListAloneGivesTheFields)
{
    const QString path = MakeWithInfo();
    ASSERT_FALSE(path.isEmpty());
    TrackRecord r = tagtest::Sentinel();
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    EXPECT_EQ(r.title, "Info Title");
    EXPECT_EQ(r.artist, "Info Artist");
    EXPECT_EQ(r.album, "Info Album");
    EXPECT_EQ(r.year, 2009);
    EXPECT_EQ(r.genre, "Ambient");
    EXPECT_EQ(r.number, 3);
    EXPECT_TRUE(r.hasNumber);
    EXPECT_EQ(r.composer, "");
    EXPECT_EQ(r.time, 2);
    EXPECT_EQ(r.sample, 44100);
    EXPECT_EQ(r.channel, 1);
    EXPECT_EQ(r.bitrate, tagtest::FormulaBitrate(QFile(path).size(), 2.5));
}

TEST_F(TagReaderWav, Id3v2ChunkWinsAndTheInfoListFillsTheRest)
{
    const QString path = MakeWithInfo();
    ASSERT_FALSE(path.isEmpty());
    {
        TagLib::RIFF::WAV::File file(QFile::encodeName(path).constData(), false);
        ASSERT_TRUE(file.isValid());
        file.InfoTag()->setFieldText("IMUS", "Info Composer");
        file.ID3v2Tag()->setTitle(TagLib::String("Ünïcode Title", TagLib::String::UTF8));
        file.ID3v2Tag()->setArtist("Id3 Artist");
        ASSERT_TRUE(file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone));
    }
    TrackRecord r = tagtest::Sentinel();
    ASSERT_TRUE(CTagReader::ReadTags(path, r));
    EXPECT_EQ(r.title, "Ünïcode Title");
    EXPECT_EQ(r.artist, "Id3 Artist");
    EXPECT_EQ(r.album, "Info Album");
    EXPECT_EQ(r.year, 2009);
    EXPECT_EQ(r.number, 3);
    EXPECT_EQ(r.composer, "Info Composer");
}

} // namespace
