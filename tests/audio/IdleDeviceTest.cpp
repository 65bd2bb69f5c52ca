// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The output device of an idle layer: closed once nothing has played for the idle time, kept
// over a short pause, and opened again by the next channel with its fade-in whole. Played on
// SDL's disk writer in real time (a buffer every 23 ms), as a sound card would take it.
#include "AudioFixture.h"
#include "AudioTestUtil.h"
#include "CAudioLib.h"
#include "TestProfile.h"

#include <gtest/gtest.h>

using namespace audiotest;

namespace {

constexpr double kAmp = 0.5;

class IdleDeviceTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_output = m_profile.File("out.raw");
        UseDiskOutput(m_output);
        qputenv("SDL_DISKAUDIODELAY", "23");
        m_tone = m_profile.File("tone.flac");
        ASSERT_TRUE(fixture::MakeTone(m_tone, fixture::Tone{1.0, 1000.0, kAmp, 2, 44100}));
    }
    void TearDown() override { qputenv("SDL_DISKAUDIODELAY", "0"); }

    // Plays the tone from its start to its end at full volume.
    void PlayToEnd(CAudioLib& lib)
    {
        const HCHANNEL h = lib.StreamCreateFile(m_tone);
        ASSERT_NE(h, 0u);
        std::atomic<int> ends{0};
        lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
        ASSERT_TRUE(lib.ChannelPlay(h));
        ASSERT_TRUE(WaitFor([&] { return ends.load() == 1; }));
        lib.StreamFree(h);
    }

    TestProfile m_profile;
    QString m_output;
    QString m_tone;
};

} // namespace

TEST_F(IdleDeviceTest, AnIdleDeviceClosesAndTheNextPlayOpensItWithTheFadeIn)
{
    CAudioLib lib;
    lib.SetIdleCloseMs(200);
    ASSERT_TRUE(lib.Init(44100));
    PlayToEnd(lib);
    ASSERT_TRUE(WaitFor([&] { return !lib.IsDeviceOpen(); }));
    EXPECT_EQ(lib.IdleCloses(), 1);

    // The disk writer starts its file again when the device opens: what it holds now is
    // what the reopened device played.
    const HCHANNEL h = lib.StreamCreateFile(m_tone);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(lib.IsDeviceOpen());
    std::atomic<int> ends{0};
    lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
    ASSERT_TRUE(lib.ChannelSetVolume(h, 0.0f));
    ASSERT_TRUE(lib.ChannelSlideVolume(h, 1.0f, 500));
    ASSERT_TRUE(lib.ChannelPlay(h));
    ASSERT_TRUE(WaitFor([&] { return ends.load() == 1; }));
    lib.Free();

    const std::vector<float> out = ReadDiskOutput(m_output);
    // The first frames are silent or nearly, the middle of the fade is at half, and the fade
    // has reached the tone's level after it.
    long long start = 0;
    while (2 * static_cast<std::size_t>(start) < out.size() && out[2 * start] == 0.0f)
        ++start;
    ASSERT_LT(2 * static_cast<std::size_t>(start) + 2 * 44100, out.size());
    const auto from = static_cast<std::size_t>(start);
    EXPECT_LT(ToneAmplitude(Frames(out, from, 441), 0, 1000.0), 0.02);
    EXPECT_NEAR(ToneAmplitude(Frames(out, from + 11025 - 220, 441), 0, 1000.0), kAmp / 2, 0.02);
    EXPECT_NEAR(ToneAmplitude(Frames(out, from + 33075, 441), 0, 1000.0), kAmp, 0.02);
}

TEST_F(IdleDeviceTest, APauseShorterThanTheIdleTimeKeepsTheDevice)
{
    CAudioLib lib;
    ASSERT_TRUE(lib.Init(44100));
    const HCHANNEL h = lib.StreamCreateFile(m_tone);
    ASSERT_NE(h, 0u);
    std::atomic<int> slides{0};
    std::atomic<int> ends{0};
    lib.ChannelSetSync(h, SyncType::SlideMixTime, &CountSync, &slides);
    lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
    ASSERT_TRUE(lib.ChannelPlay(h));
    ASSERT_TRUE(lib.ChannelSlideVolume(h, -1.0f, 100));
    ASSERT_TRUE(WaitFor([&] { return slides.load() == 1; }));
    ASSERT_TRUE(lib.ChannelSetVolume(h, 1.0f));
    ASSERT_TRUE(lib.ChannelPlay(h));
    ASSERT_TRUE(WaitFor([&] { return ends.load() == 1; }));
    EXPECT_TRUE(lib.IsDeviceOpen());
    EXPECT_EQ(lib.IdleCloses(), 0);
}
