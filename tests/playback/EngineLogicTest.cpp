// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The engine's state machine against the fake layer with its manual clock.
#include "CPlayBass.h"
#include "EngineTarget.h"
#include "FakeAudioLib.h"
#include "TestProfile.h"

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include <gtest/gtest.h>

namespace {

constexpr int kTrackMs = 3000;

class EngineLogic : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"a.mp3", "b.ogg", "c.flac"})
            fake.AddFile(name, kTrackMs);
        engine = std::make_unique<CPlayBass>(fake);
        engine->SetProfileFolder(profile.Path());
        engine->Init(&target);
    }
    void TearDown() override
    {
        // Let any fade run out so the destructor does not wait for one.
        engine->Stop();
        fake.Advance(600);
        engine.reset();
        EXPECT_EQ(fake.LiveCount(), 0);
    }
    float Volume() const { return fake.Get(engine->GetChannel())->volume; }
    // A seek rebuilds the channel on a worker: waits until the new one is set up and playing.
    bool SoughtChannelPlays()
    {
        return EngineTarget::PumpUntil([this] {
            const auto channel = fake.Get(engine->GetChannel());
            return channel.has_value() && channel->playing;
        }, 20000);
    }

    FakeAudioLib fake;
    TestProfile profile;
    EngineTarget target;
    std::unique_ptr<CPlayBass> engine;
};

TEST_F(EngineLogic, PlayStopFadesOutAndFreesOnlyAfterTheFade)
{
    EXPECT_TRUE(fake.InitCalled());
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const HCHANNEL a = engine->GetChannel();
    EXPECT_TRUE(engine->IsPlaying());
    EXPECT_FLOAT_EQ(Volume(), 1.0f); // files start at full volume, no fade-in
    fake.Advance(1500);
    EXPECT_NEAR(engine->GetPosition(), 50000, 400);

    engine->Stop();
    EXPECT_FALSE(engine->IsPlaying());
    // Volume and mute changes must not cut the fade short and keep the channel sounding.
    engine->SetVolume(90000);
    engine->SetMute(false);
    fake.Advance(250);
    ASSERT_TRUE(fake.IsLive(a));
    EXPECT_NEAR(fake.Get(a)->volume, 0.5f, 0.05f);
    EXPECT_GT(engine->GetPosition(), 50000); // still readable during the fade
    fake.Advance(260);
    EXPECT_FALSE(fake.IsLive(a));
    EXPECT_EQ(engine->GetChannel(), 0u);
    EXPECT_EQ(engine->GetPosition(), 0);
}

TEST_F(EngineLogic, FileStartedDuringAStopFadeCutsTheFadeAndSurvivesIt)
{
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const HCHANNEL a = engine->GetChannel();
    engine->Stop();
    fake.Advance(200);
    ASSERT_TRUE(engine->PlayFile("b.ogg"));
    const HCHANNEL b = engine->GetChannel();
    EXPECT_FALSE(fake.IsLive(a));
    fake.Advance(1000); // past the old fade's end: no slide-end may free b
    ASSERT_TRUE(fake.IsLive(b));
    EXPECT_EQ(engine->GetChannel(), b);
    EXPECT_FLOAT_EQ(Volume(), 1.0f);
}

TEST_F(EngineLogic, FailedPlayFileReportsFalse)
{
    EXPECT_FALSE(engine->PlayFile("missing.mp3"));
    EXPECT_FALSE(engine->IsPlaying());
    EXPECT_EQ(engine->GetChannel(), 0u);
}

TEST_F(EngineLogic, PauseHaltsKeepingThePositionAndResumeFadesIn)
{
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    fake.Advance(1000);
    engine->Pause();
    EXPECT_TRUE(engine->IsPaused());
    EXPECT_TRUE(engine->IsPlaying());
    fake.Advance(600);
    const auto halted = fake.Get(engine->GetChannel());
    ASSERT_TRUE(halted);
    EXPECT_FALSE(halted->playing);
    const int kept = engine->GetPosition();
    fake.Advance(1000);
    EXPECT_EQ(engine->GetPosition(), kept);
    // Volume changes while paused wait for Resume instead of un-halting the channel.
    engine->SetVolume(60000);
    EXPECT_FALSE(fake.Get(engine->GetChannel())->playing);

    engine->Resume();
    EXPECT_FALSE(engine->IsPaused());
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    fake.Advance(250);
    EXPECT_NEAR(Volume(), 0.3f, 0.03f);
    fake.Advance(300);
    EXPECT_FLOAT_EQ(Volume(), 0.6f);
    EXPECT_GT(engine->GetPosition(), kept);
}

