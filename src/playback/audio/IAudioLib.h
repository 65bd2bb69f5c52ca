// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// Handles of the audio layer. 0 never names a live object.
using HCHANNEL = std::uint32_t;
using HSYNC = std::uint32_t;
using HFX = std::uint32_t;

// Error codes of the last failed call on the calling thread. The numbers follow the audio
// library the engine was first written against, so that stored logic comparing codes stays true.
enum class AudioError : int {
    Ok = 0,
    Mem = 1,        // out of memory
    FileOpen = 2,   // the file could not be opened
    Driver = 3,     // no output device could be opened
    Handle = 5,     // not a valid handle
    Format = 6,     // unsupported sample format
    Position = 7,   // invalid position
    Init = 8,       // Init has not run or the device failed
    Start = 9,      // the device could not start playing
    IllParam = 20,  // an illegal parameter (also a malformed address)
    NoNet = 32,     // no connection could be made (refused, unreachable, DNS)
    FileForm = 41,  // not an audio file, or damaged
    Codec = 44,     // no decoder for the format
    Ended = 45,     // the channel has ended
    Timeout = 40,   // a connect or read took longer than its limit
    Unknown = -1,   // some other failure (also HTTP errors such as 404)
};

// True for the codes the engine reports as network failures.
constexpr bool IsNetworkError(AudioError e)
{
    return e == AudioError::Unknown || e == AudioError::IllParam || e == AudioError::NoNet
        || e == AudioError::Timeout;
}

enum class SyncType {
    End,          // the channel's last sample was mixed
    DecodeEnd,    // the channel's decoder reached the end of its data (see ChannelSetSync)
    Meta,         // a stream's metadata text changed
    SlideMixTime, // a volume slide finished (at mix time)
};

struct ChannelInfo {
    int freq = 0;   // sample rate of the source, Hz
    int chans = 0;  // channel count of the source
};

// Ten-band peaking equalizer parameters of one band (RBJ peaking biquad).
struct PeakEqBand {
    int band = 0;            // 0..9; setting a band for the first time creates it
    float bandwidth = 1.0f;  // octaves
    float center = 1000.0f;  // Hz
    float gain = 0.0f;       // dB
};

// Called on the layer's own threads, never on the device's real-time thread. A callback may
// call any method of the layer; while one blocks, later callbacks of its kind wait for it.
using SyncProc = void (*)(HSYNC sync, HCHANNEL channel, void* user);

// Reads the playlists an http address may answer with, so that the layer can follow them to
// the stream they name. Handed to the layer by its owner; every method is called from the
// layer's connecting threads, at any time, and must be safe to call from several at once.
class IPlaylistReader {
public:
    virtual ~IPlaylistReader() = default;
    // True when an answer that starts with head and has this Content-Type is a playlist.
    virtual bool IsPlaylist(const QByteArray& head, const QString& contentType) const = 0;
    // The addresses the playlist answer body names, in order; false when it cannot be read.
    virtual bool Entries(const QByteArray& body, const QString& contentType,
        QStringList& entries) const = 0;
};

constexpr std::uint64_t kUnknownLength = ~std::uint64_t{0};
constexpr int kFftBins = 1024;

// The operations of the audio library the engine relies on. Every method is safe to call from
// any thread at once (the UI thread, sync callbacks, the connection worker, the library-update
// worker). Methods that fail set the calling thread's last error (ErrorGetCode) and return
// 0 / false / kUnknownLength.
//
// Positions and lengths are in bytes of the channel's decoded data as the layer delivers it:
// 32-bit float, stereo, at the channel's rate, i.e. 8 bytes per frame. A playing channel runs
// at the device's rate; ChannelBytes2Seconds converts.
class IAudioLib {
public:
    virtual ~IAudioLib() = default;

    // Opens the default output device, stereo float, at the rate it prefers (freq Hz when it
    // names none). Returns false when there is no device; the layer stays usable for
    // decoding-only channels, and a later playing channel tries the device again (failing with
    // AudioError::Init or Driver if still absent). playlists, which must outlive the layer,
    // reads the playlists that SetNetPlaylist follows; null follows none.
    virtual bool Init(int freq, const IPlaylistReader* playlists) = 0;
    // Frees every channel and closes the device. A StreamCreateFile or StreamCreateURL still
    // waiting on another thread returns 0 soon after (AudioError::Init for a file), whatever
    // the file or the server does.
    virtual void Free() = 0;
    // How much decoded audio each playing channel keeps ahead, in ms (default 1000).
    virtual void SetBufferMs(int ms) = 0;
    // Whether addresses answering with a playlist (pls, m3u, asx, xspf) are followed to the
    // first stream they name (default on).
    virtual void SetNetPlaylist(bool follow) = 0;

