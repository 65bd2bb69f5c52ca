// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CExImage.h"

#include "SkinTestImages.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <functional>

#include <gtest/gtest.h>

using skintest::Canvas;
using skintest::Changed;
using skintest::SolidPng;

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;

class ExImageTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QImage Paint(QSize size, QRgb background, const std::function<void(QPainter&)>& draw)
    {
        QImage canvas = Canvas(size, background);
        QPainter painter(&canvas);
        draw(painter);
        painter.end();
        return canvas;
    }

    QTemporaryDir m_dir;
};

// A PNG whose header declares width x height, followed by a few bytes of image data: enough
// for a reader to learn the size, far too little to decode.
QByteArray PngDeclaring(quint32 width, quint32 height)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr("IHDR");
    char be[4];
    qToBigEndian(width, be);
    ihdr.append(be, 4);
    qToBigEndian(height, be);
    ihdr.append(be, 4);
    ihdr.append("\x08\x06\x00\x00\x00", 5);
    qToBigEndian(quint32(13), be);
    png.append(be, 4);
    png.append(ihdr);
    qToBigEndian(quint32(0), be); // checksum (readers that check it refuse the file anyway)
    png.append(be, 4);
    png.append(QByteArray(64, '\0'));
    return png;
}

TEST_F(ExImageTest, TransparentPixelsShowWhatLiesBelow)
{
    QImage picture(4, 2, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < 2; ++y) {
        picture.setPixel(2, y, kBlue);
        picture.setPixel(3, y, qRgba(0, 0, 255, 0x80));
    }
    ASSERT_TRUE(picture.save(Path("alpha.png")));
    CExImage image;
    ASSERT_TRUE(image.LoadFile(Path("alpha.png")));
    EXPECT_TRUE(image.HasAlpha());
    const QImage out = Paint({4, 2}, kRed, [&](QPainter& p) { image.DrawAt(p, 0, 0); });
    EXPECT_EQ(out.pixel(0, 0), kRed);
    EXPECT_EQ(out.pixel(1, 1), kRed);
    EXPECT_EQ(out.pixel(2, 0), kBlue);
    const QRgb half = out.pixel(3, 0);
    EXPECT_NEAR(qRed(half), 0x7F, 2);
    EXPECT_NEAR(qBlue(half), 0x80, 2);
    EXPECT_EQ(qAlpha(half), 0xFF);
}

TEST_F(ExImageTest, DrawsStretchedClippedAndInParts)
{
    SolidPng(Path("green.png"), {10, 10}, kGreen);
    CExImage image;
    ASSERT_TRUE(image.LoadFile(Path("green.png")));
    ASSERT_EQ(image.GetWidth(), 10);
    ASSERT_EQ(image.GetHeight(), 10);
    struct Case {
        const char* name;
        std::function<void(QPainter&)> draw;
        QRect expected;
    };
    const Case cases[] = {
        {"stretched 10x10 into 20x5", [&](QPainter& p) { image.Draw(p, QRect(2, 3, 20, 5)); },
            QRect(2, 3, 20, 5)},
        {"natural size", [&](QPainter& p) { image.DrawAt(p, 5, 6); }, QRect(5, 6, 10, 10)},
        {"clipped 50x50 draws 10x10", [&](QPainter& p) { image.DrawClipped(p, 1, 1, 50, 50); },
            QRect(1, 1, 10, 10)},
        {"clipped 4x3", [&](QPainter& p) { image.DrawClipped(p, 1, 1, 4, 3); }, QRect(1, 1, 4, 3)},
        {"part cut to the picture", [&](QPainter& p) { image.DrawPart(p, QRect(6, -2, 8, 5), 20, 20); },
            QRect(20, 22, 4, 3)},
        {"empty target", [&](QPainter& p) { image.Draw(p, QRect(3, 3, 0, 5)); }, QRect()},
        {"inverted part", [&](QPainter& p) { image.DrawPart(p, QRect(5, 0, -3, 4), 0, 0); },
            QRect()},
    };
    for (const Case& c : cases) {
        const QImage out = Paint({40, 40}, kRed, c.draw);
        EXPECT_EQ(Changed(out, kRed), c.expected) << c.name;
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(out.pixel(c.expected.center()), kGreen) << c.name;
        }
    }
}

