// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Control files that are missing, broken or odd give the documented defaults and never crash.
#include "CSkinButton.h"
#include "CSkinCover.h"
#include "CSkinRating.h"
#include "CSkinSwitch.h"
#include "CSkinText.h"
#include "CSkinTrack.h"
#include "CreateSkinControl.h"

#include "ControlFixture.h"

#include <climits>
#include <typeinfo>

namespace {

// The natural size of each control kind when its file gave no pictures.
struct KindCase {
    SkinKind kind;
    const char* root;
    QSize emptySize;
};
const KindCase kKinds[] = {
    {SkinKind::Play, "Button", {0, 0}},
    {SkinKind::Mute, "Switch", {0, 0}},
    {SkinKind::VolumeBar, "Slider", {100, 0}},
    {SkinKind::Rating, "Rating", {0, 0}},
    {SkinKind::Title, "Text", {100, 20}},
    {SkinKind::Cover, "Cover", {0, 0}},
    {SkinKind::Library, "Anything", {10, 10}},
};

// Drives every operation of element; the point is that none of them misbehaves.
void Exercise(CSkinElement& element, QImage& canvas)
{
    element.SetState(3);
    element.SetString("Some text");
    for (QPoint p : {QPoint(5, 5), QPoint(0, 0), QPoint(-1, 40), QPoint(INT_MAX - 1, INT_MIN)}) {
        element.OnMouseMove(p);
        element.OnButtonDown(p);
        element.OnMouseMove(p + QPoint(1, 0));
        QPainter painter(&canvas);
        element.Draw(painter);
        painter.end();
        element.OnButtonUp(p);
    }
    element.OnMouseLeave();
    QPainter painter(&canvas);
    element.Draw(painter);
}

class BadSkinFileTest : public ControlTest {};

TEST_F(BadSkinFileTest, UnreadableFilesLeaveControlsWithoutPictures)
{
    Png("ok.png", {6, 6}, kRed);
    ASSERT_TRUE(skintest::WriteText(Path("empty.png"), QByteArray()));
    ASSERT_TRUE(skintest::WriteText(Path("text.png"), "not a picture"));
    struct FileCase {
        const char* name;
        QByteArray text; // "%" stands for the control's root element
        bool loads;
        bool noPictures; // nothing usable was read: the size is the kind's empty size
    };
    const FileCase files[] = {
        {"missing", QByteArray(), false, true},
        {"empty", "", false, true},
        {"not xml", "\x89PNG\r\n", false, true},
        {"malformed", "<%><Normal File=\"ok.png\"></%", false, true},
        {"too deep", "<%>" + QByteArray("<a>").repeated(300) + QByteArray("</a>").repeated(300) + "</%>",
            false, true},
        {"wrong root", "<Other><Normal File=\"ok.png\"/></Other>", true, true},
        {"pictures that do not load",
            "<%><Normal File=\"missing.png\"/><Hover File=\"empty.png\"/><Press File=\"text.png\"/>"
            "<Show File=\"\"/><Hide File=\"ok.png/\"/><Cover File=\"text.png\"/>"
            "<Mirror File=\"empty.png\"/><State1><Normal/></State1>"
            "<Background><Back/><Fill File2=\"missing.png\"/><Start/></Background></%>",
            true, false},
        {"unknown children and odd values",
            "<%><Unknown File=\"ok.png\"/><Font Size=\"-4\" Align=\"-1\" Bold=\"x\" Color=\"#FF\" "
            "Name=\"" + QByteArray(500, 'N') + "\"/><Button/></%>",
            true, false},
    };
    for (const KindCase& kind : kKinds) {
        for (const FileCase& file : files) {
            const std::string label = std::string(kind.root) + ": " + file.name;
            std::unique_ptr<CSkinElement> element = CreateSkinControl(static_cast<int>(kind.kind));
            QString path = Path("none.xml");
            if (!file.text.isNull())
                path = File("Control.xml", QByteArray(file.text).replace("%", kind.root));
            const bool plain = kind.kind == SkinKind::Library;
            EXPECT_EQ(element->LoadSkin(path), file.loads || plain) << label;
            EXPECT_EQ(element->GetSkinPath(), path) << label;
            const QSize size(element->GetWidth(), element->GetHeight());
            if (file.noPictures) {
                EXPECT_EQ(size, kind.emptySize) << label;
            } else {
                EXPECT_LE(size.width(), 100) << label;
                EXPECT_LE(size.height(), 20) << label;
            }
            element->SetRect({0, 0, 30, 12});
            QImage canvas = skintest::Canvas({40, 20}, kBack);
            Exercise(*element, canvas);
            if (kind.kind != SkinKind::Title) {
                EXPECT_TRUE(skintest::Changed(canvas, kBack).isEmpty()) << label;
            }
        }
    }
}

TEST_F(BadSkinFileTest, OddRectanglesDrawNothingOutOfRangeAndNeverOverflow)
{
    Png("ok.png", {6, 6}, kRed);
    const SkinRect rects[] = {
        {0, 0, 0, 0},
        {20, 10, 5, 2},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
        {INT_MAX - 1, 0, INT_MAX, 10},
        {-100, -100, -50, -50},
        {0, 0, 1, 1},
    };
    for (const KindCase& kind : kKinds) {
        std::unique_ptr<CSkinElement> element = CreateSkinControl(static_cast<int>(kind.kind));
        const QByteArray all = "<%><Normal File=\"ok.png\"/><Hover File=\"ok.png\"/>"
                               "<State1><Normal File=\"ok.png\"/></State1>"
                               "<Background><Back File=\"ok.png\" File2=\"ok.png\"/>"
                               "<Start File=\"ok.png\"/><End File=\"ok.png\"/></Background>"
                               "<Button><Normal File=\"ok.png\"/></Button>"
                               "<Show File=\"ok.png\"/><Hide File=\"ok.png\"/>"
                               "<Cover File=\"ok.png\"/><Mirror File=\"ok.png\"/>"
                               "<Shadow File=\"ok.png\"/><Font Size=\"999999999\"/></%>";
        element->LoadSkin(File("Control.xml", QByteArray(all).replace("%", kind.root)));
        for (const SkinRect& rect : rects) {
            element->SetRect(rect);
            QImage canvas = skintest::Canvas({40, 20}, kBack);
            Exercise(*element, canvas);
            element->SetState(INT_MIN);
            element->SetState(INT_MAX);
            QPainter painter(&canvas);
            element->Draw(painter);
        }
    }
}

TEST(CreateSkinControlTest, EveryKindGetsItsClass)
{
    struct Case {
        int kind;
        const std::type_info& type;
        int type_code;
    };
    const Case cases[] = {
        {1, typeid(CSkinButton), 1}, {2, typeid(CSkinSwitch), 2}, {3, typeid(CSkinButton), 3},
        {4, typeid(CSkinButton), 4}, {5, typeid(CSkinButton), 5}, {6, typeid(CSkinButton), 6},
        {7, typeid(CSkinTrack), 7}, {8, typeid(CSkinTrack), 8}, {9, typeid(CSkinSwitch), 9},
        {10, typeid(CSkinButton), 10}, {11, typeid(CSkinButton), 11},
        {12, typeid(CSkinElement), 12}, {13, typeid(CSkinElement), 13},
        {14, typeid(CSkinButton), 14}, {15, typeid(CSkinCover), 15},
        {16, typeid(CSkinElement), 16}, {17, typeid(CSkinRating), 17},
        {18, typeid(CSkinText), 18}, {19, typeid(CSkinText), 19}, {20, typeid(CSkinSwitch), 20},
        {21, typeid(CSkinSwitch), 21}, {22, typeid(CSkinText), 22},
        {23, typeid(CSkinButton), 23}, {0, typeid(CSkinElement), 0},
        {24, typeid(CSkinText), 24}, {25, typeid(CSkinElement), 25},
        {26, typeid(CSkinElement), 0},
        {-1, typeid(CSkinElement), 0},
        {INT_MAX, typeid(CSkinElement), 0},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<CSkinElement> element = CreateSkinControl(c.kind);
        ASSERT_NE(element, nullptr);
        const CSkinElement& ref = *element;
        EXPECT_EQ(typeid(ref), c.type) << c.kind;
        EXPECT_EQ(element->GetType(), c.type_code) << c.kind;
    }
    const SkinControlFactory factory = CreateSkinControl;
    EXPECT_EQ(factory(17)->GetKind(), SkinKind::Rating);
}

} // namespace