    // A channel for a local file, its type recognised by content; only regular files are
    // opened (a pipe, a device or a folder fails with AudioError::FileOpen without waiting on
    // it). decodeOnly channels are never heard and need no device (used for reading properties).
    virtual HCHANNEL StreamCreateFile(const QString& path, bool decodeOnly = false) = 0;
    // A channel for an http(s) address; blocks until connected or failed (time limits apply).
    virtual HCHANNEL StreamCreateURL(const QString& address) = 0;
    // Frees the channel, its syncs and effects; never runs its syncs afterwards.
    virtual bool StreamFree(HCHANNEL channel) = 0;
    // The last failure of a call made on this thread.
    virtual AudioError ErrorGetCode() = 0;

    // Starts or continues the channel; restart rewinds it first.
    virtual bool ChannelPlay(HCHANNEL channel, bool restart = false) = 0;
    // kUnknownLength for streams without a known length.
    virtual std::uint64_t ChannelGetLength(HCHANNEL channel) = 0;
    // Position of what is being heard (playing channels) or decoded (decode-only channels).
    virtual std::uint64_t ChannelGetPosition(HCHANNEL channel) = 0;
    virtual bool ChannelSetPosition(HCHANNEL channel, std::uint64_t bytes) = 0;
    virtual double ChannelBytes2Seconds(HCHANNEL channel, std::uint64_t bytes) = 0;
    // Size of the source file in bytes (0 for streams).
    virtual std::uint64_t StreamGetFileSize(HCHANNEL channel) = 0;
    virtual bool ChannelGetInfo(HCHANNEL channel, ChannelInfo& info) = 0;

    // Volume attribute, 0.0..1.0, applied at once.
    virtual bool ChannelSetVolume(HCHANNEL channel, float volume) = 0;
    // Slides the volume linearly to target over ms. A target of -1 fades to silence and then
    // halts the channel, keeping its position, so ChannelPlay continues from there.
    virtual bool ChannelSlideVolume(HCHANNEL channel, float target, int ms) = 0;
    virtual float ChannelGetVolume(HCHANNEL channel) = 0;

    // Registers a callback. End runs when the last sample has been mixed; DecodeEnd once the
    // decoder has read all the data of a playing channel, up to the buffer length before End
    // (again after a seek), which leaves time to prepare what follows (ChannelSetNext); Meta
    // when a stream's metadata changes; SlideMixTime when a volume slide completes.
    virtual HSYNC ChannelSetSync(HCHANNEL channel, SyncType type, SyncProc proc, void* user) = 0;
    // Queues next, a created channel that is not playing, to start at the frame right after
    // channel's last sample, with nothing in between; 0 unqueues. Freeing either channel
    // unqueues it. When channel has already ended, next starts at once.
    virtual bool ChannelSetNext(HCHANNEL channel, HCHANNEL next) = 0;

    // Loudness gain of the channel (linear), applied to its decoded audio before any effect.
    // A channel not yet heard takes it from its first sample; one being heard glides to it
    // over kGainGlideMs; a channel that starts at another's seam glides from that one's gain.
    // With limit set, a limiter after the gain keeps the channel's samples at or under full
    // scale and acts only where they would go above it. Negative or non-finite gains fail.
    virtual bool ChannelSetGain(HCHANNEL channel, float gain, bool limit) = 0;
    static constexpr int kGainGlideMs = 50;

    // Effects, removed with the channel. Priority orders them: lower runs first.
    virtual HFX ChannelSetFxVolume(HCHANNEL channel, int priority) = 0;
    virtual HFX ChannelSetFxPeakEq(HCHANNEL channel, int priority) = 0;
    // Linear gain of a volume effect (10^(dB/20)).
    virtual bool FxSetVolume(HFX fx, float gain) = 0;
    virtual bool FxSetPeakEq(HFX fx, const PeakEqBand& band) = 0;
    virtual bool ChannelRemoveFx(HCHANNEL channel, HFX fx) = 0;

    // 1024 magnitudes of a 2048-sample FFT (Hann window, mono mix) of the samples most recently
    // heard on the channel; bin k is k * rate / 2048 Hz at the channel's rate, each 0..1
    // (2|X[k]|/2048).
    virtual bool ChannelGetFft(HCHANNEL channel, std::array<float, kFftBins>& out) = 0;
    // The stream's current metadata text, e.g. "StreamTitle='A - B';StreamUrl='';";
    // empty when there is none.
    virtual QString ChannelGetMeta(HCHANNEL channel) = 0;
};
