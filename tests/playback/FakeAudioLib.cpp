// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "FakeAudioLib.h"

#include <algorithm>
#include <chrono>

namespace {

thread_local AudioError t_lastError = AudioError::Ok;
constexpr auto kWaitLimit = std::chrono::seconds(5);

} // namespace

// ---- test set-up and clock ----------------------------------------------------------------

void FakeAudioLib::AddFile(const QString& path, int ms)
{
    Lock lock(m_mutex);
    m_files[path] = static_cast<std::uint64_t>(ms) * kBytesPerSecond / 1000 / 8 * 8;
}

void FakeAudioLib::RemoveFile(const QString& path)
{
    Lock lock(m_mutex);
    m_files.erase(path);
}

void FakeAudioLib::SetUrlError(const QString& address, AudioError error)
{
    Lock lock(m_mutex);
    m_urlErrors[address] = error;
}

void FakeAudioLib::HoldConnects(bool hold)
{
    Lock lock(m_mutex);
    m_hold = hold;
    m_changed.notify_all();
}

bool FakeAudioLib::ReleaseConnect()
{
    Lock lock(m_mutex);
    if (!m_changed.wait_for(lock, kWaitLimit,
            [this] { return m_connectsStarted > m_connectsReleased; }))
        return false;
    ++m_connectsReleased;
    m_changed.notify_all();
    return true;
}

bool FakeAudioLib::WaitConnectsStarted(int count)
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, kWaitLimit, [&] { return m_connectsStarted >= count; });
}

void FakeAudioLib::HoldFile(const QString& path)
{
    Lock lock(m_mutex);
    m_heldFiles.emplace(path, 0);
}

void FakeAudioLib::ReleaseFile(const QString& path)
{
    Lock lock(m_mutex);
    m_heldFiles.erase(path);
    m_changed.notify_all();
}

bool FakeAudioLib::WaitFileHeld(const QString& path)
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, kWaitLimit, [&] {
        const auto it = m_heldFiles.find(path);
        return it != m_heldFiles.end() && it->second > 0;
    });
}

void FakeAudioLib::Slice(int ms, std::vector<Sync>& fire)
{
    for (auto& [handle, ch] : m_channels) {
        if (!ch.playing)
            continue;
        if (ch.sliding) {
            ch.slideElapsed = std::min(ch.slideMs, ch.slideElapsed + ms);
            const float to = ch.slideTo < 0.0f ? 0.0f : ch.slideTo;
            const float t = ch.slideMs > 0 ? float(ch.slideElapsed) / float(ch.slideMs) : 1.0f;
            ch.volume = ch.slideFrom + (to - ch.slideFrom) * t;
            if (ch.slideElapsed >= ch.slideMs) {
                ch.sliding = false;
                if (ch.slideTo < 0.0f)
                    ch.playing = false;
                for (const Sync& s : SyncsOf(handle, SyncType::SlideMixTime))
                    fire.push_back(s);
            }
        }
        if (ch.url)
            continue;
        ch.pos = std::min(ch.length, ch.pos + std::uint64_t(ms) * kBytesPerSecond / 1000);
        if (ch.pos >= ch.length && ch.playing) {
            ch.playing = false;
            if (Channel* next = Find(ch.next))
                next->playing = true;
            ch.next = 0;
            for (const Sync& s : SyncsOf(handle, SyncType::End))
                fire.push_back(s);
        }
    }
}

void FakeAudioLib::Advance(int ms)
{
    for (int done = 0; done < ms; done += 10) {
        std::vector<Sync> fire;
        {
            Lock lock(m_mutex);
            Slice(std::min(10, ms - done), fire);
        }
        FireAll(fire);
    }
}

void FakeAudioLib::FireAll(const std::vector<Sync>& fire)
{
    for (const Sync& s : fire) {
        {
            // A sync whose channel was freed by an earlier callback no longer runs.
            Lock lock(m_mutex);
            if (Find(s.channel) == nullptr)
                continue;
        }
        s.proc(s.id, s.channel, s.user);
    }
}

void FakeAudioLib::Fire(HCHANNEL channel, SyncType type)
{
    std::vector<Sync> fire;
    {
        Lock lock(m_mutex);
        fire = SyncsOf(channel, type);
    }
    FireAll(fire);
}