TEST_F(EngineLogic, SeekRebuildsTheChannelAndFadesIn)
{
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const HCHANNEL a = engine->GetChannel();
    engine->Seek(50000);
    // The reopen runs on a worker that may already have installed the new channel here.
    EXPECT_NE(engine->GetChannel(), a) << "the old channel goes at once";
    EXPECT_FALSE(fake.IsLive(a));
    ASSERT_TRUE(SoughtChannelPlays());
    const HCHANNEL b = engine->GetChannel();
    EXPECT_NE(a, b);
    EXPECT_FALSE(fake.IsLive(a));
    EXPECT_EQ(engine->GetPosition(), 50000);
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    fake.Advance(500);
    EXPECT_FLOAT_EQ(Volume(), 1.0f);
    // A stopped engine does not start sounding on a seek.
    engine->Stop();
    fake.Advance(600);
    engine->Seek(10000);
    EXPECT_EQ(fake.AudibleCount(), 0);
    EXPECT_EQ(fake.LiveCount(), 0);
}

TEST_F(EngineLogic, SeekToTheEndRunsTheEndHandlingAndAnEmptyAnswerEndsPlayback)
{
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    engine->Seek(100000);
    ASSERT_TRUE(SoughtChannelPlays());
    fake.Advance(20);
    EXPECT_EQ(target.nextRequests, 1);
    EXPECT_FALSE(engine->IsPlaying());
    EXPECT_EQ(engine->GetChannel(), 0u);
    EXPECT_EQ(fake.LiveCount(), 0);
    EngineTarget::Pump();
    const auto ends = target.Of(UWM_PLAYERTRACKEND);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].wParam, 0u);
    EXPECT_EQ(ends[0].lParam, 0);
}

TEST_F(EngineLogic, TracksFollowEachOtherAndAFailedNextFileLeavesThePlayingStateWithNoChannel)
{
    target.answers = {"b.ogg", "gone.mp3"};
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const HCHANNEL a = engine->GetChannel();
    fake.Advance(kTrackMs);
    const HCHANNEL b = engine->GetChannel();
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_FALSE(fake.IsLive(a));
    EXPECT_EQ(fake.Get(b)->source, "b.ogg");
    EXPECT_TRUE(fake.Get(b)->playing);
    EXPECT_FLOAT_EQ(Volume(), 1.0f);

    fake.Advance(kTrackMs); // b ends; the next file has vanished
    EXPECT_TRUE(engine->IsPlaying());
    EXPECT_EQ(engine->GetChannel(), 0u);
    EXPECT_EQ(fake.LiveCount(), 0);
    EngineTarget::Pump();
    const auto ends = target.Of(UWM_PLAYERTRACKEND);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0].wParam, 0u);
    EXPECT_EQ(ends[1].wParam, 1u);
    engine->Stop();
    EXPECT_FALSE(engine->IsPlaying());
}

TEST_F(EngineLogic, NextFileStartsUnheardWhilePausedAtTheEnd)
{
    target.answers = {"b.ogg"};
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    target.onNext = [this] { engine->Pause(); };
    fake.FireEnd(engine->GetChannel());
    ASSERT_NE(engine->GetChannel(), 0u);
    EXPECT_FALSE(fake.Get(engine->GetChannel())->playing);
    engine->Resume();
    EXPECT_TRUE(fake.Get(engine->GetChannel())->playing);
}

TEST_F(EngineLogic, TheNextFileRequestIsMadeWithoutTheLockFromTheLayersThread)
{
    target.answers = {"b.ogg"};
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const HCHANNEL a = engine->GetChannel();
    // The main window may call the engine while the request is out; a lock held across the
    // request would deadlock here.
    target.onNext = [this] {
        engine->SetVolume(40000);
        EXPECT_TRUE(engine->IsPlaying());
        EXPECT_EQ(engine->GetPosition(), 100000);
    };
    std::atomic<bool> done{false};
    std::thread layer([&] {
        fake.FireEnd(a);
        done = true;
    });
    const bool finished = EngineTarget::PumpUntil([&] { return done.load(); });
    layer.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(target.nextRequests, 1);
    EXPECT_EQ(fake.Get(engine->GetChannel())->source, "b.ogg");
    EXPECT_FLOAT_EQ(Volume(), 0.4f);
}

