// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinPanel.h"
#include "SkinTestKit.h"

#include <tinyxml2.h>

#include <gtest/gtest.h>

namespace {

// One panel read from its XML text.
std::unique_ptr<CSkinPanel> ReadPanel(const char* xml, const QString& folder = QString())
{
    tinyxml2::XMLDocument doc;
    EXPECT_EQ(doc.Parse(xml), tinyxml2::XML_SUCCESS) << xml;
    auto panel = std::make_unique<CSkinPanel>();
    panel->Load(folder, doc.FirstChildElement("Panel"), SkinControlFactory(), 1.0);
    return panel;
}

SkinRect Box(int left, int top, int right, int bottom)
{
    return SkinRect{left, top, right, bottom};
}

struct AnchorCase {
    const char* position;
    SkinRect at400x300;
    SkinRect at600x500;
};

TEST(PanelLayout, AnchorsFollowTheWindowEdges)
{
    const AnchorCase cases[] = {
        // Stretches between both edges less 10 on each side.
        { "<Position Left='10' Right='10' Top='10' Bottom='10'/>", Box(10, 10, 390, 290),
            Box(10, 10, 590, 490) },
        // Glued to the right edge.
        { "<Position Right='0' Width='100' Top='0' Height='20'/>", Box(300, 0, 400, 20),
            Box(500, 0, 600, 20) },
        // From the bottom with a size; the width defaults to 40 from the left.
        { "<Position Bottom='5' Height='30'/>", Box(0, 265, 40, 295), Box(0, 465, 40, 495) },
        // Left with Width wins over Right.
        { "<Position Left='4' Width='50' Right='7' Top='0' Bottom='0'/>", Box(4, 0, 54, 300),
            Box(4, 0, 54, 500) },
        // An empty Position: 40 × 40 at the top-left corner.
        { "<Position/>", Box(0, 0, 40, 40), Box(0, 0, 40, 40) },
    };
    for (const AnchorCase& c : cases) {
        const std::string xml = std::string("<Panel>") + c.position + "</Panel>";
        auto panel = ReadPanel(xml.c_str());
        panel->Layout(400, 300);
        EXPECT_EQ(panel->GetRect(), c.at400x300) << c.position;
        panel->Layout(600, 500);
        EXPECT_EQ(panel->GetRect(), c.at600x500) << c.position;
    }
}

TEST(PanelLayout, PanelWithoutPositionIsEmptyAndAttributesHaveDefaults)
{
    auto panel = ReadPanel("<Panel/>");
    panel->Layout(400, 300);
    EXPECT_EQ(panel->GetRect().Width(), 0);
    EXPECT_EQ(panel->GetRect().Height(), 0);
    EXPECT_EQ(panel->GetName(), "Panel");
    EXPECT_EQ(panel->GetId(), 0);
    EXPECT_FALSE(panel->IsHidden());

    auto named = ReadPanel("<Panel Name='Body' ID='7' Hide='1'/>");
    EXPECT_EQ(named->GetName(), "Body");
    EXPECT_EQ(named->GetId(), 7);
    EXPECT_TRUE(named->IsHidden());
}

TEST(PanelLayout, HugeAndNegativeCoordinatesAreClampedNotOverflowed)
{
    auto panel = ReadPanel("<Panel><Position Left='-99999999999' Width='2147483647' "
                           "Top='2147483647' Height='-5'/><Elements><X><Position "
                           "Left='2147483647' Width='2147483647' Top='-2147483648' "
                           "Height='3'/></X></Elements></Panel>");
    panel->Layout(400, 300);
    EXPECT_EQ(panel->GetRect(), Box(-kMaxCoord, kMaxCoord, 0, kMaxCoord - 5));
    panel->LayoutElements();
    const SkinRect r = panel->GetElements().at(0).GetControl()->GetRect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, kMaxCoord);
}

struct PieceCase {
    const char* position;
    SkinRect expected; // in a panel at (10, 20)-(111, 80), 101 × 60
};

TEST(PanelLayout, PiecesAndElementsArePlacedInsideThePanel)
{
    const PieceCase cases[] = {
        // Centred: 10 + 101 / 2 + 0 - 20 / 2 = 50.
        { "<Position LeftRight='0' Width='20' TopBottom='0' Height='10'/>",
            Box(50, 45, 70, 55) },
        { "<Position Left='5' Right='6' Top='1' Bottom='2'/>", Box(15, 21, 105, 78) },
        { "<Position Right='1' Width='8' Bottom='0' Height='4'/>", Box(102, 76, 110, 80) },
        { "<Position LeftRight='-3' TopBottom='2'/>", Box(47, 51, 67, 53) },
        // No anchor: from the left and top at 0 with the default size.
        { "<Position/>", Box(10, 20, 30, 22) },
    };
    const SkinRect panel = Box(10, 20, 111, 80);
    for (const PieceCase& c : cases) {
        const std::string xml = std::string("<Fill>") + c.position + "</Fill>";
        tinyxml2::XMLDocument doc;
        doc.Parse(xml.c_str());
        CSkinPanelBack piece;
        piece.Load(QString(), doc.FirstChildElement(), 1.0);
        EXPECT_EQ(piece.GetPosition().Place(panel), c.expected) << c.position;
    }
}

