// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The spectrum visualiser with a generated skin: which bins feed which bar, how bars and peaks
// rise and fall, and what reaches the screen.
#include "CSkinVis.h"

#include "TestProfile.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <array>
#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr int kBand = 4;
constexpr int kFrames = 10;
constexpr int kHeight = 20;
const QRgb kBar = qRgb(255, 0, 0);
const QRgb kPeakColor = qRgb(0, 255, 0);

// Frame k of the strip has its bottom k rows painted; the rest is transparent.
QByteArray StripPng()
{
    QImage strip(kBand * kFrames, kFrames, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    for (int k = 0; k < kFrames; ++k)
        for (int row = 0; row < k; ++row)
            for (int x = 0; x < kBand; ++x)
                strip.setPixel(k * kBand + x, kFrames - 1 - row, kBar);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    strip.save(&buffer, "PNG");
    return bytes;
}

QByteArray Png(int w, int h, QRgb color)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "PNG");
    return bytes;
}

class SkinVis : public ::testing::Test {
protected:
    void SetUp() override
    {
        skin.Write("bars.png", StripPng());
        skin.Write("peak.png", Png(kBand, 1, kPeakColor));
        vis.resize(20 * kBand, kHeight);
        vis.show();
    }
    bool Load(const QByteArray& xml)
    {
        return vis.LoadSkin(skin.Write("Spectrum.xml", xml));
    }
    bool LoadStandard()
    {
        return Load("<Spectrum><Skin File=\"bars.png\" BandSize=\"4\"/>"
                    "<Background Color=\"000000\"/><Peak File=\"peak.png\" PeakStep=\"1\"/></Spectrum>");
    }
    QImage Shot() const
    {
        QImage image(vis.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        vis.Render(painter);
        return image;
    }

    TestProfile skin;
    CSkinVis vis;
    std::array<float, CSkinVis::kFftBins> loud{};
};

TEST(SkinVisBins, BarsShareTheLowSpectrumAndTooManyBarsAreSilent)
{
    const struct {
        int index, bars, first, end;
    } cases[] = {{0, 20, 50, 60}, {19, 20, 240, 250}, {0, 100, 50, 52}, {99, 100, 248, 250},
        {203, 204, 253, 254}, {0, 205, 0, 0}, {5000, 6000, 0, 0}, {0, 0, 0, 0}, {3, 2, 0, 0}};
    for (const auto& c : cases) {
        int first = -1;
        int end = -1;
        CSkinVis::BinRange(c.index, c.bars, first, end);
        EXPECT_EQ(first, c.first) << c.index << " of " << c.bars;
        EXPECT_EQ(end, c.end) << c.index << " of " << c.bars;
    }
}

TEST_F(SkinVis, BarsJumpUpAndFallAfterAStopWhilePeaksHold)
{
    ASSERT_TRUE(LoadStandard());
    ASSERT_EQ(vis.LevelCount(), kFrames);
    ASSERT_EQ(vis.BarCount(), 20);
    loud.fill(0.04f); // truncate(sqrt(0.04) x 5 x 10) = 10 per bin, clamped to the top level 9
    vis.Update(loud, true);
    EXPECT_EQ(vis.Levels(), std::vector<std::uint32_t>(20, 9));
    EXPECT_EQ(vis.Peaks(), std::vector<std::uint32_t>(20, 9));

    for (int tick = 1; tick <= CSkinVis::kHoldTicks; ++tick) {
        vis.Update({}, false);
        EXPECT_EQ(vis.Levels()[0], static_cast<std::uint32_t>(std::max(0, 9 - tick)));
        EXPECT_EQ(vis.Peaks()[0], tick < CSkinVis::kHoldTicks ? 9u : 8u) << tick;
    }
    for (int tick = 0; tick < 100; ++tick)
        vis.Update({}, false);
    EXPECT_EQ(vis.Levels(), std::vector<std::uint32_t>(20, 0));
    EXPECT_EQ(vis.Peaks(), std::vector<std::uint32_t>(20, 0));
}

TEST_F(SkinVis, DuringAPauseBarsStayAndPeaksSinkToThem)
{
    ASSERT_TRUE(LoadStandard());
    loud.fill(0.04f);
    vis.Update(loud, true);
    loud.fill(0.0f);
    for (int tick = 0; tick < 5; ++tick)
        vis.Update(loud, true); // playing silence: bars fall to 4
    for (int tick = 0; tick < 100; ++tick)
        vis.Update({}, true);
    EXPECT_EQ(vis.Levels()[3], 4u);
    EXPECT_EQ(vis.Peaks()[3], 4u);
}

TEST_F(SkinVis, BarsAndPeaksArePaintedFromTheStripBottomAligned)
{
    ASSERT_TRUE(LoadStandard());
    loud.fill(0.0f);
    for (int bin = 50; bin < 60; ++bin)
        loud[static_cast<std::size_t>(bin)] = 0.04f; // bar 0 only
    vis.Update(loud, true);
    const QImage shot = Shot();
    // Bar 0 shows frame 9: nine painted rows at the bottom, the peak marker on the top one.
    EXPECT_EQ(shot.pixel(1, kHeight - 1), kBar);
    EXPECT_EQ(shot.pixel(1, kHeight - 8), kBar);
    EXPECT_EQ(shot.pixel(1, kHeight - 9), kPeakColor);
    EXPECT_EQ(shot.pixel(1, kHeight - 10), qRgb(0, 0, 0));
    // Bar 1 is silent: frame 0 is empty, its peak sits below the window.
    EXPECT_EQ(shot.pixel(kBand + 1, kHeight - 1), qRgb(0, 0, 0));
}

TEST_F(SkinVis, BadSkinsAndSizesKeepTheDefaults)
{
    EXPECT_FALSE(vis.LoadSkin(skin.File("missing.xml")));
    EXPECT_FALSE(Load("not xml"));
    EXPECT_EQ(vis.BackgroundColor(), QColor(Qt::white));
    const QByteArray bad[] = {
        "<Spectrum><Skin File=\"bars.png\" BandSize=\"0\"/></Spectrum>",
        "<Spectrum><Skin File=\"bars.png\" BandSize=\"-4\"/></Spectrum>",
        "<Spectrum><Skin File=\"bars.png\" BandSize=\"41\"/></Spectrum>", // strip narrower
        "<Spectrum><Skin File=\"nothing.png\" BandSize=\"4\"/></Spectrum>",
    };
    for (const QByteArray& xml : bad) {
        ASSERT_TRUE(Load(xml)) << xml.constData();
        EXPECT_EQ(vis.LevelCount(), 0) << xml.constData();
        loud.fill(std::numeric_limits<float>::infinity());
        vis.Update(loud, true);
        Shot();
    }
    ASSERT_TRUE(Load("<Spectrum><Background Color=\"F00\"/></Spectrum>"));
    EXPECT_EQ(vis.BackgroundColor(), QColor(Qt::white));

    // A peak taller than the window, absurd magnitudes, a window narrower than one band.
    skin.Write("peak.png", Png(kBand, 500, kPeakColor));
    ASSERT_TRUE(LoadStandard());
    loud.fill(std::numeric_limits<float>::max());
    vis.Update(loud, true);
    EXPECT_EQ(vis.Levels()[0], 9u);
    loud.fill(std::numeric_limits<float>::quiet_NaN());
    vis.Update(loud, true);
    EXPECT_EQ(Shot().pixel(1, kHeight - 1), kPeakColor);
    vis.resize(kBand - 1, kHeight);
    EXPECT_EQ(vis.BarCount(), 0);
    vis.Update(loud, true);
    Shot();
}

} // namespace
