// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The mixer: SDL's audio thread fills each device buffer from the rings of the playing
// channels. It allocates nothing, logs nothing, and holds m_mutex for one pass over the
// channels at a time. Syncs whose events happened in a pass run after it, with no lock held,
// and a channel they start is mixed from the frame where the event happened; that is how
// one track follows another with no silence between them.
//
// Two waits exist, both outside any lock: with no channel playing the thread sleeps until one
// starts (so that idle costs nothing, even on drivers that would otherwise spin), and a file
// channel whose ring ran dry is waited for briefly (its decoder is never far behind; this
// keeps faster-than-real-time drivers such as the disk writer gap-free). A buffer in which no
// channel delivered anything is paced to real time.
#include "CAudioLib.h"

#include "CAudioChannel.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr int kMaxUnderrunWaits = 200; // of 1 ms each, per device buffer
// A device that takes audio faster than real time has no deadline: waiting for a decoder that
// a busy machine starved is then always right, as the recording must match real playback.
constexpr int kMaxUnderrunWaitsUnpaced = 10000;
constexpr int kMaxSyncRounds = 16;     // sync rounds per device buffer
constexpr int kRate = CFfmpegDecoder::kOutputRate;
constexpr int kBytesPerFrame = 8;

} // namespace

void CAudioLib::Render(void* self, float* out, int frames)
{
    static_cast<CAudioLib*>(self)->Mix(out, frames);
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
    if (!WaitForWork())
        return;
    {
        std::lock_guard lock(m_mutex);
        for (CAudioChannel* ch : m_mixList)
            ch->mixedUpTo = 0;
    }
    bool deliveredAny = false;
    int waits = 0;
    const int maxWaits = m_output.IsFasterThanRealTime() ? kMaxUnderrunWaitsUnpaced : kMaxUnderrunWaits;
    for (int rounds = 0; rounds < kMaxSyncRounds;) {
        bool delivered = false;
        bool needWait = false;
        {
            std::lock_guard lock(m_mutex);
            needWait = MixPassLocked(out, frames, delivered);
        }
        deliveredAny = deliveredAny || delivered;
        if (m_pendingCount > 0) {
            RunPendingSyncs();
            ++rounds;
            continue;
        }
        if (!needWait || ++waits > maxWaits)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!deliveredAny)
        std::this_thread::sleep_for(std::chrono::microseconds(1000000LL * frames / kRate));
}

bool CAudioLib::MixPassLocked(float* out, int frames, bool& delivered)
{
    bool needWait = false;
    for (std::size_t i = 0; i < m_mixList.size();) {
        CAudioChannel& ch = *m_mixList[i];
        const std::size_t before = m_mixList.size();
        MixChannelLocked(ch, out, frames, delivered);
        if (m_mixList.size() < before)
            continue; // ch halted or ended and left the list at i
        if (ch.mixedUpTo < frames && !ch.isStream && !ch.seeking)
            needWait = true;
        ++i;
    }
    return needWait;
}

void CAudioLib::MixChannelLocked(CAudioChannel& ch, float* out, int frames, bool& delivered)
{
    if (ch.seeking)
        return;
    while (ch.playing && ch.mixedUpTo < frames) {
        if (MixPieceLocked(ch, out, frames) == 0)
            break;
        delivered = true;
    }
    // decodeEnded is read first: its acquire makes every sample written before it visible,
    // so an empty ring then really means the end.
    if (ch.playing && ch.decodeEnded.load(std::memory_order_acquire) && ch.ring.Available() == 0) {
        ch.playing = false;
        ch.ended = true;
        RemoveFromMixLocked(ch);
        QueueSyncsLocked(ch, SyncType::End, ch.mixedUpTo);
    }
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
            FinishSlideLocked(ch, ch.mixedUpTo);
    }
    return static_cast<int>(n);
}

void CAudioLib::FinishSlideLocked(CAudioChannel& ch, int offset)
{
    ch.volume = ch.slideTarget;
    if (ch.slideHalts) {
        ch.playing = false;
        RemoveFromMixLocked(ch);
    }
    QueueSyncsLocked(ch, SyncType::SlideMixTime, offset);
}

void CAudioLib::QueueSyncsLocked(CAudioChannel& ch, SyncType type, int offset)
{
    for (const SyncEntry& s : ch.syncs) {
        if (s.type != type || m_pendingCount >= kMaxPendingSyncs)
            continue;
        m_pending[static_cast<std::size_t>(m_pendingCount++)]
            = PendingSync{s.proc, s.handle, ch.handle, s.user, offset};
    }
}

void CAudioLib::RunPendingSyncs()
{
    const int count = m_pendingCount;
    for (int i = 0; i < count; ++i) {
        const PendingSync p = m_pending[static_cast<std::size_t>(i)];
        {
            // A channel freed by an earlier callback of this round runs no more syncs.
            std::lock_guard lock(m_mutex);
            if (!FindLocked(p.channel))
                continue;
        }
        s_syncOffset = p.offset;
        try {
            p.proc(p.handle, p.channel, p.user);
        } catch (...) {
            // Exceptions never leave through SDL's thread.
        }
        s_syncOffset = -1;
    }
    m_pendingCount = 0;
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
