// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Pictures come with skins and album folders from anywhere: the size a header declares decides,
// before any pixel is decoded, whether a picture and a whole skin fit in memory.
#include "CCoverLoader.h"
#include "CExImage.h"
#include "CImageBudget.h"
#include "CSkinDraw.h"

#include "SkinTestImages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray Chunk(const QByteArray& type, const QByteArray& data)
{
    char be[4];
    qToBigEndian(static_cast<quint32>(data.size()), be);
    QByteArray chunk(be, 4);
    chunk += type + data;
    qToBigEndian(Crc32(type + data), be);
    return chunk + QByteArray(be, 4);
}

// A well-formed PNG header (checksums right) declaring width x height, with no pixel data:
// readers learn the size, decoding fails.
QByteArray PngHeader(quint32 width, quint32 height)
{
    char be[8];
    qToBigEndian(width, be);
    qToBigEndian(height, be + 4);
    const QByteArray ihdr = QByteArray(be, 8) + QByteArray("\x08\x06\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr)
        + Chunk("IDAT", QByteArray(8, 0)) + Chunk("IEND", {});
}

} // namespace

TEST(ImageLimits, APictureAbove64MegapixelsIsRefusedBeforeDecoding)
{
    // A real picture just above the limit: 8001 x 8000 grey, 64 MB decoded, a few kB stored.
    QTemporaryDir dir;
    const QString path = dir.filePath("cover.png");
    {
        QImage grey(8001, 8000, QImage::Format_Grayscale8);
        grey.fill(0);
        ASSERT_TRUE(grey.save(path, "PNG", 9));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    CExImage image;
    EXPECT_FALSE(image.LoadFile(path));
    EXPECT_FALSE(image.LoadThumbnail(path, 40, 40));
    EXPECT_FALSE(image.LoadBytes(bytes));
    EXPECT_TRUE(CCoverLoader::LoadImage(path).isNull());
    EXPECT_EQ(CExImage::kMaxPixels, 64'000'000);
}

TEST(ImageLimits, LoadsInsideAScopeShareItsBudget)
{
    QTemporaryDir dir;
    skintest::SolidPng(dir.filePath("a.png"), {20, 20}, 0xFF00FF00);
    skintest::SolidPng(dir.filePath("b.png"), {10, 10}, 0xFF0000FF);
    CExImage image;
    CImageBudget budget(1000);
    {
        const CImageBudget::Scope scope(budget);
        EXPECT_TRUE(image.LoadFile(dir.filePath("a.png")));
        EXPECT_TRUE(image.LoadFile(dir.filePath("a.png")));
        EXPECT_FALSE(image.LoadFile(dir.filePath("a.png"), 2.0)) << "enlarged, it needs 1600";
        EXPECT_TRUE(budget.Exceeded());
        EXPECT_TRUE(image.LoadFile(dir.filePath("b.png"))) << "what still fits loads";
        EXPECT_EQ(budget.Left(), 100);
        CImageBudget inner(50);
        {
            const CImageBudget::Scope nested(inner);
            EXPECT_FALSE(image.LoadFile(dir.filePath("b.png")));
        }
        EXPECT_TRUE(image.LoadFile(dir.filePath("b.png"))) << "the outer scope is back";
        EXPECT_FALSE(image.LoadFile(dir.filePath("b.png")));
        EXPECT_EQ(budget.Left(), 0);
    }
    EXPECT_EQ(CImageBudget::Current(), nullptr);
    EXPECT_TRUE(image.LoadFile(dir.filePath("a.png"))) << "outside a scope nothing is charged";
}

TEST(ImageLimits, ASkinWhosePicturesDeclareMoreThanItsBudgetIsRefused)
{
    // Each picture is below the per-picture limit (49 megapixels); three together exceed the
    // skin's 128. The headers alone decide: no pixel is ever decoded.
    QTemporaryDir program;
    const QString folder = program.path() + "/Skin/";
    const auto write = [&](const QString& name, int pictures) {
        QByteArray pieces;
        for (int i = 0; i < pictures; ++i) {
            const QString file = QString("%1-%2.png").arg(name).arg(i);
            skintest::WriteText(folder + name + "/" + file, PngHeader(7000, 7000));
            pieces += "<Image><Image File=\"" + file.toUtf8()
                + "\"/><Position Left=\"0\" Top=\"0\"/></Image>";
        }
        skintest::WriteText(folder + name + "/Skin.xml",
            "<Window><Panel><Background>" + pieces + "</Background></Panel></Window>");
    };
    write("Two", 2);
    write("Three", 3);
    SkinPanels panels;
    CSkinDraw draw;
    draw.SetPanels(&panels);
    draw.SetProgramFolder(program.path());
    ASSERT_TRUE(draw.LoadSkin("Two"));
    EXPECT_EQ(panels.size(), 1u);
    EXPECT_EQ(draw.GetImageBudget().Left(), CImageBudget::kSkinPixels - 2 * 49'000'000);
    EXPECT_FALSE(draw.LoadSkin("Three"));
    EXPECT_EQ(panels.size(), 1u) << "the refused skin adds no panel";
    EXPECT_EQ(draw.GetSkinName(), "Two");
    ASSERT_TRUE(draw.LoadSkin("Two")) << "each load starts with the whole budget";
}
