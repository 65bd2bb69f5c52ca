// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioDsp.h"
#include "AudioDspCascade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

// The pipelined equalizer against the plain one: ProcessBiquad band after band.
namespace {

constexpr double kRate = 44100.0;
constexpr float kCentres[10] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};

using Bands = std::array<dsp::BiquadBand, 10>;
using Cascade = std::function<void(std::span<float>, Bands&)>;

void PlainCascade(std::span<float> stereo, Bands& bands)
{
    for (dsp::BiquadBand& band : bands)
        dsp::ProcessBiquad(stereo, band);
}

// The same cascade in double precision (on the same float coefficients): the result float
// arithmetic approximates, whatever the order of its operations.
class ExactCascade {
public:
    explicit ExactCascade(const Bands& bands)
    {
        for (std::size_t k = 0; k < bands.size(); ++k) {
            const dsp::BiquadCoeffs& c = bands[k].current;
            m_coeffs[k] = {c.b0, c.b1, c.b2, c.a1, c.a2};
            for (int side = 0; side < 2; ++side)
                for (int i = 0; i < 4; ++i)
                    m_state[k][side][i] = bands[k].state[side][i];
        }
    }

    void Process(std::span<const float> in, std::vector<double>& out)
    {
        out.assign(in.begin(), in.end());
        for (std::size_t k = 0; k < m_coeffs.size(); ++k) {
            const auto& c = m_coeffs[k];
            for (std::size_t i = 0; i < out.size(); ++i) {
                auto& s = m_state[k][i % 2];
                const double y
                    = c[0] * out[i] + c[1] * s[0] + c[2] * s[1] - c[3] * s[2] - c[4] * s[3];
                s = {out[i], s[0], y, s[2]};
                out[i] = y;
            }
        }
    }

private:
    std::array<std::array<double, 5>, 10> m_coeffs{};
    std::array<std::array<std::array<double, 4>, 2>, 10> m_state{};
};

// Bands at work: one register or more of each kernel, up to all ten.
constexpr int kActiveCounts[] = {10, 8, 6, 5, 4, 2};

// Block lengths around the pipelines' depths (up to 45 frames) and well past them.
const std::vector<std::size_t> kBlockFrames
    = {1, 2, 3, 5, 7, 11, 12, 13, 23, 32, 33, 34, 44, 45, 46, 64, 333, 1024};

class EqualizerCascadeTest : public testing::Test {
protected:
    float Noise() { return std::uniform_real_distribution<float>(-0.5f, 0.5f)(m_random); }
    float Gain() { return std::uniform_real_distribution<float>(-12.0f, 12.0f)(m_random); }

    // Bands at rest on random gains, all but active of them (spread over the ten) flat.
    Bands SteadyBands(int active)
    {
        Bands bands{};
        for (std::size_t k = 0; k < bands.size(); ++k) {
            const bool on = static_cast<int>(k * 7 % 10) < active;
            const dsp::BiquadCoeffs c
                = dsp::PeakingCoeffs(kRate, kCentres[k], 1.0, on ? Gain() : 0.0f);
            bands[k].current = bands[k].target = c;
            bands[k].flat = dsp::IsIdentity(c);
        }
        return bands;
    }

    // Largest differences, relative to the plain output's peak: fast against plain, and
    // fast and plain against the exact cascade (meaningful while no band glides).
    struct Deviation {
        double fromPlain = 0.0;
        double fastFromExact = 0.0;
        double plainFromExact = 0.0;
    };

    // Runs the same noise through the cascades block by block (lengths from kBlockFrames in
    // turn); between(block) may change either copy of the bands before a block.
    Deviation Compare(Bands fastBands, Bands plainBands, const Cascade& fast, int blocks,
        const std::function<void(int, Bands&, Bands&)>& between = {})
    {
        ExactCascade exact(plainBands);
        Deviation d;
        double peak = 1e-9;
        std::vector<float> a;
        std::vector<float> b;
        std::vector<double> e;
        const auto worse
            = [](double& worst, double x, double y) { worst = std::max(worst, std::fabs(x - y)); };
        for (int n = 0; n < blocks; ++n) {
            if (between)
                between(n, fastBands, plainBands);
            a.resize(2 * kBlockFrames[static_cast<std::size_t>(n) % kBlockFrames.size()]);
            std::generate(a.begin(), a.end(), [this] { return Noise(); });
            b = a;
            exact.Process(a, e);
            fast(a, fastBands);
            PlainCascade(b, plainBands);
            for (std::size_t i = 0; i < a.size(); ++i) {
                peak = std::max(peak, std::fabs(static_cast<double>(b[i])));
                worse(d.fromPlain, a[i], b[i]);
                worse(d.fastFromExact, a[i], e[i]);
                worse(d.plainFromExact, b[i], e[i]);
            }
        }
        d.fromPlain /= peak;
        d.fastFromExact /= peak;
        d.plainFromExact /= peak;
        return d;
    }

    std::mt19937 m_random {20261208};
};

