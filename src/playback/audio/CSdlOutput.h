// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <cstdint>

// The default SDL output device, 32-bit float stereo, owned for its lifetime. SDL runs the
// render callback on its own audio thread from Open until Close returns. Open and Close are
// called by one thread at a time (the owner serialises them), never from the callback.
class CSdlOutput {
public:
    // Fills frames stereo frames at out (interleaved floats).
    using RenderFn = void (*)(void* user, float* out, int frames);

    CSdlOutput() = default;
    ~CSdlOutput();
    CSdlOutput(const CSdlOutput&) = delete;
    CSdlOutput& operator=(const CSdlOutput&) = delete;

    // Starts the audio subsystem and the device at rate Hz; the callback starts at once.
    // False when SDL has no usable output device (nothing is left open then).
    bool Open(int rate, RenderFn render, void* user);
    // Stops the callback (waiting for a running one to return) and closes the device.
    void Close();
    bool IsOpen() const { return m_device != 0; }
    // Frames per callback the device asked for.
    int BufferFrames() const { return m_bufferFrames; }
    // True when the device consumes audio as fast as it is made rather than in real time
    // (SDL's file writer with no delay, used to render and measure what would be heard).
    bool IsFasterThanRealTime() const { return m_fasterThanRealTime; }

private:
    static void Callback(void* self, std::uint8_t* stream, int len);

    std::uint32_t m_device = 0;
    bool m_subsystem = false;
    RenderFn m_render = nullptr;
    void* m_user = nullptr;
    int m_bufferFrames = 0;
    bool m_fasterThanRealTime = false;
};
