// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Playback through SDL's disk writer: the file it writes is exactly what was mixed.
#include "AudioFixture.h"
#include "AudioTestUtil.h"
#include "CAudioLib.h"
#include "TestProfile.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>

using namespace audiotest;

namespace {

constexpr double kAmp = 0.5;

// The fixture sine: 1 kHz, phase 0 at frame 0.
double Reference(long long frame)
{
    return kAmp * std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(frame) / 44100.0);
}

// Largest difference between out[from..from+count) and the reference from refFrame on.
double MaxDeviation(const std::vector<float>& out, long long from, long long refFrame, long long count)
{
    double worst = 0.0;
    for (long long i = 0; i < count; ++i) {
        const std::size_t k = static_cast<std::size_t>(2 * (from + i));
        if (k + 1 >= out.size())
            return 1.0;
        worst = std::max({worst, std::fabs(out[k] - Reference(refFrame + i)),
            std::fabs(out[k + 1] - Reference(refFrame + i))});
    }
    return worst;
}

class PlaybackTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_output = m_profile.File("out.raw");
        UseDiskOutput(m_output);
    }
    QString Tone(const QString& name, double seconds)
    {
        const QString path = m_profile.File(name);
        EXPECT_TRUE(fixture::MakeTone(path, fixture::Tone{seconds, 1000.0, kAmp, 2, 44100}));
        return path;
    }

    // What the disk writer has written so far, in bytes (8 a frame).
    qint64 OutputBytes() const { return QFileInfo(m_output).size(); }

    TestProfile m_profile;
    QString m_output;
};

// Queues the next file from the DecodeEnd sync of the one playing, as the engine does.
struct Chain {
    CAudioLib* lib = nullptr;
    QString next;
    bool freeBeforeEnd = false; // the queued channel is cancelled again at once
    std::atomic<HCHANNEL> queued{0};
    std::atomic<int> ends{0};
};

void QueueNext(HSYNC, HCHANNEL playing, void* user)
{
    auto* chain = static_cast<Chain*>(user);
    if (chain->queued.load() != 0)
        return;
    const HCHANNEL h = chain->lib->StreamCreateFile(chain->next);
    chain->lib->ChannelSetSync(h, SyncType::End, &CountSync, &chain->ends);
    EXPECT_TRUE(chain->lib->ChannelSetNext(playing, h));
    if (chain->freeBeforeEnd)
        chain->lib->StreamFree(h);
    chain->queued.store(h);
}

} // namespace

TEST_F(PlaybackTest, SlideToHaltKeepsThePositionAndPlayContinuesFromIt)
{
    // Played in real time: the slide must begin within the first 1.5 s of audio, which a
    // renderer running far ahead of this thread would not guarantee.
    qputenv("SDL_DISKAUDIODELAY", "23");
    const QString path = Tone("tone.flac", 2.0);
    CAudioLib lib;
    ASSERT_TRUE(lib.Init(44100));
    const HCHANNEL h = lib.StreamCreateFile(path);
    ASSERT_NE(h, 0u);
    std::atomic<int> slides{0};
    std::atomic<int> ends{0};
    lib.ChannelSetSync(h, SyncType::SlideMixTime, &CountSync, &slides);
    lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
    ASSERT_TRUE(lib.ChannelPlay(h));
    ASSERT_TRUE(lib.ChannelSlideVolume(h, -1.0f, 500));
    ASSERT_TRUE(WaitFor([&] { return slides.load() == 1; }));
    EXPECT_FALSE(lib.ChannelIsPlaying(h));
    EXPECT_FLOAT_EQ(lib.ChannelGetVolume(h), 0.0f);
    const std::uint64_t halted = lib.ChannelGetPosition(h);
    EXPECT_GE(halted, 22050u * 8);
    EXPECT_LT(halted, 88200u * 8);
    // The device goes on mixing a tenth of a second after the halt; the channel stays put.
    const qint64 mixed = OutputBytes();
    ASSERT_TRUE(WaitFor([&] { return OutputBytes() >= mixed + 4410 * 8; }));
    EXPECT_EQ(lib.ChannelGetPosition(h), halted);

    ASSERT_TRUE(lib.ChannelSetVolume(h, 1.0f));
    ASSERT_TRUE(lib.ChannelPlay(h));
    ASSERT_TRUE(WaitFor([&] { return ends.load() == 1; }));
    EXPECT_EQ(slides.load(), 1);
    lib.Free();

    const std::vector<float> out = ReadDiskOutput(m_output);
    const long long haltFrame = static_cast<long long>(halted / 8);
    // A real-time device plays silence before the first ChannelPlay; the sine starts on a zero.
    const long long start = FirstLoud(out, 0.05f) - 1;
    ASSERT_GE(start, 0);
    const long long haltAt = start + haltFrame;
    // The fade is linear over 500 ms and ends in silence at the halt.
    const auto fadeEnd = Frames(out, static_cast<std::size_t>(haltAt - 441), 441);
    EXPECT_LT(ToneAmplitude(fadeEnd, 0, 1000.0), 0.02);
    const auto fadeMiddle = Frames(out, static_cast<std::size_t>(haltAt - 11025 - 220), 441);
    EXPECT_NEAR(ToneAmplitude(fadeMiddle, 0, 1000.0), kAmp / 2, 0.02);
    // After the halt the device played silence; the rest of the track follows sample for
    // sample from the halted frame.
    const long long resumed = FirstLoud(Frames(out, static_cast<std::size_t>(haltAt) + 1,
                                            out.size()), 0.05f) + haltAt + 1;
    const long long resumedFrom = resumed - 2; // the sine's first loud frames after a crossing
    long long best = -1;
    for (long long at = resumedFrom - 4; at <= resumedFrom + 4 && best < 0; ++at)
        if (MaxDeviation(out, at, haltFrame, 2000) < 1e-3)
            best = at;
    EXPECT_GE(best, 0) << "the resumed audio does not continue from the halted frame";
    const long long lastLoud = LastLoud(out, 0.05f);
    EXPECT_NEAR(static_cast<double>(lastLoud - best), static_cast<double>(88200 - haltFrame), 4.0);
    qputenv("SDL_DISKAUDIODELAY", "0");
}