// Hands every band that is not flat to one kernel, as the equalizer does with a steady run.
Cascade Kernel(void (*kernel)(std::span<float>, dsp::BiquadBand* const*, std::size_t))
{
    return [kernel](std::span<float> stereo, Bands& bands) {
        std::array<dsp::BiquadBand*, 10> steady{};
        std::size_t count = 0;
        for (dsp::BiquadBand& band : bands)
            if (!band.flat)
                steady[count++] = &band;
        kernel(stereo, steady.data(), count);
    };
}

void Avx2Kernel(std::span<float> stereo, dsp::BiquadBand* const* bands, std::size_t count)
{
    ASSERT_TRUE(dsp::ProcessSteadyCascadeAvx2(stereo, bands, count));
}

void Avx512Kernel(std::span<float> stereo, dsp::BiquadBand* const* bands, std::size_t count)
{
    ASSERT_TRUE(dsp::ProcessSteadyCascadeAvx512(stereo, bands, count));
}

// Whether the processor runs the kernel (asked with no band at all).
bool Runs(bool (*kernel)(std::span<float>, dsp::BiquadBand* const*, std::size_t))
{
    std::array<float, 2> frame{};
    return kernel(frame, nullptr, 0);
}

} // namespace

TEST_F(EqualizerCascadeTest, ThePortableKernelGivesThePlainCascadesSamples)
{
    // Same operations in the same order: only the schedule differs. Every register count of
    // the kernel takes part.
    const Cascade portable = Kernel(&dsp::ProcessSteadyCascadePortable);
    for (const int active : kActiveCounts) {
        const Bands bands = SteadyBands(active);
        EXPECT_LT(Compare(bands, bands, portable, 72).fromPlain, 1e-6) << active << " bands";
    }
}

TEST_F(EqualizerCascadeTest, TheFusedKernelIsAsCloseToTheExactCascadeAsThePlainOne)
{
    // Fused multiply-adds round differently; the ten recursions amplify rounding at the low
    // bands so that the plain float cascade itself strays about 1e-4 of the peak from the
    // exact one. The fast paths may stray no further (a fault in the pipeline strays by the
    // whole signal).
    std::vector<std::pair<const char*, Cascade>> kernels = {
        {"dispatch", Kernel(&dsp::ProcessSteadyCascade)},
        {"equalizer", [](std::span<float> s, Bands& b) { dsp::ProcessEqualizer(s, b); }},
    };
    if (Runs(&dsp::ProcessSteadyCascadeAvx2))
        kernels.emplace_back("avx2", Kernel(&Avx2Kernel));
    if (Runs(&dsp::ProcessSteadyCascadeAvx512))
        kernels.emplace_back("avx512", Kernel(&Avx512Kernel));
    for (const int active : kActiveCounts) {
        for (const auto& [name, kernel] : kernels) {
            const Bands bands = SteadyBands(active);
            const Deviation d = Compare(bands, bands, kernel, 72);
            EXPECT_LT(d.fastFromExact, 1.5 * d.plainFromExact + 1e-6)
                << name << ", " << active << " bands";
            EXPECT_LT(d.fromPlain, 1e-3) << name << ", " << active << " bands";
        }
    }
}

TEST_F(EqualizerCascadeTest, GlidesMidStreamKeepTheirPlaceInTheCascade)
{
    // Every few blocks some bands get a new gain (to 0 dB too, so that they come to rest
    // flat, and from flat), while the others stay in the pipelined runs around them. A
    // gliding band varies in time, so moving it out of its place would stray by percents.
    const Bands bands = SteadyBands(7);
    const auto retune = [this](int block, Bands& fast, Bands& plain) {
        if (block % 5 != 2)
            return;
        for (std::size_t k = 0; k < fast.size(); ++k) {
            if (m_random() % 3 != 0)
                continue;
            const float gain = m_random() % 4 == 0 ? 0.0f : Gain();
            const dsp::BiquadCoeffs c = dsp::PeakingCoeffs(kRate, kCentres[k], 1.0, gain);
            dsp::SetBiquadTarget(fast[k], c);
            dsp::SetBiquadTarget(plain[k], c);
        }
    };
    const Cascade equalizer = [](std::span<float> s, Bands& b) { dsp::ProcessEqualizer(s, b); };
    const Deviation d = Compare(bands, bands, equalizer, 120, retune);
    EXPECT_LT(d.fromPlain, 1e-3);
}

TEST_F(EqualizerCascadeTest, StateCarriesAcrossBlocksOfOneFrame)
{
    // A long impulse response cut into single frames must match the uncut one.
    Bands whole = SteadyBands(10);
    Bands pieces = whole;
    std::vector<float> a(2 * 4096, 0.0f);
    a[0] = 1.0f;
    a[1] = -0.5f;
    std::vector<float> b = a;
    dsp::ProcessEqualizer(a, whole);
    for (std::size_t i = 0; i < b.size(); i += 2)
        dsp::ProcessEqualizer(std::span<float>(b).subspan(i, 2), pieces);
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(static_cast<double>(a[i]) - b[i]));
    EXPECT_LT(worst, 1e-4);
    EXPECT_GT(std::fabs(a[2 * 2000]), 0.0f) << "the response lasts past the first block";
}
