// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinTrack.h"

#include "ControlFixture.h"

#include <QPoint>

namespace {

class TrackTest : public ControlTest {
protected:
    // A slider on the row y 10..19 from left to right, optionally with a knob width wide.
    CSkinTrack& Make(int left, int right, int knobWidth = 0, const QByteArray& background = {})
    {
        QByteArray xml = "<Slider><Background>" + background + "</Background>";
        if (knobWidth > 0) {
            Png("knob.png", {knobWidth, 10}, kRed);
            Png("knobhover.png", {knobWidth, 10}, kGreen);
            Png("knobpress.png", {knobWidth, 10}, kBlue);
            xml += "<Button><Normal File=\"knob.png\"/><Hover File=\"knobhover.png\"/>"
                   "<Press File=\"knobpress.png\"/></Button>";
        }
        xml += "</Slider>";
        m_track = std::make_unique<CSkinTrack>();
        EXPECT_TRUE(m_track->LoadSkin(File("Slider.xml", xml)));
        m_track->SetRect({left, 10, right, 20});
        return *m_track;
    }

    std::unique_ptr<CSkinTrack> m_track;
};

TEST_F(TrackTest, ValueFromThePointer)
{
    struct Case {
        const char* name;
        int left, right, knob;
        int x;
        int offset, value;
    };
    const Case cases[] = {
        {"no knob, first column", 10, 110, 0, 10, 1, 1000},
        {"no knob, last column", 10, 110, 0, 109, 100, 100000},
        {"no knob, middle", 10, 110, 0, 59, 50, 50000},
        {"no knob, odd width", 0, 7, 0, 2, 3, 42857},
        {"knob 11 on 105, left + 3", 20, 125, 11, 23, 0, 0},
        {"knob 11 on 105, right - 7", 20, 125, 11, 118, 95, 100000},
        {"knob 11 on 105, left", 20, 125, 11, 20, 0, 0},
        {"knob 11 on 105, right - 1", 20, 125, 11, 124, 95, 100000},
        {"knob 11 on 105, left + 50", 20, 125, 11, 70, 47, 49473},
        {"knob 10 (h 5) on 100", 0, 100, 10, 40, 37, 41111},
    };
    for (const Case& c : cases) {
        CSkinTrack& track = Make(c.left, c.right, c.knob);
        EXPECT_TRUE(Answers(track.OnButtonDown({c.x, 15}), track)) << c.name;
        EXPECT_EQ(track.GetPixelOffset(), c.offset) << c.name;
        EXPECT_EQ(track.GetState(), c.value) << c.name;
        EXPECT_TRUE(track.IsPressed()) << c.name;
    }
}

TEST_F(TrackTest, DragsReportOnlyWhenTheOffsetMovesAndEndAnywhere)
{
    CSkinTrack& track = Make(0, 100);
    EXPECT_EQ(track.OnButtonDown({200, 15}), nullptr);
    EXPECT_FALSE(track.IsPressed());
    ASSERT_TRUE(Answers(track.OnButtonDown({49, 15}), track));
    EXPECT_EQ(track.GetState(), 50000);
    EXPECT_EQ(track.OnMouseMove({49, 0}), nullptr) << "same offset, other row";
    EXPECT_TRUE(Answers(track.OnMouseMove({9, 15}), track));
    EXPECT_EQ(track.GetState(), 10000);
    // Far outside, the value stays at the ends and repeats are not reported.
    EXPECT_TRUE(Answers(track.OnMouseMove({500, 300}), track));
    EXPECT_EQ(track.GetState(), 100000);
    EXPECT_EQ(track.OnMouseMove({900, 300}), nullptr);
    EXPECT_TRUE(Answers(track.OnMouseMove({-400, 15}), track));
    EXPECT_EQ(track.GetState(), 0);
    EXPECT_TRUE(Answers(track.OnButtonUp({-400, 15}), track));
    EXPECT_EQ(track.GetState(), 0) << "the release keeps the last value shown";
    EXPECT_EQ(track.OnButtonUp({-400, 15}), nullptr);
    EXPECT_EQ(track.OnMouseMove({30, 15}), nullptr) << "no knob: hovering changes no look";
    EXPECT_TRUE(track.IsHovered());
}

TEST_F(TrackTest, KnobHoverIsALook)
{
    CSkinTrack& track = Make(0, 100, 10);
    EXPECT_TRUE(Answers(track.OnMouseMove({30, 15}), track));
    EXPECT_EQ(track.OnMouseMove({31, 15}), nullptr);
    EXPECT_TRUE(Answers(track.OnMouseMove({30, 25}), track));
}

TEST_F(TrackTest, SetStateClampsAndNarrowSlidersKeepTheirValue)
{
    CSkinTrack& track = Make(0, 100);
    for (auto [given, kept] : {std::pair{150000, 100000}, {-5, 0}, {42, 42}}) {
        track.SetState(given);
        EXPECT_EQ(track.GetState(), kept);
    }
    // No scale: a knob as wide as the slider, or no width at all.
    for (auto [right, knob] : {std::pair{10, 10}, {12, 13}, {0, 0}}) {
        CSkinTrack& narrow = Make(0, right, knob);
        narrow.SetState(777);
        narrow.OnButtonDown({0, 15});
        narrow.OnMouseMove({5, 15});
        EXPECT_EQ(narrow.GetState(), 777) << right << " " << knob;
        Render(narrow);
    }
}

TEST_F(TrackTest, StretchedBarFillsToTheValueBetweenItsCaps)
{
    Png("empty.png", {1, 10}, kBlue);
    Png("filled.png", {1, 10}, kGreen);
    Png("start.png", {4, 10}, kYellow);
    Png("end.png", {6, 10}, kWhite);
    CSkinTrack& track = Make(0, 100, 0,
        "<Fill File=\"empty.png\" File2=\"filled.png\"/><Start File=\"start.png\"/>"
        "<End File=\"end.png\"/>");
    EXPECT_EQ(track.GetWidth(), 100);
    EXPECT_EQ(track.GetHeight(), 10);
    track.SetState(30000);
    const QImage out = Render(track, {110, 30});
    EXPECT_EQ(skintest::Changed(out, kBack), QRect(0, 10, 100, 10));
    struct Probe {
        int x;
        QRgb color;
    };
    for (const Probe& p : {Probe{0, kYellow}, {3, kYellow}, {4, kGreen}, {29, kGreen}, {30, kBlue},
             {93, kBlue}, {94, kWhite}, {99, kWhite}})
        EXPECT_EQ(out.pixel(p.x, 15), p.color) << p.x;
}

TEST_F(TrackTest, CroppedBarShowsPartsOfTwoPicturesAndTheKnobAtTheValue)
{
    Png("empty.png", {95, 10}, kBlue);
    Png("filled.png", {95, 10}, kGreen);
    CSkinTrack& track = Make(0, 105, 10, "<Back File=\"empty.png\" File2=\"filled.png\"/>"
                                         "<Start File=\"knob.png\"/>");
    EXPECT_EQ(track.GetWidth(), 95);
    track.SetState(40000);
    // span 95, fill boundary 38: knob 38..47, filled 0..37, empty 38..94, nothing beyond.
    QImage out = Render(track, {110, 30});
    struct Probe {
        int x;
        QRgb color;
    };
    for (const Probe& p : {Probe{0, kGreen}, {37, kGreen}, {38, kRed}, {47, kRed}, {48, kBlue},
             {94, kBlue}, {95, kBack}, {104, kBack}})
        EXPECT_EQ(out.pixel(p.x, 15), p.color) << p.x;
    track.OnMouseMove({40, 15});
    EXPECT_EQ(Render(track, {110, 30}).pixel(40, 15), kGreen) << "hover knob";
    track.OnButtonDown({40, 15});
    // Offset 37 gives 38947, drawn back at 95 * 38947 / 100000 = 36.
    ASSERT_EQ(track.GetState(), 38947);
    out = Render(track, {110, 30});
    EXPECT_EQ(out.pixel(36, 15), kBlue) << "pressed knob";
    EXPECT_EQ(out.pixel(35, 15), kGreen);
}

} // namespace