TEST_F(EngineLogic, DestructionReleasesAnUnansweredNextFileQuestion)
{
    // The window's thread has taken the question and is stuck before answering it, as one
    // closing down or inside a dialog's loop would be; it answers only after the engine is gone.
    struct Stuck {
        std::mutex mutex;
        std::condition_variable changed;
        bool asked = false;
        bool released = false;
    } stuck;
    QThread window;
    EngineTarget late;
    late.answers = {"b.ogg"};
    late.onNext = [&stuck] {
        std::unique_lock lock(stuck.mutex);
        stuck.asked = true;
        stuck.changed.notify_all();
        stuck.changed.wait(lock, [&stuck] { return stuck.released; });
    };
    late.moveToThread(&window);
    window.start();
    engine.reset();
    engine = std::make_unique<CPlayBass>(fake);
    engine->SetProfileFolder(profile.Path());
    engine->Init(&late);

    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const HCHANNEL a = engine->GetChannel();
    std::atomic<bool> done{false};
    std::thread layer([&] {
        fake.FireEnd(a);
        done = true;
    });
    {
        std::unique_lock lock(stuck.mutex);
        ASSERT_TRUE(stuck.changed.wait_for(lock, std::chrono::seconds(20),
                                           [&stuck] { return stuck.asked; }));
    }
    EXPECT_FALSE(done.load()) << "the end went on without the answer";
    engine.reset();
    layer.join();
    EXPECT_TRUE(done.load());
    EXPECT_EQ(fake.LiveCount(), 0);
    {
        std::lock_guard lock(stuck.mutex);
        stuck.released = true;
        stuck.changed.notify_all();
    }
    // The late answer finds nobody waiting for it: harmless.
    QMetaObject::invokeMethod(&late, [&late] { late.moveToThread(QCoreApplication::instance()->thread()); },
                              Qt::BlockingQueuedConnection);
    window.quit();
    window.wait();
    EXPECT_EQ(late.nextRequests, 1);
    engine = std::make_unique<CPlayBass>(fake);
}

TEST_F(EngineLogic, StopWhileTheNextFileIsAskedForDropsTheAnswer)
{
    target.answers = {"b.ogg"};
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    target.onNext = [this] { engine->Stop(); };
    fake.FireEnd(engine->GetChannel());
    EngineTarget::Pump();
    EXPECT_TRUE(target.Of(UWM_PLAYERTRACKEND).empty());
    EXPECT_FALSE(engine->IsPlaying());
    fake.Advance(600);
    EXPECT_EQ(fake.LiveCount(), 0);
}

TEST_F(EngineLogic, AStreamAsNextEntryConnectsThenEndsPlaybackWhenItBreaks)
{
    target.answers = {"HTTP://radio.example/live"};
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    fake.FireEnd(engine->GetChannel());
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return !target.Of(UWM_PLAYERCONNECT).empty(); }));
    const auto ends = target.Of(UWM_PLAYERTRACKEND);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].lParam, 1);
    EXPECT_EQ(target.Of(UWM_PLAYERCONNECT)[0].wParam, 0u);
    EXPECT_TRUE(engine->IsStream());
    const HCHANNEL s = engine->GetChannel();
    EXPECT_TRUE(fake.Get(s)->playing);
    EXPECT_EQ(engine->GetPosition(), 0); // unknown length
    engine->Seek(50000);                 // streams do not seek
    EXPECT_EQ(engine->GetChannel(), s);

    QString title = "http://radio.example/live", artist, album;
    engine->ReadStreamTitle(title, artist, album); // no metadata yet: the address stays
    EXPECT_EQ(title, "http://radio.example/live");
    fake.FireMeta(s, "StreamTitle='Artist - Song (Live)';StreamUrl='';");
    engine->ReadStreamTitle(title, artist, album);
    EXPECT_EQ(title, "Song");
    EXPECT_EQ(artist, "Artist");
    EXPECT_EQ(album, "Live");
    fake.FireEnd(s);
    EngineTarget::Pump();
    EXPECT_EQ(target.Of(UWM_PLAYERMETA).size(), 1u);
    EXPECT_EQ(target.Of(UWM_PLAYERTRACKEND).size(), 2u);
    EXPECT_FALSE(engine->IsPlaying());
    EXPECT_FALSE(engine->IsStream());
    EXPECT_EQ(fake.LiveCount(), 0);
    EXPECT_EQ(target.nextRequests, 1); // a stream's end asks for nothing
}

