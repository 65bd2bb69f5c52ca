// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The engine's callbacks from the layer and the end-of-track handling: the question for the
// next file, asked ahead of the end; the prepared channel queued to follow the playing one;
// and the hand-over once the seam has been heard. Threads and locks as in CPlayBass.cpp; the
// next file is opened with the operation lock released, so Stop, Pause or Seek never wait for
// a file that is slow to open, and the question's id, read again afterwards, drops a channel
// that was cancelled meanwhile.
#include "CPlayBass.h"

#include "CMsgTarget.h"

#include <QPointer>
#include <QThread>

void CPlayBass::EndSync(HSYNC, HCHANNEL channel, void* user)
{
    static_cast<CPlayBass*>(user)->OnEnd(channel);
}

void CPlayBass::DecodeEndSync(HSYNC, HCHANNEL channel, void* user)
{
    static_cast<CPlayBass*>(user)->OnDecodeEnd(channel);
}

void CPlayBass::MetaSync(HSYNC, HCHANNEL, void* user)
{
    PostMsg(static_cast<CPlayBass*>(user)->m_notify, UWM_PLAYERMETA, 0, 0);
}

void CPlayBass::SlideSync(HSYNC, HCHANNEL channel, void* user)
{
    static_cast<CPlayBass*>(user)->OnSlideEnd(channel);
}

void CPlayBass::OnSlideEnd(HCHANNEL channel)
{
    // Only the faded handle, and only while it is still the main channel: a channel that
    // replaced it was installed by someone who freed this one already.
    HCHANNEL expected = channel;
    if (m_channel.compare_exchange_strong(expected, 0))
        m_audio.StreamFree(channel);
}

void CPlayBass::OnDecodeEnd(HCHANNEL channel)
{
    std::uint64_t id = 0;
    {
        Lock lock(m_mutex);
        if (m_channel.load() != channel || !m_playing || m_stream || m_next.ending == channel)
            return;
        CancelLookaheadLocked(lock);
        m_next.ending = channel;
        m_next.id = id = ++m_lookaheadIds;
    }
    // The main window answers on its own thread, which may call the engine meanwhile.
    const std::optional<QString> next = AskNextFile();
    Lock lock(m_mutex);
    if (m_next.id != id)
        return; // stopped, sought or replaced while the question was out
    if (!next) {
        m_next = Lookahead{}; // shutting down, unanswered
        return;
    }
    m_next.answered = true;
    m_next.answer = *next;
    if (!next->isEmpty() && !IsStreamAddress(*next) && !PrepareNextFileLocked(lock, id))
        return;
    if (m_next.heard)
        FinishTrackLocked(lock);
}

bool CPlayBass::PrepareNextFileLocked(Lock& lock, std::uint64_t id)
{
    // The syncs run one at a time on the layer's event thread, so no End can arrive for this
    // change while its file opens; only the UI thread's operations can cancel it.
    const QString path = m_next.answer;
    lock.unlock();
    const HCHANNEL handle = m_audio.StreamCreateFile(path);
    const TrackGains gains = handle != 0 ? GainsOf(path) : TrackGains{};
    lock.lock();
    if (m_next.id != id) {
        if (handle != 0)
            m_audio.StreamFree(handle);
        return false;
    }
    if (handle != 0)
        SetUpFileChannelLocked(lock, handle, gains);
    m_next.next = handle;
    m_next.gains = gains;
    if (handle == 0)
        return true; // reported when the end is heard, as the failure of the next file
    AddEqLocked(lock, m_next.fx, handle);
    // While paused the main channel may end during its fade; the next file then waits for
    // Resume, which queues it.
    if (!m_paused)
        m_next.linked = m_audio.ChannelSetNext(m_next.ending, handle);
    return true;
}

void CPlayBass::CancelLookaheadLocked(Lock&)
{
    const HCHANNEL next = m_next.next;
    m_next = Lookahead{};
    // Freeing unqueues it; it was never heard.
    if (next != 0)
        m_audio.StreamFree(next);
}

