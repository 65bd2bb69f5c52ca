// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The equalizer state of the engine: effects on channels, the state file, the shipped presets.
#include "CPlayBass.h"
#include "EngineTarget.h"
#include "FakeAudioLib.h"
#include "TestProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <tinyxml2.h>

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

namespace {

class EngineEq : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake.AddFile("a.mp3", 3000);
        fake.AddFile("b.mp3", 3000);
        engine = MakeEngine();
    }
    void TearDown() override
    {
        engine->Stop();
        fake.Advance(600);
    }
    // A seek rebuilds the channel on a worker: waits until the new one is set up and playing.
    bool SoughtChannelPlays()
    {
        return EngineTarget::PumpUntil([this] {
            const auto channel = fake.Get(engine->GetChannel());
            return channel.has_value() && channel->playing;
        }, 20000);
    }
    std::unique_ptr<CPlayBass> MakeEngine()
    {
        auto e = std::make_unique<CPlayBass>(fake);
        e->SetProfileFolder(profile.Path());
        e->Init(&target);
        return e;
    }
    // The effects of the main channel, the volume effect first.
    std::vector<FakeAudioLib::FxState> Effects() const
    {
        std::vector<FakeAudioLib::FxState> out;
        const auto ch = fake.Get(engine->GetChannel());
        if (ch)
            for (const auto& entry : ch->fx)
                out.push_back(entry.second);
        std::sort(out.begin(), out.end(),
            [](const auto& l, const auto& r) { return l.priority < r.priority; });
        return out;
    }

    FakeAudioLib fake;
    TestProfile profile;
    EngineTarget target;
    std::unique_ptr<CPlayBass> engine;
};

TEST_F(EngineEq, EveryNewChannelGetsThePreampAndTheTenBands)
{
    engine->SetEqEnabled(true); // nothing plays: only stored
    engine->SetPreamp(-6.0f);
    engine->SetBandGain(4, 3.5f);
    engine->SetBandGain(10, 9.0f); // no such band
    target.answers = {"b.mp3", "a.mp3"};
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    for (int round = 0; round < 2; ++round) {
        const auto fx = Effects();
        ASSERT_EQ(fx.size(), 2u) << round;
        EXPECT_FALSE(fx[0].peakEq);
        EXPECT_EQ(fx[0].priority, 0);
        EXPECT_NEAR(fx[0].gain, std::pow(10.0, -6.0 / 20.0), 1e-6);
        EXPECT_TRUE(fx[1].peakEq);
        EXPECT_EQ(fx[1].priority, 1);
        ASSERT_EQ(fx[1].bands.size(), 10u);
        EXPECT_FLOAT_EQ(fx[1].bands.at(4).gain, 3.5f);
        EXPECT_FLOAT_EQ(fx[1].bands.at(4).center, 1000.0f);
        EXPECT_FLOAT_EQ(fx[1].bands.at(9).center, 16000.0f);
        EXPECT_FLOAT_EQ(fx[1].bands.at(0).bandwidth, 1.0f);
        fake.Advance(3000); // the next file gets fresh effects too
    }
    engine->Seek(30000);
    ASSERT_TRUE(SoughtChannelPlays());
    EXPECT_EQ(Effects().size(), 2u);
}

TEST_F(EngineEq, SwitchingAndGainsActOnThePlayingChannelAtOnce)
{
    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    EXPECT_TRUE(Effects().empty());
    engine->SetBandGain(0, 5.0f); // off: stored only
    EXPECT_TRUE(Effects().empty());
    engine->SetEqEnabled(true);
    ASSERT_EQ(Effects().size(), 2u);
    EXPECT_FLOAT_EQ(Effects()[1].bands.at(0).gain, 5.0f);
    engine->SetBandGain(9, -2.5f);
    engine->SetPreamp(6.0f);
    EXPECT_FLOAT_EQ(Effects()[1].bands.at(9).gain, -2.5f);
    EXPECT_NEAR(Effects()[0].gain, std::pow(10.0, 6.0 / 20.0), 1e-5);
    engine->SetEqEnabled(true); // again: no second pair
    EXPECT_EQ(Effects().size(), 2u);
    engine->SetEqEnabled(false);
    EXPECT_TRUE(Effects().empty());
    EXPECT_FLOAT_EQ(engine->GetBandGain(9), -2.5f);
}

