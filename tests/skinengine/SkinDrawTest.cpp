// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSettings.h"
#include "SkinTestKit.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kFullPanel = R"(<Position Left="0" Top="0" Right="0" Bottom="0"/>)";

// A whole-window panel filled with colour, inset by inset pixels.
QByteArray FilledPanel(const char* color, int inset)
{
    return QString(R"(<Panel><Position Left="0" Top="0" Right="0" Bottom="0"/><Background>
        <Fill><Fill Color="%1"/><Position Left="%2" Top="%2" Right="%2" Bottom="%2"/></Fill>
        </Background></Panel>)")
        .arg(QLatin1String(color))
        .arg(inset)
        .toUtf8();
}

TEST(SkinDraw, LayeredSkinKeepsAlphaAndHasNoRegion)
{
    SkinTestKit kit;
    kit.WriteSkin("L", R"(<Transparent AlphaBlend="1"/><Corners All="10"/>)"
            + FilledPanel("336699", 2));
    ASSERT_TRUE(kit.Load("L", 100, 80));
    EXPECT_TRUE(kit.draw.IsLayered());
    EXPECT_EQ(kit.draw.GetCornerRadius(), 0) << "corners are ignored for layered windows";
    EXPECT_TRUE(kit.draw.Region(100, 80).isEmpty());
    EXPECT_EQ(PixelAt(kit.draw, 0, 0).alpha(), 0) << "the desktop shows through";
    EXPECT_EQ(PixelAt(kit.draw, 99, 79).alpha(), 0);
    EXPECT_EQ(PixelAt(kit.draw, 2, 2), QColor(0x33, 0x66, 0x99));
}

TEST(SkinDraw, RegionSkinIsOpaqueAndClippedAtTheCorners)
{
    SkinTestKit kit;
    kit.WriteSkin("R", R"(<Corners All="10"/>)" + FilledPanel("336699", 2));
    ASSERT_TRUE(kit.Load("R", 100, 80));
    EXPECT_FALSE(kit.draw.IsLayered());
    EXPECT_EQ(kit.draw.GetCornerRadius(), 10);
    EXPECT_EQ(PixelAt(kit.draw, 0, 0), QColor(Qt::white)) << "opaque white under the panels";
    const QRegion region = kit.draw.Region(100, 80);
    for (QPoint clipped : { QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(99, 0),
             QPoint(0, 79), QPoint(99, 79), QPoint(98, 79) })
        EXPECT_FALSE(region.contains(clipped)) << clipped.x() << "," << clipped.y();
    for (QPoint kept : { QPoint(50, 0), QPoint(0, 40), QPoint(99, 40), QPoint(50, 79),
             QPoint(5, 5), QPoint(94, 74) })
        EXPECT_TRUE(region.contains(kept)) << kept.x() << "," << kept.y();

    kit.WriteSkin("Square", FilledPanel("336699", 0));
    ASSERT_TRUE(kit.Load("Square", 100, 80));
    EXPECT_TRUE(kit.draw.Region(100, 80).isEmpty()) << "Corners 0: a plain rectangle";
}

