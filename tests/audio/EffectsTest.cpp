// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioFixture.h"
#include "AudioTestUtil.h"
#include "CAudioLib.h"
#include "CRingBuffer.h"
#include "TestProfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace audiotest;

namespace {

constexpr float kBandCentres[10] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};

class EffectsTest : public testing::Test {
protected:
    QString Tone(double frequency, double amplitude = 0.1, double seconds = 1.0)
    {
        const QString path = m_profile.File(QStringLiteral("tone%1.flac").arg(frequency));
        EXPECT_TRUE(fixture::MakeTone(path, fixture::Tone{seconds, frequency, amplitude, 2, 44100}));
        return path;
    }
    // Level of the decoded tone in dB relative to full scale, with the ten-band equalizer
    // (every band flat but band 4) and a preamp.
    double LevelDb(const QString& path, double frequency, float band4Db, float preamp = 1.0f)
    {
        const HCHANNEL h = m_lib.StreamCreateFile(path, true);
        EXPECT_NE(h, 0u);
        const HFX pre = m_lib.ChannelSetFxVolume(h, 0);
        const HFX eq = m_lib.ChannelSetFxPeakEq(h, 1);
        EXPECT_TRUE(m_lib.FxSetVolume(pre, preamp));
        for (int band = 0; band < 10; ++band)
            EXPECT_TRUE(m_lib.FxSetPeakEq(eq, PeakEqBand{band, 1.0f, kBandCentres[band],
                                                  band == 4 ? band4Db : 0.0f}));
        const std::vector<float> all = DecodeAll(m_lib, h);
        m_lib.StreamFree(h);
        return 20.0 * std::log10(ToneAmplitude(Frames(all, 4410, 35280), 0, frequency));
    }

    TestProfile m_profile;
    CAudioLib m_lib;
};

} // namespace

TEST_F(EffectsTest, TwelveDecibelsOnTheOneKilohertzBandRaiseOnlyThatBand)
{
    for (const double f : {100.0, 1000.0, 10000.0}) {
        const QString path = Tone(f);
        const double flat = LevelDb(path, f, 0.0f);
        const double boosted = LevelDb(path, f, 12.0f);
        if (f == 1000.0)
            EXPECT_NEAR(boosted - flat, 12.0, 0.5);
        else
            EXPECT_LT(std::fabs(boosted - flat), 1.0) << f << " Hz";
    }
    const QString path = Tone(1000.0);
    EXPECT_NEAR(LevelDb(path, 1000.0, 0.0f, 0.5f) - LevelDb(path, 1000.0, 0.0f), -6.02, 0.05);
}

TEST_F(EffectsTest, AGainChangeWhilePlayingGlidesWithoutAJump)
{
    const HCHANNEL h = m_lib.StreamCreateFile(Tone(1000.0, 0.1), true);
    const HFX eq = m_lib.ChannelSetFxPeakEq(h, 1);
    ASSERT_TRUE(m_lib.FxSetPeakEq(eq, PeakEqBand{4, 1.0f, 1000.0f, 0.0f}));
    std::vector<float> block(2 * 11025);
    ASSERT_EQ(m_lib.ChannelGetData(h, block), block.size());
    const float lastBefore = block[block.size() - 2];
    ASSERT_TRUE(m_lib.FxSetPeakEq(eq, PeakEqBand{4, 1.0f, 1000.0f, 12.0f}));
    ASSERT_EQ(m_lib.ChannelGetData(h, block), block.size());
    // The steepest step of a 1 kHz sine of peak 0.4 is 0.057 per sample.
    float steepest = std::fabs(block[0] - lastBefore);
    for (std::size_t i = 2; i < block.size(); i += 2)
        steepest = std::max(steepest, std::fabs(block[i] - block[i - 2]));
    EXPECT_LT(steepest, 0.065f);
    EXPECT_NEAR(ToneAmplitude(Frames(block, 4410, 4410), 0, 1000.0), 0.4, 0.02);
    ASSERT_TRUE(m_lib.ChannelRemoveFx(h, eq));
    EXPECT_FALSE(m_lib.FxSetPeakEq(eq, PeakEqBand{4, 1.0f, 1000.0f, 0.0f}));
    EXPECT_EQ(m_lib.ErrorGetCode(), AudioError::Handle);
}

TEST_F(EffectsTest, FftPeaksAtTheSinesBin)
{
    const HCHANNEL h = m_lib.StreamCreateFile(Tone(1000.0, 1.0), true);
    std::vector<float> block(2 * 8192);
    ASSERT_EQ(m_lib.ChannelGetData(h, block), block.size());
    std::array<float, kFftBins> bins{};
    ASSERT_TRUE(m_lib.ChannelGetFft(h, bins));
    const auto peak = std::max_element(bins.begin(), bins.end()) - bins.begin();
    EXPECT_NEAR(static_cast<double>(peak), 1000.0 * 2048.0 / 44100.0, 1.0);
    EXPECT_NEAR(bins[static_cast<std::size_t>(peak)], 0.5, 0.1);
    EXPECT_LT(bins[200], 0.01f);
    for (float b : bins)
        EXPECT_LE(b, 1.0f);
}

TEST(RingBufferTest, CarriesEverySampleInOrderAcrossThreads)
{
    CRingBuffer ring(1000);
    constexpr std::size_t kTotal = 1000000;
    std::thread producer([&] {
        std::vector<float> chunk(333);
        std::size_t next = 0;
        while (next < kTotal) {
            const std::size_t n = std::min(chunk.size(), kTotal - next);
            for (std::size_t i = 0; i < n; ++i)
                chunk[i] = static_cast<float>(next + i);
            std::size_t done = 0;
            while (done < n)
                done += ring.Write(std::span<const float>(chunk).subspan(done, n - done));
            next += n;
        }
    });
    std::vector<float> got(257);
    std::size_t expected = 0;
    bool inOrder = true;
    while (expected < kTotal) {
        const std::size_t n = ring.Read(got);
        for (std::size_t i = 0; i < n; ++i)
            inOrder = inOrder && got[i] == static_cast<float>(expected + i);
        expected += n;
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(ring.Available(), 0u);
    EXPECT_EQ(ring.FreeSpace(), 1000u);
}
