// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The mixer: SDL's audio thread fills each device buffer from the rings of the playing
// channels, in one pass under m_mutex. It allocates nothing, logs nothing and calls nobody:
// what happened in a pass (a decoder reached its end, a channel ended, a slide finished) goes
// to the event thread through a fixed single-producer queue, and the event thread runs the
// syncs. A channel queued with ChannelSetNext starts in the same pass at the frame after the
// ending channel's last sample; that is how one track follows another with no silence between.
//
// On a real-time device nothing here waits: a ring that ran dry leaves silence for the rest of
// the buffer. A renderer (a device faster than real time) has no deadline to miss, so there the
// mixer sleeps while nothing plays and waits for starved decoders, making the rendered file
// what a device would have played.
#include "CAudioLib.h"

#include "CAudioChannel.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// Renderer only: how long a starved file channel is waited for, in 1 ms steps per buffer.
constexpr int kMaxUnderrunWaits = 10000;
constexpr int kBytesPerFrame = 8;

} // namespace

void CAudioLib::Render(void* self, float* out, int frames)
{
    auto* lib = static_cast<CAudioLib*>(self);
    const MixObserver observer = lib->m_mixObserver.load(std::memory_order_acquire);
    if (observer == nullptr) {
        lib->Mix(out, frames);
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    lib->Mix(out, frames);
    const auto spent = std::chrono::steady_clock::now() - start;
    observer(lib->m_mixObserverUser.load(std::memory_order_relaxed),
        std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count());
}

void CAudioLib::SetMixObserver(MixObserver observer, void* user)
{
    m_mixObserverUser.store(user, std::memory_order_relaxed);
    m_mixObserver.store(observer, std::memory_order_release);
}

bool CAudioLib::WaitForWork()
{
    std::unique_lock idle(m_idleMutex);
    m_idleCv.wait(idle, [this] { return m_closing || m_hasWork.load(std::memory_order_acquire); });
    return !m_closing;
}

void CAudioLib::Mix(float* out, int frames)
{
    std::fill_n(out, 2 * static_cast<std::size_t>(frames), 0.0f);
    const bool rendering = m_rendering.load(std::memory_order_relaxed);
    if (rendering && !WaitForWork())
        return;
    const std::size_t posted = m_mixEventsWritten.load(std::memory_order_relaxed);
    bool starved = false;
    bool delivered = false;
    {
        std::lock_guard lock(m_mutex);
        for (CAudioChannel* ch : m_mixList)
            ch->mixedUpTo = 0;
        const bool hadWork = !m_mixList.empty();
        starved = MixPassLocked(out, frames, delivered);
        if (hadWork && m_mixList.empty())
            PushMixEvent(0, SyncType::End);
    }
    if (m_mixEventsWritten.load(std::memory_order_relaxed) != posted)
        WakeEvents();
    if (!rendering)
        return;
    for (int waits = 0; starved && waits < kMaxUnderrunWaits
         && !m_stopMixing.load(std::memory_order_relaxed);
         ++waits) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard lock(m_mutex);
        starved = MixPassLocked(out, frames, delivered);
    }
    WakeEvents();
    // A stream that stalls would otherwise have the renderer write silence as fast as it can.
    if (!delivered)
        std::this_thread::sleep_for(std::chrono::microseconds(1000000LL * frames / std::max(m_deviceRate.load(), 1)));
}

bool CAudioLib::MixPassLocked(float* out, int frames, bool& delivered)
{
    bool starved = false;
    for (std::size_t i = 0; i < m_mixList.size();) {
        CAudioChannel& ch = *m_mixList[i];
        const std::size_t before = m_mixList.size();
        const int from = ch.mixedUpTo;
        MixChannelLocked(ch, out, frames);
        delivered = delivered || ch.mixedUpTo > from;
        if (m_mixList.size() < before || m_mixList[i] != &ch)
            continue; // ch halted or ended and left the list at i
        if (ch.mixedUpTo < frames && !ch.isStream && !ch.seeking)
            starved = true;
        ++i;
    }
    return starved;
}

void CAudioLib::MixChannelLocked(CAudioChannel& ch, float* out, int frames)
{
    if (ch.seeking)
        return;
    while (ch.playing && ch.mixedUpTo < frames) {
        if (MixPieceLocked(ch, out, frames) == 0)
            break;
    }
    // decodeEnded is read first: its acquire makes every sample written before it visible,
    // so an empty ring then really means the end.
    const bool decodeEnded = ch.decodeEnded.load(std::memory_order_acquire);
    if (ch.playing && decodeEnded && !ch.decodeEndSent) {
        ch.decodeEndSent = true;
        PushMixEvent(ch.handle, SyncType::DecodeEnd);
    }
    // A renderer plays no faster than the end of a track is prepared, as a device would.
    if (ch.playing && decodeEnded && ch.ring.Available() == 0
        && (ch.decodeEndHandled || !m_rendering.load(std::memory_order_relaxed)))
        EndChannelLocked(ch);
}

