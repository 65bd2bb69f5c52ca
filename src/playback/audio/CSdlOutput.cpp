// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSdlOutput.h"

#include <SDL.h>

namespace {
constexpr int kBufferMs = 23; // 1024 frames at 44100 Hz
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 384000;

// A power of two near kBufferMs at rate, as SDL and most drivers like.
Uint16 BufferFramesFor(int rate)
{
    const int wanted = rate * kBufferMs / 1000;
    Uint16 frames = 256;
    while (frames < 8192 && frames * 3 / 2 < wanted)
        frames = static_cast<Uint16>(frames * 2);
    return frames;
}
} // namespace

CSdlOutput::~CSdlOutput()
{
    Close();
}

int CSdlOutput::PreferredRate(int fallbackRate)
{
    SDL_AudioSpec spec{};
    char* name = nullptr;
    // Drivers that cannot tell (the file writer, the dummy device) fail here.
    if (SDL_GetDefaultAudioInfo(&name, &spec, 0) != 0)
        return fallbackRate;
    SDL_free(name);
    return spec.freq >= kMinRate && spec.freq <= kMaxRate ? spec.freq : fallbackRate;
}

bool CSdlOutput::Open(int fallbackRate, RenderFn render, void* user)
{
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_subsystem = true;
    m_render = render;
    m_user = user;
    SDL_AudioSpec want{};
    want.freq = PreferredRate(fallbackRate);
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = BufferFramesFor(want.freq);
    want.callback = &CSdlOutput::Callback;
    want.userdata = this;
    const char* driver = SDL_GetCurrentAudioDriver();
    const char* delay = SDL_getenv("SDL_DISKAUDIODELAY");
    m_fasterThanRealTime = driver != nullptr && SDL_strcmp(driver, "disk") == 0 && delay != nullptr
        && SDL_atoi(delay) == 0;
    SDL_AudioSpec have{};
    // The mixer runs at whatever rate the device settles on, so SDL never resamples; format
    // and channel changes stay with SDL, the mixer always sees stereo float.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (m_device == 0) {
        Close();
        return false;
    }
    m_rate = have.freq;
    m_bufferFrames = have.samples;
    m_paused = true;
    // A paused renderer would write silence as fast as it can; it runs from the start and its
    // callback waits for work instead.
    if (m_fasterThanRealTime)
        SetPaused(false);
    return true;
}

void CSdlOutput::SetPaused(bool paused)
{
    if (m_device == 0 || paused == m_paused)
        return;
    SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
    m_paused = paused;
}

void CSdlOutput::Close()
{
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    m_paused = true;
    m_rate = 0;
    m_fasterThanRealTime = false;
    if (m_subsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_subsystem = false;
    }
}

void CSdlOutput::Callback(void* self, std::uint8_t* stream, int len)
{
    const auto* out = static_cast<CSdlOutput*>(self);
    out->m_render(out->m_user, reinterpret_cast<float*>(stream), len / static_cast<int>(2 * sizeof(float)));
}