TEST(SkinDraw, BadSkinsFallBackToDefaultAndChangeNothing)
{
    SkinTestKit kit;
    CSettings settings;
    kit.draw.SetSettings(&settings);
    kit.WriteSkin("Default", R"(<Size MinWidth="200" MinHeight="150"/>)" + FilledPanel("00FF00", 0));
    kit.Write("Broken", "Skin.xml", "<Window><Panel></Window>");
    kit.Write("Empty", "Skin.xml", "");
    kit.Write("Deep", "Skin.xml", QByteArray(5000, '<'));
    kit.WriteSkin("Other", "<Size MaxWidth='900'/>" + FilledPanel("FF0000", 0));
    ASSERT_TRUE(kit.draw.ApplySkin("Other"));
    EXPECT_EQ(settings.GetSkin(), "Other");
    EXPECT_EQ(kit.mover.GetMaxWidth(), 900);

    for (const char* bad : { "Broken", "Empty", "Deep", "Missing", "..", ".", "../Skin/Other",
             "Other/", "" }) {
        const std::size_t before = kit.panels.size();
        EXPECT_FALSE(kit.draw.LoadSkin(bad)) << bad;
        EXPECT_EQ(kit.panels.size(), before) << "a failed load leaves the panels: " << bad;
        EXPECT_FALSE(kit.draw.ApplySkin(bad)) << bad;
        EXPECT_EQ(kit.draw.GetSkinName(), "Default") << bad;
        EXPECT_EQ(settings.GetSkin(), "Default");
        EXPECT_EQ(kit.panels.size(), 1u);
        EXPECT_EQ(kit.mover.GetMinWidth(), 200);
        EXPECT_EQ(kit.mover.GetMaxWidth(), 0) << "the old limits do not linger";
        ASSERT_TRUE(kit.draw.ApplySkin("Other"));
    }
    kit.draw.Layout(300, 200);
    EXPECT_EQ(PixelAt(kit.draw, 10, 10), QColor(Qt::red));
}

TEST(SkinDraw, MissingPartsKeepTheirDefaults)
{
    SkinTestKit kit;
    kit.Write("Bare", "Skin.xml", "<Other/>");
    kit.mover.SetLimits(1, 2, 3, 4);
    ASSERT_TRUE(kit.Load("Bare", 50, 50)) << "no Window is still a skin";
    EXPECT_TRUE(kit.panels.empty());
    EXPECT_FALSE(kit.draw.IsLayered());
    EXPECT_EQ(kit.mover.GetMinWidth(), 0);
    EXPECT_EQ(kit.mover.GetMaxHeight(), 0);
    EXPECT_EQ(PixelAt(kit.draw, 25, 25), QColor(Qt::white));

    kit.WriteSkin("Odd", "<Size MinWidth='x'/><Unknown/><Panel><Elements><Nope><Skin "
                         "File='missing.xml'/></Nope><Play><Skin File='../../x.xml'/>"
                         "</Play><Button Trigger='none.xml'><Skin File='no.xml'/></Button>"
                         "</Elements></Panel>");
    ASSERT_TRUE(kit.Load("Odd", 50, 50));
    ASSERT_EQ(kit.panels.size(), 1u);
    const auto& elements = kit.panels[0]->GetElements();
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[0].GetControl()->GetType(), 0);
    EXPECT_EQ(elements[1].GetControl()->GetType(), 1);
    EXPECT_TRUE(elements[2].GetControl()->GetTrigger().IsEmpty()) << "a missing trigger is inert";
}

class Routing : public ::testing::Test {
protected:
    void SetUp() override
    {
        kit.WriteButton("B", "close", 20, 10, Qt::darkGray, Qt::gray, Qt::black);
        kit.WriteButton("B", "eq", 20, 10, Qt::darkGray, Qt::gray, Qt::black);
        kit.WriteSkin("B", R"(<Panel>)" + kFullPanel + R"(<Background><Fill><Fill Color="0000FF"/>
            <Position Left="0" Top="0" Right="0" Bottom="0"/></Fill></Background><Elements>
            <Close><Skin File="close.xml"/><Position Left="10" Top="10"/></Close>
            <Equalizer><Skin File="eq.xml"/><Position Left="40" Top="10"/></Equalizer>
            </Elements></Panel>)");
        ASSERT_TRUE(kit.Load("B", 100, 50));
        close = FindControl(kit.panels, "Close");
        ASSERT_TRUE(close);
    }
    // The frame buffer after the events must equal a fresh full repaint of the same state.
    void ExpectFrameMatchesFullRepaint()
    {
        const QImage partial = kit.draw.GetFrameBuffer().copy();
        kit.draw.FullRepaint();
        EXPECT_EQ(partial, kit.draw.GetFrameBuffer());
    }
    SkinTestKit kit;
    CSkinElement* close = nullptr;
};

