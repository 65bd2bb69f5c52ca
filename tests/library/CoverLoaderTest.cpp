// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CCoverLoader.h"
#include "TestProfile.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

struct CoverCase {
    const char* name;
    std::vector<const char*> files; // created empty beside the track
    const char* expected;           // chosen name, or "" for none
};

void PrintTo(const CoverCase& c, std::ostream* os)
{
    *os << c.name;
}

class CoverSearch : public ::testing::TestWithParam<CoverCase> {};

TEST_P(CoverSearch, PicksTheFileOfTheFirstSuccessfulStep)
{
    const CoverCase& c = GetParam();
    TestProfile dir;
    const QString track = dir.Write(QStringLiteral("Album/01.mp3"), "x");
    for (const char* file : c.files)
        dir.Write(QStringLiteral("Album/") + QString::fromUtf8(file), "x");
    CCoverLoader loader;
    const bool found = loader.FindCover(track);
    EXPECT_EQ(found, *c.expected != '\0');
    if (found) {
        EXPECT_EQ(loader.GetCoverPath(), dir.Path() + QStringLiteral("/Album/")
                + QString::fromUtf8(c.expected));
    }
}

const CoverCase kCovers[] = {
    {"front_beats_cover", {"cover.jpg", "front.png"}, "front.png"},
    {"front_of_wrong_type_falls_to_any_jpg", {"frontcover.bmp", "back.jpg"}, "back.jpg"},
    {"cover_matched_without_case", {"folder.jpg", "Cover.JPG"}, "Cover.JPG"},
    {"cover_beats_arbitrary_jpg", {"album.jpg", "cover.png"}, "cover.png"},
    {"gif_is_no_cover", {"picture.gif"}, ""},
    {"jpg_before_jpeg_before_png", {"a.png", "b.jpeg", "c.jpg"}, "c.jpg"},
    {"jpeg_before_png", {"a.png", "b.JPEG"}, "b.JPEG"},
    {"order_inside_a_step_ignores_case", {"b_front.jpg", "A_Front.png"}, "A_Front.png"},
    {"front_needs_an_extension", {"front", "x.png"}, "x.png"},
    {"names_in_any_script", {"\xd0\x9e\xd0\xb1\xd0\xbb\xd0\xbe\xd0\xb6\xd0\xba\xd0\xb0.jpg"},
        "\xd0\x9e\xd0\xb1\xd0\xbb\xd0\xbe\xd0\xb6\xd0\xba\xd0\xb0.jpg"},
};

INSTANTIATE_TEST_SUITE_P(Steps, CoverSearch, ::testing::ValuesIn(kCovers),
    [](const ::testing::TestParamInfo<CoverCase>& param) { return std::string(param.param.name); });

TEST(CoverLoader, FailureKeepsThePreviousPath)
{
    TestProfile dir;
    const QString withCover = dir.Write(QStringLiteral("A/1.mp3"), "x");
    dir.Write(QStringLiteral("A/front.jpg"), "x");
    const QString bare = dir.Write(QStringLiteral("B/1.mp3"), "x");
    QDir().mkpath(dir.File(QStringLiteral("B/cover.jpg"))); // a folder, not an image
    CCoverLoader loader;
    ASSERT_TRUE(loader.FindCover(withCover));
    EXPECT_FALSE(loader.FindCover(bare));
    EXPECT_FALSE(loader.FindCover(dir.File(QStringLiteral("missing/1.mp3"))));
    EXPECT_EQ(loader.GetCoverPath(), dir.File(QStringLiteral("A/front.jpg")));
}

// One PNG chunk: length, type and data, CRC.
QByteArray PngChunk(const QByteArray& typeAndData)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : typeAndData) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    char length[4];
    char tail[4];
    qToBigEndian(static_cast<quint32>(typeAndData.size() - 4), length);
    qToBigEndian(crc ^ 0xFFFFFFFFu, tail);
    return QByteArray(length, 4) + typeAndData + QByteArray(tail, 4);
}

// A PNG that declares width x height but holds no pixel data.
QByteArray PngHeader(quint32 width, quint32 height)
{
    QByteArray ihdr("IHDR");
    ihdr.append(8, '\0');
    qToBigEndian(width, ihdr.data() + 4);
    qToBigEndian(height, ihdr.data() + 8);
    ihdr.append("\x08\x06\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk(ihdr) + PngChunk("IDAT")
        + PngChunk("IEND");
}

TEST(CoverLoader, LoadsNormalImagesAndRefusesHugeOnes)
{
    TestProfile dir;
    QImage small(64, 48, QImage::Format_RGB32);
    small.fill(Qt::red);
    const QString smallPath = dir.File(QStringLiteral("front.png"));
    ASSERT_TRUE(small.save(smallPath));
    EXPECT_EQ(CCoverLoader::LoadImage(smallPath).size(), QSize(64, 48));

    const QString hugePath = dir.Write(QStringLiteral("huge.png"), PngHeader(20000, 20000));
    ASSERT_EQ(QImageReader(hugePath).size(), QSize(20000, 20000));
    EXPECT_TRUE(CCoverLoader::LoadImage(hugePath).isNull());
    EXPECT_TRUE(CCoverLoader::LoadImage(dir.Write(QStringLiteral("junk.jpg"), "not an image"))
                    .isNull());
}

} // namespace
