// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinRating.h"

#include "ControlFixture.h"

#include <QPoint>

#include <string>

namespace {

constexpr QRgb kLit = kYellow;
constexpr QRgb kUnlit = kBlack;
constexpr QRgb kLitHover = kRed;
constexpr QRgb kUnlitHover = kBlue;

class RatingTest : public ControlTest {
protected:
    void SetUp() override
    {
        Png("show.png", {10, 8}, kLit);
        Png("hide.png", {10, 8}, kUnlit);
        Png("showhover.png", {10, 8}, kLitHover);
        Png("hidehover.png", {10, 8}, kUnlitHover);
        ASSERT_TRUE(m_stars.LoadSkin(File("Rating.xml",
            "<Rating><Show File=\"show.png\"/><Hide File=\"hide.png\"/>"
            "<ShowHover File=\"showhover.png\"/><HideHover File=\"hidehover.png\"/></Rating>")));
        m_stars.SetRect({10, 5, 60, 13});
    }
    // One letter per star: L lit, u unlit, H lit hover, h unlit hover, - nothing.
    std::string Looks()
    {
        const QImage out = Render(m_stars);
        std::string looks;
        for (int i = 0; i < 5; ++i) {
            const QRgb c = out.pixel(15 + 10 * i, 9);
            looks += c == kLit ? 'L' : c == kUnlit ? 'u' : c == kLitHover ? 'H'
                : c == kUnlitHover ? 'h' : '-';
        }
        return looks;
    }
    // The middle of star n (1..5).
    static QPoint Star(int n) { return {10 + 10 * n - 5, 9}; }

    CSkinRating m_stars;
};

TEST_F(RatingTest, ShowsTheRatingItIsGiven)
{
    EXPECT_EQ(m_stars.GetWidth(), 50);
    EXPECT_EQ(m_stars.GetHeight(), 8);
    EXPECT_EQ(Looks(), "-----") << "hidden until a state is set";
    struct Case {
        int state;
        const char* looks;
        int rating;
    };
    for (const Case& c : {Case{3, "LLLuu", 3}, {0, "uuuuu", 0}, {5, "LLLLL", 5}, {104, "LLLLu", 4},
             {-1, "-----", 0}}) {
        m_stars.SetState(c.state);
        EXPECT_EQ(Looks(), c.looks) << c.state;
        EXPECT_EQ(m_stars.GetState(), c.rating) << c.state;
    }
}

TEST_F(RatingTest, PointerLightsTheStarsUpToIt)
{
    m_stars.SetState(1);
    EXPECT_TRUE(Answers(m_stars.OnMouseMove(Star(4)), m_stars));
    EXPECT_EQ(Looks(), "HHHHh");
    EXPECT_EQ(m_stars.OnMouseMove(Star(4) + QPoint(2, 0)), nullptr);
    EXPECT_TRUE(Answers(m_stars.OnMouseMove(Star(2)), m_stars));
    EXPECT_EQ(Looks(), "HHhhh");
    EXPECT_TRUE(Answers(m_stars.OnMouseMove({200, 9}), m_stars));
    EXPECT_EQ(Looks(), "Luuuu");
    EXPECT_EQ(m_stars.OnMouseMove({200, 9}), nullptr);
}

TEST_F(RatingTest, StarUnderThePointerCountsFromTheLeftEdge)
{
    // Stars are 10 wide; a point exactly on a star's right boundary still belongs to it.
    for (auto [dx, star] : {std::pair{0, 1}, {10, 1}, {11, 2}, {39, 4}, {40, 4}, {41, 5}, {49, 5}}) {
        CSkinRating stars;
        stars.SetRect({10, 5, 60, 13});
        stars.SetState(0);
        ASSERT_TRUE(Answers(stars.OnButtonDown({10 + dx, 9}), stars)) << dx;
        EXPECT_EQ(stars.GetState(), star) << dx;
    }
}

TEST_F(RatingTest, ClickingTheRatedStarRemovesTheRatingUntilThePointerMoves)
{
    m_stars.SetState(0);
    m_stars.OnMouseMove(Star(3));
    ASSERT_TRUE(Answers(m_stars.OnButtonDown(Star(3)), m_stars));
    EXPECT_EQ(m_stars.GetState(), 3);
    EXPECT_TRUE(Answers(m_stars.OnButtonUp(Star(3)), m_stars));
    EXPECT_EQ(Looks(), "HHHhh");
    // The third star twice: the rating goes, and the stars stay dark on that star.
    ASSERT_TRUE(Answers(m_stars.OnButtonDown(Star(3)), m_stars));
    EXPECT_EQ(m_stars.GetState(), 0);
    m_stars.OnButtonUp(Star(3));
    EXPECT_EQ(Looks(), "hhhhh");
    EXPECT_EQ(m_stars.OnMouseMove(Star(3) + QPoint(1, 0)), nullptr);
    EXPECT_EQ(m_stars.OnMouseMove(Star(3) + QPoint(2, 0)), nullptr);
    EXPECT_TRUE(Answers(m_stars.OnMouseMove(Star(4)), m_stars));
    EXPECT_EQ(Looks(), "HHHHh");
    // Another star rates at once.
    ASSERT_TRUE(Answers(m_stars.OnButtonDown(Star(2)), m_stars));
    EXPECT_EQ(m_stars.GetState(), 2);
}

TEST_F(RatingTest, StationStarsShowButIgnoreTheMouse)
{
    m_stars.SetState(2);
    m_stars.OnMouseMove(Star(5));
    m_stars.SetState(100 + 2);
    EXPECT_EQ(Looks(), "LLuuu") << "no hover look left behind";
    EXPECT_EQ(m_stars.OnMouseMove(Star(4)), nullptr);
    EXPECT_EQ(m_stars.OnButtonDown(Star(4)), nullptr);
    EXPECT_EQ(m_stars.GetState(), 2);
    m_stars.SetState(-1);
    EXPECT_EQ(m_stars.OnButtonDown(Star(4)), nullptr);
    EXPECT_EQ(Looks(), "-----");
}

TEST_F(RatingTest, LeavingTheWindowDropsTheHoverLook)
{
    m_stars.SetState(1);
    m_stars.OnMouseMove(Star(3));
    EXPECT_TRUE(Answers(m_stars.OnMouseLeave(), m_stars));
    EXPECT_EQ(Looks(), "Luuuu");
    EXPECT_EQ(m_stars.OnMouseLeave(), nullptr);
    // Coming back onto the same star lights it again.
    EXPECT_TRUE(Answers(m_stars.OnMouseMove(Star(3)), m_stars));
    EXPECT_EQ(Looks(), "HHHhh");
}

} // namespace
