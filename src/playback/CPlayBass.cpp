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
// Stale work: a track change being prepared (m_next) carries the id of its question; every
// operation that replaces or stops the main channel cancels it (the prepared channel is freed
// before it is ever heard) and the main window's late answer then finds another id and is
// dropped. The worker re-reads the wanted address after connecting: empty means "abandoned",
// another address means "connect again"; only the newest address is installed and announced.
//
// The next-file question: from a layer thread it is queued to the notify window's thread and
// the callback waits for the answer on a request object of its own, which the destructor can
// release; a window that no longer runs its event loop cannot hold shut-down.
//
// Seams: the question is asked when the decoder of the playing file reaches its end (the layer's
// DecodeEnd sync), while up to a buffer length of it is still to be heard; the answer's channel
// is opened and queued in the layer then. The End sync, run when the last sample has been mixed
// and the queued channel has taken over at the next frame, makes it the main channel and posts
// UWM_PLAYERTRACKEND, so the message goes out as the seam reaches the output. A main window
// that answers only after the end was heard costs the lateness, as silence, and nothing else.
#include "CPlayBass.h"

#include "CMsgTarget.h"
#include "CPlaylistReader.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr std::chrono::milliseconds kWorkerWait{30000};
const CPlaylistReader kPlaylistReader;

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
        CancelLookaheadLocked(lock);
        FreeMainLocked(lock);
    }
    m_audio.Free();
    WaitForWorker();
    SaveEqState();
}

bool CPlayBass::Init(CMsgTarget* notifyWindow)
{
    m_audio.Init(44100, &kPlaylistReader);
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
    m_mainFx = EqSlot{};
    if (handle != 0)
        ApplyEqLocked(lock);
}

HCHANNEL CPlayBass::CreateFileChannelLocked(Lock&, const QString& path)
{
    const HCHANNEL handle = m_audio.StreamCreateFile(path);
    if (handle == 0)
        return 0;
    m_audio.ChannelSetSync(handle, SyncType::End, &CPlayBass::EndSync, this);
    m_audio.ChannelSetSync(handle, SyncType::DecodeEnd, &CPlayBass::DecodeEndSync, this);
    m_audio.ChannelSetVolume(handle, m_effectiveVolume);
    return handle;
}

bool CPlayBass::PlayFile(const QString& path)
{
    Lock lock(m_mutex);
    m_wantedAddress.clear();
    m_currentFile = path;
    CancelLookaheadLocked(lock);
    FreeMainLocked(lock);
    const HCHANNEL handle = CreateFileChannelLocked(lock, path);
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
    CancelLookaheadLocked(lock);
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
    // A track that ends during the fade is not followed until Resume.
    if (m_next.linked && m_next.ending == handle) {
        m_audio.ChannelSetNext(handle, 0);
        m_next.linked = false;
    }
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
    if (m_next.next != 0 && !m_next.linked && m_next.ending == handle)
        m_next.linked = m_audio.ChannelSetNext(handle, m_next.next);
}

void CPlayBass::Seek(int position)
{
    Lock lock(m_mutex);
    if (m_stream || !m_playing || m_currentFile.isEmpty())
        return;
    // Rebuilt rather than repositioned, so nothing buffered before the seek is heard; the track
    // change prepared for the old position is dropped and prepared again near the new end.
    CancelLookaheadLocked(lock);
    FreeMainLocked(lock);
    const HCHANNEL handle = m_audio.StreamCreateFile(m_currentFile);
    if (handle == 0)
        return;
    m_audio.ChannelSetSync(handle, SyncType::End, &CPlayBass::EndSync, this);
    m_audio.ChannelSetSync(handle, SyncType::DecodeEnd, &CPlayBass::DecodeEndSync, this);
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
    // A fade to a halt (pause, stop) must run out; Resume brings the new volume. The prepared
    // next file starts at full effective volume whatever happens to the one playing.
    if (m_next.next != 0)
        m_audio.ChannelSetVolume(m_next.next, m_effectiveVolume);
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
    CancelLookaheadLocked(lock);
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
    CancelLookaheadLocked(lock);
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
