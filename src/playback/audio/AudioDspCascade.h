// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "AudioDsp.h"

#include <cstddef>
#include <span>

// The equalizer's steady bands as one pipelined cascade (see AudioDspCascadeKernel.h). Same
// contract as the rest of the audio DSP: no allocation, no locks, any thread.
namespace dsp {

// Filters the stereo block in place through count bands in their order, each steady (no
// glide under way, not flat), with the widest kernel this processor runs. The result equals
// ProcessBiquad band after band within float rounding.
void ProcessSteadyCascade(std::span<float> stereo, BiquadBand* const* bands, std::size_t count);

// The kernels themselves, for tests and measurements: the portable one (any processor
// GCC or Clang builds for), and the AVX2 and AVX-512 ones, which return false and do
// nothing where the processor or the build lacks AVX2 and FMA, or AVX-512F.
void ProcessSteadyCascadePortable(
    std::span<float> stereo, BiquadBand* const* bands, std::size_t count);
bool ProcessSteadyCascadeAvx2(std::span<float> stereo, BiquadBand* const* bands, std::size_t count);
bool ProcessSteadyCascadeAvx512(
    std::span<float> stereo, BiquadBand* const* bands, std::size_t count);

} // namespace dsp
