// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// Threads: callers (any thread), decoder threads (CAudioChannel), SDL's audio thread (the
// mixer, CAudioLib_Mix.cpp) and the event thread (CAudioLib_Events.cpp). Lock order: a
// channel's control lock, m_deviceMutex, m_mutex, m_eventMutex / m_idleMutex. Stale handles
// are detected by looking the handle up again under m_mutex: handles are never reused, so a
// freed channel is simply not found.
#include "CAudioLib.h"

#include "CAudioChannel.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>

namespace {

constexpr int kDefaultRate = CFfmpegDecoder::kOutputRate;
constexpr int kBytesPerFrame = 8;
constexpr std::size_t kPrefillSamples = 2 * 8192; // decoded before a channel is handed out
constexpr std::size_t kScratchFrames = 4096;
constexpr int kMinBufferMs = 200;

thread_local AudioError t_lastError = AudioError::Ok;

template <typename T>
T Fail(AudioError code, T result)
{
    t_lastError = code;
    return result;
}

} // namespace

void CAudioLib::SetLastError(AudioError code)
{
    t_lastError = code;
}

CAudioLib::CAudioLib()
    : m_scratch(2 * kScratchFrames)
{
    // The program logs nothing; failures reach the caller as error codes.
    av_log_set_level(AV_LOG_QUIET);
    // The mixer adds the channel queued after an ending one without allocating.
    m_mixList.reserve(256);
    m_liveThreads.fetch_add(1, std::memory_order_relaxed);
    m_eventThread = std::thread([this] {
        RunEvents();
        m_liveThreads.fetch_sub(1, std::memory_order_release);
    });
    m_closeThread = std::thread([this] { RunIdleClose(); });
}

CAudioLib::~CAudioLib()
{
    Free();
    m_stopEvents.store(true, std::memory_order_release);
    WakeEvents();
    m_eventThread.join();
    {
        std::lock_guard close(m_closeMutex);
        m_stopClose = true;
    }
    m_closeCv.notify_all();
    m_closeThread.join();
    JoinRetired();
}

bool CAudioLib::Init(int freq, const IPlaylistReader* playlists)
{
    m_playlists.store(playlists, std::memory_order_release);
    std::lock_guard device(m_deviceMutex);
    m_initCalled = true;
    m_fallbackRate = freq > 0 ? freq : kDefaultRate;
    return OpenDeviceLocked();
}

bool CAudioLib::OpenDeviceLocked()
{
    if (m_output.IsOpen())
        return true;
    {
        std::lock_guard idle(m_idleMutex);
        m_closing = false;
    }
    m_stopMixing.store(false, std::memory_order_relaxed);
    const bool ok = m_output.Open(m_fallbackRate, &CAudioLib::Render, this);
    m_deviceRate.store(ok ? m_output.Rate() : 0, std::memory_order_relaxed);
    m_rendering.store(ok && m_output.IsFasterThanRealTime(), std::memory_order_relaxed);
    m_deviceOpen.store(ok, std::memory_order_release);
    if (!ok)
        return Fail(AudioError::Driver, false);
    // A renderer's mixer waits for work itself; a real device runs only while something plays.
    bool playing = false;
    {
        std::lock_guard lock(m_mutex);
        playing = !m_mixList.empty();
    }
    const bool paused = !(playing || m_output.IsFasterThanRealTime());
    m_output.SetPaused(paused);
    // A device opened for a channel that never starts is closed again in time.
    if (paused)
        ArmIdleClose();
    return true;
}

bool CAudioLib::EnsureDevice()
{
    if (m_deviceOpen.load(std::memory_order_acquire))
        return true;
    std::lock_guard device(m_deviceMutex);
    if (!m_initCalled)
        return Fail(AudioError::Init, false);
    return OpenDeviceLocked();
}