TEST_F(EngineEq, StateFileRoundTripsInItsExactForm)
{
    engine->SetEqEnabled(true);
    engine->SetPreamp(-3.5f);
    engine->SetBandGain(4, 1.0f);
    engine->SetBandGain(9, -0.0f);
    engine->SetPresetName(QString::fromUtf8("Rock & Röll"));
    ASSERT_TRUE(engine->SaveEqState());
    const QByteArray text = profile.Read("Equalizer/Equalizer.xml");
    EXPECT_EQ(text.toStdString(),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Equalizer Enable=\"1\" Preset=\"Rock &amp; R\xC3\xB6ll\">\n"
        "    <Preamp Gain=\"-3.5\"/>\n"
        "    <Band01 Gain=\"0.0\"/>\n    <Band02 Gain=\"0.0\"/>\n    <Band03 Gain=\"0.0\"/>\n"
        "    <Band04 Gain=\"0.0\"/>\n    <Band05 Gain=\"1.0\"/>\n    <Band06 Gain=\"0.0\"/>\n"
        "    <Band07 Gain=\"0.0\"/>\n    <Band08 Gain=\"0.0\"/>\n    <Band09 Gain=\"0.0\"/>\n"
        "    <Band10 Gain=\"0.0\"/>\n"
        "</Equalizer>\n");
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(profile.File("Equalizer")).entryList(QDir::Files).size(), 1);

    auto reloaded = MakeEngine();
    EXPECT_TRUE(reloaded->IsEqEnabled());
    EXPECT_FLOAT_EQ(reloaded->GetPreamp(), -3.5f);
    EXPECT_FLOAT_EQ(reloaded->GetBandGain(4), 1.0f);
    EXPECT_EQ(reloaded->GetPresetName(), QString::fromUtf8("Rock & Röll"));
}

TEST_F(EngineEq, TheStateIsSavedWhenTheEngineGoes)
{
    engine->SetBandGain(2, 2.5f);
    engine.reset();
    auto reloaded = MakeEngine();
    EXPECT_FLOAT_EQ(reloaded->GetBandGain(2), 2.5f);
    engine = std::move(reloaded);
}

TEST_F(EngineEq, MissingPartsReadAsDefaultsAndBrokenFilesAreIgnored)
{
    profile.Write("Equalizer/Equalizer.xml",
        "<?xml version=\"1.0\"?><Equalizer Enable=\"1\"><Band03 Gain=\"4.5\"/>"
        "<Band07/></Equalizer>");
    engine = MakeEngine();
    EXPECT_TRUE(engine->IsEqEnabled());
    EXPECT_TRUE(engine->GetPresetName().isEmpty());
    EXPECT_FLOAT_EQ(engine->GetBandGain(2), 4.5f);
    EXPECT_FLOAT_EQ(engine->GetBandGain(6), 0.0f);
    EXPECT_FLOAT_EQ(engine->GetPreamp(), 0.0f);

    // Absent "Enable" keeps the flag; other gains reset to 0.0 as their children are missing.
    profile.Write("Equalizer/Equalizer.xml", "<Equalizer Preset=\"Pop\"><Preamp Gain=\"2\"/></Equalizer>");
    engine->LoadEqState();
    EXPECT_TRUE(engine->IsEqEnabled());
    EXPECT_EQ(engine->GetPresetName(), "Pop");
    EXPECT_FLOAT_EQ(engine->GetPreamp(), 2.0f);
    EXPECT_FLOAT_EQ(engine->GetBandGain(2), 0.0f);

    profile.Write("Equalizer/Equalizer.xml", "<Equalizer Enable=\"0\"><Preamp Gain=");
    engine->LoadEqState();
    EXPECT_TRUE(engine->IsEqEnabled());
    EXPECT_FLOAT_EQ(engine->GetPreamp(), 2.0f);
}

TEST(EnginePresets, TheShippedPresetsAreWellFormedAndInRange)
{
    // The copy the build places beside the program.
    const QString path = QString::fromLocal8Bit(qgetenv("PLUMO_BUILD_DIR"))
        + QStringLiteral("/bin/Equalizer/Presets.xml");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = file.readAll();
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(bytes.constData(), static_cast<size_t>(bytes.size())), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Presets");
    ASSERT_NE(root, nullptr);
    QStringList names;
    for (auto* p = root->FirstChildElement(); p != nullptr; p = p->NextSiblingElement()) {
        ASSERT_NE(p->Attribute("Name"), nullptr);
        names << QString::fromUtf8(p->Attribute("Name"));
        for (const char* child : {"Preamp", "Band01", "Band02", "Band03", "Band04", "Band05",
                 "Band06", "Band07", "Band08", "Band09", "Band10"}) {
            const auto* e = p->FirstChildElement(child);
            ASSERT_NE(e, nullptr) << child;
            const double gain = e->DoubleAttribute("Gain", 99.0);
            EXPECT_LE(std::fabs(gain), 12.0) << child;
            EXPECT_DOUBLE_EQ(gain * 2.0, std::round(gain * 2.0)) << "half-dB steps: " << child;
        }
    }
    for (const char* wanted : {"Rock", "Pop", "Jazz", "Classical", "Bass boost", "Treble boost"})
        EXPECT_TRUE(names.contains(wanted)) << wanted;
    EXPECT_FALSE(names.contains("Flat")); // the flat default is the menu's built-in first item
}

} // namespace
