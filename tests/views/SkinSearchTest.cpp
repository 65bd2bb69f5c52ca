// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The search box with generated skin files: what a file gives and what a broken one keeps, the
// clear button, Escape, and the box as it reaches the screen.
#include "CSkinSearch.h"

#include "TestProfile.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QRgb kClearColour = qRgb(0, 200, 0);
const QRgb kHoverColour = qRgb(0, 0, 200);

QByteArray Png(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "PNG");
    return bytes;
}

class SkinSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        skin.Write("clear.png", Png(12, 12, kClearColour));
        skin.Write("clear-hover.png", Png(12, 12, kHoverColour));
        skin.Write("icon.png", Png(14, 14, qRgb(200, 0, 0)));
        box.resize(200, 28);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    }
    bool Load(const QByteArray& xml)
    {
        return box.LoadSkin(skin.Write("Search.xml", xml));
    }
    QImage Shot() { return box.grab().toImage(); }

    TestProfile skin;
    CSkinSearch box;
};

TEST_F(SkinSearch, TheFileGivesColoursFontAndPictures)
{
    ASSERT_TRUE(Load("<Search><Font Size='12' Bold='1' Color='E8EAED'/>"
                     "<Placeholder Color='9AA0A6'/>"
                     "<Box Color='262A31' Border='33373F' Focus='4C8DF6' Radius='14'/>"
                     "<Icon File='icon.png'/><Clear File='clear.png' Hover='clear-hover.png'/>"
                     "</Search>"));
    EXPECT_EQ(box.BoxColor(), QColor(0x26, 0x2A, 0x31));
    EXPECT_EQ(box.palette().color(QPalette::Text), QColor(0xE8, 0xEA, 0xED));
    EXPECT_EQ(box.palette().color(QPalette::PlaceholderText), QColor(0x9A, 0xA0, 0xA6));
    EXPECT_EQ(box.font().weight(), QFont::Bold);
    EXPECT_TRUE(box.HasClearButton());
    // The text starts after the icon, and the fill is the skin's inside the rounded ends.
    EXPECT_GT(box.textMargins().left(), 14);
    EXPECT_EQ(Shot().pixel(100, 14), qRgb(0x26, 0x2A, 0x31));
    EXPECT_EQ(qAlpha(Shot().pixel(0, 0)), 0) << "the corner outside the rounding stays clear";
}

TEST_F(SkinSearch, ABrokenOrMissingFileKeepsTheDefaults)
{
    const QByteArray files[] = {
        "",
        "<Search><Box Color='",
        "<Text><Font Size='20' Color='FF0000'/></Text>",
    };
    for (const QByteArray& xml : files) {
        EXPECT_FALSE(Load(xml)) << xml.constData();
        EXPECT_EQ(box.BoxColor(), QColor(Qt::white));
        EXPECT_FALSE(box.HasClearButton());
    }
    EXPECT_FALSE(box.LoadSkin(skin.File("missing.xml")));
    // A file with parts missing takes what it has; a picture that is not there is left out.
    ASSERT_TRUE(Load("<Search><Box Color='101010' Radius='-5'/><Clear File='gone.png'/></Search>"));
    EXPECT_EQ(box.BoxColor(), QColor(0x10, 0x10, 0x10));
    EXPECT_FALSE(box.HasClearButton());
    EXPECT_EQ(box.palette().color(QPalette::Text), QColor(Qt::black));
}

TEST_F(SkinSearch, TheClearButtonShowsWithTextAndEmptiesTheBox)
{
    ASSERT_TRUE(Load("<Search><Clear File='clear.png' Hover='clear-hover.png'/></Search>"));
    QSignalSpy changed(&box, &QLineEdit::textChanged);
    EXPECT_TRUE(box.ClearButtonRect().isEmpty());
    QTest::keyClicks(&box, QStringLiteral("bj"));
    EXPECT_EQ(box.text(), QStringLiteral("bj"));
    const QRect clear = box.ClearButtonRect();
    ASSERT_FALSE(clear.isEmpty());
    EXPECT_TRUE(box.rect().contains(clear));
    EXPECT_EQ(Shot().pixel(clear.center()), kClearColour);
    QTest::mouseMove(&box, clear.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shot().pixel(clear.center()) == kHoverColour; }));
    QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, clear.center());
    EXPECT_EQ(box.text(), QString());
    EXPECT_EQ(changed.count(), 3);
    EXPECT_TRUE(box.ClearButtonRect().isEmpty());
}

TEST_F(SkinSearch, EscapeEmptiesTheBoxThenGivesUpTheFocus)
{
    box.activateWindow();
    box.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box.hasFocus(); }));
    QTest::keyClicks(&box, QStringLiteral("sigur"));
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_EQ(box.text(), QString());
    EXPECT_TRUE(box.hasFocus());
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_FALSE(box.hasFocus());
}

TEST_F(SkinSearch, ClearingQuietlyTellsNobody)
{
    QTest::keyClicks(&box, QStringLiteral("queen"));
    QSignalSpy changed(&box, &QLineEdit::textChanged);
    box.ClearQuietly();
    EXPECT_EQ(box.text(), QString());
    EXPECT_EQ(changed.count(), 0);
}

} // namespace
