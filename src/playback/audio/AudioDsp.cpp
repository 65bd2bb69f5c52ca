// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioDsp.h"

#include "AudioDspCascade.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

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

#if defined(__x86_64__) || defined(_M_X64)
// Denormal numbers are hundreds of times slower than normal ones, and every decaying tail
// of a filter passes through them; flushed to zero they cost nothing and cannot be heard.
// The mode is the calling thread's, so it is restored on the way out.
class FlushDenormals {
public:
    FlushDenormals()
        : m_saved(_mm_getcsr())
    {
        _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero);
    }
    ~FlushDenormals() { _mm_setcsr(m_saved); }
    FlushDenormals(const FlushDenormals&) = delete;
    FlushDenormals& operator=(const FlushDenormals&) = delete;

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned m_saved;
};
#else
struct FlushDenormals {};
#endif

// The largest run of steady bands handed to the cascade at once.
constexpr std::size_t kMaxRun = 16;

} // namespace

void ProcessEqualizer(std::span<float> stereo, std::span<BiquadBand> bands)
{
    const FlushDenormals flush;
    std::size_t i = 0;
    while (i < bands.size()) {
        if (bands[i].rampLeft > 0) {
            // A band in its glide varies in time, so it keeps its place in the order.
            ProcessBiquad(stereo, bands[i++]);
            continue;
        }
        std::array<BiquadBand*, kMaxRun> run{};
        std::size_t count = 0;
        for (; i < bands.size() && bands[i].rampLeft == 0 && count < kMaxRun; ++i) {
            if (!bands[i].flat)
                run[count++] = &bands[i];
        }
        ProcessSteadyCascade(stereo, run.data(), count);
    }
}

void SetGainTarget(GainRamp& gain, float target)
{
    SetGainTarget(gain, target, kRampFrames);
}

void SetGainTarget(GainRamp& gain, float target, int frames)
{
    frames = std::max(frames, 1);
    gain.target = target;
    gain.step = (target - gain.current) / static_cast<float>(frames);
    gain.rampLeft = frames;
}

float LimiterRelease(double rate, double seconds)
{
    const double frames = std::max(rate * seconds, 1.0);
    return static_cast<float>(1.0 - std::exp(-1.0 / frames));
}

void LimitPeaks(std::span<float> stereo, PeakLimiter& limiter)
{
    const std::size_t frames = stereo.size() / 2;
    float g = limiter.gain;
    for (std::size_t i = 0; i < frames; ++i) {
        float& left = stereo[2 * i];
        float& right = stereo[2 * i + 1];
        g += (1.0f - g) * limiter.release;
        const float peak = std::max(std::fabs(left), std::fabs(right));
        // Division rounds; the product is checked again so that no sample ends above 1.0.
        if (peak * g > 1.0f)
            g = 1.0f / peak;
        left *= g;
        right *= g;
        left = std::clamp(left, -1.0f, 1.0f);
        right = std::clamp(right, -1.0f, 1.0f);
    }
    limiter.gain = g;
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
