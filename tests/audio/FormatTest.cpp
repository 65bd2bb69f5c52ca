// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioFixture.h"
#include "AudioTestUtil.h"
#include "CAudioLib.h"
#include "TestProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

using namespace audiotest;

namespace {

struct FormatCase {
    QString type;
    int channels;
};

void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << c.type.toStdString() << " with " << c.channels << " channel(s)";
}

std::string CaseName(const testing::TestParamInfo<FormatCase>& info)
{
    return info.param.type.toStdString() + (info.param.channels == 1 ? "_mono" : "_stereo");
}

std::vector<FormatCase> AllCases()
{
    std::vector<FormatCase> cases;
    for (const QString& type : fixture::AllTypes()) {
        cases.push_back({type, 2});
        cases.push_back({type, 1});
    }
    return cases;
}

class FormatTest : public testing::TestWithParam<FormatCase> {
protected:
    TestProfile m_profile;
    CAudioLib m_lib;
};

} // namespace

// An Opus stream is always coded at 48 kHz, whatever rate its source had.
int StreamRate(const QString& type)
{
    return type == "opus" ? 48000 : 44100;
}

// Every library type decodes to the sine it was made from, at its level; a mono source is
// heard at full level on both sides.
TEST_P(FormatTest, DecodesTheSineAtItsLevel)
{
    const FormatCase c = GetParam();
    const QString path = m_profile.File("tone." + c.type);
    ASSERT_TRUE(fixture::MakeTone(path, fixture::Tone{1.0, 1000.0, 0.5, c.channels, 44100}));

    const HCHANNEL h = m_lib.StreamCreateFile(path, true);
    ASSERT_NE(h, 0u) << static_cast<int>(m_lib.ErrorGetCode());
    ChannelInfo info;
    ASSERT_TRUE(m_lib.ChannelGetInfo(h, info));
    EXPECT_EQ(info.freq, StreamRate(c.type));
    EXPECT_EQ(info.chans, c.channels);
    EXPECT_EQ(m_lib.StreamGetFileSize(h), static_cast<std::uint64_t>(QFileInfo(path).size()));

    const std::vector<float> all = DecodeAll(m_lib, h);
    const double seconds = static_cast<double>(all.size()) / 2.0 / 44100.0;
    EXPECT_NEAR(seconds, 1.0, 0.06);
    const std::uint64_t length = m_lib.ChannelGetLength(h);
    ASSERT_NE(length, kUnknownLength);
    EXPECT_NEAR(m_lib.ChannelBytes2Seconds(h, length), 1.0, 0.06);

    const auto middle = Frames(all, 11025, 22050);
    for (int side = 0; side < 2; ++side) {
        EXPECT_NEAR(ZeroCrossingFrequency(middle, side), 1000.0, 2.0) << "side " << side;
        EXPECT_NEAR(ToneAmplitude(middle, side, 1000.0), 0.5, 0.03) << "side " << side;
    }
    EXPECT_TRUE(m_lib.StreamFree(h));
}

INSTANTIATE_TEST_SUITE_P(AllTypes, FormatTest, testing::ValuesIn(AllCases()), CaseName);

// The shared test data lies beside the source tree; the build folder is inside it, so the
// executable's folder finds it when the environment does not name it.
QString ApeFolder()
{
    const QString shared = SharedTestData();
    if (!shared.isEmpty())
        return shared + "/ape";
    return QDir(QCoreApplication::applicationDirPath() + "/../../../shared/testdata/ape")
        .absolutePath();
}