void FakeAudioLib::FireEnd(HCHANNEL channel)
{
    {
        Lock lock(m_mutex);
        if (Channel* ch = Find(channel)) {
            ch->pos = ch->length;
            ch->playing = false;
        }
    }
    Fire(channel, SyncType::End);
}

void FakeAudioLib::FireDecodeEnd(HCHANNEL channel)
{
    Fire(channel, SyncType::DecodeEnd);
}

void FakeAudioLib::FireMeta(HCHANNEL channel, const QString& meta)
{
    {
        Lock lock(m_mutex);
        if (Channel* ch = Find(channel))
            ch->meta = meta;
    }
    Fire(channel, SyncType::Meta);
}

// ---- inspection ---------------------------------------------------------------------------

std::optional<FakeAudioLib::Channel> FakeAudioLib::Get(HCHANNEL channel) const
{
    Lock lock(m_mutex);
    const Channel* ch = Find(channel);
    return ch != nullptr ? std::optional<Channel>(*ch) : std::nullopt;
}

bool FakeAudioLib::IsLive(HCHANNEL channel) const
{
    Lock lock(m_mutex);
    return Find(channel) != nullptr;
}

int FakeAudioLib::LiveCount() const
{
    Lock lock(m_mutex);
    return static_cast<int>(m_channels.size());
}

int FakeAudioLib::AudibleCount() const
{
    Lock lock(m_mutex);
    return static_cast<int>(std::count_if(m_channels.begin(), m_channels.end(),
        [](const auto& entry) { return entry.second.playing && entry.second.volume > 0.0f; }));
}

int FakeAudioLib::CallCount(const std::string& name) const
{
    Lock lock(m_mutex);
    const auto it = m_calls.find(name);
    return it == m_calls.end() ? 0 : it->second;
}

bool FakeAudioLib::InitCalled() const
{
    Lock lock(m_mutex);
    return m_init;
}

bool FakeAudioLib::FreeCalled() const
{
    Lock lock(m_mutex);
    return m_freed;
}

bool FakeAudioLib::WaitFreed()
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, kWaitLimit, [this] { return m_freed; });
}

// ---- helpers ------------------------------------------------------------------------------

FakeAudioLib::Channel* FakeAudioLib::Find(HCHANNEL channel)
{
    const auto it = m_channels.find(channel);
    return it == m_channels.end() ? nullptr : &it->second;
}

const FakeAudioLib::Channel* FakeAudioLib::Find(HCHANNEL channel) const
{
    const auto it = m_channels.find(channel);
    return it == m_channels.end() ? nullptr : &it->second;
}

FakeAudioLib::FxState* FakeAudioLib::FindFx(HFX fx, HCHANNEL* owner)
{
    for (auto& [handle, ch] : m_channels) {
        const auto it = ch.fx.find(fx);
        if (it != ch.fx.end()) {
            if (owner != nullptr)
                *owner = handle;
            return &it->second;
        }
    }
    return nullptr;
}

bool FakeAudioLib::Fail(AudioError error)
{
    t_lastError = error;
    return false;
}

void FakeAudioLib::Record(const std::string& name)
{
    ++m_calls[name];
    t_lastError = AudioError::Ok;
}

HCHANNEL FakeAudioLib::NewChannel(Channel channel)
{
    const HCHANNEL handle = m_nextHandle++;
    m_channels.emplace(handle, std::move(channel));
    return handle;
}

std::vector<FakeAudioLib::Sync> FakeAudioLib::SyncsOf(HCHANNEL channel, SyncType type) const
{
    std::vector<Sync> out;
    for (const Sync& s : m_syncs)
        if (s.channel == channel && s.type == type)
            out.push_back(s);
    return out;
}

// ---- IAudioLib ----------------------------------------------------------------------------

bool FakeAudioLib::Init(int, const IPlaylistReader*)
{
    Lock lock(m_mutex);
    Record("Init");
    m_init = true;
    return true;
}

void FakeAudioLib::Free()
{
    Lock lock(m_mutex);
    Record("Free");
    m_freed = true;
    m_changed.notify_all();
    m_channels.clear();
    m_syncs.clear();
}

void FakeAudioLib::SetBufferMs(int)
{
    Lock lock(m_mutex);
    Record("SetBufferMs");
}

void FakeAudioLib::SetNetPlaylist(bool)
{
    Lock lock(m_mutex);
    Record("SetNetPlaylist");
}

