// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "audio/IAudioLib.h"

#include <QString>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

// An audio layer with a manual clock for engine tests. Channels play only when the test calls
// Advance, which moves positions, runs volume slides, starts a queued channel where one ends
// and fires End and SlideMixTime syncs on the calling thread (outside the fake's lock, as the
// real layer does). DecodeEnd fires only when the test asks. Connects can be held
// until the test releases them. Every method is thread-safe.
class FakeAudioLib : public IAudioLib {
public:
    static constexpr std::uint64_t kBytesPerSecond = 44100 * 8;

    struct FxState {
        bool peakEq = false;
        int priority = 0;
        float gain = 1.0f;               // volume effect
        std::map<int, PeakEqBand> bands; // peaking effect
    };
    struct Channel {
        QString source;
        bool url = false;
        std::uint64_t length = 0;
        std::uint64_t pos = 0;
        float volume = 1.0f;
        float gain = 1.0f; // ChannelSetGain
        bool limit = false;
        bool playing = false;
        bool sliding = false;
        float slideFrom = 0.0f;
        float slideTo = 0.0f;
        int slideMs = 0;
        int slideElapsed = 0;
        std::map<HFX, FxState> fx;
        QString meta;
        HCHANNEL next = 0; // queued by ChannelSetNext
    };

    // Test set-up.
    void AddFile(const QString& path, int ms);
    void RemoveFile(const QString& path);
    // Addresses connect unless given an error here.
    void SetUrlError(const QString& address, AudioError error);
    void HoldConnects(bool hold);
    // Lets the oldest held connect return; waits first until one has started (up to 5 s).
    bool ReleaseConnect();
    // Waits until count connects have started in all (up to 5 s).
    bool WaitConnectsStarted(int count);
    // Opens of path wait, as on a share that does not answer, until ReleaseFile(path) or Free
    // (which fails them with AudioError::Init, as the real layer lets them go).
    void HoldFile(const QString& path);
    void ReleaseFile(const QString& path);
    // Waits until an open of path is being held (up to 5 s).
    bool WaitFileHeld(const QString& path);

    // Plays every playing channel for ms milliseconds, in 10 ms slices.
    void Advance(int ms);
    void FireEnd(HCHANNEL channel);
    // The decoder of the channel reached the end of its data (the look-ahead begins).
    void FireDecodeEnd(HCHANNEL channel);
    void FireMeta(HCHANNEL channel, const QString& meta);

    // Inspection.
    std::optional<Channel> Get(HCHANNEL channel) const;
    bool IsLive(HCHANNEL channel) const;
    int LiveCount() const;
    // Live channels that would be heard (playing with a volume above 0).
    int AudibleCount() const;
    int CallCount(const std::string& name) const;
    int Freed() const { return CallCount("StreamFree"); }
    bool InitCalled() const;
    bool FreeCalled() const;
    // Waits until Free has been called (up to 5 s).
    bool WaitFreed();

    // IAudioLib
    bool Init(int freq, const IPlaylistReader* playlists) override;
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
    bool ChannelSetGain(HCHANNEL channel, float gain, bool limit) override;
    bool ChannelSlideVolume(HCHANNEL channel, float target, int ms) override;
    float ChannelGetVolume(HCHANNEL channel) override;
    HSYNC ChannelSetSync(HCHANNEL channel, SyncType type, SyncProc proc, void* user) override;
    bool ChannelSetNext(HCHANNEL channel, HCHANNEL next) override;
    HFX ChannelSetFxVolume(HCHANNEL channel, int priority) override;
    HFX ChannelSetFxPeakEq(HCHANNEL channel, int priority) override;
    bool FxSetVolume(HFX fx, float gain) override;
    bool FxSetPeakEq(HFX fx, const PeakEqBand& band) override;
    bool ChannelRemoveFx(HCHANNEL channel, HFX fx) override;
    bool ChannelGetFft(HCHANNEL channel, std::array<float, kFftBins>& out) override;
    QString ChannelGetMeta(HCHANNEL channel) override;

private:
    struct Sync {
        HCHANNEL channel;
        SyncType type;
        SyncProc proc;
        void* user;
        HSYNC id;
    };
    using Lock = std::unique_lock<std::mutex>;

    Channel* Find(HCHANNEL channel);
    const Channel* Find(HCHANNEL channel) const;
    FxState* FindFx(HFX fx, HCHANNEL* owner = nullptr);
    bool Fail(AudioError error);
    void Record(const std::string& name);
    HCHANNEL NewChannel(Channel channel);
    void Slice(int ms, std::vector<Sync>& fire);
    void Fire(HCHANNEL channel, SyncType type);
    void FireAll(const std::vector<Sync>& fire);
    std::vector<Sync> SyncsOf(HCHANNEL channel, SyncType type) const;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<HCHANNEL, Channel> m_channels;
    std::vector<Sync> m_syncs;
    std::map<QString, std::uint64_t> m_files;
    std::map<QString, AudioError> m_urlErrors;
    std::map<QString, int> m_heldFiles; // held paths, with the number of opens waiting
    std::map<std::string, int> m_calls;
    HCHANNEL m_nextHandle = 1;
    HSYNC m_nextSync = 1;
    bool m_hold = false;
    int m_connectsStarted = 0;
    int m_connectsReleased = 0;
    bool m_init = false;
    bool m_freed = false;
};
