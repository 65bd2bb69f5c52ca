// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// Volume, slides, syncs, effects and analysis of CAudioLib. Everything here takes m_mutex
// briefly; syncs are always called with no lock held (see CAudioLib.h for the order).
#include "CAudioLib.h"

#include "CAudioChannel.h"

#include <algorithm>
#include <cmath>

bool CAudioLib::ChannelSetVolume(HCHANNEL channel, float volume)
{
    std::lock_guard lock(m_mutex);
    const ChannelPtr ch = FindLocked(channel);
    if (!ch) {
        SetLastError(AudioError::Handle);
        return false;
    }
    ch->volume = std::clamp(volume, 0.0f, 1.0f);
    ch->slideFrames = 0; // a set volume ends a slide under way
    return true;
}

namespace {

// How fast the limiter gives back what it took after a peak: slow enough not to pump on
// every beat, fast enough that a lone peak is not heard as a dip.
constexpr double kLimiterReleaseSeconds = 0.15;

} // namespace

bool CAudioLib::ChannelSetGain(HCHANNEL channel, float gain, bool limit)
{
    if (!std::isfinite(gain) || gain < 0.0f) {
        SetLastError(AudioError::IllParam);
        return false;
    }
    std::lock_guard lock(m_mutex);
    const ChannelPtr ch = FindLocked(channel);
    if (!ch) {
        SetLastError(AudioError::Handle);
        return false;
    }
    if (ch->heardOnce) {
        dsp::SetGainTarget(ch->loudness, gain, kGainGlideMs * ch->rate / 1000);
    } else {
        ch->loudness = dsp::GainRamp{gain, gain, 0.0f, 0};
    }
    if (limit && !ch->limit)
        ch->limiter = dsp::PeakLimiter{1.0f, dsp::LimiterRelease(ch->rate, kLimiterReleaseSeconds)};
    ch->limit = limit;
    return true;
}

float CAudioLib::ChannelGetVolume(HCHANNEL channel)
{
    std::lock_guard lock(m_mutex);
    const ChannelPtr ch = FindLocked(channel);
    return ch ? ch->volume : -1.0f;
}

bool CAudioLib::ChannelSlideVolume(HCHANNEL channel, float target, int ms)
{
    bool finishedAtOnce = false;
    {
        std::lock_guard lock(m_mutex);
        const ChannelPtr ch = FindLocked(channel);
        if (!ch) {
            SetLastError(AudioError::Handle);
            return false;
        }
        const bool halts = target < 0.0f;
        const float to = halts ? 0.0f : std::min(target, 1.0f);
        const int frames = static_cast<int>(static_cast<long long>(std::max(ms, 0)) * ch->rate / 1000);
        if (frames == 0 || (halts && !ch->playing)) {
            // Nothing to fade: a halted channel is already silent.
            ch->volume = to;
            ch->slideFrames = 0;
            if (halts && ch->playing) {
                ch->playing = false;
                RemoveFromMixLocked(*ch);
            }
            finishedAtOnce = true;
        } else {
            // A slide on a channel that is not playing waits for ChannelPlay (a fade-in is
            // set up before the channel starts).
            ch->slideTarget = to;
            ch->slideStep = (to - ch->volume) / static_cast<float>(frames);
            ch->slideFrames = frames;
            ch->slideHalts = halts;
        }
    }
    if (finishedAtOnce) {
        PauseIfIdle();
        RunSyncsLater(channel, SyncType::SlideMixTime);
    }
    return true;
}

HSYNC CAudioLib::ChannelSetSync(HCHANNEL channel, SyncType type, SyncProc proc, void* user)
{
    if (!proc) {
        SetLastError(AudioError::IllParam);
        return 0;
    }
    std::lock_guard lock(m_mutex);
    const ChannelPtr ch = FindLocked(channel);
    if (!ch) {
        SetLastError(AudioError::Handle);
        return 0;
    }
    const HSYNC handle = m_nextHandle++;
    ch->syncs.push_back(SyncEntry{handle, type, proc, user});
    return handle;
}

