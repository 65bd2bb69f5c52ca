// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// Threads: the UI thread calls every public operation; the layer's threads run the sync
// callbacks (end of track, stream metadata, end of a volume slide); the connection worker
// opens internet streams.
//
// Locks: one operation lock, m_mutex, taken by the UI operations, by the worker's
// compare-and-install step and by the end-of-track handling once the main window has answered.
// It may be held across layer calls (the layer runs callbacks holding nothing its calls wait
// for) but never across SendMsg nor across the blocking connect. The metadata callback takes
// nothing; the slide-end callback takes the faded handle out of m_channel by compare-and-exchange,
// so it frees that handle only and never a channel installed since. Whoever takes a handle out
// of m_channel frees it; no handle is freed twice.
//
// Stale work: the end-of-track handling remembers which channel ended and drops the main
// window's answer when playback was stopped or another channel took over while it asked. The
// worker re-reads the wanted address after connecting: empty means "abandoned", another address
// means "connect again"; only the newest address is installed and announced.
//
// The end-of-track question: from a layer thread it is queued to the notify window's thread
// and the callback waits for the answer on a request object of its own, which the destructor
// can release; a window that no longer runs its event loop cannot hold shut-down.
//
// Seams: the layer runs the End sync when the channel's last sample has been mixed, and the next
// channel is started from inside it, so the UWM_PLAYERTRACKEND posted there goes out as the seam
// reaches the output rather than when the decoder ran dry.
#include "CPlayBass.h"

#include "CMsgTarget.h"

#include <QPointer>
#include <QThread>

#include <algorithm>
#include <chrono>

namespace {

constexpr std::chrono::milliseconds kWorkerWait{30000};

} // namespace

CPlayBass::CPlayBass(IAudioLib& audio)
    : m_audio(audio)
{
}

CPlayBass::~CPlayBass()
{
    CancelRequests();
    if (m_playing.load()) {
        Stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(kFadeMs));
    }
    {
        Lock lock(m_mutex);
        m_wantedAddress.clear();
        FreeMainLocked(lock);
    }
    m_audio.Free();
    WaitForWorker();
    SaveEqState();
}

bool CPlayBass::Init(CMsgTarget* notifyWindow)
{
    m_audio.Init(44100);
    m_audio.SetBufferMs(1000);
    m_audio.SetNetPlaylist(true);
    m_notify = notifyWindow;
    LoadEqState();
    return true;
}

bool CPlayBass::IsStreamAddress(const QString& text)
{
    return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("ftp://"), Qt::CaseInsensitive);
}

// ---- channels -----------------------------------------------------------------------------

void CPlayBass::FreeMainLocked(Lock&)
{
    const HCHANNEL handle = m_channel.exchange(0);
    if (handle != 0)
        m_audio.StreamFree(handle);
}

void CPlayBass::InstallMainLocked(Lock& lock, HCHANNEL handle)
{
    m_channel.store(handle);
    // Effects die with their channel; the new one gets its own.
    m_fxChannel = 0;
    m_preampFx = 0;
    m_bandFx = 0;
    if (handle != 0)
        ApplyEqLocked(lock);
}

HCHANNEL CPlayBass::StartFileChannelLocked(Lock&)
{
    const HCHANNEL handle = m_audio.StreamCreateFile(m_currentFile);
    if (handle == 0)
        return 0;
    m_audio.ChannelSetSync(handle, SyncType::End, &CPlayBass::EndSync, this);
    m_audio.ChannelSetVolume(handle, m_effectiveVolume);
    return handle;
}

bool CPlayBass::PlayFile(const QString& path)
{
    Lock lock(m_mutex);
    m_wantedAddress.clear();
    m_currentFile = path;
    FreeMainLocked(lock);
    const HCHANNEL handle = StartFileChannelLocked(lock);
    if (handle == 0)
        return false;
    InstallMainLocked(lock, handle);
    m_playing = true;
    m_paused = false;
    m_stream = false;
    m_audio.ChannelPlay(handle);
    return true;
}

void CPlayBass::Stop()
{
    Lock lock(m_mutex);
    // A pending connection is abandoned too: the worker frees its result.
    m_wantedAddress.clear();
    m_playing = false;
    m_paused = false;
    m_stream = false;
    const HCHANNEL handle = m_channel.load();
    if (handle == 0)
        return;
    m_audio.ChannelSetSync(handle, SyncType::SlideMixTime, &CPlayBass::SlideSync, this);
    m_audio.ChannelSlideVolume(handle, -1.0f, kFadeMs);
}

