// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Taking ICY metadata out of a radio body however the network cuts it, and reading answer
// headers.
#include "CIcyDeframer.h"
#include "HttpHeader.h"

#include <QList>

#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray Block(const QByteArray& text, int blocks = -1)
{
    if (blocks < 0)
        blocks = static_cast<int>((text.size() + 15) / 16);
    return QByteArray(1, static_cast<char>(blocks)) + text
        + QByteArray(blocks * 16 - text.size(), '\0');
}

QByteArray Audio(int size, int seed)
{
    QByteArray audio(size, '\0');
    for (int i = 0; i < size; ++i)
        audio[i] = static_cast<char>((i * 31 + seed * 7) & 0xff);
    return audio;
}

struct Deframed {
    QByteArray audio;
    QList<QByteArray> titles;
    bool failed = false;
    bool atBoundary = false;
};

// Feeds body in pieces of the given sizes, cycling through them.
Deframed Deframe(std::int64_t interval, QByteArray body, const std::vector<int>& pieces)
{
    Deframed result;
    CIcyDeframer deframer(interval);
    deframer.SetMetaHandler([&result](const QByteArray& text) { result.titles.append(text); });
    auto* data = reinterpret_cast<std::uint8_t*>(body.data());
    for (qsizetype at = 0, k = 0; at < body.size(); ++k) {
        const int piece = static_cast<int>(std::min<qsizetype>(
            pieces[static_cast<std::size_t>(k) % pieces.size()], body.size() - at));
        const int audio = deframer.Feed(data + at, piece);
        EXPECT_GE(audio, 0);
        EXPECT_LE(audio, piece);
        result.audio.append(reinterpret_cast<const char*>(data + at), audio);
        at += piece;
    }
    result.failed = deframer.Failed();
    result.atBoundary = deframer.AtBoundary();
    return result;
}

} // namespace

TEST(IcyDeframer, GivesTheSameAudioAndTitlesWhereverTheReadsAreCut)
{
    constexpr int kInterval = 40;
    const QByteArray a = Audio(kInterval, 1), b = Audio(kInterval, 2), c = Audio(kInterval, 3),
                     d = Audio(kInterval, 4), e = Audio(kInterval, 5), tail = Audio(17, 6);
    const QByteArray one = "StreamTitle='One';";
    const QByteArray two = "StreamTitle='Two - \xc3\x9c';StreamUrl='';";
    // An empty block, a repeated title and a block padded beyond its text.
    const QByteArray body = a + Block(one) + b + Block({}) + c + Block(one) + d + Block(two, 20)
        + e + Block(one) + tail;
    const QByteArray audio = a + b + c + d + e + tail;

    for (int piece = 1; piece <= body.size(); ++piece) {
        const Deframed result = Deframe(kInterval, body, {piece});
        ASSERT_EQ(result.audio, audio) << "pieces of " << piece;
        ASSERT_EQ(result.titles, (QList<QByteArray>{one, two, one})) << "pieces of " << piece;
        EXPECT_FALSE(result.failed);
        EXPECT_TRUE(result.atBoundary);
    }
    const Deframed uneven = Deframe(kInterval, body, {1, 39, 2, 81, 5, 3, 300});
    EXPECT_EQ(uneven.audio, audio);
    EXPECT_EQ(uneven.titles.size(), 3);
}

TEST(IcyDeframer, WithoutAnIntervalTheBodyPassesUntouched)
{
    const QByteArray body = Audio(1000, 9) + Block("StreamTitle='x';");
    const Deframed result = Deframe(0, body, {7});
    EXPECT_EQ(result.audio, body);
    EXPECT_TRUE(result.titles.isEmpty());
}

TEST(IcyDeframer, AMalformedBlockKeepsTheAudioBeforeItAndStopsTheRest)
{
    constexpr int kInterval = 16;
    const QByteArray a = Audio(kInterval, 1), b = Audio(kInterval, 2);
    const QList<QByteArray> broken = {
        Block("no key value pairs"),
        Block("StreamTitle='xy';").replace(25, 1, "Z"), // text inside the NUL padding
        Block("='';"),                                   // no key
        Block("StreamTitle='unterminated"),
    };
    for (const QByteArray& block : broken) {
        const Deframed result = Deframe(kInterval, a + block + b + Block("StreamTitle='y';") + b, {1000});
        EXPECT_EQ(result.audio, a) << block.toStdString();
        EXPECT_TRUE(result.failed);
        EXPECT_TRUE(result.titles.isEmpty());
        EXPECT_FALSE(result.atBoundary);
    }
}

TEST(IcyDeframer, ABodyCutInsideABlockIsNotAtABoundary)
{
    const QByteArray a = Audio(16, 1);
    const QByteArray block = Block("StreamTitle='Cut short';");
    EXPECT_TRUE(Deframe(16, a, {5}).atBoundary) << "the length byte is next";
    EXPECT_FALSE(Deframe(16, a + block.left(1), {5}).atBoundary);
    EXPECT_FALSE(Deframe(16, a + block.left(block.size() - 1), {5}).atBoundary);
    EXPECT_TRUE(Deframe(16, a + block, {5}).atBoundary);
    EXPECT_TRUE(Deframe(16, a.left(3), {5}).atBoundary);
}

TEST(IcyDeframer, TheLargestBlockIsTaken)
{
    const QByteArray text = "StreamTitle='" + QByteArray(CIcyDeframer::kMaxMetaBytes - 15, 'T') + "';";
    ASSERT_EQ(text.size(), CIcyDeframer::kMaxMetaBytes);
    const Deframed result = Deframe(8, Audio(8, 1) + Block(text, 255) + Audio(8, 2), {333});
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.titles, QList<QByteArray>{text});
    EXPECT_EQ(result.audio.size(), 16);
}

TEST(HttpHeaderParse, ReadsTheStatusAndTheHeadersThePlayerUses)
{
    const auto icy = ParseHttpHeader("ICY 200 OK\r\nicy-name: x\r\nICY-METAINT:  8192 \r\n"
                                     "Content-Type: audio/mpeg\r\n\r\n");
    ASSERT_TRUE(icy);
    EXPECT_EQ(icy->code, 200);
    EXPECT_EQ(icy->metaInterval, 8192);
    EXPECT_EQ(icy->contentType, "audio/mpeg");
    EXPECT_TRUE(icy->location.isEmpty());

    const auto moved = ParseHttpHeader("http/1.1 302 Found\nLocation: /other?a=1:2\n\n");
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->code, 302);
    EXPECT_EQ(moved->location, "/other?a=1:2");
    EXPECT_EQ(moved->metaInterval, 0);

    for (const QByteArray& bad : {QByteArray("SIP/2.0 200 OK\r\n\r\n"), QByteArray("HTTP/1.1 OK\r\n\r\n"),
             QByteArray(""), QByteArray("\r\n\r\n"), QByteArray("ICY\r\n\r\n")})
        EXPECT_FALSE(ParseHttpHeader(bad)) << bad.toStdString();
}