// Monkey's Audio cannot be generated here; the shared test data holds two real files.
TEST(FormatApeTest, DecodesSharedApeFiles)
{
    const QString folder = ApeFolder();
    const QStringList files = QDir(folder).entryList({"*.ape"}, QDir::Files);
    if (files.isEmpty())
        GTEST_SKIP() << "no APE test data (the shared testdata/ape folder is absent)";
    CAudioLib lib;
    for (const QString& name : files) {
        const HCHANNEL h = lib.StreamCreateFile(folder + "/" + name, true);
        ASSERT_NE(h, 0u) << name.toStdString();
        ChannelInfo info;
        ASSERT_TRUE(lib.ChannelGetInfo(h, info));
        EXPECT_EQ(info.freq, 44100);
        const std::vector<float> all = DecodeAll(lib, h);
        const double seconds = static_cast<double>(all.size()) / 2.0 / 44100.0;
        EXPECT_NEAR(seconds, lib.ChannelBytes2Seconds(h, lib.ChannelGetLength(h)), 0.05)
            << name.toStdString();
        EXPECT_GT(seconds, 0.5);
        lib.StreamFree(h);
    }
}

// The command line's decoder as the reference: every sample of a real APE file, whose packets
// hold many decoded frames, must come out as it does, from the start and after a seek into the
// middle of a packet. Both files are at 44100 Hz; a mono one plays at full level on each side.
TEST(FormatApeTest, SamplesMatchTheCommandLineDecoderFromTheStartAndAfterASeek)
{
    const QString folder = ApeFolder();
    const QStringList files = QDir(folder).entryList({"*.ape"}, QDir::Files);
    if (files.isEmpty())
        GTEST_SKIP() << "no APE test data (the shared testdata/ape folder is absent)";
    CAudioLib lib;
    for (const QString& name : files) {
        const QString path = folder + "/" + name;
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-i", path, "-f", "f32le", "-"});
        ASSERT_TRUE(ffmpeg.waitForFinished(60000)) << name.toStdString();
        const QByteArray raw = ffmpeg.readAllStandardOutput();
        std::vector<float> want(static_cast<std::size_t>(raw.size()) / sizeof(float));
        std::memcpy(want.data(), raw.constData(), want.size() * sizeof(float));

        for (const bool seek : {false, true}) {
            const HCHANNEL h = lib.StreamCreateFile(path, true);
            ASSERT_NE(h, 0u) << name.toStdString();
            ChannelInfo info;
            ASSERT_TRUE(lib.ChannelGetInfo(h, info));
            ASSERT_TRUE(info.chans == 1 || info.chans == 2);
            const std::size_t chans = static_cast<std::size_t>(info.chans);
            const std::size_t frames = want.size() / chans;
            ASSERT_GE(frames, 44100u) << name.toStdString();
            const std::size_t from = seek ? frames / 3 + 7 : 0;
            if (seek) {
                ASSERT_TRUE(lib.ChannelSetPosition(h, from * 2 * sizeof(float)));
            }
            const std::vector<float> got = DecodeAll(lib, h);
            lib.StreamFree(h);
            ASSERT_EQ(got.size(), 2 * (frames - from)) << name.toStdString() << " from " << from;
            std::size_t differ = 0;
            for (std::size_t f = 0; f < frames - from; ++f) {
                for (std::size_t side = 0; side < 2; ++side) {
                    const float ref = want[(from + f) * chans + std::min(side, chans - 1)];
                    differ += std::fabs(got[2 * f + side] - ref) > 1e-6f ? 1 : 0;
                }
            }
            EXPECT_EQ(differ, 0u) << name.toStdString() << " from " << from;
        }
    }
}

// Musepack 8 files tell their exact sample count in the stream header; the container's own
// duration would be cut to whole groups of 1.67 s.
TEST(FormatMusepackTest, LengthIsTheHeadersSampleCount)
{
    TestProfile profile;
    CAudioLib lib;
    for (const double seconds : {2.5, 4.0}) {
        const QString path = profile.File(QString("tone%1.mpc").arg(seconds));
        ASSERT_TRUE(fixture::MakeTone(path, fixture::Tone{seconds, 440.0, 0.5, 2, 44100}));
        const HCHANNEL h = lib.StreamCreateFile(path, true);
        ASSERT_NE(h, 0u);
        EXPECT_NEAR(lib.ChannelBytes2Seconds(h, lib.ChannelGetLength(h)), seconds, 0.001);
        lib.StreamFree(h);
    }
}
