// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioDspCascade.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#include <cstddef>
#include <cstring>

// Only the kernel below is built for AVX2: every header comes first, so no inline function
// shared with other files is compiled for it (the linker could keep that copy for all).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
#include "AudioDspCascadeKernel.h"

namespace dsp {
namespace {

// Eight lanes (four bands of both sides) per register, with fused multiply-add.
struct Avx2Lanes {
    using V = __m256;
    using M = int __attribute__((vector_size(32)));
    static constexpr int kLanes = 8;
    static constexpr bool kFused = true;
    static constexpr int Delay(int registers) { return registers < 3 ? 3 : 2; }

    static V Fma(V a, V b, V c) { return _mm256_fmadd_ps(a, b, c); }
    static V Enter(V last, const float* frame)
    {
        const V moved = _mm256_permutevar8x32_ps(last, _mm256_setr_epi32(6, 7, 0, 1, 2, 3, 4, 5));
        const __m128 in
            = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(frame)));
        return _mm256_blend_ps(moved, _mm256_castps128_ps256(in), 0x3);
    }
    static void Leave(V last, float* frame)
    {
        _mm_storeh_pi(reinterpret_cast<__m64*>(frame), _mm256_extractf128_ps(last, 1));
    }
};

void RunAvx2(float* stereo, int frames, BiquadBand* const* bands, std::size_t count)
{
    RunCascade<Avx2Lanes, 3>(stereo, frames, bands, count);
}

} // namespace
} // namespace dsp
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace dsp {

bool ProcessSteadyCascadeAvx2(std::span<float> stereo, BiquadBand* const* bands, std::size_t count)
{
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma"))
        return false;
    RunAvx2(stereo.data(), static_cast<int>(stereo.size() / 2), bands, count);
    return true;
}

} // namespace dsp

#else

namespace dsp {

bool ProcessSteadyCascadeAvx2(std::span<float>, BiquadBand* const*, std::size_t)
{
    return false;
}

} // namespace dsp

#endif