void CAudioLib::RunSyncsNow(HCHANNEL channel, SyncType type, HSYNC syncsBefore)
{
    std::vector<SyncEntry> due;
    {
        std::lock_guard lock(m_mutex);
        const ChannelPtr ch = FindLocked(channel);
        if (!ch)
            return;
        for (const SyncEntry& s : ch->syncs)
            if (s.type == type && s.handle < syncsBefore)
                due.push_back(s);
    }
    for (const SyncEntry& s : due) {
        try {
            s.proc(s.handle, channel, s.user);
        } catch (...) {
            // A callback's failure stays with the callback.
        }
    }
}

bool CAudioLib::ChannelSetNext(HCHANNEL channel, HCHANNEL next)
{
    bool startNow = false;
    {
        std::lock_guard lock(m_mutex);
        const ChannelPtr ch = FindLocked(channel);
        const ChannelPtr follower = next != 0 ? FindLocked(next) : nullptr;
        if (!ch || (next != 0 && !follower)) {
            SetLastError(AudioError::Handle);
            return false;
        }
        if (follower && (follower == ch || follower->decodeOnly || ch->decodeOnly)) {
            SetLastError(AudioError::IllParam);
            return false;
        }
        if (follower && ch->ended) {
            // Too late for a seam: what ended is over, so the follower simply starts.
            StartLocked(*follower, 0);
            startNow = true;
        } else {
            ch->next = follower.get();
        }
    }
    if (startNow)
        WakeOutput();
    SetLastError(AudioError::Ok);
    return true;
}

HFX CAudioLib::AddFx(HCHANNEL channel, int priority, bool peakEq)
{
    std::lock_guard lock(m_mutex);
    const ChannelPtr ch = FindLocked(channel);
    if (!ch) {
        SetLastError(AudioError::Handle);
        return 0;
    }
    FxEntry fx;
    fx.handle = m_nextHandle++;
    fx.priority = priority;
    fx.peakEq = peakEq;
    const auto at = std::upper_bound(ch->effects.begin(), ch->effects.end(), priority,
        [](int p, const FxEntry& e) { return p < e.priority; });
    ch->effects.insert(at, fx);
    return fx.handle;
}

HFX CAudioLib::ChannelSetFxVolume(HCHANNEL channel, int priority)
{
    return AddFx(channel, priority, false);
}

HFX CAudioLib::ChannelSetFxPeakEq(HCHANNEL channel, int priority)
{
    return AddFx(channel, priority, true);
}

FxEntry* CAudioLib::FindFxLocked(HFX fx, CAudioChannel** owner)
{
    for (auto& [handle, ch] : m_channels) {
        for (FxEntry& e : ch->effects) {
            if (e.handle == fx) {
                if (owner)
                    *owner = ch.get();
                return &e;
            }
        }
    }
    return nullptr;
}

bool CAudioLib::FxSetVolume(HFX fx, float gain)
{
    std::lock_guard lock(m_mutex);
    CAudioChannel* ch = nullptr;
    FxEntry* e = FindFxLocked(fx, &ch);
    if (!e || e->peakEq || gain < 0.0f) {
        SetLastError(e ? AudioError::IllParam : AudioError::Handle);
        return false;
    }
    if (ch->position == 0 && !ch->playing) {
        // Nothing heard yet: the first sample already gets the gain.
        e->gain = dsp::GainRamp{gain, gain, 0.0f, 0};
    } else {
        dsp::SetGainTarget(e->gain, gain);
    }
    return true;
}