TEST_F(EngineLogic, OnlyTheNewestAddressConnectsAndIsAnnounced)
{
    fake.HoldConnects(true);
    engine->OpenURL("http://a.example/");
    ASSERT_TRUE(fake.WaitConnectsStarted(1));
    engine->OpenURL("http://b.example/");
    ASSERT_TRUE(fake.ReleaseConnect()); // a's result arrives: no longer wanted
    ASSERT_TRUE(fake.ReleaseConnect()); // b connects on the same worker
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return !target.Of(UWM_PLAYERCONNECT).empty(); }));
    EngineTarget::PumpUntil([] { return false; }, 100);
    ASSERT_EQ(target.Of(UWM_PLAYERCONNECT).size(), 1u);
    EXPECT_EQ(fake.Get(engine->GetChannel())->source, "http://b.example/");
    EXPECT_EQ(fake.LiveCount(), 1);
}

TEST_F(EngineLogic, AFileStartedWhileAStreamConnectsWins)
{
    fake.HoldConnects(true);
    engine->OpenURL("http://a.example/");
    ASSERT_TRUE(fake.WaitConnectsStarted(1));
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const HCHANNEL file = engine->GetChannel();
    ASSERT_TRUE(fake.ReleaseConnect());
    EngineTarget::PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(target.Of(UWM_PLAYERCONNECT).empty());
    EXPECT_EQ(engine->GetChannel(), file);
    EXPECT_EQ(fake.LiveCount(), 1);
    EXPECT_FALSE(engine->IsStream());
}

TEST_F(EngineLogic, AStopFadeEndingAfterAStreamTookOverFreesOnlyTheFadedChannel)
{
    size_t connects = 0;
    for (const bool fadeEndsFirst : {true, false}) {
        fake.HoldConnects(true);
        engine->OpenURL("http://x.example/");
        ASSERT_TRUE(fake.WaitConnectsStarted(fadeEndsFirst ? 1 : 3));
        ASSERT_TRUE(engine->PlayFile("a.mp3"));
        const HCHANNEL faded = engine->GetChannel();
        engine->Stop();
        engine->OpenURL("http://a.example/"); // the old worker is still connecting
        EXPECT_EQ(engine->GetChannel(), faded);
        if (fadeEndsFirst)
            fake.Advance(600);
        ASSERT_TRUE(fake.ReleaseConnect()); // x: no longer wanted
        ASSERT_TRUE(fake.ReleaseConnect()); // a
        ++connects;
        ASSERT_TRUE(EngineTarget::PumpUntil(
            [&] { return target.Of(UWM_PLAYERCONNECT).size() == connects; }));
        const HCHANNEL stream = engine->GetChannel();
        EXPECT_FALSE(fake.IsLive(faded));
        fake.Advance(600);
        EXPECT_TRUE(fake.IsLive(stream)) << fadeEndsFirst;
        EXPECT_EQ(engine->GetChannel(), stream);
        EXPECT_EQ(fake.AudibleCount(), 1);
        engine->Stop();
        fake.Advance(600);
        fake.HoldConnects(false);
    }
}

TEST_F(EngineLogic, ConnectFailuresAreToldApartAndLeaveTheEngineIdle)
{
    fake.SetUrlError("http://refused.example/", AudioError::NoNet);
    fake.SetUrlError("http://notaudio.example/", AudioError::FileForm);
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    engine->OpenURL("http://refused.example/");
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return target.Of(UWM_PLAYERCONNECT).size() == 1; }));
    engine->OpenURL("http://notaudio.example/");
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return target.Of(UWM_PLAYERCONNECT).size() == 2; }));
    EXPECT_EQ(target.Of(UWM_PLAYERCONNECT)[0].wParam, 2u);
    EXPECT_EQ(target.Of(UWM_PLAYERCONNECT)[1].wParam, 1u);
    EXPECT_FALSE(engine->IsPlaying());
    EXPECT_FALSE(engine->IsStream());
    EXPECT_EQ(fake.LiveCount(), 0);
}

TEST_F(EngineLogic, StopAbandonsAPendingConnection)
{
    fake.HoldConnects(true);
    engine->OpenURL("http://a.example/");
    ASSERT_TRUE(fake.WaitConnectsStarted(1));
    engine->Stop();
    ASSERT_TRUE(fake.ReleaseConnect());
    EngineTarget::PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(target.Of(UWM_PLAYERCONNECT).empty());
    EXPECT_EQ(fake.LiveCount(), 0);
}