void CAudioLib::Free()
{
    ReleaseCreations();
    {
        std::lock_guard device(m_deviceMutex);
        {
            std::lock_guard idle(m_idleMutex);
            m_closing = true;
        }
        m_stopMixing.store(true, std::memory_order_relaxed);
        m_idleCv.notify_all();
        m_output.Close();
        m_deviceOpen.store(false, std::memory_order_release);
        m_deviceRate.store(0, std::memory_order_relaxed);
        m_rendering.store(false, std::memory_order_relaxed);
        m_initCalled = false;
    }
    std::map<HCHANNEL, ChannelPtr> channels;
    {
        std::lock_guard lock(m_mutex);
        channels.swap(m_channels);
        m_mixList.clear();
        m_hasWork.store(false, std::memory_order_relaxed);
    }
    // Syncs of these channels start no more; one under way on the event thread is waited for.
    {
        std::lock_guard running(m_syncMutex);
    }
    // Every decoder is told first, so that streams abandon their reads side by side; each join
    // then waits at most one network poll.
    for (auto& [handle, ch] : channels)
        ch->Quit();
    for (auto& [handle, ch] : channels)
        Retire(ch);
    channels.clear();
    JoinRetired();
}

void CAudioLib::SetBufferMs(int ms)
{
    m_bufferMs.store(std::max(ms, kMinBufferMs), std::memory_order_relaxed);
}

void CAudioLib::SetNetPlaylist(bool follow)
{
    m_followPlaylists.store(follow, std::memory_order_relaxed);
}

void CAudioLib::SetNetTimeout(int ms)
{
    m_netTimeoutMs.store(std::max(ms, 100), std::memory_order_relaxed);
}

AudioError CAudioLib::ErrorGetCode()
{
    return t_lastError;
}

std::size_t CAudioLib::RingSamples(int rate) const
{
    return static_cast<std::size_t>(m_bufferMs.load(std::memory_order_relaxed))
        * static_cast<std::size_t>(rate) / 1000 * 2;
}

int CAudioLib::OutputRate()
{
    const int rate = m_deviceRate.load(std::memory_order_relaxed);
    return rate > 0 ? rate : kDefaultRate;
}

void CAudioLib::Retire(const ChannelPtr& ch)
{
    {
        std::lock_guard events(m_eventMutex);
        m_retired.push_back(ch);
    }
    WakeEvents();
}

void CAudioLib::JoinRetired()
{
    std::lock_guard joining(m_joinMutex);
    std::vector<ChannelPtr> retired;
    {
        std::lock_guard events(m_eventMutex);
        retired.swap(m_retired);
    }
    std::vector<ChannelPtr> later;
    for (const ChannelPtr& ch : retired) {
        std::lock_guard control(ch->m_control);
        // A stream's thread may free its own channel from a Meta sync; it is joined next time.
        if (ch->OnDecoderThreadControlled())
            later.push_back(ch);
        else
            ch->JoinDecoderControlled();
    }
    if (!later.empty()) {
        std::lock_guard events(m_eventMutex);
        m_retired.insert(m_retired.end(), later.begin(), later.end());
    }
}

HCHANNEL CAudioLib::NewHandle()
{
    std::lock_guard lock(m_mutex);
    return m_nextHandle++;
}

HCHANNEL CAudioLib::Register(const ChannelPtr& ch)
{
    std::lock_guard lock(m_mutex);
    m_channels.emplace(ch->handle, ch);
    t_lastError = AudioError::Ok;
    return ch->handle;
}

CAudioLib::ChannelPtr CAudioLib::FindLocked(HCHANNEL channel) const
{
    const auto it = m_channels.find(channel);
    return it == m_channels.end() ? nullptr : it->second;
}

CAudioLib::ChannelPtr CAudioLib::Find(HCHANNEL channel)
{
    std::lock_guard lock(m_mutex);
    ChannelPtr ch = FindLocked(channel);
    if (!ch)
        t_lastError = AudioError::Handle;
    return ch;
}

struct CAudioLib::Creation {
    ChannelPtr ch;
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false; // guarded by mutex: the opener has finished with ch
    bool released = false; // guarded by mutex: Free let the caller go
    AudioError error = AudioError::Ok; // guarded by mutex
};

void CAudioLib::BeginCreation(const CreationPtr& creation)
{
    std::lock_guard lock(m_createMutex);
    m_creations.push_back(creation);
}