TEST_F(Routing, AClickInsideIsReportedAndEachLookIsDrawn)
{
    EXPECT_EQ(PixelAt(kit.draw, 15, 15), QColor(Qt::darkGray));
    EXPECT_EQ(kit.draw.OnMouseMove(QPoint(15, 15)), nullptr);
    EXPECT_EQ(PixelAt(kit.draw, 15, 15), QColor(Qt::gray));
    ExpectFrameMatchesFullRepaint();
    bool captured = false;
    EXPECT_EQ(kit.draw.OnButtonDown(QPoint(15, 15), &captured), nullptr);
    EXPECT_TRUE(captured);
    EXPECT_EQ(kit.draw.GetCaptured(), close);
    EXPECT_EQ(PixelAt(kit.draw, 15, 15), QColor(Qt::black));
    EXPECT_EQ(kit.draw.OnButtonUp(QPoint(16, 16)), close);
    EXPECT_EQ(kit.draw.GetCaptured(), nullptr);
    EXPECT_EQ(PixelAt(kit.draw, 15, 15), QColor(Qt::gray));
    ExpectFrameMatchesFullRepaint();
    kit.draw.OnMouseLeave();
    EXPECT_EQ(PixelAt(kit.draw, 15, 15), QColor(Qt::darkGray));
}

TEST_F(Routing, PressDraggedOutOrStartedOutsideIsNoClick)
{
    kit.draw.OnMouseMove(QPoint(15, 15));
    kit.draw.OnButtonDown(QPoint(15, 15));
    kit.draw.OnMouseMove(QPoint(80, 40));
    EXPECT_EQ(kit.draw.OnButtonUp(QPoint(80, 40)), nullptr);
    EXPECT_EQ(PixelAt(kit.draw, 15, 15), QColor(Qt::darkGray));
    ExpectFrameMatchesFullRepaint();

    bool captured = true;
    kit.draw.OnMouseMove(QPoint(80, 40));
    EXPECT_EQ(kit.draw.OnButtonDown(QPoint(80, 40), &captured), nullptr);
    EXPECT_FALSE(captured) << "free space starts a window drag";
    kit.draw.OnMouseMove(QPoint(15, 15));
    EXPECT_EQ(kit.draw.OnButtonUp(QPoint(15, 15)), nullptr);
}

TEST_F(Routing, EqualizerIsReportedButNotRedrawnOnRelease)
{
    CSkinElement* eq = FindControl(kit.panels, "Equalizer");
    kit.draw.OnMouseMove(QPoint(45, 15));
    kit.draw.OnButtonDown(QPoint(45, 15));
    EXPECT_EQ(kit.draw.OnButtonUp(QPoint(45, 15)), eq);
    EXPECT_EQ(eq->GetType(), 23);
    EXPECT_EQ(PixelAt(kit.draw, 45, 15), QColor(Qt::black)) << "the dialog opens over it";
}

TEST_F(Routing, NothingIsRoutedToHiddenPanels)
{
    kit.panels[0]->SetHidden(true);
    kit.draw.FullRepaint();
    EXPECT_EQ(PixelAt(kit.draw, 15, 15), QColor(Qt::white)) << "no background, no controls";
    kit.draw.OnMouseMove(QPoint(15, 15));
    bool captured = true;
    kit.draw.OnButtonDown(QPoint(15, 15), &captured);
    EXPECT_FALSE(captured);
    EXPECT_EQ(kit.draw.OnButtonUp(QPoint(15, 15)), nullptr);
    EXPECT_EQ(close->GetRect(), (SkinRect{ 10, 10, 30, 20 })) << "still laid out";
}

