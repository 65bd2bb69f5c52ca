// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The equalizer dialog against the engine over a fake audio layer: what the user moves reaches
// the engine at once, presets glide, and the state comes back after a restart.
#include "CDlgEq.h"

#include "CLanguage.h"
#include "CPlayBass.h"
#include "EngineTarget.h"
#include "FakeAudioLib.h"
#include "TestProfile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

namespace {

QString ShippedFolder()
{
    return QString::fromLocal8Bit(qgetenv("PLUMO_BUILD_DIR")) + "/bin";
}

QByteArray PresetXml(const QByteArray& name, const QByteArray& preamp, const QByteArray& band5)
{
    return "<Preset Name=\"" + name + "\"><Preamp Gain=\"" + preamp + "\"/><Band05 Gain=\"" + band5
        + "\"/></Preset>";
}

class DlgEq : public ::testing::Test {
protected:
    void SetUp() override
    {
        language.SetProgramFolder(ShippedFolder());
        ASSERT_TRUE(language.Load(QStringLiteral("English")));
        fake.AddFile("a.mp3", 3000);
        engine = MakeEngine();
        program.Write("Equalizer/Presets.xml",
            "<Presets>" + PresetXml("Drum &amp; Bass", "1.7", "-3.0") + PresetXml("Huge", "1e30", "nan")
                + PresetXml(QByteArray(10000, 'x'), "-12.5", "0") + "</Presets>");
    }
    void TearDown() override
    {
        engine->Stop();
        fake.Advance(600);
    }
    std::unique_ptr<CPlayBass> MakeEngine()
    {
        auto e = std::make_unique<CPlayBass>(fake);
        e->SetProfileFolder(profile.Path());
        e->Init(&target);
        return e;
    }
    std::unique_ptr<CDlgEq> Open()
    {
        return std::make_unique<CDlgEq>(language, *engine, program.Path());
    }
    static QSlider* Slider(CDlgEq& dlg, int index)
    {
        return dlg.findChild<QSlider*>(QString::number(CDlgEq::kIdPreamp + index));
    }
    static QString ButtonText(CDlgEq& dlg)
    {
        return dlg.findChild<QToolButton*>(QString::number(CDlgEq::kIdPresetButton))->text();
    }
    static void WaitForGlide(CDlgEq& dlg)
    {
        const QDeadlineTimer deadline(30000);
        while (dlg.IsGliding() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(dlg.IsGliding());
    }

    CLanguage language;
    FakeAudioLib fake;
    TestProfile profile;
    TestProfile program;
    EngineTarget target;
    std::unique_ptr<CPlayBass> engine;
};

TEST(DlgEqFormulas, PositionsAndTooltipTexts)
{
    const struct {
        float db;
        int position;
    } positions[] = {{0.0f, 0}, {1.5f, -3}, {1.7f, -3}, {-1.7f, 3}, {0.4f, 0}, {-0.5f, 1},
        {12.0f, -24}, {-12.0f, 24}, {30.0f, -24}, {1e30f, -24}, {-1e30f, 24},
        {std::numeric_limits<float>::quiet_NaN(), 0}, {std::numeric_limits<float>::infinity(), 0}};
    for (const auto& c : positions)
        EXPECT_EQ(CDlgEq::PositionFromGain(c.db), c.position) << c.db;
    EXPECT_EQ(CDlgEq::ValueText(-3), "+1.5");
    EXPECT_EQ(CDlgEq::ValueText(4), "-2.0");
    EXPECT_EQ(CDlgEq::ValueText(0), "+0.0");
    EXPECT_EQ(CDlgEq::ValueText(-24), "+12.0");
    EXPECT_FLOAT_EQ(CDlgEq::GainFromPosition(-3), 1.5f);
}

TEST_F(DlgEq, MovingASliderIsHeardAtOnceAndMakesTheSettingCustom)
{
    engine->SetPresetName("Rock");
    auto dlg = Open();
    EXPECT_EQ(ButtonText(*dlg), "Rock");
    QSlider* k1 = Slider(*dlg, 5); // band 4, 1 kHz
    k1->setFocus();
    QTest::keyClick(k1, Qt::Key_Up);
    QTest::keyClick(k1, Qt::Key_Up);
    EXPECT_EQ(k1->value(), -2);
    EXPECT_FLOAT_EQ(engine->GetBandGain(4), 1.0f);
    EXPECT_EQ(ButtonText(*dlg), "Custom");
    EXPECT_TRUE(engine->GetPresetName().isEmpty());
    EXPECT_EQ(k1->toolTip(), "+1.0");

    ASSERT_TRUE(engine->SaveEqState());
    const QByteArray saved = profile.Read("Equalizer/Equalizer.xml");
    EXPECT_TRUE(saved.contains("Preset=\"\"")) << saved.constData();
    EXPECT_TRUE(saved.contains("<Band05 Gain=\"1.0\"/>")) << saved.constData();
}

TEST_F(DlgEq, PresetsAreReadSafelyAndReachTheEngineAsTheSlidersShowThem)
{
    auto dlg = Open();
    ASSERT_EQ(dlg->Presets().size(), 3u);
    EXPECT_EQ(dlg->Presets()[0].name, "Drum && Bass");
    EXPECT_EQ(dlg->Presets()[2].name.size(), kMaxPresetName);
    const QList<QAction*> items = dlg->PresetsMenu()->actions();
    ASSERT_EQ(items.size(), 5); // the default, a separator, three presets
    EXPECT_EQ(items[0]->text(), "Flat");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->data().toInt(), 10001);

