// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The directory client against a loopback directory: what it sends, what it lists, how it
// survives answers that no directory should send, and how loads that overlap end.
#include "CDirectoryLoad.h"
#include "CSHOUTcast.h"
#include "DirectoryServer.h"
#include "IRadioTreeSink.h"
#include "QtPrinters.h"
#include "RadioStations.h"

#include "../library/RecordingSinks.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using Mode = DirectoryServer::Mode;

class RecordingRadioTree : public IRadioTreeSink {
public:
    void BeginUpdate() override { ++begins; }
    void EndUpdate() override { ++ends; }
    void AddRadioNode(const QString& label, const QString& key) override
    {
        EXPECT_EQ(begins, ends + 1) << "nodes are added between BeginUpdate and EndUpdate";
        nodes << label + QLatin1Char('|') + key;
    }
    void AddRadioFolder(const QString& label, const QString& key) override
    {
        AddRadioNode(label, key);
        folders << key;
    }
    QStringList folders;
    QStringList nodes;
    int begins = 0;
    int ends = 0;
};

QString Row(const QString& server, int id, int stars, const QString& name, const QString& index)
{
    return QStringLiteral("S 1,0,%1,0|http://%2/sbin/tunein-station.pls?id=%3|||%4|||8:88||%5")
        .arg(stars)
        .arg(server)
        .arg(id)
        .arg(name, index);
}

class RadioDirectory : public ::testing::Test {
protected:
    RadioDirectory()
    {
        QObject::connect(&m_load, &CDirectoryLoad::BusyChanged, [this](bool busy) {
            m_busy.push_back(busy);
        });
        QObject::connect(&m_load, &CDirectoryLoad::Finished,
            [this](bool listed, const std::vector<radio::Station>& stations) {
                ++m_finished;
                m_listed = listed;
                if (listed)
                    radio::ListStations(m_list, stations);
            });
    }
    // Loads the stations of key from server and waits for the end: true when they were listed
    // (perhaps none), false when the load failed.
    bool Fill(DirectoryServer& server, const QString& key = QStringLiteral("Jazz"))
    {
        m_radio.SetServer(server.Server());
        return Load(key);
    }
    bool Load(const QString& key)
    {
        const int before = m_finished;
        m_radio.FillStations(m_load, key);
        EXPECT_TRUE(m_load.IsRunning());
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_finished > before; }, 60000));
        EXPECT_FALSE(m_load.IsRunning());
        return m_listed;
    }
    // A row left by an earlier fill, to see whether a failure leaves the list alone.
    void Prefill()
    {
        m_list.AddSong(0, false, QStringLiteral("old.mp3"), 3, 2, {});
        m_list.clears = 0;
    }

    CSHOUTcast m_radio;
    CDirectoryLoad m_load;
    RecordingList m_list;
    int m_finished = 0;
    bool m_listed = false;
    std::vector<bool> m_busy;
};