void CPlayBass::OnEnd(HCHANNEL channel)
{
    {
        Lock lock(m_mutex);
        if (m_channel.load() != channel)
            return;
        if (!m_playing) {
            // Ended during a stop fade: nothing is left to hear, and a halted channel may
            // never finish its slide.
            CancelLookaheadLocked(lock);
            FreeMainLocked(lock);
            return;
        }
        if (m_stream) {
            OnStreamEndLocked(lock);
            return;
        }
        if (m_next.ending == channel) {
            if (m_next.answered)
                FinishTrackLocked(lock);
            else
                m_next.heard = true; // the answer, when it comes, finishes the change
            return;
        }
    }
    // Nothing was prepared (the end came with no warning): ask now.
    const std::optional<QString> next = AskNextFile();
    Lock lock(m_mutex);
    // Another track started while the question was out: the answer is stale.
    if (m_channel.load() != channel)
        return;
    // Stopped meanwhile (or shutting down, unanswered): the ended channel is freed.
    if (!m_playing || !next) {
        FreeMainLocked(lock);
        return;
    }
    CancelLookaheadLocked(lock);
    m_next.ending = channel;
    const std::uint64_t id = m_next.id = ++m_lookaheadIds;
    m_next.answered = true;
    m_next.answer = *next;
    if (!next->isEmpty() && !IsStreamAddress(*next) && !PrepareNextFileLocked(lock, id)) {
        // Stopped while the file opened: the ended channel cannot finish a stop fade.
        if (m_channel.load() == channel && !m_playing)
            FreeMainLocked(lock);
        return;
    }
    FinishTrackLocked(lock);
}

void CPlayBass::FinishTrackLocked(Lock& lock)
{
    const Lookahead done = m_next;
    m_next = Lookahead{};
    if (done.answer.isEmpty()) {
        FreeMainLocked(lock);
        m_playing = false;
        PostMsg(m_notify, UWM_PLAYERTRACKEND, 0, 0);
        return;
    }
    if (IsStreamAddress(done.answer)) {
        OpenURLLocked(lock, done.answer);
        PostMsg(m_notify, UWM_PLAYERTRACKEND, 0, 1);
        return;
    }
    m_currentFile = done.answer;
    FreeMainLocked(lock);
    // The prepared channel already carries its volume and equalizer.
    m_channel.store(done.next);
    m_mainFx = done.fx;
    m_mainGains = done.gains;
    // A failed file leaves the engine playing with no channel, so the main window moves on.
    PostMsg(m_notify, UWM_PLAYERTRACKEND, done.next == 0 ? 1 : 0, 0);
    // A queued channel was started by the layer at the seam.
    if (done.next != 0 && !done.linked && !m_paused)
        m_audio.ChannelPlay(done.next);
}

struct CPlayBass::NextFileRequest {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;      // guarded by mutex
    bool cancelled = false; // guarded by mutex
    QString answer;         // guarded by mutex
};

std::optional<QString> CPlayBass::AskNextFile()
{
    QString next;
    if (m_notify == nullptr || QThread::currentThread() == m_notify->thread()) {
        SendMsg(m_notify, UWM_PLAYERNEXTFILE, reinterpret_cast<WParam>(&next), 0);
        return next;
    }
    // A blocking send that the destructor can release: the question is queued to the window's
    // thread, which sends it there and hands back the answer. The queued call holds only the
    // request, so it may even run after the engine has gone.
    auto request = std::make_shared<NextFileRequest>();
    {
        Lock lock(m_mutex);
        if (m_closing)
            return std::nullopt;
        m_requests.push_back(request);
    }
    QPointer<CMsgTarget> target(m_notify);
    QMetaObject::invokeMethod(
        m_notify, [request, target] {
            QString answer;
            if (target)
                SendMsg(target, UWM_PLAYERNEXTFILE, reinterpret_cast<WParam>(&answer), 0);
            std::lock_guard guard(request->mutex);
            request->answer = answer;
            request->done = true;
            request->changed.notify_all();
        },
        Qt::QueuedConnection);
    std::optional<QString> result;
    {
        std::unique_lock wait(request->mutex);
        request->changed.wait(wait, [&] { return request->done || request->cancelled; });
        if (request->done)
            result = request->answer;
    }
    Lock lock(m_mutex);
    std::erase(m_requests, request);
    return result;
}

void CPlayBass::CancelRequests()
{
    std::vector<std::shared_ptr<NextFileRequest>> waiting;
    {
        Lock lock(m_mutex);
        m_closing = true;
        waiting = m_requests;
    }
    for (const auto& request : waiting) {
        std::lock_guard guard(request->mutex);
        request->cancelled = true;
        request->changed.notify_all();
    }
}

void CPlayBass::OnStreamEndLocked(Lock& lock)
{
    m_stream = false;
    FreeMainLocked(lock);
    m_playing = false;
    PostMsg(m_notify, UWM_PLAYERTRACKEND, 0, 0);
}
