// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// http streams from a server on the loopback interface.
#include "AudioFixture.h"
#include "AudioTestUtil.h"
#include "CAudioLib.h"
#include "LoopbackServer.h"
#include "TestProfile.h"

#include <QFile>
#include <QProcess>
#include <QSslSocket>

#include <gtest/gtest.h>

#include <mutex>

using namespace audiotest;

namespace {

constexpr int kMetaInterval = 16000;

QByteArray MetaBlock(const QByteArray& text)
{
    if (text.isEmpty())
        return QByteArray(1, '\0');
    const int blocks = static_cast<int>((text.size() + 15) / 16);
    QByteArray block(1, static_cast<char>(blocks));
    block += text;
    block += QByteArray(blocks * 16 - text.size(), '\0');
    return block;
}

// The answer of an ICY server: audio with a metadata block after every kMetaInterval bytes.
QByteArray IcyAnswer(const QByteArray& audio, const QList<QByteArray>& blocks)
{
    QByteArray answer = "ICY 200 OK\r\nicy-name: Loopback\r\nicy-metaint: "
        + QByteArray::number(kMetaInterval) + "\r\nContent-Type: audio/mpeg\r\n\r\n";
    for (qsizetype at = 0, k = 0; at < audio.size(); at += kMetaInterval, ++k) {
        answer += audio.mid(at, kMetaInterval);
        if (at + kMetaInterval < audio.size())
            answer += blocks.value(k, QByteArray(1, '\0'));
    }
    return answer;
}

QByteArray Title(const QByteArray& title)
{
    return "StreamTitle='" + title + "';StreamUrl='';";
}

struct MetaLog {
    CAudioLib* lib = nullptr;
    std::mutex mutex;
    QStringList seen;
};

void RecordMeta(HSYNC, HCHANNEL channel, void* user)
{
    auto* log = static_cast<MetaLog*>(user);
    const QString text = log->lib->ChannelGetMeta(channel);
    std::lock_guard lock(log->mutex);
    log->seen << text;
}

// The layer knows no playlist format of its own; this reads the pls lines the tests serve.
class PlsLines final : public IPlaylistReader {
public:
    bool IsPlaylist(const QByteArray& head, const QString& contentType) const override
    {
        return head.startsWith("[playlist]") || contentType == "audio/x-scpls";
    }
    bool Entries(const QByteArray& body, const QString&, QStringList& entries) const override
    {
        for (const QByteArray& line : body.split('\n'))
            if (line.startsWith("File") && line.contains('='))
                entries << QString::fromUtf8(line.mid(line.indexOf('=') + 1).trimmed());
        return !entries.isEmpty();
    }
};

class StreamTest : public testing::Test {
protected:
    void SetUp() override
    {
        UseDiskOutput(m_profile.File("out.raw"));
        ASSERT_TRUE(m_lib.Init(44100, &m_playlists));
        const QString mp3 = m_profile.File("radio.mp3");
        ASSERT_TRUE(fixture::MakeTone(mp3, fixture::Tone{6.0, 1000.0, 0.5, 2, 44100}));
        QFile f(mp3);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        m_audio = f.readAll();
    }

    TestProfile m_profile;
    PlsLines m_playlists;
    CAudioLib m_lib;
    QByteArray m_audio;
};

} // namespace

TEST_F(StreamTest, MetaSyncFollowsEveryTitleChangeAndTheCloseEndsTheChannel)
{
    // The largest block ICY allows (255 × 16 bytes), all text with no padding.
    const QByteArray longTitle = "StreamTitle='" + QByteArray(255 * 16 - 15, 'x') + "';";
    ASSERT_EQ(longTitle.size(), 255 * 16);
    LoopbackServer server;
    server.Add("/radio", {IcyAnswer(m_audio, {MetaBlock(Title("A - One")), MetaBlock({}),
                                                 MetaBlock(Title("B - Two")), MetaBlock(longTitle),
                                                 MetaBlock(Title("C - Four"))})});
    ASSERT_TRUE(server.Start());

    const HCHANNEL h = m_lib.StreamCreateURL(server.Url("/radio"));
    ASSERT_NE(h, 0u) << static_cast<int>(m_lib.ErrorGetCode());
    EXPECT_EQ(m_lib.ChannelGetLength(h), kUnknownLength);
    MetaLog log;
    log.lib = &m_lib;
    std::atomic<int> ends{0};
    m_lib.ChannelSetSync(h, SyncType::Meta, &RecordMeta, &log);
    m_lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
    ASSERT_TRUE(m_lib.ChannelPlay(h));
    ASSERT_TRUE(WaitFor([&] { return ends.load() == 1; }));

    std::lock_guard lock(log.mutex);
    ASSERT_GE(log.seen.size(), 3);
    const QStringList last3 = log.seen.mid(log.seen.size() - 3);
    EXPECT_EQ(last3, QStringList({Title("B - Two"), longTitle, Title("C - Four")}));
    EXPECT_EQ(m_lib.ChannelGetMeta(h), QString::fromLatin1(Title("C - Four")));
    EXPECT_GT(m_lib.ChannelGetPosition(h), 44100u * 8 * 5);
}

