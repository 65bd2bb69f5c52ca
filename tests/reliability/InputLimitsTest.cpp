// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Untrusted input that declares or sends more than it may: a hostile http server and a cover
// image whose header promises a gigantic picture.
#include "CCoverLoader.h"
#include "CHttpSource.h"
#include "CPlaylistReader.h"
#include "RawServer.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <array>

#include <gtest/gtest.h>

namespace {

constexpr qint64 kPlenty = 64 * 1024 * 1024;

// Opens the url and reads the body to its end; the error code the stream ended with, Ok when
// it ended normally.
AudioError ReadWhole(const QString& url, int& metaBlocks)
{
    const std::atomic<bool> abort{false};
    const CPlaylistReader playlists;
    CHttpSource source(&abort, 3000, &playlists);
    source.SetMetaHandler([&metaBlocks](const QByteArray&) { ++metaBlocks; });
    try {
        source.Open(url);
        std::array<std::uint8_t, 4096> buffer{};
        while (source.ReadBytes(buffer.data(), static_cast<int>(buffer.size())) > 0) {
        }
    } catch (const FfmpegError& e) {
        return e.Code();
    }
    return source.Failure();
}

TEST(HttpLimits, AnEndlessHeaderEndsTheStreamWithANetworkError)
{
    RawServer server([](const auto& send) {
        if (!send("HTTP/1.0 200 OK\r\n"))
            return;
        const QByteArray line = "X-Padding: " + QByteArray(1000, 'p') + "\r\n";
        for (qint64 sent = 0; sent < kPlenty && send(line); sent += line.size()) {
        }
    });
    ASSERT_TRUE(server.IsListening());
    int meta = 0;
    const AudioError error = ReadWhole(server.Url(), meta);
    EXPECT_TRUE(IsNetworkError(error)) << static_cast<int>(error);
    EXPECT_NE(error, AudioError::Ok);
    EXPECT_LT(server.BytesSent(), kPlenty) << "the reader must stop taking the header";
}

TEST(HttpLimits, AMetadataBlockThatNeverEndsEndsTheStream)
{
    // The length byte allows 255 * 16 bytes; the text then runs on without its NUL padding.
    RawServer server([](const auto& send) {
        QByteArray answer = "ICY 200 OK\r\ncontent-type: audio/mpeg\r\nicy-metaint: 16\r\n\r\n";
        answer += QByteArray(16, '\x55') + '\xff' + "StreamTitle='" + QByteArray(4080, 'A');
        if (!send(answer))
            return;
        const QByteArray more(4096, 'A');
        for (qint64 sent = 0; sent < kPlenty && send(more); sent += more.size()) {
        }
    });
    ASSERT_TRUE(server.IsListening());
    int meta = 0;
    const AudioError error = ReadWhole(server.Url(), meta);
    EXPECT_TRUE(IsNetworkError(error)) << static_cast<int>(error);
    EXPECT_NE(error, AudioError::Ok);
    EXPECT_EQ(meta, 0) << "a malformed block is not passed on";
    EXPECT_LT(server.BytesSent(), kPlenty);
}

TEST(HttpLimits, AnAbsurdMetadataIntervalIsRefused)
{
    RawServer server([](const auto& send) {
        send("ICY 200 OK\r\nicy-metaint: 99999999999\r\n\r\n" + QByteArray(4096, '\x55'));
    });
    ASSERT_TRUE(server.IsListening());
    int meta = 0;
    const AudioError error = ReadWhole(server.Url(), meta);
    EXPECT_TRUE(IsNetworkError(error)) << static_cast<int>(error);
    EXPECT_NE(error, AudioError::Ok);
}

// A PNG header declaring width x height pixels, and no pixel data.
QByteArray PngHeader(quint32 width, quint32 height)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr("IHDR", 4);
    for (quint32 v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            ihdr += static_cast<char>((v >> shift) & 0xff);
    ihdr += QByteArray("\x08\x02\x00\x00\x00", 5);
    png += QByteArray("\x00\x00\x00\x0d", 4) + ihdr + QByteArray(4, '\0');
    return png + QByteArray(64, '\0');
}

// Qt's own allocation guard is lifted for covers (it refuses large but fair ones), so the
// declared size is all that stands between a crafted header and a huge allocation.
TEST(CoverLimits, AnImageDeclaringMoreThanTheLimitIsNotDecoded)
{
    QTemporaryDir dir;
    for (const QSize size : {QSize(10001, 10000), QSize(1, 100000001), QSize(0x7fffffff, 0x7fffffff)}) {
        const QString path = dir.filePath("cover.png");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(PngHeader(static_cast<quint32>(size.width()), static_cast<quint32>(size.height())));
        file.close();
        EXPECT_TRUE(CCoverLoader::LoadImage(path).isNull()) << size.width() << "x" << size.height();
    }
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(Qt::red);
    ASSERT_TRUE(small.save(dir.filePath("small.png")));
    EXPECT_EQ(CCoverLoader::LoadImage(dir.filePath("small.png")).size(), QSize(40, 30));
}

} // namespace
