// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Loudness gains and peaks read back from every tag kind that carries them, written the way
// the taggers that use each kind write them, and the rules for values no file should hold.
#include "AudioFixture.h"
#include "CTagReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>

namespace {

using Texts = QMap<QString, QString>;

TagLib::String Utf8(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

// ID3v2 TXXX frames with the descriptions in lower case, as most taggers write them.
bool WriteTxxx(const QString& path, const Texts& texts)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::Latin1);
        frame->setDescription(Utf8(it.key().toLower()));
        frame->setText(Utf8(it.value()));
        file.ID3v2Tag(true)->addFrame(frame);
    }
    return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers);
}

// An APE tag alone on an MP3 file, its keys in mixed case.
bool WriteApeOnMpeg(const QString& path, const Texts& texts)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        QString key = it.key().toLower();
        key[0] = key[0].toUpper();
        file.APETag(true)->addValue(Utf8(key), Utf8(it.value()));
    }
    return file.save(TagLib::MPEG::File::APE, TagLib::File::StripOthers);
}

bool WriteMp4FreeForm(const QString& path, const Texts& texts)
{
    TagLib::MP4::File file(QFile::encodeName(path).constData(), false);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        file.tag()->setItem(Utf8("----:com.apple.iTunes:" + it.key().toLower()),
            TagLib::MP4::Item(TagLib::StringList(Utf8(it.value()))));
    return file.save();
}

bool WriteAsfAttributes(const QString& path, const Texts& texts)
{
    TagLib::ASF::File file(QFile::encodeName(path).constData(), false);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        file.tag()->setAttribute(Utf8(it.key().toLower()), TagLib::ASF::Attribute(Utf8(it.value())));
    return file.save();
}

using Writer = std::function<bool(const QString&, const Texts&)>;

struct Form {
    const char* name;
    const char* ext;
    Writer write;
    Texts texts;
    TrackGains expected;
};

const Texts kReplayGain { { "REPLAYGAIN_TRACK_GAIN", "-7.25 dB" },
    { "REPLAYGAIN_ALBUM_GAIN", "+2.50 dB" }, { "REPLAYGAIN_TRACK_PEAK", "0.912345" },
    { "REPLAYGAIN_ALBUM_PEAK", "1.052000" } };
const TrackGains kReplayGainRead { -7.25, 2.5, 0.912345, 1.052 };

const Form kForms[] = {
    { "Id3v2Txxx", "mp3", WriteTxxx, kReplayGain, kReplayGainRead },
    { "ApeTag", "mp3", WriteApeOnMpeg, kReplayGain, kReplayGainRead },
    { "FlacComment", "flac", fixture::WriteTags, kReplayGain, kReplayGainRead },
    { "VorbisComment", "ogg", fixture::WriteTags, kReplayGain, kReplayGainRead },
    { "Mp4FreeForm", "m4a", WriteMp4FreeForm, kReplayGain, kReplayGainRead },
    { "AsfAttribute", "wma", WriteAsfAttributes, kReplayGain, kReplayGainRead },
    // Q7.8 toward -23 LUFS: -2560 is -10 dB there, -5 dB toward the ReplayGain reference. The
    // stray ReplayGain text beside it loses.
    { "OpusR128", "opus", fixture::WriteTags,
        { { "R128_TRACK_GAIN", "-2560" }, { "R128_ALBUM_GAIN", "384" },
            { "REPLAYGAIN_TRACK_GAIN", "+3.00 dB" } },
        { -5.0, 6.5, std::nullopt, std::nullopt } },
};

void PrintTo(const Form& form, std::ostream* os)
{
    *os << form.name;
}

void ExpectGains(const TrackGains& read, const TrackGains& expected)
{
    const auto same = [](const std::optional<double>& a, const std::optional<double>& b) {
        return a.has_value() == b.has_value() && (!a || std::abs(*a - *b) < 1e-9);
    };
    EXPECT_TRUE(same(read.trackGain, expected.trackGain)) << read.trackGain.value_or(-999);
    EXPECT_TRUE(same(read.albumGain, expected.albumGain)) << read.albumGain.value_or(-999);
    EXPECT_TRUE(same(read.trackPeak, expected.trackPeak)) << read.trackPeak.value_or(-999);
    EXPECT_TRUE(same(read.albumPeak, expected.albumPeak)) << read.albumPeak.value_or(-999);
}