// On a device paced in real time, so the mixer has no chance to wait for anything.
TEST_F(PlaybackTest, AQueuedFileStartsAtTheFrameAfterTheLastOneAndACancelledOneIsNeverHeard)
{
    qputenv("SDL_DISKAUDIODELAY", "23");
    for (const bool cancel : {false, true}) {
        QFile::remove(m_output);
        const QString first = Tone("first.flac", 1.0);
        const QString second = Tone("second.flac", 1.0);
        CAudioLib lib;
        ASSERT_TRUE(lib.Init(44100));
        Chain chain;
        chain.lib = &lib;
        chain.next = second;
        chain.freeBeforeEnd = cancel;
        const HCHANNEL h = lib.StreamCreateFile(first);
        ASSERT_NE(h, 0u);
        lib.ChannelSetSync(h, SyncType::DecodeEnd, &QueueNext, &chain);
        lib.ChannelSetSync(h, SyncType::End, &CountSync, &chain.ends);
        ASSERT_TRUE(lib.ChannelPlay(h));
        ASSERT_TRUE(WaitFor([&] { return chain.ends.load() == (cancel ? 1 : 2); }));
        // What follows the end is silence, with the device paused or not.
        if (cancel) {
            ASSERT_TRUE(WaitFor([&] { return !lib.ChannelIsPlaying(h); }));
        }
        lib.Free();

        // 44100 frames are exactly 1000 periods, so two files joined without a gap are one sine.
        const std::vector<float> out = ReadDiskOutput(m_output);
        const std::span<const float> all(out);
        // The sine starts on a zero sample.
        const long long from = FirstLoud(all, 0.01f) - 1;
        ASSERT_GE(from, 0) << cancel;
        const long long frames = cancel ? 44100 : 88200;
        EXPECT_LT(MaxDeviation(out, from, 0, frames), 1e-3) << cancel;
        EXPECT_EQ(LastLoud(all, 0.01f) - from + 1, frames) << cancel;
    }
    qputenv("SDL_DISKAUDIODELAY", "0");
}

TEST_F(PlaybackTest, FreedChannelsLeaveNoThreadBehind)
{
    // In real time no decoder reaches the end of its file (and ends by itself) during the test.
    qputenv("SDL_DISKAUDIODELAY", "23");
    const QString path = Tone("tone.flac", 30.0);
    CAudioLib lib;
    ASSERT_TRUE(lib.Init(44100));
    const int idle = lib.LiveThreads(); // the event thread
    std::vector<HCHANNEL> channels;
    for (int i = 0; i < 4; ++i) {
        channels.push_back(lib.StreamCreateFile(path));
        ASSERT_TRUE(lib.ChannelPlay(channels.back()));
    }
    EXPECT_EQ(lib.LiveThreads(), idle + 4);
    lib.StreamFree(channels[0]);
    lib.StreamFree(channels[1]);
    // Joined by the event thread, whatever the timing.
    EXPECT_TRUE(WaitFor([&] { return lib.LiveThreads() == idle + 2; }));
    // Free joins the rest before it returns.
    lib.Free();
    EXPECT_EQ(lib.LiveThreads(), idle);
    qputenv("SDL_DISKAUDIODELAY", "0");
}

