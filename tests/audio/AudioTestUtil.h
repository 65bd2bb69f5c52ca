// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CAudioLib.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <span>
#include <vector>

namespace audiotest {

// Points SDL at its disk writer (no real-time pacing); call before CAudioLib::Init.
void UseDiskOutput(const QString& file);
// The samples SDL's disk writer wrote: interleaved stereo float, as mixed.
std::vector<float> ReadDiskOutput(const QString& file);

// Every sample of a decode-only channel (effects applied), interleaved stereo.
std::vector<float> DecodeAll(CAudioLib& lib, HCHANNEL channel);

// Amplitude of the sine at frequency in one side (0 left, 1 right) of a stereo block at rate
// Hz, measured over the whole block (Goertzel, Hann window, so amplitude 1 reads 1).
double ToneAmplitude(std::span<const float> stereo, int side, double frequency, double rate = 44100.0);
// Frequency of the dominant sine of one side, from its zero crossings.
double ZeroCrossingFrequency(std::span<const float> stereo, int side, double rate = 44100.0);
// Frames from the first to the last sample whose magnitude exceeds threshold; -1 if none.
long long FirstLoud(std::span<const float> stereo, float threshold);
long long LastLoud(std::span<const float> stereo, float threshold);
// The middle part of a stereo block, frames [from, from + count).
std::span<const float> Frames(std::span<const float> stereo, std::size_t from, std::size_t count);

// Polls until condition holds or timeout passes; returns the last result.
bool WaitFor(const std::function<bool()>& condition,
    std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A sync procedure that counts into the std::atomic<int> given as user data.
void CountSync(HSYNC sync, HCHANNEL channel, void* user);

} // namespace audiotest
