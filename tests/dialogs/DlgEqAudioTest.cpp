// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The equalizer dialog against the real engine: what it sets while nothing plays is heard on
// the next track, in what SDL's file writer recorded.
#include "CDlgEq.h"

#include "AudioFixture.h"
#include "CLanguage.h"
#include "CPlayBass.h"
#include "EngineTarget.h"
#include "TestProfile.h"
#include "audio/CAudioLib.h"

#include <QCheckBox>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

namespace {

// The loudest sample of the left channel in the middle half of the recording, where no fade
// reaches.
float MiddlePeak(const QString& rawPath)
{
    QFile file(rawPath);
    if (!file.open(QIODevice::ReadOnly))
        return -1.0f;
    const QByteArray bytes = file.readAll();
    const auto* samples = reinterpret_cast<const float*>(bytes.constData());
    const std::size_t frames = static_cast<std::size_t>(bytes.size()) / (2 * sizeof(float));
    float peak = 0.0f;
    for (std::size_t i = frames / 4; i < 3 * frames / 4; ++i)
        peak = std::max(peak, std::fabs(samples[2 * i]));
    return peak;
}

TEST(DlgEqAudio, EnablingWhileStoppedIsHeardOnTheNextTrack)
{
    TestProfile dir;
    const QString out = dir.File("out.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(out));
    qputenv("SDL_DISKAUDIODELAY", "0");
    const QString tone = dir.File("tone.flac");
    ASSERT_TRUE(fixture::MakeTone(tone, fixture::Tone{2.0, 1000.0, 0.5, 2, 44100}));
    dir.Write("Equalizer/Presets.xml",
        "<Presets><Preset Name=\"Cut\"><Band05 Gain=\"-12.0\"/></Preset></Presets>");
    CLanguage language;
    language.SetProgramFolder(QString::fromLocal8Bit(qgetenv("PLUMO_BUILD_DIR")) + "/bin");
    ASSERT_TRUE(language.Load(QStringLiteral("English")));

    auto play = [&](bool enable) {
        QFile::remove(out);
        CAudioLib audio;
        EngineTarget target;
        CPlayBass engine(audio);
        engine.Init(&target);
        {
            CDlgEq dlg(language, engine, dir.Path());
            dlg.ChoosePreset(CDlgEq::kMenuDefault + 1);
            if (enable)
                dlg.findChild<QCheckBox*>(QString::number(CDlgEq::kIdEnable))->click();
        }
        EXPECT_TRUE(engine.PlayFile(tone));
        EXPECT_TRUE(EngineTarget::PumpUntil(
            [&] { return !audio.ChannelIsPlaying(engine.GetChannel()); }, 60000));
        engine.Stop();
    };
    play(false);
    const float plain = MiddlePeak(out);
    play(true);
    const float cut = MiddlePeak(out);
    qputenv("SDL_AUDIODRIVER", "dummy");

    EXPECT_NEAR(plain, 0.5f, 0.05f);
    // -12 dB at the tone's frequency leaves about a quarter of its level.
    EXPECT_NEAR(cut, 0.5f * std::pow(10.0f, -12.0f / 20.0f), 0.04f);
}

} // namespace
