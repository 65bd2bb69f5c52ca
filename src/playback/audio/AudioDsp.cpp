// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioDsp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dsp {

BiquadCoeffs PeakingCoeffs(double rate, double center, double bandwidthOctaves, double gainDb)
{
    const double f0 = std::clamp(center, 1.0, rate * 0.49);
    const double bw = std::clamp(bandwidthOctaves, 0.01, 10.0);
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * std::numbers::pi * f0 / rate;
    const double sinW = std::sin(w0);
    const double cosW = std::cos(w0);
    const double alpha = sinW * std::sinh(std::numbers::ln2 / 2.0 * bw * w0 / sinW);
    const double a0 = 1.0 + alpha / a;
    BiquadCoeffs c;
    c.b0 = static_cast<float>((1.0 + alpha * a) / a0);
    c.b1 = static_cast<float>(-2.0 * cosW / a0);
    c.b2 = static_cast<float>((1.0 - alpha * a) / a0);
    c.a1 = static_cast<float>(-2.0 * cosW / a0);
    c.a2 = static_cast<float>((1.0 - alpha / a) / a0);
    return c;
}

bool IsIdentity(const BiquadCoeffs& c)
{
    return c.b0 == 1.0f && c.b1 == c.a1 && c.b2 == c.a2;
}

void SetBiquadTarget(BiquadBand& band, const BiquadCoeffs& coeffs)
{
    const bool flat = IsIdentity(coeffs);
    if (band.flat && flat)
        return;
    if (band.flat) {
        // From rest: an identity filter of the new shape (b = a) passes the signal unchanged
        // even with a cleared history, so only the gain part glides in.
        band.current = coeffs;
        band.current.b0 = 1.0f;
        band.current.b1 = coeffs.a1;
        band.current.b2 = coeffs.a2;
        band.state = {};
    }
    band.target = coeffs;
    constexpr float inv = 1.0f / static_cast<float>(kRampFrames);
    band.step.b0 = (coeffs.b0 - band.current.b0) * inv;
    band.step.b1 = (coeffs.b1 - band.current.b1) * inv;
    band.step.b2 = (coeffs.b2 - band.current.b2) * inv;
    band.step.a1 = (coeffs.a1 - band.current.a1) * inv;
    band.step.a2 = (coeffs.a2 - band.current.a2) * inv;
    band.rampLeft = kRampFrames;
    band.flat = false;
}

namespace {

inline float Filter(const BiquadCoeffs& c, std::array<float, 4>& s, float x)
{
    // The previous output enters last, so the loop-carried path is one multiply and one add.
    const float y = ((c.b0 * x + c.b1 * s[0]) + (c.b2 * s[1] - c.a2 * s[3])) - c.a1 * s[2];
    s[1] = s[0];
    s[0] = x;
    s[3] = s[2];
    s[2] = y;
    return y;
}

void StepCoeffs(BiquadBand& band)
{
    band.current.b0 += band.step.b0;
    band.current.b1 += band.step.b1;
    band.current.b2 += band.step.b2;
    band.current.a1 += band.step.a1;
    band.current.a2 += band.step.a2;
    if (--band.rampLeft == 0)
        band.current = band.target;
}

} // namespace

void ProcessBiquad(std::span<float> stereo, BiquadBand& band)
{
    const std::size_t frames = stereo.size() / 2;
    if (band.flat)
        return;
    std::size_t i = 0;
    for (; i < frames && band.rampLeft > 0; ++i) {
        stereo[2 * i] = Filter(band.current, band.state[0], stereo[2 * i]);
        stereo[2 * i + 1] = Filter(band.current, band.state[1], stereo[2 * i + 1]);
        StepCoeffs(band);
    }
    const BiquadCoeffs c = band.current;
    auto s0 = band.state[0];
    auto s1 = band.state[1];
    for (; i < frames; ++i) {
        stereo[2 * i] = Filter(c, s0, stereo[2 * i]);
        stereo[2 * i + 1] = Filter(c, s1, stereo[2 * i + 1]);
    }
    band.state[0] = s0;
    band.state[1] = s1;
    if (band.rampLeft == 0 && IsIdentity(band.current)) {
        band.flat = true;
    }
}

