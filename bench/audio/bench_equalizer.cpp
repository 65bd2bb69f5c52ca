// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// bench_equalizer: the ten-band equalizer alone, every band on and steady, in blocks of 1024
// frames. Prints nanoseconds of processor time per stereo frame (the best of five rounds)
// for the equalizer as the player runs it and for the plain cascade of biquads it stands
// for, over noise and over the silent tail after a click (where the filters decay into
// denormal numbers).
#include "AudioDsp.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr float kCentres[10] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};
constexpr float kGains[10] = {4.5f, 3.0f, -1.5f, -3.0f, -1.0f, 1.5f, 3.5f, 5.0f, 5.5f, 6.0f};
constexpr std::size_t kFrames = 1024;

using Bands = std::array<dsp::BiquadBand, 10>;
using Process = void (*)(std::span<float>, Bands&);

Bands SteadyBands()
{
    Bands bands{};
    for (std::size_t k = 0; k < bands.size(); ++k) {
        const dsp::BiquadCoeffs c = dsp::PeakingCoeffs(44100.0, kCentres[k], 1.0, kGains[k]);
        bands[k].current = bands[k].target = c;
        bands[k].flat = false;
    }
    return bands;
}

// Noise in every block, or (tail) a click in the first block of a round and then silence.
double NanosecondsPerFrame(Process process, bool tail, int blocks)
{
    std::mt19937 random(1);
    std::vector<float> noise(2 * kFrames);
    for (float& s : noise)
        s = tail ? 0.0f : std::uniform_real_distribution<float>(-0.5f, 0.5f)(random);
    std::vector<float> block(noise.size());
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        Bands bands = SteadyBands();
        const std::clock_t start = std::clock();
        for (int i = 0; i < blocks; ++i) {
            std::copy(noise.begin(), noise.end(), block.begin());
            if (tail && i == 0)
                block[0] = block[1] = 0.01f;
            process(std::span<float>(block), bands);
        }
        const double took = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        best = std::min(best, took * 1e9 / (static_cast<double>(blocks) * kFrames));
    }
    return best;
}

void Equalizer(std::span<float> stereo, Bands& bands)
{
    dsp::ProcessEqualizer(stereo, bands);
}

void Plain(std::span<float> stereo, Bands& bands)
{
    for (dsp::BiquadBand& band : bands)
        dsp::ProcessBiquad(stereo, band);
}

} // namespace

int main()
{
    std::printf("equalizer_ns_per_frame: %.2f ns\n", NanosecondsPerFrame(&Equalizer, false, 4000));
    std::printf(
        "plain_equalizer_ns_per_frame: %.2f ns\n", NanosecondsPerFrame(&Plain, false, 4000));
    // The first second after the click: all but the lowest bands reach denormals in it.
    std::printf(
        "equalizer_tail_ns_per_frame: %.2f ns\n", NanosecondsPerFrame(&Equalizer, true, 43));
    std::printf(
        "plain_equalizer_tail_ns_per_frame: %.2f ns\n", NanosecondsPerFrame(&Plain, true, 43));
    return 0;
}
