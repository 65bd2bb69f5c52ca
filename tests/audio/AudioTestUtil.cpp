// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioTestUtil.h"

#include <QCoreApplication>
#include <QFile>

#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>

namespace audiotest {

void UseDiskOutput(const QString& file)
{
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(file));
    qputenv("SDL_DISKAUDIODELAY", "0");
}

std::vector<float> ReadDiskOutput(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    std::vector<float> samples(static_cast<std::size_t>(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

std::vector<float> DecodeAll(CAudioLib& lib, HCHANNEL channel)
{
    std::vector<float> all;
    std::vector<float> block(8192);
    for (;;) {
        const std::size_t n = lib.ChannelGetData(channel, block);
        if (n == 0)
            break;
        all.insert(all.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return all;
}

double ToneAmplitude(std::span<const float> stereo, int side, double frequency, double rate)
{
    const std::size_t n = stereo.size() / 2;
    if (n == 0)
        return 0.0;
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    double re = 0.0;
    double im = 0.0;
    double windowSum = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double win = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n));
        const double x = stereo[2 * i + static_cast<std::size_t>(side)] * win;
        re += x * std::cos(w * static_cast<double>(i));
        im -= x * std::sin(w * static_cast<double>(i));
        windowSum += win;
    }
    return 2.0 * std::sqrt(re * re + im * im) / windowSum;
}

double ZeroCrossingFrequency(std::span<const float> stereo, int side, double rate)
{
    const std::size_t n = stereo.size() / 2;
    long long crossings = 0;
    long long first = -1;
    long long last = -1;
    for (std::size_t i = 1; i < n; ++i) {
        const float a = stereo[2 * (i - 1) + static_cast<std::size_t>(side)];
        const float b = stereo[2 * i + static_cast<std::size_t>(side)];
        if (a < 0.0f && b >= 0.0f) {
            if (first < 0)
                first = static_cast<long long>(i);
            last = static_cast<long long>(i);
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return static_cast<double>(crossings - 1) * rate / static_cast<double>(last - first);
}

long long FirstLoud(std::span<const float> stereo, float threshold)
{
    for (std::size_t i = 0; i < stereo.size(); ++i)
        if (std::fabs(stereo[i]) > threshold)
            return static_cast<long long>(i / 2);
    return -1;
}

long long LastLoud(std::span<const float> stereo, float threshold)
{
    for (std::size_t i = stereo.size(); i-- > 0;)
        if (std::fabs(stereo[i]) > threshold)
            return static_cast<long long>(i / 2);
    return -1;
}

std::span<const float> Frames(std::span<const float> stereo, std::size_t from, std::size_t count)
{
    from = std::min(from, stereo.size() / 2);
    count = std::min(count, stereo.size() / 2 - from);
    return stereo.subspan(2 * from, 2 * count);
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return condition();
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void CountSync(HSYNC, HCHANNEL, void* user)
{
    static_cast<std::atomic<int>*>(user)->fetch_add(1);
}

} // namespace audiotest