void CAudioLib::EndCreation(const CreationPtr& creation)
{
    std::lock_guard lock(m_createMutex);
    std::erase(m_creations, creation);
}

void CAudioLib::ReleaseCreations()
{
    std::vector<CreationPtr> pending;
    {
        std::lock_guard lock(m_createMutex);
        pending = m_creations;
    }
    for (const CreationPtr& creation : pending) {
        // A connecting stream gives up at its next network poll; a file opener stuck in the
        // kernel is left to itself, its caller let go.
        creation->ch->Quit();
        std::lock_guard lock(creation->mutex);
        creation->released = true;
        creation->changed.notify_all();
    }
}

void CAudioLib::OpenChannelFile(Creation& creation, const QString& path)
{
    // Runs on the detached opener: everything it touches is owned by creation.
    AudioError error = AudioError::Ok;
    CAudioChannel& ch = *creation.ch;
    try {
        auto decoder = std::make_unique<CFfmpegDecoder>(&ch.quit, ch.rate);
        decoder->OpenFile(path);
        ch.lengthBytes = decoder->LengthFrames() == CFfmpegDecoder::kUnknown
            ? kUnknownLength
            : decoder->LengthFrames() * kBytesPerFrame;
        ch.fileSize = decoder->FileSize();
        ch.info = ChannelInfo { decoder->SourceRate(), decoder->SourceChannels() };
        std::lock_guard control(ch.m_control);
        ch.decoder = std::move(decoder);
        if (!ch.decodeOnly)
            ch.PrefillControlled(kPrefillSamples);
    } catch (const FfmpegError& e) {
        error = e.Code();
    } catch (const std::bad_alloc&) {
        error = AudioError::Mem;
    } catch (const std::exception&) {
        error = AudioError::FileForm;
    }
    std::lock_guard lock(creation.mutex);
    creation.error = error;
    creation.done = true;
    creation.changed.notify_all();
}

AudioError CAudioLib::OpenFileApart(const ChannelPtr& ch, const QString& path)
{
    auto creation = std::make_shared<Creation>();
    creation->ch = ch;
    BeginCreation(creation);
    try {
        // Detached and never joined: the thread owns its share of creation, nothing else.
        std::thread([creation, path] { OpenChannelFile(*creation, path); }).detach();
    } catch (const std::system_error&) {
        EndCreation(creation);
        return AudioError::Mem;
    }
    AudioError result = AudioError::Init;
    {
        std::unique_lock lock(creation->mutex);
        creation->changed.wait(lock, [&] { return creation->done || creation->released; });
        if (creation->done)
            result = creation->error;
    }
    EndCreation(creation);
    return result;
}

HCHANNEL CAudioLib::StreamCreateFile(const QString& path, bool decodeOnly)
{
    if (!decodeOnly && !EnsureDevice())
        return 0;
    const int rate = decodeOnly ? kDefaultRate : OutputRate();
    auto ch = std::make_shared<CAudioChannel>(NewHandle(), decodeOnly, rate, RingSamples(rate));
    const AudioError opened = OpenFileApart(ch, path);
    if (opened != AudioError::Ok)
        return Fail(opened, HCHANNEL { 0 });
    if (!decodeOnly) {
        std::lock_guard control(ch->m_control);
        ch->StartDecoderControlled(m_liveThreads);
    }
    return Register(ch);
}

