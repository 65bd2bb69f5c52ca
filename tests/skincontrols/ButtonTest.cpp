// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinButton.h"
#include "CSkinSwitch.h"

#include "ControlFixture.h"

#include <QPoint>

#include <functional>
#include <vector>

namespace {

constexpr QPoint kInside(12, 12);
constexpr QPoint kOutside(50, 30);
const SkinRect kPlace{5, 5, 25, 21};

class ButtonTest : public ControlTest {
protected:
    void SetUp() override
    {
        Png("normal.png", {10, 8}, kRed);
        Png("hover.png", {10, 8}, kGreen);
        Png("press.png", {10, 8}, kBlue);
        Png("normal2.png", {10, 8}, kYellow);
        Png("hover2.png", {10, 8}, kWhite);
        Png("press2.png", {10, 8}, kBlack);
    }
    // The colour shown in the middle of the button.
    QRgb Shown(CSkinElement& element) { return Render(element).pixel(15, 13); }
};

enum class Event { Move, Down, Up };
struct Step {
    Event event;
    QPoint point;
    bool answered;
    QRgb shown;
};

CSkinElement* Send(CSkinElement& element, Event event, QPoint point)
{
    switch (event) {
    case Event::Move:
        return element.OnMouseMove(point);
    case Event::Down:
        return element.OnButtonDown(point);
    case Event::Up:
        return element.OnButtonUp(point);
    }
    return nullptr;
}

TEST_F(ButtonTest, LooksFollowThePointerAndTheButton)
{
    struct Case {
        const char* name;
        QByteArray xml;
        std::vector<Step> steps;
    };
    const QByteArray full = "<Button><Normal File=\"normal.png\"/><Hover File=\"hover.png\"/>"
                            "<Press File=\"press.png\"/></Button>";
    const Case cases[] = {
        {"click", full,
            {{Event::Move, kInside, true, kGreen}, {Event::Move, kInside + QPoint(1, 0), false, kGreen},
                {Event::Down, kInside, true, kBlue}, {Event::Up, kInside, true, kGreen},
                {Event::Move, kOutside, true, kRed}}},
        {"dragged out and released outside", full,
            {{Event::Move, kInside, true, kGreen}, {Event::Down, kInside, true, kBlue},
                {Event::Move, kOutside, true, kRed}, {Event::Up, kOutside, true, kRed}}},
        {"pressed outside, released inside", full,
            {{Event::Down, kOutside, false, kRed}, {Event::Move, kInside, true, kGreen},
                {Event::Up, kInside, false, kGreen}}},
        {"edges: right and bottom are outside", full,
            {{Event::Move, QPoint(24, 20), true, kGreen}, {Event::Move, QPoint(25, 20), true, kRed},
                {Event::Move, QPoint(5, 5), true, kGreen}, {Event::Move, QPoint(5, 21), true, kRed}}},
        {"no hover picture: background while hovered",
            "<Button><Normal File=\"normal.png\"/><Press File=\"press.png\"/></Button>",
            {{Event::Move, kInside, true, kBack}, {Event::Down, kInside, true, kBlue},
                {Event::Up, kInside, true, kBack}, {Event::Move, kOutside, true, kRed}}},
    };
    for (const Case& c : cases) {
        CSkinButton button;
        button.SetRect(kPlace);
        ASSERT_TRUE(button.LoadSkin(File("Button.xml", c.xml))) << c.name;
        EXPECT_EQ(Shown(button), kRed) << c.name;
        int index = 0;
        for (const Step& step : c.steps) {
            EXPECT_EQ(Answers(Send(button, step.event, step.point), button), step.answered)
                << c.name << " step " << index;
            EXPECT_EQ(Shown(button), step.shown) << c.name << " step " << index;
            ++index;
        }
    }
}

TEST_F(ButtonTest, AClickCountsOnlyWhenReleasedOverTheButton)
{
    // What the dispatcher reports: the control answered the release and is still hovered.
    auto click = [&](std::initializer_list<std::pair<Event, QPoint>> events) {
        CSkinButton button;
        button.SetRect(kPlace);
        bool reported = false;
        for (const auto& [event, point] : events) {
            CSkinElement* answer = Send(button, event, point);
            if (event == Event::Up)
                reported = answer != nullptr && answer->IsHovered();
        }
        return reported;
    };
    EXPECT_TRUE(click({{Event::Move, kInside}, {Event::Down, kInside}, {Event::Up, kInside}}));
    EXPECT_FALSE(click({{Event::Move, kInside}, {Event::Down, kInside}, {Event::Move, kOutside},
        {Event::Up, kOutside}}));
    EXPECT_FALSE(click({{Event::Down, kOutside}, {Event::Move, kInside}, {Event::Up, kInside}}));
}

TEST_F(ButtonTest, PicturesAreStretchedToTheRectangleAndGiveTheSize)
{
    CSkinButton button;
    ASSERT_TRUE(button.LoadSkin(File("skin/Play.xml", "<Button><Normal File=\"../normal.png\"/></Button>")));
    EXPECT_EQ(button.GetWidth(), 10);
    EXPECT_EQ(button.GetHeight(), 8);
    button.SetRect({2, 3, 42, 7});
    const QImage out = Render(button);
    EXPECT_EQ(skintest::Changed(out, kBack), QRect(2, 3, 40, 4));
    EXPECT_EQ(out.pixel(41, 6), kRed);
}

TEST_F(ButtonTest, SwitchShowsTheStateItIsGivenNotTheClick)
{
    CSkinSwitch toggle;
    toggle.SetRect(kPlace);
    ASSERT_TRUE(toggle.LoadSkin(File("Mute.xml",
        "<Switch><State1><Normal File=\"normal.png\"/><Hover File=\"hover.png\"/>"
        "<Press File=\"press.png\"/></State1><State2><Normal File=\"normal2.png\"/>"
        "<Hover File=\"hover2.png\"/><Press File=\"press2.png\"/></State2></Switch>")));
    EXPECT_EQ(toggle.GetWidth(), 10);
    struct Case {
        int state;
        QRgb normal, hover, press;
    };
    for (const Case& c : {Case{0, kRed, kGreen, kBlue}, Case{1, kYellow, kWhite, kBlack},
             Case{-3, kYellow, kWhite, kBlack}}) {
        toggle.SetState(c.state);
        EXPECT_EQ(toggle.GetState(), c.state);
        EXPECT_EQ(Shown(toggle), c.normal) << c.state;
        toggle.OnMouseMove(kInside);
        EXPECT_EQ(Shown(toggle), c.hover) << c.state;
        ASSERT_TRUE(Answers(toggle.OnButtonDown(kInside), toggle));
        EXPECT_EQ(Shown(toggle), c.press) << c.state;
        ASSERT_TRUE(Answers(toggle.OnButtonUp(kInside), toggle));
        EXPECT_EQ(toggle.GetState(), c.state) << "a click leaves the state to the window";
        toggle.OnMouseMove(kOutside);
    }
}

TEST_F(ButtonTest, SwitchWithOnlyTheFirstStateIsInvisibleInTheSecond)
{
    CSkinSwitch toggle;
    toggle.SetRect(kPlace);
    ASSERT_TRUE(toggle.LoadSkin(File("Repeat.xml",
        "<Switch><State1><Normal File=\"normal.png\"/></State1></Switch>")));
    EXPECT_EQ(Shown(toggle), kRed);
    toggle.SetState(1);
    EXPECT_TRUE(skintest::Changed(Render(toggle), kBack).isEmpty());
    toggle.SetState(0);
    EXPECT_EQ(Shown(toggle), kRed);
}

} // namespace
