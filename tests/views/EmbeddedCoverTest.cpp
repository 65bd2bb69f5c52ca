// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "EmbeddedCover.h"
#include "AudioFixture.h"
#include "TestProfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <sys/stat.h>

#include <gtest/gtest.h>

// Names that promise music but are no file: reading one must answer at once. A reader stuck
// on a pipe would keep the list's cover worker, and with it the closing window, waiting.
TEST(EmbeddedCover, APipeOrFolderBehindAMusicNameHasNoCover)
{
    TestProfile dir;
    const QString pipe = dir.File("pipe.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString folder = dir.File("folder.flac");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& path : {pipe, folder, dir.File("missing.mp3")}) {
        // A detached reader, so a fault shows as a failure here rather than a hung test.
        auto done = std::make_shared<std::promise<QByteArray>>();
        std::future<QByteArray> answer = done->get_future();
        std::thread([done, path] { done->set_value(EmbeddedCover(path)); }).detach();
        ASSERT_EQ(answer.wait_for(std::chrono::seconds(20)), std::future_status::ready)
            << path.toStdString();
        EXPECT_TRUE(answer.get().isEmpty());
    }
}

namespace {

QByteArray SmallPng()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class EmbeddedCoverTypes : public testing::TestWithParam<const char*> {};

// The picture is found in the tag kind each type carries (ID3v2 in a chunk of wav and aiff,
// a binary APE item in WavPack and Musepack) and comes back byte for byte.
TEST_P(EmbeddedCoverTypes, TheStoredPictureComesBackWhole)
{
    TestProfile dir;
    const QString type = QString::fromLatin1(GetParam());
    const QString path = dir.File("song." + type);
    ASSERT_TRUE(fixture::CopyTone(type, path));
    ASSERT_TRUE(fixture::WriteTags(path, {{"TITLE", "Pictured"}}));
    EXPECT_TRUE(EmbeddedCover(path).isEmpty());
    const QByteArray png = SmallPng();
    ASSERT_FALSE(png.isEmpty());
    ASSERT_TRUE(fixture::WriteCover(path, png));
    EXPECT_EQ(EmbeddedCover(path), png);
}

INSTANTIATE_TEST_SUITE_P(PictureTypes, EmbeddedCoverTypes,
    testing::Values("mp3", "flac", "ogg", "opus", "m4a", "wav", "aiff", "aif", "wv", "mpc"),
    [](const testing::TestParamInfo<const char*>& param) { return std::string(param.param); });

} // namespace