TEST_F(EngineLogic, DestructionWaitsForAPendingConnectionAndFreesItsResult)
{
    fake.HoldConnects(true);
    engine->OpenURL("http://a.example/");
    ASSERT_TRUE(fake.WaitConnectsStarted(1));
    // Released once the destructor has let the layer go and waits for the connecting worker.
    bool freedFirst = false;
    std::thread releaser([this, &freedFirst] {
        freedFirst = fake.WaitFreed();
        fake.ReleaseConnect();
    });
    engine.reset();
    releaser.join();
    EXPECT_TRUE(freedFirst);
    EXPECT_EQ(fake.LiveCount(), 0);
    EngineTarget::Pump();
    EXPECT_TRUE(target.Of(UWM_PLAYERCONNECT).empty());
    engine = std::make_unique<CPlayBass>(fake); // for TearDown
}

TEST_F(EngineLogic, VolumeStepsStopAtTheLimitsAndMuteHidesChanges)
{
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    engine->SetVolume(97000);
    EXPECT_EQ(engine->VolumeUp(), 100000);
    EXPECT_FLOAT_EQ(Volume(), 1.0f);
    engine->SetVolume(3000);
    EXPECT_EQ(engine->VolumeDown(), 0);
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    EXPECT_EQ(engine->VolumeUp(), 5000);

    engine->SetMute(true);
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    engine->SetVolume(70000);
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    EXPECT_EQ(engine->GetVolumeLevel(), 70000);
    ASSERT_TRUE(engine->PlayFile("b.ogg")); // new channels get the effective volume
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    engine->SetMute(false);
    EXPECT_FLOAT_EQ(Volume(), 0.7f);
}

TEST_F(EngineLogic, IsStreamAddressKnowsItsSchemes)
{
    EXPECT_TRUE(CPlayBass::IsStreamAddress("http://x"));
    EXPECT_TRUE(CPlayBass::IsStreamAddress("HTTPS://x"));
    EXPECT_TRUE(CPlayBass::IsStreamAddress("Ftp://x"));
    EXPECT_FALSE(CPlayBass::IsStreamAddress("http:/x"));
    EXPECT_FALSE(CPlayBass::IsStreamAddress("/music/http://x.mp3"));
    EXPECT_FALSE(CPlayBass::IsStreamAddress("htp://x"));
    EXPECT_FALSE(CPlayBass::IsStreamAddress(""));
}

TEST_F(EngineLogic, ZeroLengthFilesAndSpectrumWithoutChannelAreHarmless)
{
    fake.AddFile("empty.wav", 0);
    std::array<float, kFftBins> fft{};
    fft.fill(-1.0f);
    EXPECT_FALSE(engine->GetFftData(fft));
    EXPECT_FLOAT_EQ(fft[0], -1.0f);
    ASSERT_TRUE(engine->PlayFile("empty.wav"));
    EXPECT_EQ(engine->GetPosition(), 0);
    EXPECT_TRUE(engine->GetFftData(fft));
    EXPECT_EQ(fft.size(), 1024u);
}

TEST_F(EngineLogic, RapidOperationsLeaveNoChannelAndNoSoundAfterTheLastStop)
{
    std::mt19937 random(7);
    target.answers.assign(200, "c.flac");
    target.answers[50] = QString();
    target.answers[90] = "vanished.mp3";
    for (int i = 0; i < 400; ++i) {
        switch (random() % 7) {
        case 0: engine->PlayFile(random() % 2 ? "a.mp3" : "b.ogg"); break;
        case 1: engine->Stop(); break;
        case 2: engine->Seek(static_cast<int>(random() % 100001)); break;
        case 3: engine->Pause(); break;
        case 4: engine->Resume(); break;
        case 5: engine->Seek(100000); break;
        default: break;
        }
        fake.Advance(static_cast<int>(random() % 700));
    }
    engine->Stop();
    fake.Advance(510);
    // Seeks reopen their file on workers: those still running free what they opened.
    EXPECT_TRUE(EngineTarget::PumpUntil([&] { return fake.LiveCount() == 0; }, 20000));
    EXPECT_EQ(fake.AudibleCount(), 0);
}

} // namespace

