// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMoveResize.h"

#include <gtest/gtest.h>

namespace {

struct Band {
    int x;
    int y;
    int mode;
};

// Every band of a 300 × 200 client, probed at its inner and outer borders.
TEST(MoveResize, HitTestGivesEveryBandAtItsBorders)
{
    const Band cases[] = {
        { 0, 0, CMoveResize::kTopLeft },
        { 5, 2, CMoveResize::kTopLeft },
        { 9, 3, CMoveResize::kTopLeft },
        { 5, 6, CMoveResize::kLeft },
        { 9, 4, CMoveResize::kLeft },
        { 10, 3, CMoveResize::kTop },
        { 20, 2, CMoveResize::kTop },
        { 290, 0, CMoveResize::kTopRight },
        { 299, 3, CMoveResize::kTopRight },
        { 289, 3, CMoveResize::kTop },
        { 291, 4, CMoveResize::kRight },
        { 290, 100, CMoveResize::kMove }, // the right band starts past W - 10
        { 0, 190, CMoveResize::kBottomLeft },
        { 9, 199, CMoveResize::kBottomLeft },
        { 290, 190, CMoveResize::kBottomRight },
        { 299, 199, CMoveResize::kBottomRight },
        { 100, 191, CMoveResize::kBottom },
        { 100, 190, CMoveResize::kMove },
        { 150, 100, CMoveResize::kMove },
        { 10, 4, CMoveResize::kMove },
    };
    CMoveResize mover;
    mover.SetClientSize(300, 200);
    for (const Band& c : cases) {
        EXPECT_EQ(mover.HitTest(QPoint(c.x, c.y)), c.mode) << c.x << "," << c.y;
        EXPECT_EQ(mover.GetMode(), c.mode);
    }
}

TEST(MoveResize, CursorFollowsTheMode)
{
    CMoveResize mover;
    mover.SetClientSize(300, 200);
    const std::pair<QPoint, std::optional<Qt::CursorShape>> cases[] = {
        { QPoint(2, 100), Qt::SizeHorCursor },
        { QPoint(295, 100), Qt::SizeHorCursor },
        { QPoint(100, 1), Qt::SizeVerCursor },
        { QPoint(100, 195), Qt::SizeVerCursor },
        { QPoint(1, 1), Qt::SizeFDiagCursor },
        { QPoint(295, 195), Qt::SizeFDiagCursor },
        { QPoint(295, 1), Qt::SizeBDiagCursor },
        { QPoint(1, 195), Qt::SizeBDiagCursor },
        { QPoint(100, 100), std::nullopt },
    };
    for (const auto& [point, cursor] : cases) {
        mover.HitTest(point);
        EXPECT_EQ(mover.Cursor(), cursor) << point.x() << "," << point.y();
    }
}

class Drag : public ::testing::Test {
protected:
    // A 300 × 200 window at (100, 100), pressed at client point press.
    std::optional<QRect> DragBy(QPoint press, int dx, int dy)
    {
        mover.SetClientSize(300, 200);
        const QPoint screen = QPoint(100, 100) + press;
        mover.BeginDrag(press, screen, QRect(100, 100, 300, 200));
        std::optional<QRect> moved;
        EXPECT_TRUE(mover.DragStep(press, screen + QPoint(dx, dy), &moved));
        return moved;
    }
    CMoveResize mover;
};

TEST_F(Drag, MoveOffsetsTheWholeWindow)
{
    EXPECT_EQ(DragBy(QPoint(150, 100), 30, -20), QRect(130, 80, 300, 200));
}

TEST_F(Drag, EdgesAndCornersMoveOnlyTheirSides)
{
    EXPECT_EQ(DragBy(QPoint(2, 100), -20, 50), QRect(80, 100, 320, 200));
    EXPECT_EQ(DragBy(QPoint(295, 100), 20, 50), QRect(100, 100, 320, 200));
    EXPECT_EQ(DragBy(QPoint(100, 1), 5, -10), QRect(100, 90, 300, 210));
    EXPECT_EQ(DragBy(QPoint(100, 195), 5, 10), QRect(100, 100, 300, 210));
    EXPECT_EQ(DragBy(QPoint(1, 1), 10, 10), QRect(110, 110, 290, 190));
    EXPECT_EQ(DragBy(QPoint(295, 195), 10, 10), QRect(100, 100, 310, 210));
}

TEST_F(Drag, LeftEdgeStopsAtTheMinimumWithTheRightEdgeFixed)
{
    mover.SetLimits(250, 150, 0, 0);
    EXPECT_EQ(DragBy(QPoint(2, 100), 200, 0), QRect(150, 100, 250, 200));
    EXPECT_EQ(DragBy(QPoint(100, 1), 0, 100), QRect(100, 150, 300, 150));
    EXPECT_EQ(DragBy(QPoint(295, 195), -200, -200), QRect(100, 100, 250, 150));
}

TEST_F(Drag, MaximumHoldsAndZeroMeansNoLimit)
{
    mover.SetLimits(0, 0, 320, 0);
    EXPECT_EQ(DragBy(QPoint(295, 195), 500, 5000), QRect(100, 100, 320, 5200));
    EXPECT_EQ(DragBy(QPoint(2, 100), -500, 0), QRect(80, 100, 320, 200));
}

TEST_F(Drag, WithoutLimitsTheWindowKeepsOnePixel)
{
    EXPECT_EQ(DragBy(QPoint(2, 100), 1000, 0), QRect(399, 100, 1, 200));
}

TEST_F(Drag, ReturningToTheStartMovesNothingMore)
{
    const QPoint press(150, 100);
    const QPoint screen(250, 200);
    mover.SetClientSize(300, 200);
    mover.BeginDrag(press, screen, QRect(100, 100, 300, 200));
    std::optional<QRect> moved;
    EXPECT_TRUE(mover.DragStep(press, screen, &moved));
    EXPECT_FALSE(moved) << "no move at the press point";
    EXPECT_TRUE(mover.DragStep(press, screen + QPoint(5, 5), &moved));
    EXPECT_EQ(moved, QRect(105, 105, 300, 200));
    moved.reset();
    EXPECT_TRUE(mover.DragStep(press, screen + QPoint(5, 5), &moved));
    EXPECT_FALSE(moved) << "the same place twice moves once";
    EXPECT_TRUE(mover.DragStep(press, screen, &moved));
    EXPECT_EQ(moved, QRect(100, 100, 300, 200));
    mover.EndDrag(press);
    EXPECT_FALSE(mover.IsDragging());
    moved.reset();
    EXPECT_FALSE(mover.DragStep(QPoint(1, 1), screen + QPoint(50, 50), &moved));
    EXPECT_FALSE(moved);
    EXPECT_EQ(mover.GetMode(), CMoveResize::kTopLeft) << "idle moves still hit-test";
}

} // namespace