TEST_F(StreamTest, APlaylistAnswerIsFollowedToItsFirstStream)
{
    LoopbackServer server;
    server.Add("/radio", {IcyAnswer(m_audio, {MetaBlock(Title("A - One"))})});
    ASSERT_TRUE(server.Start());
    // The playlist names a local file first, then the stream on the first server.
    LoopbackServer::Reply pls{"HTTP/1.0 200 OK\r\nContent-Type: audio/x-scpls\r\n\r\n[playlist]\n"
                              "NumberOfEntries=2\nFile1=/local/file.mp3\nFile2="
        + server.Url("/radio").toLatin1() + "\n"};
    LoopbackServer second;
    second.Add("/tune.pls", pls);
    ASSERT_TRUE(second.Start());

    const HCHANNEL h = m_lib.StreamCreateURL(second.Url("/tune.pls"));
    ASSERT_NE(h, 0u) << static_cast<int>(m_lib.ErrorGetCode());
    ChannelInfo info;
    ASSERT_TRUE(m_lib.ChannelGetInfo(h, info));
    EXPECT_EQ(info.freq, 44100);
    EXPECT_EQ(info.chans, 2);
    EXPECT_TRUE(m_lib.StreamFree(h));

    m_lib.SetNetPlaylist(false);
    EXPECT_EQ(m_lib.StreamCreateURL(second.Url("/tune.pls")), 0u);
    EXPECT_FALSE(IsNetworkError(m_lib.ErrorGetCode()));
}

TEST_F(StreamTest, NetworkFailuresAreToldFromOtherFailures)
{
    LoopbackServer server;
    server.Add("/stall", {{}, true});
    server.Add("/big", {"HTTP/1.0 200 OK\r\nX-Filler: " + QByteArray(64 * 1024, 'a') + "\r\n\r\n"});
    ASSERT_TRUE(server.Start());
    m_lib.SetNetTimeout(400);

    struct Case {
        QString address;
        AudioError expected;
    };
    const Case cases[] = {
        {QStringLiteral("http://127.0.0.1:%1/").arg(RefusingPort()), AudioError::NoNet},
        {server.Url("/stall"), AudioError::Timeout},
        {server.Url("/big"), AudioError::Unknown},
        {"ftp://127.0.0.1/x", AudioError::IllParam},
        {server.Url("/missing"), AudioError::FileOpen},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_lib.StreamCreateURL(c.address), 0u) << c.address.toStdString();
        EXPECT_EQ(m_lib.ErrorGetCode(), c.expected) << c.address.toStdString();
        EXPECT_EQ(IsNetworkError(m_lib.ErrorGetCode()), c.expected != AudioError::FileOpen);
    }
}

TEST_F(StreamTest, AMalformedMetadataBlockEndsTheStream)
{
    QByteArray badBlock = MetaBlock(Title("A - One"));
    badBlock[badBlock.size() - 1] = 'z'; // text after the padding
    LoopbackServer server;
    server.Add("/radio", {IcyAnswer(m_audio, {MetaBlock(Title("A - One")), badBlock})});
    ASSERT_TRUE(server.Start());

    const HCHANNEL h = m_lib.StreamCreateURL(server.Url("/radio"));
    if (h == 0) {
        // The block may arrive while the stream is being opened.
        EXPECT_TRUE(IsNetworkError(m_lib.ErrorGetCode()));
        return;
    }
    std::atomic<int> ends{0};
    m_lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
    ASSERT_TRUE(m_lib.ChannelPlay(h));
    ASSERT_TRUE(WaitFor([&] { return ends.load() == 1; }));
    // Only the audio before the bad block (2 × 16000 bytes of 128 kbit/s) was heard.
    EXPECT_LT(m_lib.ChannelGetPosition(h), 44100u * 8 * 3);
    EXPECT_EQ(m_lib.ChannelGetMeta(h), QString::fromLatin1(Title("A - One")));
}

// https verifies the server's certificate: a self-signed server is refused although it
// answers properly, as a client that skips the check shows.
TEST_F(StreamTest, HttpsRefusesAServerWhoseCertificateIsNotTrusted)
{
    const QString cert = m_profile.File("cert.pem");
    const QString key = m_profile.File("key.pem");
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                                 "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
        GTEST_SKIP() << "the openssl command is not available to make a certificate";
    if (!QSslSocket::supportsSsl())
        GTEST_SKIP() << "Qt has no TLS backend for the test server";
    LoopbackServer server;
    server.Add("/radio", {IcyAnswer(m_audio, {})});
    ASSERT_TRUE(server.Start(cert, key));
    const QString address = QStringLiteral("https://127.0.0.1:%1/radio").arg(server.Port());

    EXPECT_EQ(m_lib.StreamCreateURL(address), 0u);
    EXPECT_EQ(m_lib.ErrorGetCode(), AudioError::NoNet);

    QSslSocket client;
    client.setPeerVerifyMode(QSslSocket::VerifyNone);
    client.connectToHostEncrypted("127.0.0.1", server.Port());
    ASSERT_TRUE(client.waitForEncrypted(5000));
    client.write("GET /radio HTTP/1.0\r\n\r\n");
    QByteArray answer;
    while (answer.size() < 10 && client.waitForReadyRead(5000))
        answer += client.readAll();
    EXPECT_TRUE(answer.startsWith("ICY 200 OK")) << answer.left(40).toStdString();
}
