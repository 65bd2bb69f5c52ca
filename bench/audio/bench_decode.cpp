// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// bench_decode FILE [REPEAT]: decodes FILE REPEAT times (default 1) through a decode-only
// channel with the preamp and the ten-band equalizer on, and prints how many times faster
// than real time that ran (the best of three rounds). Time is the processor time of the
// process, which a busy machine disturbs far less than wall time.
#include "CAudioLib.h"

#include <QCoreApplication>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr float kCentres[10] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};
constexpr float kGains[10] = {4.5f, 3.0f, -1.5f, -3.0f, -1.0f, 1.5f, 3.5f, 5.0f, 5.5f, 6.0f};

// Seconds of audio decoded, or a negative value when the file cannot be opened.
double DecodeOnce(CAudioLib& lib, const QString& path, std::vector<float>& block)
{
    const HCHANNEL h = lib.StreamCreateFile(path, true);
    if (h == 0)
        return -1.0;
    const HFX pre = lib.ChannelSetFxVolume(h, 0);
    const HFX eq = lib.ChannelSetFxPeakEq(h, 1);
    lib.FxSetVolume(pre, 0.7f);
    for (int band = 0; band < 10; ++band)
        lib.FxSetPeakEq(eq, PeakEqBand{band, 1.0f, kCentres[band], kGains[band]});
    std::size_t samples = 0;
    for (;;) {
        const std::size_t n = lib.ChannelGetData(h, block);
        if (n == 0)
            break;
        samples += n;
    }
    lib.StreamFree(h);
    return static_cast<double>(samples) / 2.0 / 44100.0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_decode FILE [REPEAT]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int repeat = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    CAudioLib lib;
    std::vector<float> block(16384);
    double best = 0.0;
    for (int round = 0; round < 3; ++round) {
        const std::clock_t start = std::clock();
        double seconds = 0.0;
        for (int i = 0; i < repeat; ++i) {
            const double s = DecodeOnce(lib, path, block);
            if (s < 0.0) {
                std::fprintf(stderr, "bench_decode: cannot open %s\n", argv[1]);
                return 1;
            }
            seconds += s;
        }
        const double took = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        best = std::max(best, seconds / std::max(took, 1e-6));
    }
    std::printf("%.1f\n", best);
    return 0;
}