TEST_F(RadioDirectory, GenresFillTheRadioNodeAndDrumAndBassSendsItsKey)
{
    RecordingRadioTree tree;
    m_radio.AddGenres(tree);
    ASSERT_EQ(tree.nodes.size(), 48);
    EXPECT_EQ(tree.begins, 1);
    EXPECT_EQ(tree.ends, 1);
    EXPECT_EQ(tree.nodes.first(), "60s|60s");
    EXPECT_EQ(tree.nodes.last(), "Trance|Trance");
    for (const char* node : {"College Radio|College", "New Age & World|New", "R&B|Rnb",
                             "Today's Hits|Hit", "Top 40|Top"})
        EXPECT_TRUE(tree.nodes.contains(QString::fromUtf8(node))) << node;

    const QString drum = tree.nodes.filter(QStringLiteral("Drum & Bass|")).value(0);
    DirectoryServer server({HttpAnswer(StationList({R"(name="D" id="1" lc="20")"})), Mode::Trickle});
    ASSERT_TRUE(Fill(server, drum.section(QLatin1Char('|'), 1)));
    const QByteArray host = server.Server().toLatin1();
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests[0], "GET http://" + host + "/sbin/newxml.phtml?genre=Drum HTTP/1.0\r\n"
                                  "Host: " + host + "\r\n\r\n");
    EXPECT_EQ(m_list.rows, QStringList{Row(server.Server(), 1, 1, "D", "1")});

    qunsetenv(CSHOUTcast::kServerVariable);
    CSHOUTcast plain;
    EXPECT_EQ(plain.Request(QStringLiteral("Jazz")),
        "GET http://yp.shoutcast.com/sbin/newxml.phtml?genre=Jazz HTTP/1.0\r\n"
        "Host: yp.shoutcast.com\r\n\r\n");
    // A key from elsewhere cannot split the request line or add a header.
    EXPECT_EQ(plain.Request(QStringLiteral("a b\r\nX: 1%")),
        "GET http://yp.shoutcast.com/sbin/newxml.phtml?genre=a%20b%0D%0AX:%201%25 HTTP/1.0\r\n"
        "Host: yp.shoutcast.com\r\n\r\n");

    // What a harness running the whole program does to reach its stand-in directory.
    qputenv(CSHOUTcast::kServerVariable, server.Server().toLatin1());
    EXPECT_EQ(CSHOUTcast().Server(), server.Server());
    qputenv(CSHOUTcast::kServerVariable, "");
    EXPECT_EQ(CSHOUTcast().Server(), "yp.shoutcast.com");
    qunsetenv(CSHOUTcast::kServerVariable);
}

TEST_F(RadioDirectory, ListenerCountsGiveStarsAndHideQuietStations)
{
    DirectoryServer server({HttpAnswer(StationList({
        R"(name="S19" id="19" lc="19")", R"(name="S20" id="20" lc="20")",
        R"(name="S29" id="29" lc="29")", R"(name="S30" id="30" lc="30")",
        R"(name="S59" id="59" lc="59")", R"(name="S60" id="60" lc="60")",
        R"(name="S119" id="119" lc="119")", R"(name="S120" id="120" lc="120")",
        R"(name="S239" id="239" lc="239")", R"(name="S240" id="240" lc="240")",
        R"(id="7" lc="50")", R"(name="No id" lc="300")", R"(name="No count" id="5")"})),
        Mode::Trickle});
    Prefill();
    ASSERT_TRUE(Fill(server));
    const QString s = server.Server();
    EXPECT_EQ(m_list.rows, QStringList({Row(s, 20, 1, "S20", "01"), Row(s, 29, 1, "S29", "02"),
        Row(s, 30, 2, "S30", "03"), Row(s, 59, 2, "S59", "04"), Row(s, 60, 3, "S60", "05"),
        Row(s, 119, 3, "S119", "06"), Row(s, 120, 4, "S120", "07"), Row(s, 239, 4, "S239", "08"),
        Row(s, 240, 5, "S240", "09"), Row(s, 7, 2, "", "10"), Row(s, 0, 5, "No id", "11")}));
    EXPECT_EQ(m_list.clears, 1);
    EXPECT_EQ(m_list.recalcs, 1);
    EXPECT_FALSE(m_list.frozen);
}

struct IndexCase {
    int stations;
    int width;
};

class RadioIndex : public RadioDirectory, public ::testing::WithParamInterface<IndexCase> {};

TEST_P(RadioIndex, PositionTextsArePaddedToTheWidestNumber)
{
    QList<QByteArray> stations;
    for (int i = 0; i < GetParam().stations; ++i)
        stations << QByteArray("name=\"N\" id=\"1\" lc=\"500\"");
    DirectoryServer server({HttpAnswer(StationList(stations))});
    ASSERT_TRUE(Fill(server));
    QStringList expected;
    for (int i = 1; i <= GetParam().stations; ++i)
        expected << QString::number(i).rightJustified(GetParam().width, QLatin1Char('0'));
    EXPECT_EQ(m_list.Slot(7), expected);
}

