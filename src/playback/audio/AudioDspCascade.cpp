// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioDspCascade.h"

#if defined(__GNUC__)
#include "AudioDspCascadeKernel.h"
#endif

namespace dsp {

namespace {

// Frames below which a block goes through the plain filters.
constexpr std::size_t kShortBlock = 16;

#if defined(__GNUC__)
// Four lanes: SSE2 on any x86-64, NEON on ARM. Multiply and add stay apart, as in the
// scalar filter, so this kernel gives the very same samples.
struct Portable4 {
    using V = float __attribute__((vector_size(16)));
    using M = int __attribute__((vector_size(16)));
    static constexpr int kLanes = 4;
    static constexpr bool kFused = false;
    static constexpr int Delay(int registers) { return registers < 3 ? 3 : 2; }

    static V Enter(V last, const float* frame)
    {
        const V in{frame[0], frame[1], 0.0f, 0.0f};
#if defined(__clang__)
        return __builtin_shufflevector(last, in, 4, 5, 0, 1);
#else
        return __builtin_shuffle(last, in, M{4, 5, 0, 1});
#endif
    }
    static void Leave(V last, float* frame)
    {
        frame[0] = last[2];
        frame[1] = last[3];
    }
};
#endif

} // namespace

void ProcessSteadyCascadePortable(
    std::span<float> stereo, BiquadBand* const* bands, std::size_t count)
{
#if defined(__GNUC__)
    // Three registers of four lanes hold six bands; more registers than that spill.
    RunCascade<Portable4, 3>(stereo.data(), static_cast<int>(stereo.size() / 2), bands, count);
#else
    for (std::size_t k = 0; k < count; ++k)
        ProcessBiquad(stereo, *bands[k]);
#endif
}

void ProcessSteadyCascade(std::span<float> stereo, BiquadBand* const* bands, std::size_t count)
{
    if (count == 0 || stereo.size() < 2)
        return;
    // The pipeline fills and drains in up to 45 steps, whatever the block: for a single band
    // or a few frames the plain filters cost less.
    if (count == 1 || stereo.size() < 2 * kShortBlock) {
        for (std::size_t k = 0; k < count; ++k)
            ProcessBiquad(stereo, *bands[k]);
        return;
    }
    if (!ProcessSteadyCascadeAvx512(stereo, bands, count)
        && !ProcessSteadyCascadeAvx2(stereo, bands, count))
        ProcessSteadyCascadePortable(stereo, bands, count);
}

} // namespace dsp