void CAudioLib::EndChannelLocked(CAudioChannel& ch)
{
    ch.playing = false;
    ch.ended = true;
    CAudioChannel* next = ch.next;
    ch.next = nullptr;
    RemoveFromMixLocked(ch);
    PushMixEvent(ch.handle, SyncType::End);
    // The queued channel takes over at the very next frame of this buffer; the pass reaches it
    // at the end of the list. The list's reserve keeps this free of allocation.
    if (next != nullptr && !next->playing && !next->seeking
        && m_mixList.size() < m_mixList.capacity()) {
        InheritGainLocked(ch, *next);
        StartLocked(*next, ch.mixedUpTo);
    }
}

void CAudioLib::InheritGainLocked(const CAudioChannel& from, CAudioChannel& to)
{
    // A seam between tracks of unequal loudness glides from one gain to the other instead of
    // stepping, which would click; equal gains leave the seam sample for sample as it was.
    if (to.heardOnce || from.loudness.current == to.loudness.target)
        return;
    const float target = to.loudness.target;
    to.loudness.current = from.loudness.current;
    dsp::SetGainTarget(to.loudness, target, kGainGlideMs * to.rate / 1000);
}

void CAudioLib::ApplyLoudnessLocked(CAudioChannel& ch, std::span<float> stereo)
{
    if (ch.loudness.rampLeft > 0 || ch.loudness.current != 1.0f)
        dsp::ApplyGain(stereo, ch.loudness);
    if (ch.limit)
        dsp::LimitPeaks(stereo, ch.limiter);
}

int CAudioLib::MixPieceLocked(CAudioChannel& ch, float* out, int frames)
{
    std::size_t n = static_cast<std::size_t>(frames - ch.mixedUpTo);
    n = std::min(n, m_scratch.size() / 2);
    if (ch.slideFrames > 0)
        n = std::min(n, static_cast<std::size_t>(ch.slideFrames));
    n = std::min(n, ch.ring.Available() / 2);
    if (n == 0)
        return 0;
    const std::span<float> piece(m_scratch.data(), 2 * n);
    ch.ring.Read(piece);
    ch.heardOnce = true;
    ApplyLoudnessLocked(ch, piece);
    ApplyEffectsLocked(ch, piece);
    CaptureHeardLocked(ch, piece);
    float start = ch.volume;
    float step = 0.0f;
    if (ch.slideFrames > 0) {
        step = ch.slideStep;
        start = ch.volume + step;
    }
    dsp::MixWithRamp(std::span<float>(out + 2 * static_cast<std::size_t>(ch.mixedUpTo), 2 * n),
        piece, start, step);
    ch.mixedUpTo += static_cast<int>(n);
    ch.position += n * kBytesPerFrame;
    if (ch.slideFrames > 0) {
        ch.volume += step * static_cast<float>(n);
        ch.slideFrames -= static_cast<int>(n);
        if (ch.slideFrames == 0)
            FinishSlideLocked(ch);
    }
    return static_cast<int>(n);
}

void CAudioLib::FinishSlideLocked(CAudioChannel& ch)
{
    ch.volume = ch.slideTarget;
    if (ch.slideHalts) {
        ch.playing = false;
        RemoveFromMixLocked(ch);
    }
    PushMixEvent(ch.handle, SyncType::SlideMixTime);
}

void CAudioLib::PushMixEvent(HCHANNEL channel, SyncType type)
{
    const std::size_t written = m_mixEventsWritten.load(std::memory_order_relaxed);
    // A full queue means the event thread has been stuck for a thousand events; the mixer
    // drops rather than waits.
    if (written - m_mixEventsRead.load(std::memory_order_acquire) >= kMixEvents)
        return;
    // Syncs set after the event are not its own: m_nextHandle marks where they begin.
    m_mixEvents[written % kMixEvents] = MixEvent{channel, type, m_nextHandle};
    m_mixEventsWritten.store(written + 1, std::memory_order_release);
}

void CAudioLib::ApplyEffectsLocked(CAudioChannel& ch, std::span<float> stereo)
{
    for (FxEntry& fx : ch.effects) {
        if (fx.peakEq) {
            dsp::ProcessEqualizer(stereo, fx.bands);
        } else {
            dsp::ApplyGain(stereo, fx.gain);
        }
    }
}

void CAudioLib::CaptureHeardLocked(CAudioChannel& ch, std::span<const float> stereo)
{
    const std::size_t frames = stereo.size() / 2;
    const std::size_t size = ch.heard.size();
    // Only the last window's worth matters.
    const std::size_t from = frames > size ? frames - size : 0;
    for (std::size_t i = from; i < frames; ++i) {
        ch.heard[ch.heardPos] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
        ch.heardPos = (ch.heardPos + 1) % size;
    }
}
