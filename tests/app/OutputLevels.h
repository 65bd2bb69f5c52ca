// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

// Reading what SDL's disk driver wrote: the mixer's stereo float frames, measured as the level
// (root mean square of the left channel) of each 10 ms, which is ten periods of the test tone.
namespace levels {

constexpr qint64 kFrameBytes = 2 * sizeof(float);
constexpr int kWindowFrames = 441;

// Whole frames written so far, in bytes.
inline qint64 Size(const QString& path)
{
    return QFileInfo(path).size() / kFrameBytes * kFrameBytes;
}

// The level of each complete 10 ms from byte offset on.
inline std::vector<double> From(const QString& path, qint64 offset)
{
    QFile f(path);
    std::vector<double> levels;
    if (!f.open(QIODevice::ReadOnly) || !f.seek(offset))
        return levels;
    const QByteArray data = f.readAll();
    const qint64 frames = data.size() / kFrameBytes;
    for (qint64 at = 0; at + kWindowFrames <= frames; at += kWindowFrames) {
        double sum = 0.0;
        for (qint64 i = at; i < at + kWindowFrames; ++i) {
            float left = 0.0f;
            std::memcpy(&left, data.constData() + i * kFrameBytes, sizeof left);
            sum += double(left) * double(left);
        }
        levels.push_back(std::sqrt(sum / kWindowFrames));
    }
    return levels;
}

// The mean level of the last tenth of a second written.
inline double Recent(const QString& path)
{
    const qint64 span = 10 * kWindowFrames * kFrameBytes;
    const std::vector<double> l = From(path, std::max<qint64>(0, Size(path) - span));
    double sum = 0.0;
    for (const double v : l)
        sum += v;
    return l.empty() ? 0.0 : sum / double(l.size());
}

inline bool AnyBelow(const std::vector<double>& l, double level)
{
    return std::any_of(l.begin(), l.end(), [level](double v) { return v < level; });
}

inline bool AnyAbove(const std::vector<double>& l, double level)
{
    return std::any_of(l.begin(), l.end(), [level](double v) { return v > level; });
}

// A fade seen in levels: between the first window past 5 % of the way and the first past
// 95 %, every window moves one way only (within a small wobble), some window lies midway,
// and the change takes a stretch of sound (200 ms at least) rather than one step.
inline ::testing::AssertionResult Fades(const std::vector<double>& l, double full, bool down)
{
    const double wobble = 0.05 * full;
    const auto past = [&](double level, double fraction) {
        return down ? level < fraction * full : level > fraction * full;
    };
    std::size_t begin = 0;
    while (begin < l.size() && !past(l[begin], down ? 0.95 : 0.05))
        ++begin;
    std::size_t end = begin;
    while (end < l.size() && !past(l[end], down ? 0.05 : 0.95))
        ++end;
    if (end == l.size())
        return ::testing::AssertionFailure() << "the level never got through the fade";
    bool midway = false;
    for (std::size_t i = begin; i < end; ++i) {
        midway = midway || (l[i] > 0.3 * full && l[i] < 0.7 * full);
        const double step = l[i + 1] - l[i];
        if (down ? step > wobble : step < -wobble)
            return ::testing::AssertionFailure() << "the level turns back at window " << i;
    }
    if (!midway)
        return ::testing::AssertionFailure() << "no window lies midway";
    if (end - begin < 20)
        return ::testing::AssertionFailure()
            << "the change took only " << end - begin << " windows";
    return ::testing::AssertionSuccess();
}

} // namespace levels
