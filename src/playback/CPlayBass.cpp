// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// Threads: the UI thread calls every public operation; the layer's threads run the sync
// callbacks (end of track, stream metadata, end of a volume slide); the connection worker
// opens internet streams; one file worker per OpenFile opens its file.
//
// Locks: one operation lock, m_mutex, taken by the UI operations, by the worker's
// compare-and-install step and by the end-of-track handling once the main window has answered.
// It may be held across layer calls (the layer runs callbacks holding nothing its calls wait
// for) but never across SendMsg, the blocking connect, nor the opening of a file by a worker
// or by the end-of-track handling (a file on a share that does not answer would hold every UI
// operation behind it). The metadata callback takes nothing; the slide-end callback takes the
// faded handle out of m_channel by compare-and-exchange, so it frees that handle only and
// never a channel installed since. Whoever takes a handle out
// of m_channel frees it; no handle is freed twice.
//
// Stale work: a track change being prepared (m_next) carries the id of its question; every
// operation that replaces or stops the main channel cancels it (the prepared channel is freed
// before it is ever heard) and the main window's late answer then finds another id and is
// dropped. The worker re-reads the wanted address after connecting: empty means "abandoned",
// another address means "connect again"; only the newest address is installed and announced.
// A file worker compares the request number it was started with against m_request: any newer
// request makes its channel stale, and it frees it unheard. The next file of a track change
// is opened with the lock released; the question's id, read again afterwards, tells whether
// it is still wanted.
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
#include <system_error>

namespace {

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
        ++m_request;
        CancelLookaheadLocked(lock);
        FreeMainLocked(lock);
    }
    // Lets go of every open and connect still waiting, so the workers end at once.
    m_audio.Free();
    WaitForWorkers();
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

void CPlayBass::SetUpFileChannelLocked(Lock& lock, HCHANNEL handle, const TrackGains& gains)
{
    m_audio.ChannelSetSync(handle, SyncType::End, &CPlayBass::EndSync, this);
    m_audio.ChannelSetSync(handle, SyncType::DecodeEnd, &CPlayBass::DecodeEndSync, this);
    m_audio.ChannelSetVolume(handle, m_effectiveVolume);
    const LoudnessGain gain = ChooseLoudnessGain(gains, m_loudness, m_albumOrder);
    // A new channel starts at unity with no limiter; only a different setting is sent.
    if (gain != LoudnessGain{})
        SendGainLocked(lock, handle, gains);
}

void CPlayBass::SendGainLocked(Lock&, HCHANNEL handle, const TrackGains& gains)
{
    const LoudnessGain gain = ChooseLoudnessGain(gains, m_loudness, m_albumOrder);
    m_audio.ChannelSetGain(handle, gain.linear, gain.limit);
}

void CPlayBass::SupersedeLocked(Lock& lock)
{
    // A pending connection or file opening is abandoned: its worker frees its result.
    m_wantedAddress.clear();
    ++m_request;
    CancelLookaheadLocked(lock);
    FreeMainLocked(lock);
}

void CPlayBass::InstallFileLocked(Lock& lock, HCHANNEL handle, const QString& path,
    const TrackGains& gains)
{
    SetUpFileChannelLocked(lock, handle, gains);
    m_mainGains = gains;
    m_currentFile = path;
    InstallMainLocked(lock, handle);
    m_playing = true;
    m_paused = false;
    m_stream = false;
    m_audio.ChannelPlay(handle);
}

bool CPlayBass::PlayFile(const QString& path)
{
    Lock lock(m_mutex);
    SupersedeLocked(lock);
    m_currentFile = path;
    const HCHANNEL handle = m_audio.StreamCreateFile(path);
    if (handle == 0)
        return false;
    InstallFileLocked(lock, handle, path, GainsOf(path));
    return true;
}

bool CPlayBass::OpenFile(const QString& path)
{
    Lock lock(m_mutex);
    SupersedeLocked(lock);
    // Nothing plays until the file is open; Pause, Resume and Seek find no channel meanwhile.
    m_currentFile.clear();
    m_playing = false;
    m_paused = false;
    m_stream = false;
    JoinFinishedOpenersLocked(lock);
    try {
        m_openers.emplace_back(&CPlayBass::FileWorker, this, path, m_request);
    } catch (const std::system_error&) {
        // No thread to open it on: told like a file that cannot be opened.
        PostMsg(m_notify, UWM_PLAYERCONNECT, 1, static_cast<LParam>(m_request));
    }
    return true;
}

bool CPlayBass::IsCurrentRequest(LParam request) const
{
    Lock lock(m_mutex);
    return static_cast<std::uint64_t>(request) == m_request;
}

