// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The layer is called from the user-interface thread, sync callbacks on the mixer, the
// stream-connection worker and the library-update worker at once.
#include "AudioFixture.h"
#include "AudioTestUtil.h"
#include "CAudioLib.h"
#include "LoopbackServer.h"
#include "TestProfile.h"

#include <QFile>

#include <gtest/gtest.h>

#include <random>
#include <thread>

using namespace audiotest;

namespace {

struct Relay {
    CAudioLib* lib = nullptr;
    QString file;
    std::atomic<int> remaining{0};
    std::atomic<int> ends{0};
};

// An end-of-track chain on the mixer: free the ended channel, start the next one.
void Relay_(HSYNC, HCHANNEL ended, void* user)
{
    auto* relay = static_cast<Relay*>(user);
    relay->ends.fetch_add(1);
    relay->lib->StreamFree(ended);
    if (relay->remaining.fetch_sub(1) <= 0)
        return;
    const HCHANNEL h = relay->lib->StreamCreateFile(relay->file);
    relay->lib->ChannelSetSync(h, SyncType::End, &Relay_, relay);
    const HFX eq = relay->lib->ChannelSetFxPeakEq(h, 1);
    relay->lib->FxSetPeakEq(eq, PeakEqBand{4, 1.0f, 1000.0f, 6.0f});
    relay->lib->ChannelPlay(h);
}

} // namespace

TEST(ConcurrencyTest, CallsFromEveryKindOfThreadAtOnceNeitherCrashNorHang)
{
    TestProfile profile;
    const QString shortFile = profile.File("short.flac");
    const QString longFile = profile.File("long.mp3");
    ASSERT_TRUE(fixture::MakeTone(shortFile, fixture::Tone{0.2, 1000.0, 0.3, 2, 44100}));
    ASSERT_TRUE(fixture::MakeTone(longFile, fixture::Tone{3.0, 440.0, 0.3, 1, 44100}));
    QFile f(longFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    LoopbackServer server;
    server.Add("/radio", {"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n" + f.readAll()});
    ASSERT_TRUE(server.Start());

    UseDiskOutput(profile.File("out.raw"));
    CAudioLib lib;
    ASSERT_TRUE(lib.Init(44100));

    Relay relay;
    relay.lib = &lib;
    relay.file = shortFile;
    relay.remaining = 30;
    const HCHANNEL first = lib.StreamCreateFile(shortFile);
    lib.ChannelSetSync(first, SyncType::End, &Relay_, &relay);
    ASSERT_TRUE(lib.ChannelPlay(first));

    std::atomic<bool> stop{false};
    std::thread ui([&] {
        std::mt19937 rng(1);
        while (!stop.load()) {
            const HCHANNEL h = lib.StreamCreateFile(longFile);
            lib.ChannelSetVolume(h, 0.5f);
            lib.ChannelPlay(h);
            lib.ChannelSetPosition(h, (rng() % 100000) * 8);
            lib.ChannelSlideVolume(h, -1.0f, 20);
            std::array<float, kFftBins> bins{};
            lib.ChannelGetFft(h, bins);
            lib.ChannelGetPosition(h);
            std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 5));
            lib.StreamFree(h);
        }
    });
    std::thread library([&] {
        while (!stop.load()) {
            const HCHANNEL h = lib.StreamCreateFile(longFile, true);
            ChannelInfo info;
            lib.ChannelGetInfo(h, info);
            lib.ChannelBytes2Seconds(h, lib.ChannelGetLength(h));
            lib.StreamFree(h);
        }
    });
    std::thread connector([&] {
        while (!stop.load()) {
            const HCHANNEL h = lib.StreamCreateURL(server.Url("/radio"));
            lib.ChannelPlay(h);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            lib.ChannelGetMeta(h);
            lib.StreamFree(h);
        }
    });
    EXPECT_TRUE(WaitFor([&] { return relay.ends.load() >= 31; }, std::chrono::seconds(60)));
    stop.store(true);
    ui.join();
    library.join();
    connector.join();
    lib.Free();
    EXPECT_EQ(lib.ChannelGetPosition(first), kUnknownLength);
}