TEST_F(ExImageTest, DrawPartCutsOneStateOutOfAStrip)
{
    QImage strip(12, 4, QImage::Format_ARGB32);
    const QRgb colors[] = {kRed, kGreen, kBlue};
    for (int state = 0; state < 3; ++state) {
        for (int x = 0; x < 4; ++x) {
            for (int y = 0; y < 4; ++y)
                strip.setPixel(state * 4 + x, y, colors[state]);
        }
    }
    ASSERT_TRUE(strip.save(Path("strip.png")));
    CExImage image;
    ASSERT_TRUE(image.LoadFile(Path("strip.png")));
    const QImage out = Paint({8, 8}, 0xFF000000, [&](QPainter& p) {
        image.DrawPart(p, QRect(4, 0, 4, 4), 2, 2);
    });
    EXPECT_EQ(Changed(out, 0xFF000000), QRect(2, 2, 4, 4));
    EXPECT_EQ(out.pixel(2, 2), kGreen);
    EXPECT_EQ(out.pixel(5, 5), kGreen);
}

TEST_F(ExImageTest, LoadingAgainReplacesOrEmptiesTheImage)
{
    SolidPng(Path("a.png"), {3, 5}, kRed);
    SolidPng(Path("b.png"), {7, 2}, kBlue);
    CExImage image;
    ASSERT_TRUE(image.LoadFile(Path("a.png")));
    ASSERT_TRUE(image.LoadFile(Path("b.png")));
    EXPECT_EQ(image.GetWidth(), 7);
    EXPECT_EQ(image.GetImage().pixel(0, 0), kBlue);
    EXPECT_FALSE(image.LoadFile(Path("missing.png")));
    EXPECT_FALSE(image.IsLoaded());
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);
    const QImage out = Paint({10, 10}, kRed, [&](QPainter& p) {
        image.Draw(p, QRect(0, 0, 10, 10));
        image.DrawAt(p, 0, 0);
        image.DrawClipped(p, 0, 0, 5, 5);
        image.DrawPart(p, QRect(0, 0, 5, 5), 0, 0);
    });
    EXPECT_TRUE(Changed(out, kRed).isEmpty());
}

TEST_F(ExImageTest, RefusesWhatIsNotAUsablePicture)
{
    SolidPng(Path("good.png"), {16, 16}, kGreen);
    QFile good(Path("good.png"));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = good.readAll();
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"truncated", goodBytes.left(goodBytes.size() / 2)},
        {"text", QByteArray("<Button><Normal File=\"x.png\"/></Button>")},
        {"declares 20000 x 20000", PngDeclaring(20000, 20000)},
        {"declares 0 x 0", PngDeclaring(0, 0)},
        {"declares 2^31 x 2", PngDeclaring(0x80000000u, 2)},
    };
    for (const Case& c : cases) {
        const QString path = Path(QString::fromLatin1(c.name) + ".png");
        ASSERT_TRUE(skintest::WriteText(path, c.bytes));
        CExImage image;
        ASSERT_TRUE(image.LoadFile(Path("good.png")));
        EXPECT_FALSE(image.LoadFile(path)) << c.name;
        EXPECT_FALSE(image.IsLoaded()) << c.name;
        EXPECT_FALSE(image.LoadBytes(c.bytes)) << c.name;
        EXPECT_FALSE(image.LoadThumbnail(path, 8, 8)) << c.name;
        EXPECT_EQ(image.GetWidth(), 0) << c.name;
    }
    CExImage special;
    EXPECT_FALSE(special.LoadFile(m_dir.path()));
    EXPECT_FALSE(special.LoadFile(QStringLiteral("/dev/zero")));
}

