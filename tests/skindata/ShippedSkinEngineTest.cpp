// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The shipped skins in the real skin engine: the Default fold moves the one list window
// between its two places, and both window modes leave the corners to the desktop.
#include "SkinDataFixture.h"

#include "CMoveLayered.h"
#include "CMoveResize.h"
#include "CSkinDraw.h"
#include "CreateSkinControl.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace skindata;

namespace {

struct Engine {
    SkinPanels panels;
    CMoveResize mover;
    CSkinDraw draw;

    Engine(const QString& skin, QSize size, qreal ratio = 1)
    {
        draw.SetPanels(&panels);
        draw.SetMover(&mover);
        draw.SetControlFactory(&CreateSkinControl);
        draw.SetDevicePixelRatio(ratio);
        EXPECT_TRUE(draw.LoadSkinFolder(SkinFolder(skin), skin));
        draw.Layout(size.width(), size.height());
    }

    void Click(QPoint point)
    {
        draw.OnMouseMove(point);
        draw.OnButtonDown(point);
        if (CSkinElement* control = draw.OnButtonUp(point)) {
            if (control->GetType() == 14) {
                control->GetTrigger().Apply(panels);
                draw.FullRepaint();
            }
        }
    }

    // Ties `window` to every element of the kind, as the main window ties its list.
    void Attach(int kind, QWidget* window)
    {
        draw.ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
            if (c->GetType() == kind)
                c->SetWindow(window);
        });
        draw.FullRepaint();
    }
};

QPoint CentreOf(const QString& skin, const QString& trigger)
{
    for (const PlacedPanel& panel : Layout(skin, 600, 500))
        for (const PlacedElement& e : panel.elements)
            if (e.trigger == trigger && !panel.hidden)
                return e.rect.center();
    ADD_FAILURE() << "no shown button with " << trigger.toStdString();
    return {};
}

TEST(ShippedSkinEngine, DefaultFoldGivesTheOneListWindowTheWholeWidthAndBack)
{
    Engine engine("Default", { 600, 500 });
    QWidget list;
    QWidget tree;
    engine.Attach(13, &list);
    engine.Attach(12, &tree);
    ASSERT_TRUE(list.isVisible());
    ASSERT_TRUE(tree.isVisible());
    const QRect beside = list.geometry();
    EXPECT_GT(beside.left(), tree.geometry().right());

    engine.Click(CentreOf("Default", "Fold.xml"));
    EXPECT_FALSE(tree.isVisible());
    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(list.geometry().left(), 0);
    EXPECT_EQ(list.geometry().width(), 600);

    engine.Click(CentreOf("Default", "Fold.xml")); // the unfold button sits in the same place
    EXPECT_TRUE(tree.isVisible());
    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(list.geometry(), beside);
}

TEST(ShippedSkinEngine, FrostTabsSwapTheListAndTheTree)
{
    Engine engine("Frost", { 600, 500 });
    QWidget list;
    QWidget tree;
    engine.Attach(13, &list);
    engine.Attach(12, &tree);
    EXPECT_TRUE(list.isVisible());
    EXPECT_FALSE(tree.isVisible());
    engine.Click(CentreOf("Frost", "ShowLibrary.xml"));
    EXPECT_FALSE(list.isVisible());
    EXPECT_TRUE(tree.isVisible());
    EXPECT_EQ(tree.geometry(), list.geometry());
    engine.Click(CentreOf("Frost", "ShowPlaylist.xml"));
    EXPECT_TRUE(list.isVisible());
    EXPECT_FALSE(tree.isVisible());
}

TEST(ShippedSkinEngine, CornersShowTheDesktopInBothWindowModes)
{
    for (const qreal ratio : { 1.0, 2.0 }) {
        Engine frost("Frost", { 600, 500 }, ratio);
        ASSERT_TRUE(frost.draw.IsLayered());
        frost.draw.FullRepaint();
        const QImage& frame = frost.draw.GetFrameBuffer();
        ASSERT_EQ(frame.size(), QSize(600, 500) * ratio);
        const auto alpha = [&](int x, int y) { return qAlpha(frame.pixel(int(x * ratio), int(y * ratio))); };
        EXPECT_EQ(alpha(0, 0), 0) << ratio;
        EXPECT_LT(alpha(21, 21), 64) << "the rounded corner shows the desktop, ratio " << ratio;
        EXPECT_EQ(alpha(300, 300), 255) << ratio;
        EXPECT_GT(alpha(300, 490), 0) << "the shadow under the card, ratio " << ratio;
        EXPECT_LT(alpha(300, 490), 128) << ratio;

        Engine dark("Default", { 600, 500 }, ratio);
        ASSERT_FALSE(dark.draw.IsLayered());
        const QRegion region = dark.draw.Region(600, 500);
        EXPECT_FALSE(region.contains(QPoint(0, 0)));
        EXPECT_FALSE(region.contains(QPoint(1, 1)));
        EXPECT_FALSE(region.contains(QPoint(599, 499)));
        EXPECT_TRUE(region.contains(QPoint(10, 0)));
        EXPECT_TRUE(region.contains(QPoint(300, 250)));
    }
}

TEST(ShippedSkinEngine, CompanionWindowsFollowTheFoldToo)
{
    // The same fold with the list and tree kept as companion windows, as a layered skin keeps
    // them: entries are added in panel order, one per element.
    Engine engine("Default", { 600, 500 });
    QWidget list;
    QWidget tree;
    CMoveLayered composer;
    engine.draw.ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
        if (c->GetType() == 13)
            composer.Add(&list, c);
        if (c->GetType() == 12)
            composer.Add(&tree, c);
    });
    ASSERT_EQ(composer.GetCount(), 3);
    const auto settle = [&] {
        composer.Place(true);
        composer.Show();
    };
    settle();
    ASSERT_TRUE(list.isVisible());
    const QRect beside = list.geometry();
    EXPECT_GT(beside.left(), 0);

    engine.Click(CentreOf("Default", "Fold.xml"));
    settle();
    EXPECT_TRUE(list.isVisible());
    EXPECT_FALSE(tree.isVisible());
    EXPECT_EQ(list.geometry(), QRect(0, beside.top(), 600, beside.height()));

    engine.Click(CentreOf("Default", "Fold.xml"));
    settle();
    EXPECT_TRUE(list.isVisible());
    EXPECT_TRUE(tree.isVisible());
    EXPECT_EQ(list.geometry(), beside);
}

} // namespace