    items[2]->trigger();
    EXPECT_FLOAT_EQ(engine->GetPreamp(), 1.5f); // 1.7 dB shows as position -3
    EXPECT_FLOAT_EQ(engine->GetBandGain(4), -3.0f);
    EXPECT_EQ(engine->GetPresetName(), "Drum & Bass");
    EXPECT_EQ(ButtonText(*dlg), "Drum && Bass");
    WaitForGlide(*dlg);
    EXPECT_EQ(Slider(*dlg, 0)->value(), -3);

    dlg->ChoosePreset(10002); // absurd values are clamped to the sliders' ends
    EXPECT_FLOAT_EQ(engine->GetPreamp(), 12.0f);
    EXPECT_FLOAT_EQ(engine->GetBandGain(4), 0.0f);
    dlg->ChoosePreset(10003);
    EXPECT_FLOAT_EQ(engine->GetPreamp(), -12.0f);
    WaitForGlide(*dlg);
    EXPECT_EQ(Slider(*dlg, 0)->value(), 24);
    dlg->ChoosePreset(10004); // no such item
    EXPECT_FLOAT_EQ(engine->GetPreamp(), -12.0f);
}

TEST_F(DlgEq, TheDefaultItemGlidesEverySliderToZeroInTenSteps)
{
    engine->SetPreamp(-6.0f);
    for (int band = 0; band < CPlayBass::kBands; ++band)
        engine->SetBandGain(band, band % 2 == 0 ? 12.0f : -12.0f);
    auto dlg = Open();
    EXPECT_EQ(ButtonText(*dlg), "Custom");
    std::vector<std::vector<int>> seen(CDlgEq::kSliderCount);
    for (int i = 0; i < CDlgEq::kSliderCount; ++i)
        QObject::connect(Slider(*dlg, i), &QSlider::valueChanged,
            [&seen, i](int v) { seen[static_cast<std::size_t>(i)].push_back(v); });

    dlg->ChoosePreset(CDlgEq::kMenuDefault);
    // The sound changes at once; only the sliders move over time.
    EXPECT_FLOAT_EQ(engine->GetPreamp(), 0.0f);
    for (int band = 0; band < CPlayBass::kBands; ++band)
        EXPECT_FLOAT_EQ(engine->GetBandGain(band), 0.0f);
    EXPECT_TRUE(engine->GetPresetName().isEmpty());
    EXPECT_EQ(ButtonText(*dlg), "Flat");
    WaitForGlide(*dlg);
    EXPECT_EQ(seen[1], (std::vector<int>{-21, -19, -16, -14, -12, -9, -7, -4, -2, 0}));
    for (int i = 0; i < CDlgEq::kSliderCount; ++i) {
        EXPECT_EQ(Slider(*dlg, i)->value(), 0) << i;
        EXPECT_LE(seen[static_cast<std::size_t>(i)].size(), 10u) << i;
    }
    EXPECT_FLOAT_EQ(engine->GetPreamp(), 0.0f); // the glide itself sends nothing
}

TEST_F(DlgEq, EnablingWhileStoppedEqualizesTheNextTrack)
{
    auto dlg = Open();
    dlg->ChoosePreset(10001);
    auto* enable = dlg->findChild<QCheckBox*>(QString::number(CDlgEq::kIdEnable));
    ASSERT_FALSE(enable->isChecked());
    enable->click();
    EXPECT_TRUE(engine->IsEqEnabled());
    EXPECT_TRUE(fake.Get(engine->GetChannel()) == std::nullopt || engine->GetChannel() == 0);

    ASSERT_TRUE(engine->PlayFile("a.mp3"));
    const auto channel = fake.Get(engine->GetChannel());
    ASSERT_TRUE(channel);
    bool bandSeen = false;
    for (const auto& fx : channel->fx)
        if (fx.second.peakEq)
            bandSeen = std::fabs(fx.second.bands.at(4).gain + 3.0f) < 1e-6f;
    EXPECT_TRUE(bandSeen);
    enable->click();
    EXPECT_FALSE(engine->IsEqEnabled());
}

TEST_F(DlgEq, ARestartShowsTheSavedStateAgain)
{
    {
        auto dlg = Open();
        dlg->findChild<QCheckBox*>(QString::number(CDlgEq::kIdEnable))->click();
        dlg->ChoosePreset(10001);
    }
    engine->Stop();
    fake.Advance(600);
    engine.reset(); // saves the state
    engine = MakeEngine();
    auto dlg = Open();
    EXPECT_TRUE(dlg->findChild<QCheckBox*>(QString::number(CDlgEq::kIdEnable))->isChecked());
    EXPECT_EQ(ButtonText(*dlg), "Drum && Bass");
    EXPECT_EQ(Slider(*dlg, 0)->value(), -3);
    EXPECT_EQ(Slider(*dlg, 5)->value(), 6);
}

TEST_F(DlgEq, MissingOrBrokenPresetsLeaveOnlyTheDefaultItem)
{
    for (const QByteArray& bytes : {QByteArray(), QByteArray("<Presets><Preset"), QByteArray("x")}) {
        program.Write("Equalizer/Presets.xml", bytes);
        auto dlg = Open();
        EXPECT_TRUE(dlg->Presets().empty());
        EXPECT_EQ(dlg->PresetsMenu()->actions().size(), 2);
    }
    QFile::remove(program.File("Equalizer/Presets.xml"));
    EXPECT_TRUE(Open()->Presets().empty());

    QByteArray many = "<Presets>";
    for (int i = 0; i < 2500; ++i) // more than the command range holds
        many += PresetXml(QByteArray::number(i), "1", "1");
    program.Write("Equalizer/Presets.xml", many + "</Presets>");
    auto dlg = Open();
    EXPECT_EQ(static_cast<int>(dlg->Presets().size()), kMaxPresets);
    EXPECT_EQ(dlg->PresetsMenu()->actions().back()->data().toInt(), 12000);
}

TEST_F(DlgEq, SlidersFillFromTheZeroLineUpForABoostAndDownForACut)
{
    auto dlg = Open();
    // A fill colour found nowhere else in the dialog.
    QPalette marked = dlg->palette();
    const QColor fill(0xFF, 0x00, 0xFF);
    marked.setColor(QPalette::Highlight, fill);
    dlg->setPalette(marked);
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    struct Case {
        const char* name;
        int position; // negative is a boost: the knob above the middle
        int above;    // expected fill above and below the zero line: 0 none, 1 some
        int below;
    };
    const Case cases[] = {
        {"boost", -12, 1, 0},
        {"cut", 12, 0, 1},
        {"full boost", CDlgEq::kMinPosition, 1, 0},
        {"flat", 0, 0, 0},
    };
    for (int slider : {0, 5}) {
        QSlider* s = Slider(*dlg, slider);
        for (const Case& c : cases) {
            s->setValue(c.position);
            const QImage shot = s->grab().toImage();
            // The zero line is the middle of the range, and so of the groove.
            const int middle = shot.height() / 2;
            int above = 0;
            int below = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if (QColor(shot.pixel(x, y)) == fill)
                        ++(y < middle ? above : below);
            EXPECT_EQ(above > 0, c.above == 1) << c.name << " slider " << slider << ": " << above;
            EXPECT_EQ(below > 0, c.below == 1) << c.name << " slider " << slider << ": " << below;
        }
    }
}

} // namespace
