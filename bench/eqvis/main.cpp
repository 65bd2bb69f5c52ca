// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Figures of the spectrum visualiser with a shipped skin:
//   plumo-bench-eqvis SPECTRUM_FILE NAME SECONDS
// vis_tick_us: one Update plus a paint of a 300 x 80 visualiser, median over many ticks.
// vis_tick_cpu_percent: process CPU time over wall time while a 30 ms timer ticks a shown
// visualiser with a moving spectrum, as the window does while a track plays.
#include "CSkinVis.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A spectrum that moves from tick to tick, falling off toward the high bins like music.
void FillSpectrum(std::array<float, CSkinVis::kFftBins>& fft, int tick)
{
    for (std::size_t bin = 0; bin < fft.size(); ++bin) {
        const double wobble = 0.5 + 0.5 * std::sin(0.3 * tick + 0.05 * static_cast<double>(bin));
        fft[bin] = static_cast<float>(0.02 * wobble / (1.0 + static_cast<double>(bin) / 64.0));
    }
}

double TickMicros(CSkinVis& vis)
{
    std::array<float, CSkinVis::kFftBins> fft{};
    QImage target(vis.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int tick = 0; tick < 2000; ++tick) {
        FillSpectrum(fft, tick);
        QElapsedTimer clock;
        clock.start();
        vis.Update(fft, true);
        QPainter painter(&target);
        vis.Render(painter);
        painter.end();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1000.0);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

double TimerCpuPercent(CSkinVis& vis, int seconds)
{
    std::array<float, CSkinVis::kFftBins> fft{};
    int tick = 0;
    QTimer timer;
    timer.setInterval(30);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        FillSpectrum(fft, ++tick);
        vis.Update(fft, true);
    });
    const double cpu = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    timer.start();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QApplication::exec();
    return 100.0 * (CpuSeconds() - cpu) / (static_cast<double>(wall.elapsed()) / 1000.0);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: plumo-bench-eqvis SPECTRUM_FILE NAME SECONDS\n");
        return 2;
    }
    CSkinVis vis;
    vis.resize(300, 80);
    vis.show();
    if (!vis.LoadSkin(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const char* name = argv[2];
    std::printf("vis_tick_us_%s: %.1f us\n", name, TickMicros(vis));
    std::printf("vis_tick_cpu_percent_%s: %.2f %%\n", name, TimerCpuPercent(vis, std::max(1, std::atoi(argv[3]))));
    return 0;
}