HCHANNEL CAudioLib::StreamCreateURL(const QString& address)
{
    if (!EnsureDevice())
        return 0;
    const int rate = OutputRate();
    auto ch = std::make_shared<CAudioChannel>(NewHandle(), false, rate, RingSamples(rate));
    ch->isStream = true;
    auto creation = std::make_shared<Creation>();
    creation->ch = ch;
    BeginCreation(creation);
    const struct Ended {
        CAudioLib& lib;
        const CreationPtr& creation;
        ~Ended() { lib.EndCreation(creation); }
    } ended { *this, creation };
    try {
        ch->source = std::make_unique<CHttpSource>(&ch->quit, m_netTimeoutMs.load(),
            m_followPlaylists.load(std::memory_order_relaxed)
                ? m_playlists.load(std::memory_order_acquire) : nullptr);
        CAudioChannel* raw = ch.get();
        ch->source->SetMetaHandler([this, raw](const QByteArray& text) {
            raw->SetMeta(text);
            RunSyncsNow(raw->handle, SyncType::Meta);
        });
        ch->source->Open(address);
        ch->decoder = std::make_unique<CFfmpegDecoder>(&ch->quit, rate);
        ch->decoder->OpenStream(*ch->source);
    } catch (const FfmpegError& e) {
        const AudioError failure = ch->source ? ch->source->Failure() : AudioError::Ok;
        return Fail(failure != AudioError::Ok ? failure : e.Code(), HCHANNEL{0});
    } catch (const std::bad_alloc&) {
        return Fail(AudioError::Mem, HCHANNEL{0});
    }
    ch->info = ChannelInfo{ch->decoder->SourceRate(), ch->decoder->SourceChannels()};
    {
        std::lock_guard control(ch->m_control);
        ch->StartDecoderControlled(m_liveThreads);
    }
    return Register(ch);
}

bool CAudioLib::StreamFree(HCHANNEL channel)
{
    ChannelPtr ch;
    {
        std::lock_guard lock(m_mutex);
        ch = FindLocked(channel);
        if (!ch)
            return Fail(AudioError::Handle, false);
        m_channels.erase(channel);
        RemoveFromMixLocked(*ch);
        UnlinkLocked(*ch);
        ch->playing = false;
    }
    // Never joined here: a stream's thread may sit in a network read, and this may run in a
    // sync on that very thread. The event thread joins it.
    ch->Quit();
    Retire(ch);
    PauseIfIdle();
    t_lastError = AudioError::Ok;
    return true;
}

void CAudioLib::UnlinkLocked(const CAudioChannel& ch)
{
    for (auto& [handle, other] : m_channels)
        if (other->next == &ch)
            other->next = nullptr;
}

void CAudioLib::RemoveFromMixLocked(CAudioChannel& ch)
{
    const auto it = std::find(m_mixList.begin(), m_mixList.end(), &ch);
    if (it != m_mixList.end())
        m_mixList.erase(it);
    m_hasWork.store(!m_mixList.empty(), std::memory_order_release);
}

void CAudioLib::StartLocked(CAudioChannel& ch, int offset)
{
    if (!ch.playing) {
        ch.playing = true;
        ch.ended = false;
        ch.mixedUpTo = offset;
        // Within the reserve the mixer relies on; beyond it, a caller's allocation is harmless.
        m_mixList.push_back(&ch);
    }
    m_hasWork.store(true, std::memory_order_release);
}

void CAudioLib::WakeOutput()
{
    {
        std::lock_guard device(m_deviceMutex);
        // The idle closer may have closed the device between the caller's EnsureDevice and
        // the start; the channel now in the mix opens it again, playing.
        if (!m_output.IsOpen() && m_initCalled)
            OpenDeviceLocked();
        m_output.SetPaused(false);
        DisarmIdleClose();
    }
    // Taking the idle mutex orders this wake after a waiting renderer's check of m_hasWork.
    {
        std::lock_guard idle(m_idleMutex);
    }
    m_idleCv.notify_all();
}

void CAudioLib::PauseIfIdle()
{
    std::lock_guard device(m_deviceMutex);
    if (!m_output.IsOpen() || m_output.IsFasterThanRealTime())
        return;
    bool idle = false;
    {
        std::lock_guard lock(m_mutex);
        idle = m_mixList.empty();
    }
    // A channel started meanwhile resumes the device after this, under the same lock.
    if (idle) {
        m_output.SetPaused(true);
        ArmIdleClose();
    }
}

bool CAudioLib::ChannelPlay(HCHANNEL channel, bool restart)
{
    const ChannelPtr ch = Find(channel);
    if (!ch)
        return false;
    if (ch->decodeOnly)
        return Fail(AudioError::Handle, false);
    if (!EnsureDevice())
        return false;
    bool rewind = restart;
    {
        std::lock_guard lock(m_mutex);
        if (ch->ended && ch->isStream)
            return Fail(AudioError::Ended, false);
        rewind = rewind || ch->ended;
    }
    if (rewind) {
        std::lock_guard control(ch->m_control);
        if (!SeekControlled(ch, 0))
            return false;
    }
    {
        std::lock_guard lock(m_mutex);
        if (!FindLocked(channel))
            return Fail(AudioError::Handle, false);
        StartLocked(*ch, 0);
    }
    WakeOutput();
    t_lastError = AudioError::Ok;
    return true;
}

