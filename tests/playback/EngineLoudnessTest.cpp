// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Loudness levelling through the engine and the real audio layer, measured on the samples that
// SDL's disk driver writes: the level each mode gives a tagged file, clipping prevention, and
// a seam between two tracks of one album.
#include "AudioFixture.h"
#include "CLoudnessMeter.h"
#include "DiskEngine.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>

#include <gtest/gtest.h>

namespace {

constexpr int kRate = 44100;

double Db(double ratio)
{
    return 20.0 * std::log10(ratio);
}

class EngineLoudness : public ::testing::Test, protected DiskEngine {
protected:
    QString TaggedTone(const QString& name, double amplitude, double seconds,
        const QMap<QString, QString>& tags)
    {
        const QString path = m_dir.File(name);
        EXPECT_TRUE(fixture::MakeTone(path, { seconds, 1000.0, amplitude, 2, kRate }));
        if (!tags.isEmpty()) {
            EXPECT_TRUE(fixture::WriteTags(path, tags));
        }
        return path;
    }
    // Plays the files one after the other to their end and returns the left channel heard.
    std::vector<float> PlayThrough(const QString& first, const QStringList& then)
    {
        m_target.answers.assign(then.begin(), then.end());
        m_target.answers.push_back(QString());
        EXPECT_TRUE(m_engine->PlayFile(first));
        const std::size_t ends = static_cast<std::size_t>(then.size()) + 1;
        EXPECT_TRUE(EngineTarget::PumpUntil(
            [&] { return m_target.Of(UWM_PLAYERTRACKEND).size() == ends; }, 20000));
        Finish();
        QFile file(m_out);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        const auto* s = reinterpret_cast<const float*>(bytes.constData());
        std::vector<float> left(static_cast<std::size_t>(bytes.size()) / (2 * sizeof(float)));
        for (std::size_t i = 0; i < left.size(); ++i)
            left[i] = s[2 * i];
        return left;
    }
    // The file as the layer decodes it (left channel), with no gain.
    static std::vector<float> Decoded(const QString& path)
    {
        CAudioLib layer;
        const HCHANNEL channel = layer.StreamCreateFile(path, true);
        EXPECT_NE(channel, 0u);
        std::vector<float> left;
        std::vector<float> block(4096);
        while (const std::size_t n = layer.ChannelGetData(channel, block))
            for (std::size_t i = 0; i < n; i += 2)
                left.push_back(block[i]);
        layer.Free();
        return left;
    }
    // RMS of the steady middle of the first sound: the first and last tenth second are left
    // out, so neither the start nor the end of the tone counts.
    static double SteadyRms(const std::vector<float>& left)
    {
        std::size_t first = 0;
        while (first < left.size() && left[first] == 0.0f)
            ++first;
        const std::size_t from = first + kRate / 10;
        const std::size_t to = std::min(left.size(), first + kRate - kRate / 10);
        double sum = 0.0;
        for (std::size_t i = from; i < to; ++i)
            sum += static_cast<double>(left[i]) * left[i];
        return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
    }
};

struct LevelCase {
    const char* name;
    ReplayGainMode mode;
    bool albumOrder;
    double preampDb;
    double untaggedDb;
    const char* trackGain; // null: no tag
    const char* albumGain;
    double expectedDb;
};

// A quiet tone (peak 0.1, tagged so) leaves room for the largest boost without touching full
// scale, so the level is the gain's alone.
const LevelCase kLevels[] = {
    { "TrackCut", ReplayGainMode::Track, false, 0.0, 0.0, "-12.00 dB", "-3.00 dB", -12.0 },
    { "TrackBoost", ReplayGainMode::Track, false, 0.0, 0.0, "+9.00 dB", "-3.00 dB", 9.0 },
    { "AlbumCut", ReplayGainMode::Album, false, 0.0, 0.0, "+4.00 dB", "-7.30 dB", -7.3 },
    { "AlbumFallsBackToTrack", ReplayGainMode::Album, false, 0.0, 0.0, "+2.50 dB", nullptr, 2.5 },
    { "AutoInAlbumOrder", ReplayGainMode::Auto, true, 0.0, 0.0, "+4.00 dB", "-7.30 dB", -7.3 },
    { "AutoShuffled", ReplayGainMode::Auto, false, 0.0, 0.0, "+4.00 dB", "-7.30 dB", 4.0 },
    { "PreampAddsToTagged", ReplayGainMode::Track, false, 3.0, -9.0, "-6.00 dB", nullptr, -3.0 },
    { "UntaggedGain", ReplayGainMode::Track, false, 3.0, -4.5, nullptr, nullptr, -4.5 },
    { "Off", ReplayGainMode::Off, false, 6.0, 6.0, "-12.00 dB", "-12.00 dB", 0.0 },
};

void PrintTo(const LevelCase& c, std::ostream* os)
{
    *os << c.name;
}

class EngineLoudnessLevels : public EngineLoudness,
                             public ::testing::WithParamInterface<LevelCase> {};

TEST_P(EngineLoudnessLevels, OutputLevelMatchesTheGain)
{
    const LevelCase& c = GetParam();
    QMap<QString, QString> tags;
    if (c.trackGain)
        tags.insert("REPLAYGAIN_TRACK_GAIN", c.trackGain);
    if (c.albumGain)
        tags.insert("REPLAYGAIN_ALBUM_GAIN", c.albumGain);
    if (c.trackGain || c.albumGain) {
        tags.insert("REPLAYGAIN_TRACK_PEAK", "0.1");
        tags.insert("REPLAYGAIN_ALBUM_PEAK", "0.1");
    }
    const QString path = TaggedTone("level.flac", 0.1, 1.0, tags);
    const double sourceRms = SteadyRms(Decoded(path));
    m_engine->SetLoudness({ c.mode, c.preampDb, c.untaggedDb, true });
    m_engine->SetAlbumOrder(c.albumOrder);
    const double heardRms = SteadyRms(PlayThrough(path, {}));
    ASSERT_GT(sourceRms, 0.0);
    EXPECT_NEAR(Db(heardRms / sourceRms), c.expectedDb, 0.05);
}

INSTANTIATE_TEST_SUITE_P(, EngineLoudnessLevels, ::testing::ValuesIn(kLevels),
    [](const ::testing::TestParamInfo<LevelCase>& p) { return std::string(p.param.name); });

struct ClipCase {
    const char* name;
    const char* peak; // null: the file states none, and the limiter guards
};

const ClipCase kClipCases[] = { { "FromThePeak", "0.5" }, { "ByTheLimiter", nullptr } };

void PrintTo(const ClipCase& c, std::ostream* os)
{
    *os << c.name;
}

class EngineClipping : public EngineLoudness, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(EngineClipping, ABoostNeverGoesAboveFullScale)
{
    // +9 dB on a tone peaking at half scale asks for 1.41.
    QMap<QString, QString> tags { { "REPLAYGAIN_TRACK_GAIN", "+9.00 dB" } };
    if (GetParam().peak)
        tags.insert("REPLAYGAIN_TRACK_PEAK", GetParam().peak);
    const QString path = TaggedTone("loud.flac", 0.5, 1.0, tags);
    m_engine->SetLoudness({ ReplayGainMode::Track, 0.0, 0.0, true });
    const std::vector<float> left = PlayThrough(path, {});
    float peak = 0.0f;
    for (const float sample : left)
        peak = std::max(peak, std::fabs(sample));
    EXPECT_LE(peak, 1.0f);
    // Held at full scale, not far below it: the boost still happened.
    EXPECT_GT(peak, 0.95f);
}

INSTANTIATE_TEST_SUITE_P(, EngineClipping, ::testing::ValuesIn(kClipCases),
    [](const ::testing::TestParamInfo<ClipCase>& p) { return std::string(p.param.name); });

TEST_F(EngineLoudness, TracksOfOneAlbumMeetSampleExactInAlbumMode)
{
    // The track gains differ; the album gain, which Album mode plays, is the same.
    const QString a = TaggedTone("a.flac", 0.4, 1.0,
        { { "REPLAYGAIN_TRACK_GAIN", "-2.00 dB" }, { "REPLAYGAIN_ALBUM_GAIN", "-4.00 dB" },
            { "REPLAYGAIN_ALBUM_PEAK", "0.6" } });
    const QString b = TaggedTone("b.flac", 0.6, 1.0,
        { { "REPLAYGAIN_TRACK_GAIN", "-6.00 dB" }, { "REPLAYGAIN_ALBUM_GAIN", "-4.00 dB" },
            { "REPLAYGAIN_ALBUM_PEAK", "0.6" } });
    m_engine->SetLoudness({ ReplayGainMode::Album, 0.0, 0.0, true });
    const float gain = ChooseLoudnessGain({ -2.0, -4.0, std::nullopt, 0.6 },
        { ReplayGainMode::Album, 0.0, 0.0, true }, false).linear;

    std::vector<float> expected = Decoded(a);
    const std::vector<float> second = Decoded(b);
    expected.insert(expected.end(), second.begin(), second.end());
    for (float& sample : expected)
        sample *= gain;
    const std::vector<float> heard = PlayThrough(a, { b });

    // Both start with the sine's zero; the first sound lines them up.
    const auto firstSound = [](const std::vector<float>& v) {
        return static_cast<std::size_t>(
            std::find_if(v.begin(), v.end(), [](float s) { return s != 0.0f; }) - v.begin());
    };
    const std::size_t at = firstSound(heard);
    const std::size_t from = firstSound(expected);
    ASSERT_GE(heard.size() - at, expected.size() - from);
    std::size_t mismatches = 0;
    std::size_t firstMismatch = 0;
    for (std::size_t i = 0; from + i < expected.size(); ++i)
        if (heard[at + i] != expected[from + i] && mismatches++ == 0)
            firstMismatch = i;
    EXPECT_EQ(mismatches, 0u) << "first at frame " << firstMismatch << " of "
                              << expected.size() - from;
}

TEST_F(EngineLoudness, AMeasuredFilePlaysAsLoudAsATaggedOne)
{
    // A 1 kHz sine of peak a in both channels measures 20 log10(a) LUFS, so the tagger's gain
    // toward -18 LUFS for peak 0.5 is -11.98 dB. The quiet one carries no gain at all.
    const QString tagged = TaggedTone("tagged.flac", 0.5, 3.0,
        { { "REPLAYGAIN_TRACK_GAIN", "-11.98 dB" }, { "REPLAYGAIN_TRACK_PEAK", "0.5" } });
    const QString untagged = TaggedTone("untagged.flac", 0.1, 3.0, {});
    const std::vector<CLoudnessMeter::Result> measured
        = CLoudnessMeter::Measure({ { untagged, QString() } }, nullptr);
    ASSERT_EQ(measured.size(), 1u);
    ASSERT_TRUE(measured[0].measured);
    m_engine->SetStoredGains(untagged, measured[0].gains);
    m_engine->SetLoudness({ ReplayGainMode::Track, 0.0, 0.0, true });
    const std::vector<float> heard = PlayThrough(tagged, { untagged });
    // The two tones follow each other; each one's steady middle is measured.
    std::size_t first = 0;
    while (first < heard.size() && heard[first] == 0.0f)
        ++first;
    const std::vector<float> one(heard.begin() + static_cast<std::ptrdiff_t>(first),
        heard.begin() + static_cast<std::ptrdiff_t>(std::min(heard.size(), first + 3 * kRate)));
    const std::vector<float> two(
        heard.begin() + static_cast<std::ptrdiff_t>(std::min(heard.size(), first + 3 * kRate)),
        heard.end());
    EXPECT_NEAR(Db(SteadyRms(two) / SteadyRms(one)), 0.0, 0.5);
}

TEST(LoudnessMeter, AnAlbumIsMeasuredAsOneAndItsPeakIsItsLoudestTracks)
{
    TestProfile dir;
    const QString loud = dir.File("loud.flac");
    const QString quiet = dir.File("quiet.flac");
    const QString alone = dir.File("alone.flac");
    const QString broken = dir.File("broken.flac");
    ASSERT_TRUE(fixture::MakeTone(loud, { 3.0, 1000.0, 0.5, 2, kRate }));
    ASSERT_TRUE(fixture::MakeTone(quiet, { 3.0, 1000.0, 0.125, 2, kRate }));
    ASSERT_TRUE(fixture::MakeTone(alone, { 3.0, 1000.0, 0.25, 2, kRate }));
    dir.Write("broken.flac", "not audio at all");
    int calls = 0;
    const auto results = CLoudnessMeter::Measure(
        { { loud, "A" }, { alone, QString() }, { quiet, "A" }, { broken, "A" } },
        [&](int done) { return done == ++calls; });
    EXPECT_EQ(calls, 4);
    ASSERT_EQ(results.size(), 4u);
    // -18 LUFS less the sine's 20 log10(peak).
    EXPECT_NEAR(results[0].gains.trackGain.value_or(99), -18.0 + 6.02, 0.1);
    EXPECT_NEAR(results[1].gains.trackGain.value_or(99), -18.0 + 12.04, 0.1);
    EXPECT_NEAR(results[2].gains.trackGain.value_or(99), -18.0 + 18.06, 0.1);
    EXPECT_NEAR(results[0].gains.trackPeak.value_or(0), 0.5, 0.01);
    // The album's energy is mostly the loud track's: its gain lies between the two, nearer
    // the loud one, and both tracks carry it with the loud track's peak.
    ASSERT_TRUE(results[0].gains.albumGain && results[2].gains.albumGain);
    EXPECT_EQ(*results[0].gains.albumGain, *results[2].gains.albumGain);
    EXPECT_GT(*results[0].gains.albumGain, -18.0 + 6.02);
    EXPECT_LT(*results[0].gains.albumGain, -18.0 + 9.0);
    EXPECT_NEAR(results[2].gains.albumPeak.value_or(0), 0.5, 0.01);
    EXPECT_FALSE(results[1].gains.albumGain);
    EXPECT_FALSE(results[3].measured);
    EXPECT_FALSE(results[3].gains.trackGain);

    // Stopping after the first track leaves the rest unmeasured.
    const auto stopped = CLoudnessMeter::Measure({ { loud, "" }, { quiet, "" } },
        [](int) { return false; });
    EXPECT_TRUE(stopped[0].measured);
    EXPECT_FALSE(stopped[1].measured);
}

} // namespace