INSTANTIATE_TEST_SUITE_P(Counts, RadioIndex,
    ::testing::Values(IndexCase{9, 1}, IndexCase{10, 2}, IndexCase{99, 2}, IndexCase{150, 3},
                      IndexCase{1000, 4}));

// Station attributes that no directory sends, and what the list makes of them.
TEST_F(RadioDirectory, OddNumbersAndNamesAreReadSafely)
{
    const QByteArray longName(100000, 'x');
    // 258 letters and then a character outside the basic plane: the cut may not split it.
    const QByteArray straddling = QByteArray(258, 'y') + "\xF0\x9F\x8E\xB5\xF0\x9F\x8E\xB5";
    DirectoryServer server({HttpAnswer(StationList({
        R"(name="neg" id="1" lc="-5")", R"(name="word" id="1" lc="many")",
        R"(name="huge" id="1" lc="99999999999999999999999")", R"(name="exp" id="1" lc="1e3")",
        R"(name="blank" id="-7" lc=" 25 ")", R"(name="plus" id="+12" lc="+300")",
        R"(name="big" id="4294967296" lc="9223372036854775807")",
        R"(name="junk" id="12abc" lc="30")", R"(name="over" id="99999999999999999999" lc="30")",
        "name=\"Tab&#9;Line&#10;Cr&#13;\x01" "Bell\" id=\"1\" lc=\"30\"",
        "name=\"" + longName + "\" id=\"2\" lc=\"30\"",
        "name=\"" + straddling + "\" id=\"3\" lc=\"30\""}))});
    ASSERT_TRUE(Fill(server));
    const QStringList names = m_list.Slot(2);
    ASSERT_EQ(names.size(), 8);
    EXPECT_EQ(names.mid(0, 6), QStringList({"blank", "plus", "big", "junk", "over",
                                            "Tab Line Cr  Bell"}));
    EXPECT_EQ(names[6], QString(259, QLatin1Char('x')));
    EXPECT_EQ(names[7], QString(258, QLatin1Char('y')));
    const QString s = server.Server();
    const QStringList files = m_list.rows.mid(0, 5).replaceInStrings(QRegularExpression("\\|\\|.*"), "");
    EXPECT_EQ(files, QStringList({"S 1,0,1,0|http://" + s + "/sbin/tunein-station.pls?id=0",
        "S 1,0,5,0|http://" + s + "/sbin/tunein-station.pls?id=12",
        "S 1,0,5,0|http://" + s + "/sbin/tunein-station.pls?id=4294967296",
        "S 1,0,2,0|http://" + s + "/sbin/tunein-station.pls?id=0",
        "S 1,0,2,0|http://" + s + "/sbin/tunein-station.pls?id=0"}));
}

struct BadAnswer {
    const char* name;
    QByteArray bytes;
    Mode mode;
    bool listed;
    int rows; // when listed
};

void PrintTo(const BadAnswer& c, std::ostream* os) { *os << c.name; }

class RadioBadAnswer : public RadioDirectory, public ::testing::WithParamInterface<BadAnswer> {};

TEST_P(RadioBadAnswer, EndsWithThePlainResult)
{
    const BadAnswer& c = GetParam();
    DirectoryServer server({c.bytes, c.mode});
    CDirectoryLoad::Limits limits;
    limits.answerMs = 1500; // the stalling cases end here
    m_load.SetLimits(limits);
    Prefill();
    ASSERT_EQ(Fill(server), c.listed);
    if (c.listed) {
        EXPECT_EQ(m_list.clears, 1);
        EXPECT_EQ(m_list.SongCount(), c.rows);
    } else {
        EXPECT_EQ(m_list.clears, 0) << "a failed fetch leaves the list as it was";
        EXPECT_EQ(m_list.SongCount(), 1);
    }
    EXPECT_FALSE(m_list.frozen);
    EXPECT_EQ(m_busy, (std::vector<bool>{true, false}));
}

const QByteArray kTwo = StationList({R"(name="A" id="1" lc="20")", R"(name="B" id="2" lc="20")"});