bool CAudioLib::SeekControlled(const ChannelPtr& ch, std::uint64_t frame)
{
    if (ch->isStream)
        return Fail(AudioError::Position, false);
    if (!ch->decodeOnly) {
        std::lock_guard lock(m_mutex);
        ch->seeking = true; // from here on the mixer leaves the ring alone
    }
    ch->StopDecoderControlled();
    bool ok = false;
    try {
        ok = ch->decoder->Seek(frame);
    } catch (const std::exception&) {
        ok = false;
    }
    if (ok) {
        ch->ring.Clear();
        ch->carry.clear();
        ch->carryPos = 0;
        ch->decodeEnded.store(false, std::memory_order_relaxed);
        {
            std::lock_guard lock(m_mutex);
            ch->decodeEndSent = false;
            ch->decodeEndHandled = false;
        }
        if (!ch->decodeOnly)
            ch->PrefillControlled(kPrefillSamples);
    }
    if (!ch->decodeOnly)
        ch->StartDecoderControlled(m_liveThreads);
    std::lock_guard lock(m_mutex);
    ch->seeking = false;
    if (!ok)
        return Fail(AudioError::Position, false);
    ch->position = frame * kBytesPerFrame;
    ch->ended = false;
    return true;
}

bool CAudioLib::ChannelSetPosition(HCHANNEL channel, std::uint64_t bytes)
{
    const ChannelPtr ch = Find(channel);
    if (!ch)
        return false;
    std::lock_guard control(ch->m_control);
    if (!SeekControlled(ch, bytes / kBytesPerFrame))
        return false;
    t_lastError = AudioError::Ok;
    return true;
}

std::uint64_t CAudioLib::ChannelGetLength(HCHANNEL channel)
{
    const ChannelPtr ch = Find(channel);
    return ch ? ch->lengthBytes : kUnknownLength;
}

std::uint64_t CAudioLib::ChannelGetPosition(HCHANNEL channel)
{
    std::lock_guard lock(m_mutex);
    const ChannelPtr ch = FindLocked(channel);
    return ch ? ch->position : Fail(AudioError::Handle, kUnknownLength);
}

double CAudioLib::ChannelBytes2Seconds(HCHANNEL channel, std::uint64_t bytes)
{
    const ChannelPtr ch = Find(channel);
    if (!ch)
        return -1.0;
    return static_cast<double>(bytes) / (static_cast<double>(ch->rate) * kBytesPerFrame);
}

int CAudioLib::ChannelResamplePasses(HCHANNEL channel)
{
    const ChannelPtr ch = Find(channel);
    if (!ch)
        return 0;
    std::lock_guard control(ch->m_control);
    // The device runs at the mixer's rate (CSdlOutput takes the rate SDL settles on), so the
    // decoder's conversion is the only one.
    return ch->decoder && ch->decoder->Resamples() ? 1 : 0;
}

std::uint64_t CAudioLib::StreamGetFileSize(HCHANNEL channel)
{
    const ChannelPtr ch = Find(channel);
    return ch ? ch->fileSize : kUnknownLength;
}

bool CAudioLib::ChannelGetInfo(HCHANNEL channel, ChannelInfo& info)
{
    const ChannelPtr ch = Find(channel);
    if (!ch)
        return false;
    info = ch->info;
    return true;
}

bool CAudioLib::ChannelIsPlaying(HCHANNEL channel)
{
    std::lock_guard lock(m_mutex);
    const ChannelPtr ch = FindLocked(channel);
    return ch && ch->playing;
}

QString CAudioLib::ChannelGetMeta(HCHANNEL channel)
{
    const ChannelPtr ch = Find(channel);
    return ch ? ch->Meta() : QString();
}