TEST(PanelLayout, ElementTagsMapToKindsExactly)
{
    const char* tags[] = { "Play", "PlayPause", "Pause", "Stop", "Next", "Previous",
        "VolumeBar", "TrackBar", "Mute", "Close", "Minimize", "Library", "Playlist", "Button",
        "Cover", "Spectrum", "Rating", "Title", "Artist", "Repeat", "Shuffle", "Album",
        "Equalizer", "Time", "Search" };
    for (int kind = 1; kind <= 25; ++kind) {
        EXPECT_EQ(CSkinPanelElement::KindOf(tags[kind - 1]), kind);
        EXPECT_STREQ(CSkinPanelElement::TagOf(kind), tags[kind - 1]);
    }
    for (const char* other : { "play", "CLOSE", "Volumebar", "", "Window", "Play " })
        EXPECT_EQ(CSkinPanelElement::KindOf(other), 0) << other;
}

TEST(PanelLayout, ElementsWithoutSkinFileAreInertAndWithoutPositionFillThePanel)
{
    auto panel = ReadPanel("<Panel Hide='1'><Position Left='0' Top='0' Width='50' Height='30'/>"
                           "<Elements><Play/><Close><Position Left='2' Top='3'/></Close>"
                           "</Elements></Panel>");
    panel->Layout(400, 300);
    panel->LayoutElements();
    const auto& elements = panel->GetElements();
    ASSERT_EQ(elements.size(), 2u);
    for (const CSkinPanelElement& e : elements) {
        EXPECT_EQ(e.GetControl()->GetType(), 0) << "no Skin/File: kind 0";
        EXPECT_TRUE(e.GetControl()->IsHidden()) << "hidden with its panel";
    }
    EXPECT_EQ(elements[0].GetControl()->GetRect(), Box(0, 0, 50, 30));
    EXPECT_EQ(elements[1].GetControl()->GetRect(), Box(2, 3, 12, 13)) << "10 × 10 default";
    panel->SetHidden(false);
    EXPECT_FALSE(elements[1].GetControl()->IsHidden());
}

TEST(PanelLayout, ColoursOfSixAndEightDigitsElseWhite)
{
    EXPECT_EQ(CSkinPanelBack::ParseColor("FF000080"), 0x80FF0000u);
    EXPECT_EQ(CSkinPanelBack::ParseColor("FF0000"), 0xFFFF0000u);
    EXPECT_EQ(CSkinPanelBack::ParseColor("00ff7f"), 0xFF00FF7Fu);
    for (const char* white : { "F00", "", "FF00000", "FF0000801", "GG0000", "FF 000" })
        EXPECT_EQ(CSkinPanelBack::ParseColor(white), 0xFFFFFFFFu) << white;
    EXPECT_EQ(CSkinPanelBack::ParseColor(nullptr), 0xFFFFFFFFu);
}

// Pieces drawn through the painter onto a layered (transparent) buffer.
TEST(PanelLayout, PiecesDrawTheirColoursAndOutlinesExactly)
{
    SkinTestKit kit;
    kit.WriteSkin("P", R"(<Transparent AlphaBlend="1"/>
        <Panel><Position Left="0" Top="0" Right="0" Bottom="0"/><Background>
          <Fill><Fill Color="FF000080"/><Position Left="0" Top="0" Width="10" Height="10"/></Fill>
          <Fill><Fill Color="00FF00"/><Position Left="10" Top="0" Width="10" Height="10"/></Fill>
          <Fill><Fill Color="F00"/><Position Left="20" Top="0" Width="10" Height="10"/></Fill>
          <Rect><Rect Color="0000FF"/><Position Left="0" Top="20"/></Rect>
          <Rect><Rect Color="0000FF"/><Position Left="0" Top="30" Width="5" Height="4"/></Rect>
          <Circle><Circle Color="FFFFFF"/><Position Left="40" Top="40"/></Circle>
          <Fill><Position Left="40" Top="50"/></Fill>
          <Fill><Fill Color="FFFFFF"/></Fill>
        </Background></Panel>)");
    ASSERT_TRUE(kit.Load("P", 100, 100));
    EXPECT_EQ(PixelAt(kit.draw, 5, 5), QColor(255, 0, 0, 0x80));
    EXPECT_EQ(PixelAt(kit.draw, 15, 5), QColor(0, 255, 0));
    EXPECT_EQ(PixelAt(kit.draw, 25, 5), QColor(Qt::white));
    // A 20 × 2 outline covers exactly its 40 pixels.
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(PixelAt(kit.draw, x, 20), QColor(Qt::blue)) << x;
        EXPECT_EQ(PixelAt(kit.draw, x, 21), QColor(Qt::blue)) << x;
    }
    EXPECT_EQ(PixelAt(kit.draw, 20, 20).alpha(), 0);
    EXPECT_EQ(PixelAt(kit.draw, 0, 22).alpha(), 0);
    // A 5 × 4 outline is hollow.
    EXPECT_EQ(PixelAt(kit.draw, 0, 31), QColor(Qt::blue));
    EXPECT_EQ(PixelAt(kit.draw, 4, 32), QColor(Qt::blue));
    EXPECT_EQ(PixelAt(kit.draw, 2, 31).alpha(), 0);
    EXPECT_EQ(PixelAt(kit.draw, 2, 33), QColor(Qt::blue));
    // An unknown tag, a piece without content and one without position draw nothing.
    const auto& pieces = kit.panels.at(0)->GetBackground();
    EXPECT_EQ(pieces.at(5).GetKind(), CSkinPanelBack::Kind::Unknown);
    EXPECT_EQ(PixelAt(kit.draw, 45, 41).alpha(), 0);
    EXPECT_EQ(PixelAt(kit.draw, 45, 51).alpha(), 0);
    EXPECT_EQ(PixelAt(kit.draw, 80, 80).alpha(), 0);
}

} // namespace
