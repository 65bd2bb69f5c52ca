// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSdlOutput.h"
#include "IAudioLib.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <utility>
#include <vector>

class CAudioChannel;
struct FxEntry;

// The audio layer over FFmpeg (decoding, http streams) and SDL2 (output).
//
// Threads: any caller thread; one decoder thread per playing channel; SDL's audio thread, which
// only mixes; and the layer's event thread, which runs the End, DecodeEnd and SlideMixTime
// syncs, pauses the device when nothing plays and joins the decoder threads of freed channels.
// The decoder thread of a stream runs its Meta syncs. Syncs run with no lock of the layer held,
// so they may call any method.
//
// The mixer never waits on another thread, sleeps, allocates or logs on a device that plays in
// real time: it mixes what the rings hold, hands a channel's end over to the channel queued
// with ChannelSetNext at the exact next frame, and tells the event thread what happened
// through a fixed, lock-free queue. The one lock it takes, m_mutex, is held by other threads
// only for table edits and copies of a few kilobytes. A device that takes audio faster than
// real time (SDL's file writer with no delay) is a renderer with no deadline, and the mixer
// then waits for starved decoders and for work, so the file matches what a device would play.
//
// Locks (outer first): a channel's control lock (decoder and decoder thread), m_deviceMutex
// (opening, pausing and closing the device), m_mutex (channel table, mixing state, effects,
// syncs), m_eventMutex and m_idleMutex (leaves). Nothing slow (opening files, decoding,
// joining threads, network) happens under m_mutex. StreamFree never joins: the freed channel's
// decoder is told to quit (a stream's read is abandoned within one network poll) and the
// event thread joins it. Free joins every decoder thread; the destructor also joins the event
// thread, so no thread of the layer outlives it. Free and the destructor must not be called
// while a sync is blocked waiting for the caller.
//
// Opening a file may wait in the kernel for as long as the file's share takes to answer, and
// a thread waiting there cannot be interrupted. StreamCreateFile therefore opens on a detached
// thread of its own that holds nothing but the channel being made, and its caller waits for
// that thread or for Free, whichever comes first: Free releases every caller still waiting
// (with AudioError::Init) and tells connecting streams to give up, so shutting down never
// waits on a file or an address that does not answer. A released opener that returns later
// frees what it made and touches nothing else.
class CAudioLib final : public IAudioLib {
public:
    CAudioLib();
    ~CAudioLib() override;
    CAudioLib(const CAudioLib&) = delete;
    CAudioLib& operator=(const CAudioLib&) = delete;

    bool Init(int freq, const IPlaylistReader* playlists = nullptr) override;
    void Free() override;
    void SetBufferMs(int ms) override;
    void SetNetPlaylist(bool follow) override;

    HCHANNEL StreamCreateFile(const QString& path, bool decodeOnly = false) override;
    HCHANNEL StreamCreateURL(const QString& address) override;
    bool StreamFree(HCHANNEL channel) override;
    AudioError ErrorGetCode() override;

    bool ChannelPlay(HCHANNEL channel, bool restart = false) override;
    std::uint64_t ChannelGetLength(HCHANNEL channel) override;
    std::uint64_t ChannelGetPosition(HCHANNEL channel) override;
    bool ChannelSetPosition(HCHANNEL channel, std::uint64_t bytes) override;
    double ChannelBytes2Seconds(HCHANNEL channel, std::uint64_t bytes) override;
    std::uint64_t StreamGetFileSize(HCHANNEL channel) override;
    bool ChannelGetInfo(HCHANNEL channel, ChannelInfo& info) override;

    bool ChannelSetVolume(HCHANNEL channel, float volume) override;
    bool ChannelSlideVolume(HCHANNEL channel, float target, int ms) override;
    float ChannelGetVolume(HCHANNEL channel) override;

    HSYNC ChannelSetSync(HCHANNEL channel, SyncType type, SyncProc proc, void* user) override;
    bool ChannelSetNext(HCHANNEL channel, HCHANNEL next) override;

    bool ChannelSetGain(HCHANNEL channel, float gain, bool limit) override;
    HFX ChannelSetFxVolume(HCHANNEL channel, int priority) override;
    HFX ChannelSetFxPeakEq(HCHANNEL channel, int priority) override;
    bool FxSetVolume(HFX fx, float gain) override;
    bool FxSetPeakEq(HFX fx, const PeakEqBand& band) override;
    bool ChannelRemoveFx(HCHANNEL channel, HFX fx) override;

    bool ChannelGetFft(HCHANNEL channel, std::array<float, kFftBins>& out) override;
    QString ChannelGetMeta(HCHANNEL channel) override;

