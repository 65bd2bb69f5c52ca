// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSdlOutput.h"

#include <SDL.h>

namespace {
constexpr Uint16 kBufferFrames = 1024; // about 23 ms at 44100 Hz
}

CSdlOutput::~CSdlOutput()
{
    Close();
}

bool CSdlOutput::Open(int rate, RenderFn render, void* user)
{
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    m_subsystem = true;
    m_render = render;
    m_user = user;
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = &CSdlOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No format changes allowed: SDL converts for the hardware, the mixer always sees float.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
        Close();
        return false;
    }
    m_bufferFrames = have.samples;
    const char* driver = SDL_GetCurrentAudioDriver();
    const char* delay = SDL_getenv("SDL_DISKAUDIODELAY");
    m_fasterThanRealTime = driver != nullptr && SDL_strcmp(driver, "disk") == 0 && delay != nullptr
        && SDL_atoi(delay) == 0;
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void CSdlOutput::Close()
{
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
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