TEST_F(ExImageTest, DenseScreensTakeTheDoubleSizeFileOrWholeFactors)
{
    SolidPng(Path("knob.png"), {4, 3}, kRed);
    SolidPng(Path("knob@2x.png"), {8, 6}, kBlue);
    QImage checker(2, 2, QImage::Format_ARGB32);
    checker.setPixel(0, 0, kRed);
    checker.setPixel(1, 0, kGreen);
    checker.setPixel(0, 1, kGreen);
    checker.setPixel(1, 1, kRed);
    ASSERT_TRUE(checker.save(Path("checker.png")));

    CExImage image;
    ASSERT_TRUE(image.LoadFile(Path("knob.png"), 2.0));
    EXPECT_EQ(image.GetWidth(), 4);
    EXPECT_EQ(image.GetHeight(), 3);
    EXPECT_EQ(image.GetImage().devicePixelRatio(), 2.0);
    EXPECT_EQ(image.GetImage().pixel(0, 0), kBlue);
    ASSERT_TRUE(image.LoadFile(Path("knob.png"), 1.49));
    EXPECT_EQ(image.GetImage().pixel(0, 0), kRed);

    // No @2x file: each pixel becomes a 2 x 2 block, unsmoothed.
    ASSERT_TRUE(image.LoadFile(Path("checker.png"), 2.0));
    EXPECT_EQ(image.GetWidth(), 2);
    ASSERT_EQ(image.GetImage().size(), QSize(4, 4));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(image.GetImage().pixel(x, y), checker.pixel(x / 2, y / 2)) << x << "," << y;
    }

    // Drawn onto a dense frame buffer, logical coordinates address two device pixels each.
    ASSERT_TRUE(image.LoadFile(Path("knob.png"), 2.0));
    QImage canvas = Canvas({20, 20}, 0xFF000000);
    canvas.setDevicePixelRatio(2.0);
    {
        QPainter painter(&canvas);
        image.DrawAt(painter, 1, 2);
        image.DrawPart(painter, QRect(0, 0, 2, 1), 6, 0);
    }
    canvas.setDevicePixelRatio(1.0);
    EXPECT_EQ(Changed(canvas, 0xFF000000), QRect(2, 0, 14, 10));
    EXPECT_EQ(canvas.pixel(2, 4), kBlue);
    EXPECT_EQ(canvas.pixel(15, 1), kBlue);
    EXPECT_EQ(canvas.pixel(15, 2), 0xFF000000u);
}

TEST_F(ExImageTest, ThumbnailsHaveExactlyTheSizeAsked)
{
    SolidPng(Path("cover.png"), {40, 20}, kGreen);
    CExImage image;
    ASSERT_TRUE(image.LoadThumbnail(Path("cover.png"), 7, 9));
    EXPECT_EQ(image.GetWidth(), 7);
    EXPECT_EQ(image.GetHeight(), 9);
    EXPECT_EQ(image.GetImage().size(), QSize(7, 9));
    ASSERT_TRUE(image.LoadThumbnail(Path("cover.png"), 7, 9, 2.0));
    EXPECT_EQ(image.GetWidth(), 7);
    EXPECT_EQ(image.GetImage().size(), QSize(14, 18));
    EXPECT_FALSE(image.LoadThumbnail(Path("cover.png"), 0, 9));
    EXPECT_FALSE(image.IsLoaded());
}

TEST_F(ExImageTest, LoadsPicturesHeldInMemory)
{
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(kBlue);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(picture.save(&buffer, "JPEG"));

    CExImage image;
    ASSERT_TRUE(image.LoadBytes(jpeg));
    EXPECT_EQ(image.GetWidth(), 6);
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(image.GetImage().format(), QImage::Format_ARGB32_Premultiplied);
    ASSERT_TRUE(image.LoadImage(picture));
    EXPECT_EQ(image.GetHeight(), 4);
    EXPECT_FALSE(image.LoadImage(QImage()));
    ASSERT_TRUE(image.LoadImage(picture));
    ASSERT_TRUE(image.ScaleTo(3, 3));
    EXPECT_EQ(image.GetImage().size(), QSize(3, 3));
}

TEST_F(ExImageTest, FlippedTurnsThePictureUpsideDown)
{
    QImage picture(1, 2, QImage::Format_ARGB32);
    picture.setPixel(0, 0, kRed);
    picture.setPixel(0, 1, kBlue);
    CExImage image;
    ASSERT_TRUE(image.LoadImage(picture));
    const CExImage flipped = image.Flipped();
    EXPECT_EQ(flipped.GetImage().pixel(0, 0), kBlue);
    EXPECT_EQ(flipped.GetImage().pixel(0, 1), kRed);
    EXPECT_FALSE(CExImage().Flipped().IsLoaded());
}

} // namespace
