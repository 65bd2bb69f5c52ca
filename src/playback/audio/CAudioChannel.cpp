// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// Threads: the creating thread (open, prefill), the channel's decoder thread (producer of the
// ring), the mixer (consumer, see CAudioLib_Mix.cpp). The decoder thread runs between
// StartDecoderControlled and StopDecoderControlled, or until the channel is freed; the control
// lock keeps the two thread-object operations apart.
#include "CAudioChannel.h"

#include <algorithm>
#include <chrono>

namespace {
// The decoder thread's rest when the ring is full, at least and at most. It sleeps until a
// quarter of the ring has been heard and then tops it up in one go: waking for every packet
// the mixer takes cost more processor time than decoding them.
constexpr auto kShortestRest = std::chrono::milliseconds(5);
constexpr auto kLongestRest = std::chrono::milliseconds(250);
} // namespace

CAudioChannel::CAudioChannel(HCHANNEL h, bool decodeOnlyChannel, int channelRate, std::size_t ringSamples)
    : handle(h)
    , decodeOnly(decodeOnlyChannel)
    , rate(channelRate)
    , ring(decodeOnlyChannel ? 2 : ringSamples)
{
}

CAudioChannel::~CAudioChannel()
{
    Quit();
    if (thread.joinable())
        thread.join();
    decoder.reset();
    source.reset();
}

bool CAudioChannel::FillOnce()
{
    if (carryPos >= carry.size()) {
        carry.clear();
        carryPos = 0;
        if (!decoder->Decode(carry))
            return false;
    }
    carryPos += ring.Write(std::span<const float>(carry).subspan(carryPos));
    return true;
}

void CAudioChannel::PrefillControlled(std::size_t samples)
{
    samples = std::min(samples, ring.Capacity());
    try {
        while (ring.Available() < samples) {
            const std::size_t before = ring.Available();
            if (!FillOnce()) {
                decodeEnded.store(true, std::memory_order_release);
                return;
            }
            if (ring.Available() == before && carryPos < carry.size())
                return; // full
        }
    } catch (const std::exception&) {
        decodeEnded.store(true, std::memory_order_release);
    }
}

void CAudioChannel::StartDecoderControlled(std::atomic<int>& live)
{
    if (decodeEnded.load(std::memory_order_acquire) || thread.joinable()
        || quit.load(std::memory_order_relaxed))
        return;
    stopDecoder.store(false, std::memory_order_relaxed);
    live.fetch_add(1, std::memory_order_relaxed);
    thread = std::thread([this, &live] {
        RunDecoder();
        live.fetch_sub(1, std::memory_order_release);
    });
}

void CAudioChannel::RunDecoder()
{
    try {
        while (!quit.load(std::memory_order_relaxed) && !stopDecoder.load(std::memory_order_relaxed)) {
            const std::size_t pending = carry.size() - carryPos;
            if (pending > 0 && ring.FreeSpace() < std::min<std::size_t>(pending, 4096)) {
                RestWhileFull();
                continue;
            }
            if (!FillOnce()) {
                decodeEnded.store(true, std::memory_order_release);
                return;
            }
        }
    } catch (const std::exception&) {
        // A decoder failure mid-stream ends the channel like the end of its data.
        decodeEnded.store(true, std::memory_order_release);
    }
}

void CAudioChannel::RestWhileFull()
{
    const std::size_t wanted = ring.Capacity() / 4;
    const std::size_t free = ring.FreeSpace();
    const std::size_t samplesPerSecond = 2 * static_cast<std::size_t>(std::max(rate, 1));
    const auto untilDrained = std::chrono::microseconds(
        (wanted > free ? wanted - free : 0) * 1000000 / samplesPerSecond);
    const auto rest = std::clamp<std::chrono::microseconds>(
        untilDrained, kShortestRest, kLongestRest);
    std::unique_lock lock(m_restMutex);
    m_restWake.wait_for(lock, rest, [this] {
        return quit.load(std::memory_order_relaxed) || stopDecoder.load(std::memory_order_relaxed);
    });
}

void CAudioChannel::WakeFromRest()
{
    // Taken and let go so the flag just set is seen either before the wait or by its wake-up.
    { std::lock_guard lock(m_restMutex); }
    m_restWake.notify_all();
}

void CAudioChannel::StopDecoderControlled()
{
    stopDecoder.store(true, std::memory_order_relaxed);
    WakeFromRest();
    if (thread.joinable())
        thread.join();
}

void CAudioChannel::Quit()
{
    quit.store(true, std::memory_order_relaxed);
    WakeFromRest();
}

void CAudioChannel::JoinDecoderControlled()
{
    Quit();
    if (thread.joinable())
        thread.join();
}

bool CAudioChannel::OnDecoderThreadControlled() const
{
    return thread.joinable() && thread.get_id() == std::this_thread::get_id();
}

QString CAudioChannel::Meta() const
{
    std::lock_guard lock(m_metaMutex);
    return m_meta;
}

void CAudioChannel::SetMeta(const QByteArray& text)
{
    // Servers send UTF-8 or a Western code page; invalid UTF-8 is read as Latin-1.
    QString decoded = QString::fromUtf8(text);
    if (decoded.contains(QChar::ReplacementCharacter))
        decoded = QString::fromLatin1(text);
    std::lock_guard lock(m_metaMutex);
    m_meta = decoded;
}
