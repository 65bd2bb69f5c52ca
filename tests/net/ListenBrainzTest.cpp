// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The direct link to the listen-history service, its worker and its queue file, against a
// loopback stand-in of the service that misbehaves as told.
#include "CListenBrainz.h"
#include "CListenQueue.h"
#include "ListenServer.h"
#include "QtPrinters.h"
#include "TestProfile.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kDeadlineMs = 20000;

class ListenLink : public ::testing::Test {
protected:
    QString QueuePath() const { return m_dir.File("Listens.db"); }

    CListenBrainz& Link(const QString& server, const QString& token = ListenServer::kToken)
    {
        m_link = std::make_unique<CListenBrainz>();
        // Failures retry at once in these tests, unless a test asks for more patience.
        m_link->SetRetryDelays(10, 100);
        m_link->Start(QueuePath());
        m_link->SetAccount(server, token);
        return *m_link;
    }
    static ListenTrack Track(const QString& title)
    {
        ListenTrack track;
        track.artist = "Artist";
        track.title = title;
        track.album = "Album";
        track.durationMs = 40000;
        track.number = 7;
        return track;
    }
    static bool WaitFor(const std::function<bool()>& done)
    {
        return QTest::qWaitFor(done, kDeadlineMs);
    }
    // The queue is empty once the worker has said so after the service's success answer.
    bool Drained() const { return m_link->Waiting() == 0; }

    TestProfile m_dir;
    ListenServer m_server;
    std::unique_ptr<CListenBrainz> m_link;
};

TEST_F(ListenLink, ListenCarriesTokenAndTrackAndLeavesTheQueue)
{
    CListenBrainz& link = Link(m_server.Url());
    link.PlayingNow(Track("Song"));
    link.Listen(Track("Song"), 1700000000);
    ASSERT_TRUE(WaitFor([&] { return m_server.accepted.size() == 1 && Drained(); }));
    ASSERT_TRUE(WaitFor([&] { return m_server.playingNow == 1; }));
    for (const ListenServer::Request& r : m_server.requests) {
        EXPECT_EQ(r.method, "POST");
        EXPECT_EQ(r.path, "/1/submit-listens");
        EXPECT_EQ(r.authorization, QByteArray("Token ") + ListenServer::kToken);
    }
    const QJsonObject listen = m_server.accepted.at(0).toObject();
    EXPECT_EQ(listen.value("listened_at").toInteger(), 1700000000);
    const QJsonObject meta = listen.value("track_metadata").toObject();
    EXPECT_EQ(meta.value("artist_name").toString(), "Artist");
    EXPECT_EQ(meta.value("track_name").toString(), "Song");
    EXPECT_EQ(meta.value("release_name").toString(), "Album");
    const QJsonObject info = meta.value("additional_info").toObject();
    EXPECT_EQ(info.value("duration_ms").toInteger(), 40000);
    EXPECT_EQ(info.value("tracknumber").toInt(), 7);
    EXPECT_EQ(info.value("media_player").toString(), "Plumo");
    EXPECT_FALSE(info.value("media_player_version").toString().isEmpty());
}

// Answers the service never gives on success: each keeps the listen, which then arrives once.
struct BadAnswer {
    const char* name;
    ListenServer::Answer answer;
};

class ListenBadAnswer : public ListenLink, public ::testing::WithParamInterface<BadAnswer> {};

TEST_P(ListenBadAnswer, ListenIsKeptAndArrivesOnce)
{
    m_server.Script({GetParam().answer});
    CListenBrainz& link = Link(m_server.Url());
    link.SetTimeLimit(500);
    link.Listen(Track("Kept"), 1700000001);
    ASSERT_TRUE(WaitFor([&] { return m_server.accepted.size() == 1 && Drained(); }));
    EXPECT_EQ(m_server.listenPosts, 2);
    EXPECT_EQ(m_server.accepted.at(0).toObject().value("listened_at").toInteger(), 1700000001);
}

INSTANTIATE_TEST_SUITE_P(Answers, ListenBadAnswer,
    ::testing::Values(BadAnswer{"ServerError", {500, {}, R"({"code": 500})"}},
        BadAnswer{"Unavailable", {503, {}, "<html>down</html>"}},
        BadAnswer{"EmptyOk", {200, {}, ""}},
        BadAnswer{"NotJson", {200, {}, "<html>Welcome to the hotel network</html>"}},
        BadAnswer{"Redirect", {302, "Location: http://127.0.0.1:9/\r\n", ""}},
        BadAnswer{"NeverAnswers", {200, {}, {}, true}}),
    [](const ::testing::TestParamInfo<BadAnswer>& p) { return std::string(p.param.name); });