bool CAudioLib::FxSetPeakEq(HFX fx, const PeakEqBand& band)
{
    std::lock_guard lock(m_mutex);
    CAudioChannel* ch = nullptr;
    FxEntry* e = FindFxLocked(fx, &ch);
    if (!e || !e->peakEq || band.band < 0 || band.band >= FxEntry::kBands
        || !(band.bandwidth > 0.0f) || !(band.center > 0.0f)) {
        SetLastError(e ? AudioError::IllParam : AudioError::Handle);
        return false;
    }
    const dsp::BiquadCoeffs c = dsp::PeakingCoeffs(ch->rate, band.center, band.bandwidth, band.gain);
    dsp::BiquadBand& b = e->bands[static_cast<std::size_t>(band.band)];
    if (ch->position == 0 && !ch->playing) {
        b.current = b.target = c;
        b.rampLeft = 0;
        b.flat = dsp::IsIdentity(c);
        b.state = {};
    } else {
        dsp::SetBiquadTarget(b, c);
    }
    return true;
}

bool CAudioLib::ChannelRemoveFx(HCHANNEL channel, HFX fx)
{
    std::lock_guard lock(m_mutex);
    const ChannelPtr ch = FindLocked(channel);
    if (!ch) {
        SetLastError(AudioError::Handle);
        return false;
    }
    const auto it = std::find_if(ch->effects.begin(), ch->effects.end(),
        [fx](const FxEntry& e) { return e.handle == fx; });
    if (it == ch->effects.end())
        return false;
    ch->effects.erase(it);
    return true;
}

bool CAudioLib::ChannelGetFft(HCHANNEL channel, std::array<float, kFftBins>& out)
{
    std::array<float, CFftAnalyzer::kSize> samples{};
    {
        std::lock_guard lock(m_mutex);
        const ChannelPtr ch = FindLocked(channel);
        if (!ch) {
            SetLastError(AudioError::Handle);
            return false;
        }
        // Oldest first: the circular capture starts at its write position.
        const auto split = ch->heard.begin() + static_cast<std::ptrdiff_t>(ch->heardPos);
        std::copy(split, ch->heard.end(), samples.begin());
        std::copy(ch->heard.begin(), split, samples.begin() + (ch->heard.end() - split));
    }
    thread_local CFftAnalyzer analyzer;
    analyzer.Compute(samples, out);
    return true;
}

namespace {

// Copies decoded samples of a decode-only channel into out; finished tells that the data
// ended (or failed) before out was full. Control lock held by the caller.
std::size_t ReadDecodedControlled(CAudioChannel& ch, std::span<float> out, bool& finished)
{
    std::size_t written = 0;
    finished = false;
    try {
        while (written < out.size()) {
            if (ch.carryPos >= ch.carry.size()) {
                ch.carry.clear();
                ch.carryPos = 0;
                if (!ch.decoder->Decode(ch.carry)) {
                    finished = true;
                    break;
                }
            }
            const std::size_t n = std::min(out.size() - written, ch.carry.size() - ch.carryPos);
            std::copy_n(ch.carry.data() + ch.carryPos, n, out.data() + written);
            ch.carryPos += n;
            written += n;
        }
    } catch (const std::exception&) {
        finished = true;
    }
    return written;
}

} // namespace

std::size_t CAudioLib::ChannelGetData(HCHANNEL channel, std::span<float> out)
{
    const ChannelPtr ch = Find(channel);
    if (!ch || !ch->decodeOnly) {
        SetLastError(AudioError::Handle);
        return 0;
    }
    bool finished = false;
    std::size_t written = 0;
    {
        std::lock_guard control(ch->m_control);
        written = ReadDecodedControlled(*ch, out.first(out.size() & ~std::size_t{1}), finished);
    }
    bool endNow = false;
    {
        std::lock_guard lock(m_mutex);
        const std::span<float> data = out.first(written);
        ApplyEffectsLocked(*ch, data);
        CaptureHeardLocked(*ch, data);
        ch->position += written * sizeof(float);
        endNow = finished && written == 0 && !ch->ended;
        ch->ended = ch->ended || (finished && written == 0);
    }
    // The End syncs run on this thread, once, when a call finds nothing left.
    if (endNow)
        RunSyncsNow(channel, SyncType::End);
    return written;
}
