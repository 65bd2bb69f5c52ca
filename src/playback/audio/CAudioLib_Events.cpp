// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The event thread: everything the mixer may not do itself. It runs the syncs of what the
// mixer reported (a decoder at the end of its data, a channel ended, a slide finished) in the
// order they happened, pauses the device when the mix ran out, and joins the decoder threads
// of freed channels. Callers that have a sync to run later (a slide with nothing to fade) post
// it here too. A sync that blocks holds up the ones behind it, never the mixer.
#include "CAudioLib.h"

#include "CAudioChannel.h"

void CAudioLib::WakeEvents()
{
    m_eventSeq.fetch_add(1, std::memory_order_release);
    m_eventSeq.notify_one();
}

void CAudioLib::PostEvent(HCHANNEL channel, SyncType type)
{
    HSYNC syncsBefore = 0;
    {
        std::lock_guard lock(m_mutex);
        syncsBefore = m_nextHandle;
    }
    {
        std::lock_guard events(m_eventMutex);
        m_callerEvents.push_back(MixEvent{channel, type, syncsBefore});
    }
    WakeEvents();
}

void CAudioLib::RunSyncsLater(HCHANNEL channel, SyncType type)
{
    PostEvent(channel, type);
}

void CAudioLib::RunEvents()
{
    std::vector<MixEvent> mixed;
    std::vector<MixEvent> posted;
    mixed.reserve(kMixEvents);
    for (;;) {
        const std::uint32_t seq = m_eventSeq.load(std::memory_order_acquire);
        {
            std::lock_guard events(m_eventMutex);
            posted.swap(m_callerEvents);
        }
        const std::size_t written = m_mixEventsWritten.load(std::memory_order_acquire);
        for (std::size_t i = m_mixEventsRead.load(std::memory_order_relaxed); i < written; ++i)
            mixed.push_back(m_mixEvents[i % kMixEvents]);
        m_mixEventsRead.store(written, std::memory_order_release);

        bool ranOut = false;
        {
            std::lock_guard running(m_syncMutex);
            for (const MixEvent& e : posted)
                RunSyncsNow(e.channel, e.type, e.syncsBefore);
            for (const MixEvent& e : mixed) {
                if (e.channel == 0)
                    ranOut = true;
                else
                    RunSyncsNow(e.channel, e.type, e.syncsBefore);
                if (e.type == SyncType::DecodeEnd)
                    MarkDecodeEndHandled(e.channel);
            }
        }
        if (ranOut)
            PauseIfIdle();
        JoinRetired();
        const bool worked = !posted.empty() || !mixed.empty();
        posted.clear();
        mixed.clear();
        if (worked)
            continue;
        if (m_stopEvents.load(std::memory_order_acquire))
            return;
        m_eventSeq.wait(seq, std::memory_order_acquire);
    }
}

void CAudioLib::MarkDecodeEndHandled(HCHANNEL channel)
{
    std::lock_guard lock(m_mutex);
    if (const ChannelPtr ch = FindLocked(channel))
        ch->decodeEndHandled = true;
}