HCHANNEL FakeAudioLib::StreamCreateFile(const QString& path, bool)
{
    Lock lock(m_mutex);
    Record("StreamCreateFile");
    if (auto held = m_heldFiles.find(path); held != m_heldFiles.end()) {
        ++held->second;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_freed || !m_heldFiles.contains(path); });
        if (auto still = m_heldFiles.find(path); still != m_heldFiles.end())
            --still->second;
        if (m_freed)
            return Fail(AudioError::Init);
    }
    const auto it = m_files.find(path);
    if (it == m_files.end())
        return Fail(AudioError::FileOpen);
    Channel ch;
    ch.source = path;
    ch.length = it->second;
    return NewChannel(ch);
}

HCHANNEL FakeAudioLib::StreamCreateURL(const QString& address)
{
    Lock lock(m_mutex);
    Record("StreamCreateURL");
    const int ticket = ++m_connectsStarted;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return !m_hold || m_connectsReleased >= ticket; });
    const auto it = m_urlErrors.find(address);
    if (it != m_urlErrors.end())
        return Fail(it->second);
    Channel ch;
    ch.source = address;
    ch.url = true;
    ch.length = kUnknownLength;
    return NewChannel(ch);
}

bool FakeAudioLib::StreamFree(HCHANNEL channel)
{
    Lock lock(m_mutex);
    Record("StreamFree");
    if (m_channels.erase(channel) == 0)
        return Fail(AudioError::Handle);
    for (auto& [handle, ch] : m_channels)
        if (ch.next == channel)
            ch.next = 0;
    std::erase_if(m_syncs, [channel](const Sync& s) { return s.channel == channel; });
    return true;
}

AudioError FakeAudioLib::ErrorGetCode()
{
    return t_lastError;
}

bool FakeAudioLib::ChannelPlay(HCHANNEL channel, bool restart)
{
    Lock lock(m_mutex);
    Record("ChannelPlay");
    Channel* ch = Find(channel);
    if (ch == nullptr)
        return Fail(AudioError::Handle);
    if (restart)
        ch->pos = 0;
    ch->playing = true;
    return true;
}

std::uint64_t FakeAudioLib::ChannelGetLength(HCHANNEL channel)
{
    Lock lock(m_mutex);
    const Channel* ch = Find(channel);
    if (ch == nullptr) {
        Fail(AudioError::Handle);
        return kUnknownLength;
    }
    return ch->length;
}

std::uint64_t FakeAudioLib::ChannelGetPosition(HCHANNEL channel)
{
    Lock lock(m_mutex);
    const Channel* ch = Find(channel);
    if (ch == nullptr) {
        Fail(AudioError::Handle);
        return kUnknownLength;
    }
    return ch->pos;
}

bool FakeAudioLib::ChannelSetPosition(HCHANNEL channel, std::uint64_t bytes)
{
    Lock lock(m_mutex);
    Record("ChannelSetPosition");
    Channel* ch = Find(channel);
    if (ch == nullptr)
        return Fail(AudioError::Handle);
    if (ch->url || bytes > ch->length)
        return Fail(AudioError::Position);
    ch->pos = bytes;
    return true;
}

double FakeAudioLib::ChannelBytes2Seconds(HCHANNEL, std::uint64_t bytes)
{
    return static_cast<double>(bytes) / kBytesPerSecond;
}

std::uint64_t FakeAudioLib::StreamGetFileSize(HCHANNEL)
{
    return 0;
}

bool FakeAudioLib::ChannelGetInfo(HCHANNEL channel, ChannelInfo& info)
{
    Lock lock(m_mutex);
    if (Find(channel) == nullptr)
        return Fail(AudioError::Handle);
    info.freq = 44100;
    info.chans = 2;
    return true;
}

bool FakeAudioLib::ChannelSetVolume(HCHANNEL channel, float volume)
{
    Lock lock(m_mutex);
    Record("ChannelSetVolume");
    Channel* ch = Find(channel);
    if (ch == nullptr)
        return Fail(AudioError::Handle);
    ch->volume = volume;
    ch->sliding = false;
    return true;
}

