// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Every library type played by the engine to SDL's disk writer, which keeps what was mixed
// (stereo float at 44100 Hz, no real-time pacing): the tone must be heard whole.
#include "AudioFixture.h"
#include "DiskEngine.h"
#include "QtPrinters.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr double kSeconds = 0.75;
constexpr double kFrequency = 1000.0;

// What the left channel held between its first and last loud sample. Exact zeros are left
// out, since an unpaced device mixes whole buffers of them whenever it outruns the decoder;
// the quiet edges lossy coders leave (priming, ringing) are not counted.
struct Heard {
    double seconds = 0.0;
    float peak = 0.0f;
    double frequency = 0.0;
};

Heard Listen(const QString& rawFile)
{
    QFile file(rawFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const auto* samples = reinterpret_cast<const float*>(bytes.constData());
    const std::size_t frames = static_cast<std::size_t>(bytes.size()) / (2 * sizeof(float));
    std::vector<float> left;
    for (std::size_t i = 0; i < frames; ++i)
        if (samples[2 * i] != 0.0f)
            left.push_back(samples[2 * i]);
    const auto loud = [](float x) { return std::fabs(x) > 0.25f; };
    const auto first = std::find_if(left.begin(), left.end(), loud);
    const auto last = std::find_if(left.rbegin(), left.rend(), loud).base();
    Heard heard;
    if (first >= last)
        return heard;
    long long crossings = 0;
    for (auto it = first; it != last; ++it) {
        heard.peak = std::max(heard.peak, std::fabs(*it));
        if (it != first && (*(it - 1) < 0.0f) != (*it < 0.0f))
            ++crossings;
    }
    heard.seconds = static_cast<double>(last - first) / kRate;
    heard.frequency = static_cast<double>(crossings) / 2.0 / heard.seconds;
    return heard;
}

class EngineTypes : public ::testing::TestWithParam<QString>, protected DiskEngine {};

TEST_P(EngineTypes, PlaysTheWholeToneToTheDevice)
{
    const QString path = m_dir.File("tone." + GetParam());
    ASSERT_TRUE(fixture::MakeTone(path, fixture::Tone{kSeconds, kFrequency, 0.5, 2, 44100}));
    ASSERT_TRUE(m_engine->PlayFile(path));
    ASSERT_TRUE(EngineTarget::PumpUntil(
        [&] { return !m_target.Of(UWM_PLAYERTRACKEND).empty(); }, 30000));
    EXPECT_FALSE(m_engine->IsPlaying());
    Finish();

    const Heard heard = Listen(m_out);
    // Lossy coders may pad the end or ring into silence; a lost block would be far more.
    EXPECT_NEAR(heard.seconds, kSeconds, 0.06);
    EXPECT_NEAR(heard.peak, 0.5f, 0.06f);
    EXPECT_NEAR(heard.frequency, kFrequency, 15.0);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, EngineTypes, ::testing::ValuesIn(fixture::AllTypes()),
    [](const ::testing::TestParamInfo<QString>& param) { return param.param.toStdString(); });

} // namespace