class TagReaderGainForms : public testing::TestWithParam<Form> {};

TEST_P(TagReaderGainForms, ReadsGainsAndPeaks)
{
    const Form& form = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tagged.") + form.ext);
    ASSERT_TRUE(fixture::MakeTone(path, { 1.0, 440.0, 0.5, 2, 48000 }));
    ASSERT_TRUE(form.write(path, form.texts));
    TrackRecord record;
    ASSERT_TRUE(CTagReader::ReadTags(path, record));
    ExpectGains(record.gains, form.expected);
}

INSTANTIATE_TEST_SUITE_P(, TagReaderGainForms, testing::ValuesIn(kForms),
    [](const testing::TestParamInfo<Form>& p) { return std::string(p.param.name); });

struct BadValue {
    const char* name;
    const char* gain;
    const char* peak;
    std::optional<double> gainRead;
    std::optional<double> peakRead;
};

// A gain that would make a track louder than any real master needs is a broken tag and is
// left out, so the file plays as untagged; a huge cut is held at -24 dB, which errs quiet.
const BadValue kBadValues[] = {
    { "HugeBoost", "+999 dB", "0.5", std::nullopt, 0.5 },
    { "HugeCut", "-80 dB", "0.5", -24.0, 0.5 },
    { "NotANumber", "nan", "nan", std::nullopt, std::nullopt },
    { "Infinite", "-inf", "inf", std::nullopt, std::nullopt },
    { "Text", "loud", "high", std::nullopt, std::nullopt },
    { "TrailingWords", "-3 dB please", "0.5 peak", std::nullopt, std::nullopt },
    { "ZeroPeak", "-3 dB", "0", -3.0, std::nullopt },
    { "NegativePeak", "-3 dB", "-0.7", -3.0, std::nullopt },
    { "DecimalComma", " -6,5 DB ", "0,25", -6.5, 0.25 },
    { "NoUnitAtTheEdge", "24", "2", 24.0, 2.0 },
};

class TagReaderBadGains : public testing::TestWithParam<BadValue> {};

void PrintTo(const BadValue& value, std::ostream* os)
{
    *os << value.name;
}

TEST_P(TagReaderBadGains, AreHeldOrLeftOut)
{
    const BadValue& value = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.flac"));
    ASSERT_TRUE(fixture::CopyTone(QStringLiteral("flac"), path));
    ASSERT_TRUE(fixture::WriteTags(path,
        { { "REPLAYGAIN_TRACK_GAIN", value.gain }, { "REPLAYGAIN_ALBUM_GAIN", value.gain },
            { "REPLAYGAIN_TRACK_PEAK", value.peak } }));
    TrackRecord record;
    ASSERT_TRUE(CTagReader::ReadTags(path, record));
    ExpectGains(record.gains, { value.gainRead, value.gainRead, value.peakRead, std::nullopt });
}

INSTANTIATE_TEST_SUITE_P(, TagReaderBadGains, testing::ValuesIn(kBadValues),
    [](const testing::TestParamInfo<BadValue>& p) { return std::string(p.param.name); });

TEST(TagReaderBadR128Gains, OutsideSixteenBitsAreLeftOut)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.opus"));
    ASSERT_TRUE(fixture::MakeTone(path, { 1.0, 440.0, 0.5, 2, 48000 }));
    ASSERT_TRUE(fixture::WriteTags(path,
        { { "R128_TRACK_GAIN", "40000" }, { "R128_ALBUM_GAIN", "-1.5" },
            { "REPLAYGAIN_TRACK_GAIN", "-4 dB" } }));
    TrackRecord record;
    ASSERT_TRUE(CTagReader::ReadTags(path, record));
    // The broken R128 gain gives way to the ReplayGain text rather than to nothing.
    ExpectGains(record.gains, { -4.0, std::nullopt, std::nullopt, std::nullopt });
}

} // namespace
