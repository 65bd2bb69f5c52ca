// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// bench_loudness FILE...: measures the files' loudness as "Analyse loudness" does (the files
// are one album, so the album gain is measured too), and prints how many files per second and
// how many times faster than real time that ran, the best of three rounds. Time is the
// processor time of the process, every thread's, so the figures are per core.
#include "CLoudnessMeter.h"
#include "audio/CAudioLib.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// Seconds of audio in file, decoded in full.
double SecondsOf(const QString& file)
{
    CAudioLib lib;
    const HCHANNEL h = lib.StreamCreateFile(file, true);
    if (h == 0)
        return -1.0;
    std::vector<float> block(16384);
    std::size_t samples = 0;
    for (std::size_t n = 0; (n = lib.ChannelGetData(h, block)) != 0;)
        samples += n;
    lib.StreamFree(h);
    return static_cast<double>(samples) / 2.0 / 44100.0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_loudness FILE...\n");
        return 2;
    }
    std::vector<CLoudnessMeter::Track> tracks;
    double seconds = 0.0;
    for (int i = 1; i < argc; ++i) {
        const QString file = QString::fromLocal8Bit(argv[i]);
        const double s = SecondsOf(file);
        if (s <= 0.0) {
            std::fprintf(stderr, "bench_loudness: cannot decode %s\n", argv[i]);
            return 1;
        }
        seconds += s;
        tracks.push_back({file, QStringLiteral("album")});
    }
    double best = 0.0;
    for (int round = 0; round < 3; ++round) {
        const std::clock_t start = std::clock();
        const std::vector<CLoudnessMeter::Result> results = CLoudnessMeter::Measure(tracks, {});
        const double took = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        if (std::any_of(results.begin(), results.end(), [](const auto& r) { return !r.measured; })) {
            std::fprintf(stderr, "bench_loudness: a file was not measured\n");
            return 1;
        }
        best = std::max(best, static_cast<double>(tracks.size()) / std::max(took, 1e-6));
    }
    std::printf("r128_files_per_s: %.2f files/s\n", best);
    std::printf("r128_x: %.1f x\n", best * seconds / static_cast<double>(tracks.size()));
    return 0;
}