    // --- beyond the interface ---
    // Decodes the next audio of a decode-only channel into out (interleaved stereo float,
    // effects applied) and returns the number of floats written; 0 at the end (after the End
    // syncs ran on this thread) or on failure. Any thread; one call per channel at a time.
    std::size_t ChannelGetData(HCHANNEL channel, std::span<float> out);
    // Limit for each connect and each read of an http stream, in ms (default 10000).
    void SetNetTimeout(int ms);
    // True while the channel is playing (started and neither halted nor ended).
    bool ChannelIsPlaying(HCHANNEL channel);
    // The rate new playing channels are decoded to and the mixer runs at: the open device's,
    // else 44100 Hz. Decode-only channels are always 44100 Hz.
    int OutputRate();
    // Sample-rate conversions the channel's audio goes through before the device gets it.
    int ChannelResamplePasses(HCHANNEL channel);
    // Live decoder and event threads of the layer, for checks that nothing outlives a free.
    int LiveThreads() const { return m_liveThreads.load(std::memory_order_acquire); }
    // Called on the device's thread after each callback with the nanoseconds spent in it, for
    // measurements; it must neither block nor allocate. Null stops the calls. Any thread.
    using MixObserver = void (*)(void* user, std::int64_t nanoseconds);
    void SetMixObserver(MixObserver observer, void* user);
    // How long a real-time device stays open with nothing playing before it is closed, so
    // that an idle player costs no audio thread; the next channel made or started opens it
    // again. ms (default kIdleCloseMs, at least 1). Any thread; applies from the next idle.
    void SetIdleCloseMs(int ms);
    static constexpr int kIdleCloseMs = 10000;
    // True while the output device is open. Any thread.
    bool IsDeviceOpen() const { return m_deviceOpen.load(std::memory_order_acquire); }
    // How many times the device has been closed for being idle. Any thread.
    int IdleCloses() const { return m_idleCloses.load(std::memory_order_acquire); }

private:
    using ChannelPtr = std::shared_ptr<CAudioChannel>;
    // What the mixer tells the event thread: a channel's sync event, or that the mix ran out.
    struct MixEvent {
        HCHANNEL channel = 0; // 0: nothing plays any more
        SyncType type = SyncType::End;
        HSYNC syncsBefore = 0; // only syncs set before the event (lower handles) are run
    };
    static constexpr std::size_t kMixEvents = 1024;

    static void SetLastError(AudioError code);
    ChannelPtr Find(HCHANNEL channel);
    ChannelPtr FindLocked(HCHANNEL channel) const;
    HCHANNEL Register(const ChannelPtr& channel);
    bool EnsureDevice();
    // Opens the device if it is closed; m_deviceMutex held.
    bool OpenDeviceLocked();
    void StartLocked(CAudioChannel& ch, int offset);
    void RemoveFromMixLocked(CAudioChannel& ch);
    void UnlinkLocked(const CAudioChannel& ch);
    // After a channel started: lets a paused device run and a waiting renderer mix.
    void WakeOutput();
    // Pauses the device when no channel plays (event thread and callers, never the mixer).
    void PauseIfIdle();
    // The idle closer (CAudioLib_Idle.cpp): PauseIfIdle arms it with m_deviceMutex held,
    // WakeOutput disarms it; its thread closes the device when the time runs out and the
    // device is still paused with nothing to mix.
    void ArmIdleClose();
    void DisarmIdleClose();
    void RunIdleClose();
    void CloseIfStillIdle();
    bool SeekControlled(const ChannelPtr& ch, std::uint64_t frame);
    void RunSyncsLater(HCHANNEL channel, SyncType type);
    void RunSyncsNow(HCHANNEL channel, SyncType type, HSYNC syncsBefore = ~HSYNC{0});
    FxEntry* FindFxLocked(HFX fx, CAudioChannel** owner = nullptr);
    HFX AddFx(HCHANNEL channel, int priority, bool peakEq);
    HCHANNEL NewHandle();
    std::size_t RingSamples(int rate) const;
    void Retire(const ChannelPtr& ch);
    // A channel being made, for Free to release (CAudioLib.cpp).
    struct Creation;
    using CreationPtr = std::shared_ptr<Creation>;
    AudioError OpenFileApart(const ChannelPtr& ch, const QString& path);
    static void OpenChannelFile(Creation& creation, const QString& path);
    void BeginCreation(const CreationPtr& creation);
    void EndCreation(const CreationPtr& creation);
    void ReleaseCreations();
    // Joins the decoders of retired channels. Whoever calls it also waits for a join under way
    // on another thread, so after Free's call no retired decoder is left running.
    void JoinRetired();

