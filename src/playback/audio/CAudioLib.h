// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSdlOutput.h"
#include "IAudioLib.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

class CAudioChannel;
struct FxEntry;

// The audio layer over FFmpeg (decoding, http streams) and SDL2 (output).
//
// Threads: any caller thread; one decoder thread per playing channel; SDL's audio thread,
// which mixes and runs End and SlideMixTime syncs; the decoder thread of a stream runs its
// Meta syncs. Syncs run with no lock of the layer held, so they may call any method (an End
// sync may create, start and free channels: a channel it starts is mixed into the same device
// buffer right after the last sample of the ended one).
//
// Locks (outer first): a channel's control lock (decoder and decoder thread), m_deviceMutex
// (opening and closing the device), m_mutex (channel table, mixing state, effects, syncs),
// m_idleMutex (the mixer's idle wait). m_mutex is held only for table edits and for one mixing
// pass; nothing slow (opening files, decoding, joining threads, network) happens under it.
// StreamFree never waits for a decoder thread (a freed channel's thread finishes on its own),
// so it is safe inside any sync. Free closes the device and waits for the mixer to return: it
// must not be called while an End or SlideMixTime sync is blocked waiting for the caller.
// Syncs of a freed channel are not started any more; one that has already begun finishes.
class CAudioLib final : public IAudioLib {
public:
    CAudioLib();
    ~CAudioLib() override;
    CAudioLib(const CAudioLib&) = delete;
    CAudioLib& operator=(const CAudioLib&) = delete;

    // The device always runs at 44100 Hz, the rate every channel is decoded to.
    bool Init(int freq) override;
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

private:
    using ChannelPtr = std::shared_ptr<CAudioChannel>;
    struct PendingSync {
        SyncProc proc = nullptr;
        HSYNC handle = 0;
        HCHANNEL channel = 0;
        void* user = nullptr;
        int offset = 0; // device-buffer frame at which the event happened
    };
    static constexpr int kMaxPendingSyncs = 64;

    static void SetLastError(AudioError code);
    ChannelPtr Find(HCHANNEL channel);
    ChannelPtr FindLocked(HCHANNEL channel) const;
    HCHANNEL Register(const ChannelPtr& channel);
    bool EnsureDevice();
    // Opens the device if it is closed; m_deviceMutex held.
    bool OpenDeviceLocked();
    bool StartLocked(CAudioChannel& ch);
    void RemoveFromMixLocked(CAudioChannel& ch);
    void WakeMixer();
    bool SeekControlled(const ChannelPtr& ch, std::uint64_t frame);
    void RunSyncsLater(HCHANNEL channel, SyncType type);
    void RunSyncsNow(HCHANNEL channel, SyncType type);
    FxEntry* FindFxLocked(HFX fx, CAudioChannel** owner = nullptr);
    HFX AddFx(HCHANNEL channel, int priority, bool peakEq);
    HCHANNEL NewHandle();
    std::size_t RingSamples() const;

    // Mixing (CAudioLib_Mix.cpp), on SDL's audio thread.
    static void Render(void* self, float* out, int frames);
    void Mix(float* out, int frames);
    bool WaitForWork();
    bool MixPassLocked(float* out, int frames, bool& delivered);
    void MixChannelLocked(CAudioChannel& ch, float* out, int frames, bool& delivered);
    int MixPieceLocked(CAudioChannel& ch, float* out, int frames);
    void FinishSlideLocked(CAudioChannel& ch, int offset);
    void QueueSyncsLocked(CAudioChannel& ch, SyncType type, int offset);
    void RunPendingSyncs();
    void ApplyEffectsLocked(CAudioChannel& ch, std::span<float> stereo);
    static void CaptureHeardLocked(CAudioChannel& ch, std::span<const float> stereo);

    std::mutex m_deviceMutex;
    CSdlOutput m_output;                    // guarded by m_deviceMutex
    bool m_initCalled = false;              // guarded by m_deviceMutex
    std::atomic<bool> m_deviceOpen{false};  // mirrors m_output.IsOpen() for lock-free checks
    std::atomic<int> m_liveThreads{0};      // decoder and helper threads still running

    mutable std::mutex m_mutex;
    std::map<HCHANNEL, ChannelPtr> m_channels; // guarded by m_mutex
    std::vector<CAudioChannel*> m_mixList;     // guarded by m_mutex; playing channels
    HCHANNEL m_nextHandle = 1;                 // guarded by m_mutex; handles are never reused
    std::atomic<int> m_bufferMs{1000};
    std::atomic<bool> m_followPlaylists{true};
    std::atomic<int> m_netTimeoutMs{10000};

    // Mixer-only state (SDL's audio thread), except where noted.
    std::vector<float> m_scratch;              // sized once in the constructor
    std::array<PendingSync, kMaxPendingSyncs> m_pending{};
    int m_pendingCount = 0;                    // mixer thread only
    std::mutex m_idleMutex;
    std::condition_variable m_idleCv;
    bool m_closing = false;                    // guarded by m_idleMutex
    std::atomic<bool> m_hasWork{false};        // stored under m_mutex: m_mixList not empty
    // The device-buffer frame of the event whose syncs run on this (mixer) thread; -1 elsewhere.
    static thread_local int s_syncOffset;
};