void CPlayBass::Pause()
{
    Lock lock(m_mutex);
    const HCHANNEL handle = m_channel.load();
    if (handle == 0 || !m_playing)
        return;
    m_paused = true;
    m_audio.ChannelSlideVolume(handle, -1.0f, kFadeMs);
}

void CPlayBass::Resume()
{
    Lock lock(m_mutex);
    const HCHANNEL handle = m_channel.load();
    // A channel fading out after Stop stays silent.
    if (handle == 0 || !m_playing)
        return;
    m_paused = false;
    m_audio.ChannelSetVolume(handle, 0.0f);
    m_audio.ChannelSlideVolume(handle, m_effectiveVolume, kFadeMs);
    m_audio.ChannelPlay(handle);
}

void CPlayBass::Seek(int position)
{
    Lock lock(m_mutex);
    if (m_stream || !m_playing || m_currentFile.isEmpty())
        return;
    // Rebuilt rather than repositioned, so nothing buffered before the seek is heard.
    FreeMainLocked(lock);
    const HCHANNEL handle = m_audio.StreamCreateFile(m_currentFile);
    if (handle == 0)
        return;
    m_audio.ChannelSetSync(handle, SyncType::End, &CPlayBass::EndSync, this);
    const std::uint64_t length = m_audio.ChannelGetLength(handle);
    if (length != kUnknownLength) {
        const auto part = static_cast<std::uint64_t>(std::clamp(position, 0, kMaxLevel));
        // Whole frames of stereo float.
        const std::uint64_t bytes = part * length / kMaxLevel / 8 * 8;
        m_audio.ChannelSetPosition(handle, bytes);
    }
    InstallMainLocked(lock, handle);
    m_audio.ChannelSetVolume(handle, 0.0f);
    m_audio.ChannelSlideVolume(handle, m_effectiveVolume, kFadeMs);
    m_audio.ChannelPlay(handle);
}

int CPlayBass::GetPosition() const
{
    // Lock-free so the position timer never waits for a file being opened at a track change;
    // a handle freed meanwhile only makes the layer calls fail.
    const HCHANNEL handle = m_channel.load();
    if (handle == 0)
        return 0;
    const std::uint64_t length = m_audio.ChannelGetLength(handle);
    const std::uint64_t pos = m_audio.ChannelGetPosition(handle);
    if (length == 0 || length == kUnknownLength || pos == kUnknownLength)
        return 0;
    return static_cast<int>(std::min<std::uint64_t>(pos * kMaxLevel / length, kMaxLevel));
}

bool CPlayBass::GetFftData(std::array<float, kFftBins>& data) const
{
    const HCHANNEL handle = m_channel.load();
    return handle != 0 && m_audio.ChannelGetFft(handle, data);
}

// ---- volume -------------------------------------------------------------------------------

void CPlayBass::SendVolumeLocked(Lock&)
{
    // A fade to a halt (pause, stop) must run out; Resume brings the new volume.
    const HCHANNEL handle = m_channel.load();
    if (handle != 0 && m_playing && !m_paused)
        m_audio.ChannelSetVolume(handle, m_effectiveVolume);
}

void CPlayBass::SetLevelLocked(Lock& lock, int level)
{
    m_level = std::clamp(level, 0, kMaxLevel);
    if (!m_mute) {
        m_effectiveVolume = static_cast<float>(m_level) / static_cast<float>(kMaxLevel);
        SendVolumeLocked(lock);
    }
}

void CPlayBass::SetVolume(int level)
{
    Lock lock(m_mutex);
    SetLevelLocked(lock, level);
}

int CPlayBass::VolumeUp()
{
    Lock lock(m_mutex);
    SetLevelLocked(lock, m_level + 5000);
    return m_level;
}

int CPlayBass::VolumeDown()
{
    Lock lock(m_mutex);
    SetLevelLocked(lock, m_level - 5000);
    return m_level;
}

void CPlayBass::SetMute(bool on)
{
    Lock lock(m_mutex);
    m_mute = on;
    m_effectiveVolume = on ? 0.0f : static_cast<float>(m_level) / static_cast<float>(kMaxLevel);
    SendVolumeLocked(lock);
}

int CPlayBass::GetVolumeLevel() const
{
    Lock lock(m_mutex);
    return m_level;
}

bool CPlayBass::IsMute() const
{
    Lock lock(m_mutex);
    return m_mute;
}

// ---- callbacks ----------------------------------------------------------------------------