TEST_F(ListenLink, TooManyRequestsWaitsAsTheServiceAsks)
{
    // The growing delay is far beyond the deadline: only Retry-After can bring the listen.
    m_server.Script({{429, "Retry-After: 1\r\n", R"({"code": 429})"}});
    CListenBrainz& link = Link(m_server.Url());
    link.SetRetryDelays(10 * 60 * 1000, 10 * 60 * 1000);
    link.Listen(Track("Later"), 1700000002);
    ASSERT_TRUE(WaitFor([&] { return m_server.accepted.size() == 1 && Drained(); }));
    EXPECT_EQ(m_server.listenPosts, 2);
}

TEST_F(ListenLink, RefusedTokenHoldsTheQueueAndTellsOnce)
{
    CListenBrainz& link = Link(m_server.Url(), "0a1b2c3d-revoked");
    QSignalSpy refused(&link, &CListenBrainz::TokenRefused);
    QSignalSpy queue(&link, &CListenBrainz::QueueChanged);
    link.Listen(Track("One"), 1700000010);
    ASSERT_TRUE(WaitFor([&] { return refused.size() == 1; }));
    link.Listen(Track("Two"), 1700000011);
    link.PlayingNow(Track("Three"));
    ASSERT_TRUE(WaitFor([&] { return link.Waiting() == 2; }));
    // Held: the second listen was queued and nothing more went out.
    EXPECT_EQ(m_server.requests.size(), 1);
    EXPECT_EQ(refused.size(), 1);
    link.SetAccount(m_server.Url(), ListenServer::kToken);
    ASSERT_TRUE(WaitFor([&] { return m_server.accepted.size() == 2 && Drained(); }));
    EXPECT_EQ(m_server.accepted.at(0).toObject().value("listened_at").toInteger(), 1700000010);
    EXPECT_EQ(m_server.accepted.at(1).toObject().value("listened_at").toInteger(), 1700000011);
}

TEST_F(ListenLink, LongQueueGoesInOrderedBatches)
{
    CListenBrainz& link = Link(m_server.Url(), QString());
    for (int i = 0; i < 120; ++i)
        link.Listen(Track(QString("Song %1").arg(i)), 1700000000 + i);
    ASSERT_TRUE(WaitFor([&] { return link.Waiting() == 120; }));
    EXPECT_TRUE(m_server.requests.isEmpty());
    link.SetAccount(m_server.Url(), ListenServer::kToken);
    ASSERT_TRUE(WaitFor([&] { return m_server.accepted.size() == 120 && Drained(); }));
    EXPECT_EQ(m_server.listenPosts, 3);
    EXPECT_EQ(m_server.requests.at(0).body.value("listen_type").toString(), "import");
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(m_server.accepted.at(i).toObject().value("listened_at").toInteger(), 1700000000 + i);
}

TEST_F(ListenLink, RefusedBatchIsSplitAndOnlyTheBadListenDropped)
{
    // The batch is refused as bad, then each listen goes alone; the second is the bad one.
    m_server.Script({{400, {}, R"({"code": 400})"}, {}, {400, {}, R"({"code": 400})"}});
    CListenBrainz& link = Link(m_server.Url(), QString());
    for (int i = 0; i < 3; ++i)
        link.Listen(Track(QString("Song %1").arg(i)), 1700000100 + i);
    ASSERT_TRUE(WaitFor([&] { return link.Waiting() == 3; }));
    link.SetAccount(m_server.Url(), ListenServer::kToken);
    ASSERT_TRUE(WaitFor([&] { return m_server.accepted.size() == 2 && Drained(); }));
    EXPECT_EQ(m_server.accepted.at(0).toObject().value("listened_at").toInteger(), 1700000100);
    EXPECT_EQ(m_server.accepted.at(1).toObject().value("listened_at").toInteger(), 1700000102);
}

TEST_F(ListenLink, HugeTitleIsCutToWhatTheServiceTakes)
{
    CListenBrainz& link = Link(m_server.Url());
    link.Listen(Track(QString(100000, QChar(u'\u00e9'))), 1700000200);
    ASSERT_TRUE(WaitFor([&] { return m_server.accepted.size() == 1 && Drained(); }));
    const QJsonObject meta = m_server.accepted.at(0).toObject().value("track_metadata").toObject();
    EXPECT_EQ(meta.value("track_name").toString(), QString(CListenSender::kMaxTextLength, QChar(u'\u00e9')));
}