    // The event thread (CAudioLib_Events.cpp).
    void RunEvents();
    void PostEvent(HCHANNEL channel, SyncType type);
    void MarkDecodeEndHandled(HCHANNEL channel);
    void WakeEvents();

    // Mixing (CAudioLib_Mix.cpp), on SDL's audio thread.
    static void Render(void* self, float* out, int frames);
    void Mix(float* out, int frames);
    bool WaitForWork();
    bool MixPassLocked(float* out, int frames, bool& delivered);
    void MixChannelLocked(CAudioChannel& ch, float* out, int frames);
    int MixPieceLocked(CAudioChannel& ch, float* out, int frames);
    void EndChannelLocked(CAudioChannel& ch);
    void FinishSlideLocked(CAudioChannel& ch);
    void PushMixEvent(HCHANNEL channel, SyncType type);
    void ApplyEffectsLocked(CAudioChannel& ch, std::span<float> stereo);
    static void ApplyLoudnessLocked(CAudioChannel& ch, std::span<float> stereo);
    static void InheritGainLocked(const CAudioChannel& from, CAudioChannel& to);
    static void CaptureHeardLocked(CAudioChannel& ch, std::span<const float> stereo);

    std::mutex m_createMutex; // a leaf
    std::vector<CreationPtr> m_creations; // guarded by m_createMutex

    std::mutex m_deviceMutex;
    CSdlOutput m_output;                    // guarded by m_deviceMutex
    bool m_initCalled = false;              // guarded by m_deviceMutex
    int m_fallbackRate = 44100;             // guarded by m_deviceMutex
    std::atomic<bool> m_deviceOpen{false};  // mirrors m_output.IsOpen() for lock-free checks
    std::atomic<int> m_deviceRate{0};       // mirrors m_output.Rate()
    std::atomic<bool> m_rendering{false};   // the device is faster than real time
    std::atomic<const IPlaylistReader*> m_playlists{nullptr};
    std::atomic<int> m_liveThreads{0};      // decoder and event threads still running

    mutable std::mutex m_mutex;
    std::map<HCHANNEL, ChannelPtr> m_channels; // guarded by m_mutex
    std::vector<CAudioChannel*> m_mixList;     // guarded by m_mutex; playing channels
    HCHANNEL m_nextHandle = 1;                 // guarded by m_mutex; handles are never reused
    std::atomic<int> m_bufferMs{1000};
    std::atomic<bool> m_followPlaylists{true};
    std::atomic<int> m_netTimeoutMs{10000};

    std::atomic<MixObserver> m_mixObserver{nullptr};
    std::atomic<void*> m_mixObserverUser{nullptr};

    // Mixer-only state (SDL's audio thread).
    std::vector<float> m_scratch;              // sized once in the constructor
    // Renderer only: the mixer waits here while nothing plays.
    std::mutex m_idleMutex;
    std::condition_variable m_idleCv;
    bool m_closing = false;                    // guarded by m_idleMutex
    std::atomic<bool> m_hasWork{false};        // stored under m_mutex: m_mixList not empty
    std::atomic<bool> m_stopMixing{false};     // the device is being closed: a renderer waits no more

    // Mixer to event thread: single producer (the mixer), single consumer (the event thread).
    std::array<MixEvent, kMixEvents> m_mixEvents{};
    std::atomic<std::size_t> m_mixEventsWritten{0};
    std::atomic<std::size_t> m_mixEventsRead{0};
    // Bumped after every post; the event thread sleeps on it.
    std::atomic<std::uint32_t> m_eventSeq{0};
    std::mutex m_eventMutex;
    std::vector<MixEvent> m_callerEvents; // guarded by m_eventMutex
    std::vector<ChannelPtr> m_retired;  // guarded by m_eventMutex; freed, decoder to be joined
    std::mutex m_joinMutex; // held while retired decoders are joined; outer to m_eventMutex
    std::atomic<bool> m_stopEvents{false};
    std::thread m_eventThread;
    // Held by the event thread while it runs syncs, so that Free can wait for one under way.
    std::mutex m_syncMutex;

    std::mutex m_closeMutex; // a leaf
    std::condition_variable m_closeCv;
    bool m_closeArmed = false;                       // guarded by m_closeMutex
    std::chrono::steady_clock::time_point m_closeAt; // guarded by m_closeMutex
    bool m_stopClose = false;                        // guarded by m_closeMutex
    std::atomic<int> m_idleCloseMs{kIdleCloseMs};
    std::atomic<int> m_idleCloses{0};
    std::thread m_closeThread;
};
