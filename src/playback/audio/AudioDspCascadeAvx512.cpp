// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioDspCascade.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#include <cstddef>
#include <cstring>

// Only the kernel below is built for AVX-512: every header comes first, so no inline
// function shared with other files is compiled for it (the linker could keep that copy).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f")
#endif
#include "AudioDspCascadeKernel.h"

namespace dsp {
namespace {

// Sixteen lanes (eight bands of both sides) per register: ten bands fill two registers,
// against three of AVX2, with fused multiply-add.
struct Avx512Lanes {
    using V = __m512;
    using M = int __attribute__((vector_size(64)));
    static constexpr int kLanes = 16;
    static constexpr bool kFused = true;
    static constexpr int Delay(int) { return 3; }

    static V Fma(V a, V b, V c) { return _mm512_fmadd_ps(a, b, c); }
    static V Enter(V last, const float* frame)
    {
        // The frame, copied to every pair, enters at the bottom of one lane rotation.
        double pair;
        std::memcpy(&pair, frame, sizeof(pair));
        const V in = _mm512_castpd_ps(_mm512_set1_pd(pair));
#if defined(__clang__)
        return __builtin_shufflevector(
            last, in, 16, 17, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13);
#else
        return __builtin_shuffle(
            last, in, M{16, 17, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
#endif
    }
    static void Leave(V last, float* frame)
    {
        frame[0] = last[14];
        frame[1] = last[15];
    }
};

void RunAvx512(float* stereo, int frames, BiquadBand* const* bands, std::size_t count)
{
    RunCascade<Avx512Lanes, 2>(stereo, frames, bands, count);
}

} // namespace
} // namespace dsp
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace dsp {

bool ProcessSteadyCascadeAvx512(
    std::span<float> stereo, BiquadBand* const* bands, std::size_t count)
{
    if (!__builtin_cpu_supports("avx512f"))
        return false;
    RunAvx512(stereo.data(), static_cast<int>(stereo.size() / 2), bands, count);
    return true;
}

} // namespace dsp

#else

namespace dsp {

bool ProcessSteadyCascadeAvx512(std::span<float>, BiquadBand* const*, std::size_t)
{
    return false;
}

} // namespace dsp

#endif