bool FakeAudioLib::ChannelSetGain(HCHANNEL channel, float gain, bool limit)
{
    Lock lock(m_mutex);
    Record("ChannelSetGain");
    Channel* ch = Find(channel);
    if (ch == nullptr)
        return Fail(AudioError::Handle);
    ch->gain = gain;
    ch->limit = limit;
    return true;
}

bool FakeAudioLib::ChannelSlideVolume(HCHANNEL channel, float target, int ms)
{
    Lock lock(m_mutex);
    Record("ChannelSlideVolume");
    Channel* ch = Find(channel);
    if (ch == nullptr)
        return Fail(AudioError::Handle);
    ch->sliding = true;
    ch->slideFrom = ch->volume;
    ch->slideTo = target;
    ch->slideMs = ms;
    ch->slideElapsed = 0;
    return true;
}

float FakeAudioLib::ChannelGetVolume(HCHANNEL channel)
{
    Lock lock(m_mutex);
    const Channel* ch = Find(channel);
    return ch != nullptr ? ch->volume : 0.0f;
}

bool FakeAudioLib::ChannelSetNext(HCHANNEL channel, HCHANNEL next)
{
    Lock lock(m_mutex);
    Record("ChannelSetNext");
    Channel* ch = Find(channel);
    Channel* follower = next != 0 ? Find(next) : nullptr;
    if (ch == nullptr || (next != 0 && follower == nullptr))
        return Fail(AudioError::Handle);
    if (follower != nullptr && !ch->playing && ch->pos >= ch->length)
        follower->playing = true; // the end has passed: it starts at once
    else
        ch->next = next;
    return true;
}

HSYNC FakeAudioLib::ChannelSetSync(HCHANNEL channel, SyncType type, SyncProc proc, void* user)
{
    Lock lock(m_mutex);
    Record("ChannelSetSync");
    if (Find(channel) == nullptr)
        return Fail(AudioError::Handle);
    const HSYNC id = m_nextSync++;
    m_syncs.push_back({channel, type, proc, user, id});
    return id;
}

HFX FakeAudioLib::ChannelSetFxVolume(HCHANNEL channel, int priority)
{
    Lock lock(m_mutex);
    Record("ChannelSetFx");
    Channel* ch = Find(channel);
    if (ch == nullptr)
        return Fail(AudioError::Handle);
    const HFX fx = m_nextHandle++;
    ch->fx[fx] = FxState{false, priority, 1.0f, {}};
    return fx;
}

HFX FakeAudioLib::ChannelSetFxPeakEq(HCHANNEL channel, int priority)
{
    Lock lock(m_mutex);
    Record("ChannelSetFx");
    Channel* ch = Find(channel);
    if (ch == nullptr)
        return Fail(AudioError::Handle);
    const HFX fx = m_nextHandle++;
    ch->fx[fx] = FxState{true, priority, 1.0f, {}};
    return fx;
}

bool FakeAudioLib::FxSetVolume(HFX fx, float gain)
{
    Lock lock(m_mutex);
    Record("FxSetVolume");
    FxState* state = FindFx(fx);
    if (state == nullptr || state->peakEq)
        return Fail(AudioError::Handle);
    state->gain = gain;
    return true;
}

bool FakeAudioLib::FxSetPeakEq(HFX fx, const PeakEqBand& band)
{
    Lock lock(m_mutex);
    Record("FxSetPeakEq");
    FxState* state = FindFx(fx);
    if (state == nullptr || !state->peakEq)
        return Fail(AudioError::Handle);
    state->bands[band.band] = band;
    return true;
}

bool FakeAudioLib::ChannelRemoveFx(HCHANNEL channel, HFX fx)
{
    Lock lock(m_mutex);
    Record("ChannelRemoveFx");
    Channel* ch = Find(channel);
    if (ch == nullptr || ch->fx.erase(fx) == 0)
        return Fail(AudioError::Handle);
    return true;
}

bool FakeAudioLib::ChannelGetFft(HCHANNEL channel, std::array<float, kFftBins>& out)
{
    Lock lock(m_mutex);
    const Channel* ch = Find(channel);
    if (ch == nullptr)
        return Fail(AudioError::Handle);
    out.fill(ch->playing ? 0.25f : 0.0f);
    return true;
}

QString FakeAudioLib::ChannelGetMeta(HCHANNEL channel)
{
    Lock lock(m_mutex);
    const Channel* ch = Find(channel);
    return ch != nullptr ? ch->meta : QString();
}
