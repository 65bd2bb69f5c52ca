// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "AudioDsp.h"
#include "CFfmpegDecoder.h"
#include "CFftAnalyzer.h"
#include "CHttpSource.h"
#include "CRingBuffer.h"
#include "IAudioLib.h"

#include <QString>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// One registered callback of a channel.
struct SyncEntry {
    HSYNC handle = 0;
    SyncType type = SyncType::End;
    SyncProc proc = nullptr;
    void* user = nullptr;
};

// One effect of a channel: the preamp (a gain) or the ten-band peaking equalizer.
struct FxEntry {
    static constexpr int kBands = 10;
    HFX handle = 0;
    int priority = 0;
    bool peakEq = false;
    dsp::GainRamp gain;
    std::array<dsp::BiquadBand, kBands> bands{};
};

// A channel of the layer: its decoder, the ring that carries decoded audio from the decoder
// thread to the mixer, and the state the mixer works on.
//
// Guards: "layer" members are guarded by CAudioLib::m_mutex; "control" members by
// m_control (the decoder and the decoder thread object); atomics need no lock. Lock order:
// m_control before the layer mutex; m_metaMutex is a leaf.
class CAudioChannel {
public:
    // rate: the Hz the channel's audio is decoded to.
    CAudioChannel(HCHANNEL handle, bool decodeOnly, int rate, std::size_t ringSamples);
    // Stops and joins a decoder thread still running; never called on that thread (the
    // thread holds no reference of its own: the layer joins it before letting go).
    ~CAudioChannel();
    CAudioChannel(const CAudioChannel&) = delete;
    CAudioChannel& operator=(const CAudioChannel&) = delete;

    // Decodes on the calling thread until the ring holds `samples` (or the data ended).
    // Control lock held by the caller; the decoder thread is not running.
    void PrefillControlled(std::size_t samples);
    // Starts the decoder thread that keeps the ring full; it ends when quit or stopDecoder is
    // set, or the data ends. `live` counts running threads of the layer.
    void StartDecoderControlled(std::atomic<int>& live);
    // Stops and joins the decoder thread (it never blocks for long on a local file).
    void StopDecoderControlled();
    // Tells the decoder thread to quit for good (the channel was freed); a stream's blocking
    // read is abandoned at its next poll. Any thread, no lock needed.
    void Quit();
    // Joins a decoder thread told to quit. Not on the decoder thread itself.
    void JoinDecoderControlled();
    // True when the caller is the channel's decoder thread (control lock held).
    bool OnDecoderThreadControlled() const;

    // The metadata text, any thread.
    QString Meta() const;
    void SetMeta(const QByteArray& text);

    // --- fixed at creation ---
    const HCHANNEL handle;
    const bool decodeOnly;
    const int rate;
    bool isStream = false;
    std::uint64_t lengthBytes = kUnknownLength;
    std::uint64_t fileSize = 0;
    ChannelInfo info;

    // --- atomics ---
    std::atomic<bool> quit{false};        // set once when freed; polled by reads and the thread
    std::atomic<bool> stopDecoder{false}; // set while the decoder thread is stopped for a seek
    std::atomic<bool> decodeEnded{false}; // release-stored after the last ring write

    // --- control ---
    std::mutex m_control;
    std::unique_ptr<CHttpSource> source;   // streams; outlives the decoder that reads it
    std::unique_ptr<CFfmpegDecoder> decoder;
    std::thread thread;
    std::vector<float> carry; // decoded but not yet in the ring (decoder thread / prefill)
    std::size_t carryPos = 0;

    // --- producer / consumer ---
    CRingBuffer ring; // written by the decoder side, read by the mixer under the layer mutex

    // --- layer ---
    bool playing = false;
    bool ended = false;        // all data was heard (or decoded, for decode-only channels)
    bool seeking = false;      // the ring is being refilled; the mixer leaves it alone
    bool decodeEndSent = false; // the DecodeEnd event for the current data went out
    bool decodeEndHandled = false; // ... and its syncs have returned
    CAudioChannel* next = nullptr; // starts where this one ends (ChannelSetNext)
    int mixedUpTo = 0;         // frames of the current device buffer already mixed
    std::uint64_t position = 0; // bytes heard (or given out, for decode-only channels)
    float volume = 1.0f;
    float slideStep = 0.0f;     // per frame
    float slideTarget = 0.0f;
    int slideFrames = 0;        // frames left of a running slide
    bool slideHalts = false;    // the slide ends by halting the channel
    std::vector<SyncEntry> syncs;
    dsp::GainRamp loudness;     // the gain before the effects
    bool limit = false;         // the limiter runs after it
    dsp::PeakLimiter limiter;
    bool heardOnce = false;     // audio of the channel has been mixed
    std::vector<FxEntry> effects; // ordered by priority
    std::array<float, CFftAnalyzer::kSize> heard{}; // last mono samples heard, circular
    std::size_t heardPos = 0;

private:
    void RunDecoder();
    bool FillOnce();
    // Sleeps until the mixer has taken a quarter of the full ring, or the thread must end.
    void RestWhileFull();
    void WakeFromRest();

    std::mutex m_restMutex; // leaf: only pairs with m_restWake
    std::condition_variable m_restWake; // quit or stopDecoder was set
    mutable std::mutex m_metaMutex;
    QString m_meta; // guarded by m_metaMutex
};