void CPlayBass::EndSync(HSYNC, HCHANNEL channel, void* user)
{
    static_cast<CPlayBass*>(user)->OnEnd(channel);
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

void CPlayBass::OnEnd(HCHANNEL channel)
{
    {
        Lock lock(m_mutex);
        if (m_channel.load() != channel)
            return;
        if (!m_playing) {
            // Ended during a stop fade: nothing is left to hear, and a halted channel may
            // never finish its slide.
            FreeMainLocked(lock);
            return;
        }
        if (m_stream) {
            OnStreamEndLocked(lock);
            return;
        }
    }
    // The main window answers on its own thread, which may call the engine meanwhile.
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
    OnNextAnswerLocked(lock, *next);
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

void CPlayBass::OnNextAnswerLocked(Lock& lock, const QString& next)
{
    if (next.isEmpty()) {
        FreeMainLocked(lock);
        m_playing = false;
        PostMsg(m_notify, UWM_PLAYERTRACKEND, 0, 0);
        return;
    }
    if (IsStreamAddress(next)) {
        OpenURLLocked(lock, next);
        PostMsg(m_notify, UWM_PLAYERTRACKEND, 0, 1);
        return;
    }
    m_currentFile = next;
    FreeMainLocked(lock);
    const HCHANNEL handle = StartFileChannelLocked(lock);
    InstallMainLocked(lock, handle);
    // A failed file leaves the engine playing with no channel, so the main window moves on.
    PostMsg(m_notify, UWM_PLAYERTRACKEND, handle == 0 ? 1 : 0, 0);
    if (handle != 0 && !m_paused)
        m_audio.ChannelPlay(handle);
}

// ---- internet streams ---------------------------------------------------------------------

bool CPlayBass::OpenURL(const QString& address)
{
    Lock lock(m_mutex);
    return OpenURLLocked(lock, address);
}

bool CPlayBass::OpenURLLocked(Lock& lock, const QString& address)
{
    m_currentFile.clear();
    m_wantedAddress = address;
    // A running worker notices the new address when its connect returns.
    if (m_workerRunning)
        return true;
    FreeMainLocked(lock);
    JoinFinishedWorkerLocked(lock);
    m_workerRunning = true;
    m_worker = std::thread(&CPlayBass::ConnectWorker, this);
    return true;
}

void CPlayBass::JoinFinishedWorkerLocked(Lock&)
{
    // The worker clears m_workerRunning as its last step under the lock, so this join returns
    // at once and cannot wait for the lock held here.
    if (m_worker.joinable())
        m_worker.join();
}

WParam CPlayBass::ConnectCode(HCHANNEL handle, AudioError error)
{
    if (handle != 0)
        return 0;
    return IsNetworkError(error) ? 2 : 1;
}

void CPlayBass::ConnectWorker()
{
    Lock lock(m_mutex);
    try {
        for (;;) {
            const QString address = m_wantedAddress;
            lock.unlock();
            const HCHANNEL handle = address.isEmpty() ? 0 : m_audio.StreamCreateURL(address);
            const AudioError error = m_audio.ErrorGetCode();
            lock.lock();
            const bool abandoned = m_wantedAddress.isEmpty();
            if (abandoned || m_wantedAddress.compare(address, Qt::CaseInsensitive) != 0) {
                if (handle != 0)
                    m_audio.StreamFree(handle);
                if (abandoned)
                    break;
                continue;
            }
            InstallStreamLocked(lock, handle);
            PostMsg(m_notify, UWM_PLAYERCONNECT, ConnectCode(handle, error), 0);
            break;
        }
    } catch (...) {
        if (!lock.owns_lock())
            lock.lock();
    }
    m_workerRunning = false;
    m_workerEnded.notify_all();
}

bool CPlayBass::InstallStreamLocked(Lock& lock, HCHANNEL handle)
{
    // What played before gives way even when the new address failed.
    FreeMainLocked(lock);
    if (handle == 0) {
        m_playing = false;
        m_paused = false;
        m_stream = false;
        return false;
    }
    m_playing = true;
    m_paused = false;
    m_stream = true;
    m_audio.ChannelSetSync(handle, SyncType::End, &CPlayBass::EndSync, this);
    m_audio.ChannelSetSync(handle, SyncType::Meta, &CPlayBass::MetaSync, this);
    m_audio.ChannelSetVolume(handle, m_effectiveVolume);
    InstallMainLocked(lock, handle);
    m_audio.ChannelPlay(handle);
    return true;
}

void CPlayBass::WaitForWorker()
{
    Lock lock(m_mutex);
    m_workerEnded.wait_for(lock, kWorkerWait, [this] { return !m_workerRunning; });
    std::thread worker = std::move(m_worker);
    lock.unlock();
    // Past the wait the layer's own connect time limit bounds the join; the worker never
    // outlives the engine it points to.
    if (worker.joinable())
        worker.join();
}