TEST(SkinDraw, TriggerButtonHidesAndShowsPanelsById)
{
    SkinTestKit kit;
    kit.WriteButton("T", "fold", 10, 10, Qt::darkGray, Qt::gray, Qt::black);
    kit.Write("T", "Fold.xml", R"(<Trigger><Panel ID="2" Hide="1" SizeX="5"/>
        <Panel ID="3" Hide="0"/><Panel ID="2" Hide="0"/><Panel ID="99" Hide="1"/></Trigger>)");
    const QByteArray left = R"(<Position Left="0" Top="0" Width="50" Height="50"/>)";
    const QByteArray right = R"(<Position Left="50" Top="0" Width="50" Height="50"/>)";
    kit.WriteSkin("T", "<Panel ID='1'>" + kFullPanel + R"(<Elements>
          <Button Trigger="Fold.xml"><Skin File="fold.xml"/><Position Left="0" Top="60"/></Button>
        </Elements></Panel>
        <Panel ID="2">)" + left + R"(<Background><Fill><Fill Color="FF0000"/>)" + left
        + R"(</Fill></Background></Panel>
        <Panel ID="2">)" + right + R"(<Background><Fill><Fill Color="00FF00"/>)" + left
        + R"(</Fill></Background></Panel>
        <Panel ID="3" Hide="1">)" + left + R"(<Background><Fill><Fill Color="0000FF"/>)" + left
        + "</Fill></Background></Panel>");
    ASSERT_TRUE(kit.Load("T", 100, 80));
    EXPECT_EQ(PixelAt(kit.draw, 10, 10), QColor(Qt::red));
    EXPECT_EQ(PixelAt(kit.draw, 60, 10), QColor(Qt::green));

    kit.draw.OnMouseMove(QPoint(5, 65));
    kit.draw.OnButtonDown(QPoint(5, 65));
    CSkinElement* button = kit.draw.OnButtonUp(QPoint(5, 65));
    ASSERT_TRUE(button);
    ASSERT_EQ(button->GetType(), 14);
    ASSERT_EQ(button->GetTrigger().GetEntries().size(), 4u);
    button->GetTrigger().Apply(kit.panels);
    kit.draw.FullRepaint();
    EXPECT_FALSE(kit.panels[0]->IsHidden()) << "no entry: unchanged";
    EXPECT_TRUE(kit.panels[1]->IsHidden()) << "the first entry for an ID counts";
    EXPECT_TRUE(kit.panels[2]->IsHidden()) << "panels sharing an ID follow it together";
    EXPECT_FALSE(kit.panels[3]->IsHidden());
    EXPECT_EQ(PixelAt(kit.draw, 10, 10), QColor(Qt::blue));
    EXPECT_EQ(PixelAt(kit.draw, 60, 10), QColor(Qt::white));
}

TEST(SkinDraw, HighDensityBuffersKeepLogicalCoordinates)
{
    SkinTestKit kit;
    kit.draw.SetDevicePixelRatio(2.0);
    kit.WritePng("D", "dot.png", 4, 4, Qt::red);
    kit.WritePng("D", "dot@2x.png", 8, 8, Qt::green);
    kit.WriteSkin("D", "<Panel>" + kFullPanel + R"(<Background>
        <Image><Image File="dot.png"/><Position Left="10" Top="10"/></Image>
        <Rect><Rect Color="0000FF"/><Position Left="0" Top="30" Width="5" Height="3"/></Rect>
        </Background></Panel>)");
    ASSERT_TRUE(kit.Load("D", 50, 40));
    const QImage& frame = kit.draw.GetFrameBuffer();
    EXPECT_EQ(frame.size(), QSize(100, 80));
    EXPECT_EQ(frame.pixelColor(20, 20), QColor(Qt::green)) << "the @2x picture at (10, 10)";
    EXPECT_EQ(frame.pixelColor(27, 27), QColor(Qt::green));
    EXPECT_EQ(frame.pixelColor(28, 28), QColor(Qt::white)) << "4 logical pixels wide";
    EXPECT_EQ(frame.pixelColor(0, 61), QColor(Qt::blue)) << "a 1 px line is 2 device px";
    EXPECT_EQ(frame.pixelColor(2, 62), QColor(Qt::white));
}

} // namespace