TEST_F(ListenLink, ListenMadeWhileServiceIsDownArrivesOnceAfterRestart)
{
    auto down = std::make_unique<ListenServer>();
    const QString downUrl = down->Url();
    const quint16 downPort = down->Port();
    down.reset(); // nothing listens there any more
    CListenBrainz& link = Link(downUrl);
    link.Listen(Track("Offline"), 1700000300);
    ASSERT_TRUE(WaitFor([&] { return link.Waiting() == 1; }));
    m_link.reset();
    ListenServer up(downPort);
    ASSERT_TRUE(up.IsListening());
    Link(up.Url());
    ASSERT_TRUE(WaitFor([&] { return up.accepted.size() == 1 && Drained(); }));
    EXPECT_EQ(up.listenPosts, 1);
}

struct TokenCase {
    const char* name;
    const char* token;
    TokenCheck result;
    const char* user;
};

class ListenTokenCheck : public ListenLink, public ::testing::WithParamInterface<TokenCase> {};

TEST_P(ListenTokenCheck, AnswerNamesTheUserOrWhy)
{
    CListenBrainz& link = Link(m_server.Url(), QString());
    QSignalSpy checked(&link, &CListenBrainz::TokenChecked);
    link.CheckToken(m_server.Url(), QString::fromUtf8(GetParam().token));
    ASSERT_TRUE(WaitFor([&] { return checked.size() == 1; }));
    EXPECT_EQ(checked.at(0).at(0).value<TokenCheck>(), GetParam().result);
    EXPECT_EQ(checked.at(0).at(1).toString(), QString::fromUtf8(GetParam().user));
    // A token that cannot go into a header never leaves the player.
    const bool sent = GetParam().result != TokenCheck::Malformed;
    EXPECT_EQ(m_server.requests.size(), sent ? 1 : 0);
    if (sent) {
        EXPECT_EQ(m_server.requests.at(0).method, "GET");
        EXPECT_EQ(m_server.requests.at(0).path, "/1/validate-token");
    }
}

INSTANTIATE_TEST_SUITE_P(Tokens, ListenTokenCheck,
    ::testing::Values(TokenCase{"Valid", ListenServer::kToken, TokenCheck::Valid, ListenServer::kUser},
        TokenCase{"ValidWithBlanksAround", "  0a1b2c3d-good-token\n", TokenCheck::Valid, ListenServer::kUser},
        TokenCase{"Unknown", "0a1b2c3d-other", TokenCheck::Refused, ""},
        TokenCase{"SpaceInside", "0a1b2c3d good-token", TokenCheck::Malformed, ""},
        TokenCase{"ControlInside", "0a1b2c3d\r\nX-Injected: 1", TokenCheck::Malformed, ""},
        TokenCase{"Empty", "   ", TokenCheck::Malformed, ""}),
    [](const ::testing::TestParamInfo<TokenCase>& p) { return std::string(p.param.name); });

// Answers that are not the service's, and no server at all: the check says it got no answer.
TEST_F(ListenLink, TokenCheckWithoutTheServiceSaysNoAnswer)
{
    auto gone = std::make_unique<ListenServer>();
    const QString goneUrl = gone->Url();
    gone.reset();
    CListenBrainz& link = Link(m_server.Url(), QString());
    QSignalSpy checked(&link, &CListenBrainz::TokenChecked);
    link.CheckToken(goneUrl, ListenServer::kToken);
    ASSERT_TRUE(WaitFor([&] { return checked.size() == 1; }));
    EXPECT_EQ(checked.at(0).at(0).value<TokenCheck>(), TokenCheck::NoAnswer);
    EXPECT_FALSE(checked.at(0).at(2).toString().isEmpty());
}

TEST(ListenQueue, KeepsListensInOrderAcrossReopening)
{
    TestProfile dir;
    const QString path = dir.File("Listens.db");
    {
        CListenQueue queue;
        ASSERT_TRUE(queue.Open(path));
        EXPECT_GT(queue.Add("{\"n\":1}"), 0);
        EXPECT_GT(queue.Add("{\"n\":2}"), 0);
        EXPECT_GT(queue.Add("{\"n\":3}"), 0);
        const auto oldest = queue.Oldest(1);
        ASSERT_EQ(oldest.size(), 1u);
        EXPECT_TRUE(queue.Remove({oldest[0].id}));
    }
    CListenQueue queue;
    ASSERT_TRUE(queue.Open(path));
    EXPECT_EQ(queue.Count(), 2);
    const auto rest = queue.Oldest(10);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].listen, "{\"n\":2}");
    EXPECT_EQ(rest[1].listen, "{\"n\":3}");
    EXPECT_LT(rest[0].id, rest[1].id);
}

TEST(ListenQueue, FileThatIsNotAQueueIsRefused)
{
    TestProfile dir;
    const QString path = dir.Write("Listens.db", QByteArray(4096, 'x'));
    CListenQueue queue;
    EXPECT_FALSE(queue.Open(path));
    EXPECT_EQ(queue.Add("{}"), 0);
}

} // namespace