void CPlayBass::FileWorker(const QString& path, std::uint64_t request)
{
    // The open may take as long as the file's share does; the lock is not held meanwhile, and
    // the layer lets the open go when it is freed.
    const HCHANNEL handle = m_audio.StreamCreateFile(path);
    // Read after the open: a file that answered it answers the tag reader as well.
    const TrackGains gains = handle != 0 ? GainsOf(path) : TrackGains{};
    Lock lock(m_mutex);
    try {
        if (request != m_request) {
            if (handle != 0)
                m_audio.StreamFree(handle);
        } else {
            if (handle != 0)
                InstallFileLocked(lock, handle, path, gains);
            PostMsg(m_notify, UWM_PLAYERCONNECT, handle != 0 ? 0 : 1, static_cast<LParam>(request));
        }
        m_openersDone.push_back(std::this_thread::get_id());
    } catch (...) {
        // Out of memory while noting the end: the thread is joined at destruction instead.
    }
}

void CPlayBass::JoinFinishedOpenersLocked(Lock&)
{
    // A finished worker's last step was under this lock, so these joins return at once.
    for (const std::thread::id done : m_openersDone) {
        const auto it = std::find_if(m_openers.begin(), m_openers.end(),
            [done](const std::thread& t) { return t.get_id() == done; });
        if (it != m_openers.end()) {
            it->join();
            m_openers.erase(it);
        }
    }
    m_openersDone.clear();
}

void CPlayBass::Stop()
{
    Lock lock(m_mutex);
    // A pending connection or file opening is abandoned too: its worker frees its result.
    m_wantedAddress.clear();
    ++m_request;
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
    if (!m_playing)
        return;
    m_paused = true;
    if (handle == 0)
        return; // a seek still opening the file installs its channel halted
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
    if (!m_playing)
        return;
    m_paused = false;
    if (handle == 0)
        return; // a seek still opening the file starts its channel
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
    m_paused = false;
    JoinFinishedOpenersLocked(lock);
    try {
        m_openers.emplace_back(&CPlayBass::SeekWorker, this, m_currentFile,
            std::clamp(position, 0, kMaxLevel), m_request, ++m_seeks);
    } catch (const std::system_error&) {
        // No thread to open it on: the file stays silent, as one that cannot be opened again.
    }
}

void CPlayBass::SeekWorker(
    const QString& path, int position, std::uint64_t request, std::uint64_t seek)
{
    // The open and the read up to the new position take as long as the file's share does;
    // the lock is not held meanwhile. The channel is unknown to everyone else until installed.
    const HCHANNEL handle = m_audio.StreamCreateFile(path);
    if (handle != 0) {
        const std::uint64_t length = m_audio.ChannelGetLength(handle);
        if (length != kUnknownLength) {
            const auto part = static_cast<std::uint64_t>(position);
            // Whole frames of stereo float.
            m_audio.ChannelSetPosition(handle, part * length / kMaxLevel / 8 * 8);
        }
    }
    const TrackGains gains = handle != 0 ? GainsOf(path) : TrackGains{};
    Lock lock(m_mutex);
    try {
        if (handle != 0 && (request != m_request || seek != m_seeks || !m_playing)) {
            m_audio.StreamFree(handle);
        } else if (handle != 0) {
            SetUpFileChannelLocked(lock, handle, gains);
            m_mainGains = gains;
            m_audio.ChannelSetVolume(handle, 0.0f);
            if (!m_paused)
                m_audio.ChannelSlideVolume(handle, m_effectiveVolume, kFadeMs);
            InstallMainLocked(lock, handle);
            if (!m_paused)
                m_audio.ChannelPlay(handle);
        }
        m_openersDone.push_back(std::this_thread::get_id());
    } catch (...) {
        // Out of memory while noting the end: the thread is joined at destruction instead.
    }
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

qint64 CPlayBass::GetElapsedSeconds() const
{
    const HCHANNEL handle = m_channel.load();
    if (handle == 0)
        return 0;
    const std::uint64_t pos = m_audio.ChannelGetPosition(handle);
    if (pos == kUnknownLength)
        return 0;
    const double seconds = m_audio.ChannelBytes2Seconds(handle, pos);
    return seconds > 0 ? static_cast<qint64>(seconds) : 0;
}

qint64 CPlayBass::GetLengthSeconds() const
{
    const HCHANNEL handle = m_channel.load();
    if (handle == 0)
        return 0;
    const std::uint64_t length = m_audio.ChannelGetLength(handle);
    if (length == 0 || length == kUnknownLength)
        return 0;
    const double seconds = m_audio.ChannelBytes2Seconds(handle, length);
    return seconds > 0 ? static_cast<qint64>(seconds) : 0;
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
    ++m_request;
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
            PostMsg(m_notify, UWM_PLAYERCONNECT, ConnectCode(handle, error),
                static_cast<LParam>(m_request));
            break;
        }
    } catch (...) {
        if (!lock.owns_lock())
            lock.lock();
    }
    m_workerRunning = false;
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

void CPlayBass::WaitForWorkers()
{
    Lock lock(m_mutex);
    std::thread worker = std::move(m_worker);
    std::vector<std::thread> openers = std::move(m_openers);
    m_openers.clear();
    lock.unlock();
    // The layer has been freed: a connect gives up at its next network poll and a file open
    // still waiting is let go, so these joins are short; no worker outlives the engine.
    if (worker.joinable())
        worker.join();
    for (std::thread& opener : openers)
        opener.join();
}