namespace {

// The track change prepared ahead: the question goes out when the decoder reaches the end, the
// answer's channel waits unheard, and the seam makes it the main channel.
TEST_F(EngineLogic, TheNextFileIsPreparedAtTheDecodersEndAndTakesOverAtTheSeam)
{
    target.answers = {"b.ogg"};
    engine->SetEqEnabled(true);
    engine->SetBandGain(2, 6.0f);
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const HCHANNEL a = engine->GetChannel();
    fake.Advance(kTrackMs - 1000);
    fake.FireDecodeEnd(a);
    EXPECT_EQ(target.nextRequests, 1);
    EXPECT_EQ(fake.LiveCount(), 2);
    // Until the seam the old track is what is heard, reported and shown.
    EXPECT_EQ(engine->GetChannel(), a);
    EXPECT_TRUE(target.Of(UWM_PLAYERTRACKEND).empty());
    EXPECT_EQ(fake.AudibleCount(), 1);
    engine->SetVolume(50000); // reaches the prepared channel too
    fake.Advance(1000);
    const HCHANNEL b = engine->GetChannel();
    ASSERT_NE(b, a);
    EXPECT_FALSE(fake.IsLive(a));
    EXPECT_TRUE(fake.Get(b)->playing);
    EXPECT_FLOAT_EQ(fake.Get(b)->volume, 0.5f);
    ASSERT_EQ(fake.Get(b)->fx.size(), 2u);
    EngineTarget::Pump();
    ASSERT_EQ(target.Of(UWM_PLAYERTRACKEND).size(), 1u);
    EXPECT_EQ(target.Of(UWM_PLAYERTRACKEND)[0].wParam, 0u);
    EXPECT_EQ(target.nextRequests, 1); // not asked again at the end
}

// Whatever replaces or stops the playing file during the look-ahead frees the prepared channel
// before it is ever heard, and the end of the old channel no longer moves to it.
TEST_F(EngineLogic, StopSeekPlayOrStreamDuringTheLookAheadCancelsThePreparedFile)
{
    const std::vector<std::pair<const char*, std::function<void(CPlayBass&)>>> cases = {
        {"stop", [](CPlayBass& e) { e.Stop(); }},
        {"seek", [](CPlayBass& e) { e.Seek(10000); }},
        {"play", [](CPlayBass& e) { e.PlayFile("c.flac"); }},
        {"stream", [](CPlayBass& e) { e.OpenURL("http://radio.example/live"); }},
    };
    for (const auto& [name, interrupt] : cases) {
        fake.HoldConnects(false);
        target.posts.clear();
        target.answers = {"b.ogg"};
        ASSERT_TRUE(engine->PlayFile("a.mp3"));
        const HCHANNEL a = engine->GetChannel();
        fake.FireDecodeEnd(a);
        ASSERT_EQ(fake.LiveCount(), 2) << name;
        const int freed = fake.Freed();
        interrupt(*engine);
        EXPECT_GE(fake.Freed(), freed + 1) << name;
        fake.Advance(kTrackMs + 600);
        EngineTarget::PumpUntil([] { return false; }, 50);
        for (const auto& e : target.Of(UWM_PLAYERTRACKEND))
            EXPECT_NE(e.wParam, 0u + 1) << name;
        for (HCHANNEL h = a + 1; h < a + 8; ++h) {
            const auto ch = fake.Get(h);
            EXPECT_FALSE(ch && ch->source == "b.ogg") << name << ": the prepared file survived";
        }
        engine->Stop();
        fake.Advance(600);
    }
}

// The main window answers after the end was heard (its thread was blocked): the change
// completes when the answer comes, with one question and one track end.
TEST_F(EngineLogic, AnAnswerAfterTheEndStillChangesTrackOnce)
{
    target.answers = {"b.ogg"};
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const HCHANNEL a = engine->GetChannel();
    target.onNext = [&] { fake.Advance(kTrackMs); }; // the end is heard while the question is out
    std::thread layer([&] { fake.FireDecodeEnd(a); });
    EngineTarget::PumpUntil([&] { return target.Of(UWM_PLAYERTRACKEND).size() == 1; });
    layer.join();
    EXPECT_EQ(target.nextRequests, 1);
    ASSERT_EQ(target.Of(UWM_PLAYERTRACKEND).size(), 1u);
    const HCHANNEL b = engine->GetChannel();
    ASSERT_NE(b, a);
    EXPECT_EQ(fake.Get(b)->source, "b.ogg");
    EXPECT_TRUE(fake.Get(b)->playing);
}

} // namespace