QByteArray Deep(int depth)
{
    return "<stationlist><station name=\"A\" id=\"1\" lc=\"20\"/>" + QByteArray("<a>").repeated(depth)
        + QByteArray("</a>").repeated(depth) + "</stationlist>";
}

INSTANTIATE_TEST_SUITE_P(Answers, RadioBadAnswer, ::testing::Values(
    BadAnswer{"closed without a byte", {}, Mode::Drop, false, 0},
    BadAnswer{"never answers", {}, Mode::Stall, false, 0},
    BadAnswer{"answers and never closes", HttpAnswer(kTwo), Mode::Hold, true, 2},
    BadAnswer{"headers only", "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n", Mode::Close,
        true, 0},
    BadAnswer{"not xml", HttpAnswer("<html><body>Service unavailable"), Mode::Close,
        true, 0},
    BadAnswer{"another document", HttpAnswer("<list><station name=\"A\" id=\"1\" lc=\"99\"/></list>"),
        Mode::Close, true, 0},
    BadAnswer{"no headers", kTwo, Mode::Close, true, 2},
    BadAnswer{"binary", QByteArray("\xff\xfe\x00\x01<stationlist>", 17), Mode::Close,
        true, 0},
    BadAnswer{"nul inside", HttpAnswer(kTwo).insert(90, '\0'), Mode::Close, true, 0},
    BadAnswer{"nul after", HttpAnswer(kTwo) + QByteArray(1, '\0') + "garbage", Mode::Close,
        true, 2},
    BadAnswer{"nested too deep", HttpAnswer(Deep(100000)), Mode::Close, true, 0},
    BadAnswer{"endless", HttpAnswer("<stationlist>") + QByteArray(R"(<station name="A" id="1" lc="20"/>)"),
        Mode::Endless, true, 0}));

TEST_F(RadioDirectory, DoctypeAndEntityDeclarationsExpandNothing)
{
    const QByteArray body = "<?xml version=\"1.0\"?>\n<!DOCTYPE stationlist [\n"
        "<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
        "<!ENTITY c SYSTEM \"file:///etc/passwd\">\n]>\n"
        "<stationlist><station name=\"&b;&c;&amp;&#65;\" id=\"1\" lc=\"20\"/></stationlist>";
    DirectoryServer server({HttpAnswer(body)});
    ASSERT_TRUE(Fill(server));
    ASSERT_EQ(m_list.SongCount(), 1);
    EXPECT_EQ(m_list.Slot(2), QStringList{"&b;&c;&A"});
}

TEST_F(RadioDirectory, AHundredThousandStationsAreCutToTheFirstTenThousand)
{
    QByteArray body = "<stationlist>";
    for (int i = 1; i <= 100000; ++i)
        body += "<station name=\"S" + QByteArray::number(i) + "\" id=\"" + QByteArray::number(i)
            + "\" lc=\"25\"/>";
    body += "</stationlist>";
    DirectoryServer server({HttpAnswer(body)});
    ASSERT_TRUE(Fill(server));
    ASSERT_EQ(m_list.SongCount(), 10000);
    EXPECT_EQ(m_list.rows.first(), Row(server.Server(), 1, 1, "S1", "0001"));
    EXPECT_EQ(m_list.rows.last(), Row(server.Server(), 10000, 1, "S10000", "10000"));
}

TEST_F(RadioDirectory, AnAnswerBeyondTheCapIsCutAndTheConnectionDropped)
{
    CDirectoryLoad::Limits limits;
    limits.maxAnswerBytes = 64 * 1024;
    m_load.SetLimits(limits);
    DirectoryServer server({QByteArray(4096, 'x'), Mode::Endless});
    ASSERT_TRUE(Fill(server));
    EXPECT_EQ(m_list.SongCount(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientsGone == 1; }, 20000));
}