// A device that runs at 48 kHz (the disk writer names no rate, so the one asked for stands).
TEST_F(PlaybackTest, MixingRunsAtTheDevicesRateAndConvertsOnlyWhatDiffers)
{
    CAudioLib lib;
    ASSERT_TRUE(lib.Init(48000));
    ASSERT_EQ(lib.OutputRate(), 48000);
    struct Case {
        int fileRate;
        int passes;
    };
    for (const Case c : {Case{48000, 0}, Case{44100, 1}}) {
        const QString path = m_profile.File(QString("tone%1.flac").arg(c.fileRate));
        ASSERT_TRUE(fixture::MakeTone(path, fixture::Tone{1.0, 1000.0, 0.1, 2, c.fileRate}));
        const HCHANNEL h = lib.StreamCreateFile(path);
        ASSERT_NE(h, 0u);
        EXPECT_EQ(lib.ChannelResamplePasses(h), c.passes) << c.fileRate;
        // Lengths stay in the mixer's frames and mean the same seconds.
        EXPECT_NEAR(static_cast<double>(lib.ChannelGetLength(h) / 8), 48000.0, 64.0) << c.fileRate;
        EXPECT_NEAR(lib.ChannelBytes2Seconds(h, lib.ChannelGetLength(h)), 1.0, 0.002) << c.fileRate;
        lib.StreamFree(h);
    }
    // The equalizer's 1 kHz band stays on 1 kHz: its coefficients follow the rate.
    const HCHANNEL h = lib.StreamCreateFile(m_profile.File("tone48000.flac"));
    const HFX eq = lib.ChannelSetFxPeakEq(h, 1);
    ASSERT_TRUE(lib.FxSetPeakEq(eq, PeakEqBand{4, 1.0f, 1000.0f, 12.0f}));
    std::atomic<int> ends{0};
    lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
    ASSERT_TRUE(lib.ChannelPlay(h));
    ASSERT_TRUE(WaitFor([&] { return ends.load() == 1; }));
    lib.Free();
    const std::vector<float> out = ReadDiskOutput(m_output);
    const long long first = FirstLoud(out, 0.01f);
    ASSERT_GE(first, 0);
    const auto steady = Frames(out, static_cast<std::size_t>(first) + 9600, 24000);
    EXPECT_NEAR(ZeroCrossingFrequency(steady, 0, 48000.0), 1000.0, 2.0);
    EXPECT_NEAR(20.0 * std::log10(ToneAmplitude(steady, 0, 1000.0, 48000.0) / 0.1), 12.0, 0.5);
}

TEST_F(PlaybackTest, WithoutADeviceChannelsFailUntilADeviceAppears)
{
    const QString path = Tone("tone.flac", 0.5);
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    CAudioLib lib;
    EXPECT_FALSE(lib.Init(44100));
    EXPECT_EQ(lib.StreamCreateFile(path), 0u);
    EXPECT_EQ(lib.ErrorGetCode(), AudioError::Driver);
    // Reading properties needs no device.
    const HCHANNEL props = lib.StreamCreateFile(path, true);
    EXPECT_NE(props, 0u);
    EXPECT_FALSE(lib.ChannelPlay(props));

    UseDiskOutput(m_output);
    const HCHANNEL h = lib.StreamCreateFile(path);
    ASSERT_NE(h, 0u) << static_cast<int>(lib.ErrorGetCode());
    std::atomic<int> ends{0};
    lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
    ASSERT_TRUE(lib.ChannelPlay(h));
    EXPECT_TRUE(WaitFor([&] { return ends.load() == 1; }));
    EXPECT_EQ(lib.ChannelGetPosition(h), 22050u * 8);
}

TEST_F(PlaybackTest, AFileDeletedWhilePlayingPlaysToItsEnd)
{
    const QString path = Tone("gone.flac", 2.0);
    CAudioLib lib;
    ASSERT_TRUE(lib.Init(44100));
    const HCHANNEL h = lib.StreamCreateFile(path);
    ASSERT_NE(h, 0u);
    std::atomic<int> ends{0};
    lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
    ASSERT_TRUE(lib.ChannelPlay(h));
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(WaitFor([&] { return ends.load() == 1; }));
    EXPECT_EQ(lib.ChannelGetPosition(h), lib.ChannelGetLength(h));
    EXPECT_TRUE(lib.StreamFree(h));
    EXPECT_FALSE(lib.StreamFree(h));
    EXPECT_EQ(lib.ErrorGetCode(), AudioError::Handle);
}
