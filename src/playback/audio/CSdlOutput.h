// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <cstdint>

// The default SDL output device, 32-bit float stereo, owned for its lifetime. SDL runs the
// render callback on its own audio thread while the device is open and not paused. Open, Close
// and SetPaused are called by one thread at a time (the owner serialises them), never from the
// callback; SetPaused and Close wait for a running callback to return.
class CSdlOutput {
public:
    // Fills frames stereo frames at out (interleaved floats).
    using RenderFn = void (*)(void* user, float* out, int frames);

    CSdlOutput() = default;
    ~CSdlOutput();
    CSdlOutput(const CSdlOutput&) = delete;
    CSdlOutput& operator=(const CSdlOutput&) = delete;

    // Starts the audio subsystem and opens the device at the rate the device prefers
    // (fallbackRate when it names none); paused, except a device faster than real time. False when SDL has no usable output device (nothing
    // is left open then).
    bool Open(int fallbackRate, RenderFn render, void* user);
    // Stops the callback (waiting for a running one to return) and closes the device.
    void Close();
    // A paused device asks for no audio; SDL feeds it silence.
    void SetPaused(bool paused);
    bool IsPaused() const { return m_paused; }
    bool IsOpen() const { return m_device != 0; }
    // The rate the device runs at, Hz (0 while closed): the callback is asked for audio at it.
    int Rate() const { return m_rate; }
    // Frames per callback the device asked for.
    int BufferFrames() const { return m_bufferFrames; }
    // True when the device consumes audio as fast as it is made rather than in real time
    // (SDL's file writer with no delay, used to render and measure what would be heard).
    bool IsFasterThanRealTime() const { return m_fasterThanRealTime; }

private:
    static void Callback(void* self, std::uint8_t* stream, int len);
    static int PreferredRate(int fallbackRate);

    std::uint32_t m_device = 0;
    bool m_subsystem = false;
    bool m_paused = true;
    RenderFn m_render = nullptr;
    void* m_user = nullptr;
    int m_rate = 0;
    int m_bufferFrames = 0;
    bool m_fasterThanRealTime = false;
};