TEST_F(RadioDirectory, UnreachableServersFailAndLeaveTheList)
{
    quint16 port = 0;
    {
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        port = closed.serverPort();
    }
    Prefill();
    for (const QString& server : {QStringLiteral("127.0.0.1:%1").arg(port), QString(),
                                  QStringLiteral("127.0.0.1:99999"), QStringLiteral("[::1")}) {
        m_radio.SetServer(server);
        EXPECT_FALSE(Load(QStringLiteral("Jazz"))) << server.toStdString();
    }
    EXPECT_EQ(m_list.clears, 0);
    EXPECT_EQ(m_list.SongCount(), 1);
}

// A listener whose accept queue is full: the kernel drops further connection attempts, so
// they neither succeed nor fail until the client gives up.
class FullListener {
public:
    FullListener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(addr);
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), size) != 0 || ::listen(m_fd, 0) != 0
            || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &size) != 0)
            return;
        m_port = ntohs(addr.sin_port);
        // Fill the queue until a connection attempt hangs.
        for (int i = 0; i < 8; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            socket->connectToHost(QHostAddress::LocalHost, m_port);
            const bool connected = socket->waitForConnected(1000);
            m_fillers.push_back(std::move(socket));
            if (!connected) {
                m_full = true;
                return;
            }
        }
    }
    ~FullListener() { ::close(m_fd); }
    bool IsFull() const { return m_full; }
    quint16 Port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    bool m_full = false;
    std::vector<std::unique_ptr<QTcpSocket>> m_fillers;
};

TEST_F(RadioDirectory, AServerThatNeverAcceptsRunsIntoTheConnectLimit)
{
    FullListener listener;
    if (!listener.IsFull())
        GTEST_SKIP() << "this kernel does not hold back connections to a full accept queue";
    CDirectoryLoad::Limits limits;
    limits.connectMs = 300;
    limits.answerMs = 3600 * 1000; // only the connect limit can end this fetch
    m_load.SetLimits(limits);
    m_radio.SetServer(QStringLiteral("127.0.0.1:%1").arg(listener.Port()));
    Prefill();
    EXPECT_FALSE(Load(QStringLiteral("Jazz")));
    EXPECT_EQ(m_list.clears, 0);
}

// Holds the parse of gated loads on the worker until the test opens it.
class ParseGate {
public:
    void Enter()
    {
        thread = QThread::currentThread();
        ++entered;
        std::unique_lock lock(m_mutex);
        m_opened.wait(lock, [this] { return m_open; });
    }
    void Open()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_opened.notify_all();
    }

    std::atomic<int> entered {0};
    std::atomic<QThread*> thread {nullptr};

private:
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_open = false;
};

class RadioRace;

struct Race {
    const char* name;
    // Starts loads as the user would choose genres; the last one started is the newest.
    std::function<void(RadioRace&)> script;
    const char* listed;       // the first station of the one list that may show
    std::vector<bool> busy;   // BusyChanged, the final load included
};

void PrintTo(const Race& c, std::ostream* os) { *os << c.name; }

// Genres whose name starts with "Held" are answered only on Release; the others at once.
class RadioRace : public RadioDirectory, public ::testing::WithParamInterface<Race> {
public:
    RadioRace()
    {
        QObject::connect(&m_load, &CDirectoryLoad::Finished,
            [this](bool, const std::vector<radio::Station>& stations) {
                m_shown << (stations.empty() ? QString() : stations.front().name);
            });
        m_server.SetHandler([](const QByteArray& target) -> DirectoryServer::Answer {
            const QByteArray genre = target.mid(target.indexOf('=') + 1);
            return {HttpAnswer(StationList({"name=\"" + genre + " A\" id=\"1\" lc=\"20\""})),
                genre.startsWith("Held") ? Mode::Held : Mode::Close};
        });
        m_radio.SetServer(m_server.Server());
    }
    void Begin(const char* key) { m_radio.FillStations(m_load, QString::fromUtf8(key)); }
    void Cancel() { m_load.Cancel(); }
    // A load of key whose parse waits at the gate.
    void BeginGated(const char* key)
    {
        const QString server = m_radio.Server();
        m_load.Start(server, m_radio.Request(QString::fromUtf8(key)),
            [this, server](const QByteArray& answer) {
                m_gate.Enter();
                return radio::ParseStations(answer, server);
            });
    }
    void WaitFor(const std::function<bool()>& done)
    {
        ASSERT_TRUE(QTest::qWaitFor(done, 20000));
    }
    void WaitRequests(int n)
    {
        WaitFor([this, n] { return m_server.requests.size() >= n; });
    }