namespace {

#if defined(__GNUC__)
// Both sides of a frame in one vector: half the instructions of two scalar filters.
using Side2 = float __attribute__((vector_size(8)));

struct VectorState {
    Side2 x1, x2, y1, y2;
};

inline VectorState Load(const BiquadBand& band)
{
    const auto& s = band.state;
    return {Side2{s[0][0], s[1][0]}, Side2{s[0][1], s[1][1]}, Side2{s[0][2], s[1][2]},
        Side2{s[0][3], s[1][3]}};
}

inline void Store(BiquadBand& band, const VectorState& v)
{
    band.state[0] = {v.x1[0], v.x2[0], v.y1[0], v.y2[0]};
    band.state[1] = {v.x1[1], v.x2[1], v.y1[1], v.y2[1]};
}

// Coefficients spread over both sides once per block, not once per sample.
struct VectorCoeffs {
    Side2 b0, b1, b2, a1, a2;
};

inline VectorCoeffs Spread(const BiquadCoeffs& c)
{
    return {Side2{c.b0, c.b0}, Side2{c.b1, c.b1}, Side2{c.b2, c.b2}, Side2{c.a1, c.a1},
        Side2{c.a2, c.a2}};
}

inline Side2 Filter2(const VectorCoeffs& c, VectorState& s, Side2 x)
{
    const Side2 y = ((c.b0 * x + c.b1 * s.x1) + (c.b2 * s.x2 - c.a2 * s.y2)) - c.a1 * s.y1;
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = y;
    return y;
}

// Two bands in one pass, written out so that both states stay in registers: their
// recurrences are independent, so the processor overlaps them.
void ProcessSteadyPair(std::span<float> stereo, BiquadBand& first, BiquadBand& second)
{
    const VectorCoeffs c1 = Spread(first.current);
    const VectorCoeffs c2 = Spread(second.current);
    VectorState s1 = Load(first);
    VectorState s2 = Load(second);
    const std::size_t frames = stereo.size() / 2;
    float* p = stereo.data();
    for (std::size_t i = 0; i < frames; ++i, p += 2) {
        const Side2 y = Filter2(c2, s2, Filter2(c1, s1, Side2{p[0], p[1]}));
        p[0] = y[0];
        p[1] = y[1];
    }
    Store(first, s1);
    Store(second, s2);
}

void ProcessSteadyQuad(std::span<float> stereo, BiquadBand* const* bands)
{
    ProcessSteadyPair(stereo, *bands[0], *bands[1]);
    ProcessSteadyPair(stereo, *bands[2], *bands[3]);
}
#else
// Two bands in one pass: their recurrences are independent, so the processor overlaps them.
void ProcessSteadyPair(std::span<float> stereo, BiquadBand& first, BiquadBand& second)
{
    const BiquadCoeffs c1 = first.current;
    const BiquadCoeffs c2 = second.current;
    auto l1 = first.state[0];
    auto r1 = first.state[1];
    auto l2 = second.state[0];
    auto r2 = second.state[1];
    const std::size_t frames = stereo.size() / 2;
    for (std::size_t i = 0; i < frames; ++i) {
        stereo[2 * i] = Filter(c2, l2, Filter(c1, l1, stereo[2 * i]));
        stereo[2 * i + 1] = Filter(c2, r2, Filter(c1, r1, stereo[2 * i + 1]));
    }
    first.state = {l1, r1};
    second.state = {l2, r2};
}

void ProcessSteadyQuad(std::span<float> stereo, BiquadBand* const* bands)
{
    ProcessSteadyPair(stereo, *bands[0], *bands[1]);
    ProcessSteadyPair(stereo, *bands[2], *bands[3]);
}
#endif

} // namespace

void ProcessEqualizer(std::span<float> stereo, std::span<BiquadBand> bands)
{
    std::array<BiquadBand*, 16> steady{};
    std::size_t count = 0;
    for (BiquadBand& band : bands) {
        if (band.flat)
            continue;
        if (band.rampLeft > 0 || count == steady.size())
            ProcessBiquad(stereo, band);
        else
            steady[count++] = &band;
    }
    std::size_t k = 0;
    for (; k + 4 <= count; k += 4)
        ProcessSteadyQuad(stereo, &steady[k]);
    for (; k + 2 <= count; k += 2)
        ProcessSteadyPair(stereo, *steady[k], *steady[k + 1]);
    if (k < count)
        ProcessBiquad(stereo, *steady[k]);
}

void SetGainTarget(GainRamp& gain, float target)
{
    gain.target = target;
    gain.step = (target - gain.current) / static_cast<float>(kRampFrames);
    gain.rampLeft = kRampFrames;
}

void ApplyGain(std::span<float> stereo, GainRamp& gain)
{
    const std::size_t frames = stereo.size() / 2;
    std::size_t i = 0;
    for (; i < frames && gain.rampLeft > 0; ++i) {
        gain.current += gain.step;
        if (--gain.rampLeft == 0)
            gain.current = gain.target;
        stereo[2 * i] *= gain.current;
        stereo[2 * i + 1] *= gain.current;
    }
    if (gain.current == 1.0f)
        return;
    const float g = gain.current;
    for (std::size_t k = 2 * i; k < stereo.size(); ++k)
        stereo[k] *= g;
}

void MixWithRamp(std::span<float> out, std::span<const float> in, float start, float step)
{
    const std::size_t frames = std::min(out.size(), in.size()) / 2;
    if (step == 0.0f) {
        for (std::size_t k = 0; k < 2 * frames; ++k)
            out[k] += in[k] * start;
        return;
    }
    for (std::size_t i = 0; i < frames; ++i) {
        const float g = start + step * static_cast<float>(i);
        out[2 * i] += in[2 * i] * g;
        out[2 * i + 1] += in[2 * i + 1] * g;
    }
}

} // namespace dsp