    DirectoryServer m_server;
    ParseGate m_gate;
    QStringList m_shown; // the first station of every list that arrived
};

TEST_P(RadioRace, OnlyTheNewestChoiceIsListed)
{
    const Race& c = GetParam();
    Prefill();
    c.script(*this);
    m_server.Release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_finished > 0; }, 60000));
    m_server.Release();
    m_gate.Open();
    // A later load goes through the same socket, worker and event queue: a stale answer that
    // had not been dropped would arrive before it.
    ASSERT_TRUE(Load(QStringLiteral("Last")));
    EXPECT_EQ(m_shown, QStringList({QString::fromUtf8(c.listed), "Last A"}));
    EXPECT_EQ(m_busy, c.busy);
    if (m_gate.entered > 0) {
        EXPECT_NE(m_gate.thread.load(), QThread::currentThread()) << "parsed off the UI thread";
    }
}

const std::vector<bool> kTwoLoads = {true, false, true, false};

INSTANTIATE_TEST_SUITE_P(Loads, RadioRace, ::testing::Values(
    Race{"a newer genre while the first answer is on its way",
        [](RadioRace& r) {
            r.Begin("HeldSlow");
            r.WaitRequests(1);
            r.Begin("Fast");
        },
        "Fast A", kTwoLoads},
    Race{"a newer genre while the first answer is parsed",
        [](RadioRace& r) {
            r.BeginGated("Slow");
            r.WaitFor([&r] { return r.m_gate.entered == 1; });
            r.Begin("Fast");
            r.WaitRequests(2);
            r.m_gate.Open();
        },
        "Fast A", kTwoLoads},
    Race{"a newer genre as the first stations are handed over",
        [](RadioRace& r) {
            r.BeginGated("Slow");
            r.WaitFor([&r] { return r.m_gate.entered == 1; });
            r.m_gate.Open();
            r.Begin("Fast");
        },
        "Fast A", kTwoLoads},
    Race{"the same genre chosen again",
        [](RadioRace& r) {
            r.Begin("HeldSlow");
            r.WaitRequests(1);
            r.Begin("HeldSlow");
            r.WaitRequests(2);
        },
        "HeldSlow A", kTwoLoads},
    Race{"a library node chosen while the answer is on its way",
        [](RadioRace& r) {
            r.Begin("HeldSlow");
            r.WaitRequests(1);
            r.Cancel();
            r.m_server.Release();
            r.Begin("Fast");
        },
        "Fast A", {true, false, true, false, true, false}},
    Race{"a library node chosen while the answer is parsed",
        [](RadioRace& r) {
            r.BeginGated("Slow");
            r.WaitFor([&r] { return r.m_gate.entered == 1; });
            r.Cancel();
            r.m_gate.Open();
            r.Begin("Fast");
        },
        "Fast A", {true, false, true, false, true, false}}));

TEST_F(RadioDirectory, DestroyedWhileLoadingNeitherHangsNorReports)
{
    DirectoryServer server({HttpAnswer(kTwo), Mode::Held});
    {
        CDirectoryLoad load;
        int finished = 0;
        QObject::connect(&load, &CDirectoryLoad::Finished, [&] { ++finished; });
        load.Start(server.Server(), m_radio.Request(QStringLiteral("Jazz")), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests.size() == 1; }, 20000));
        EXPECT_EQ(finished, 0);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientsGone == 1; }, 20000))
        << "the connection went with the load";
    EXPECT_EQ(server.Release(), 0);
}

} // namespace
