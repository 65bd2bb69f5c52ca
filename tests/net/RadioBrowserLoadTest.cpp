// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The open directory's client against a loopback stand-in: the addresses and User-Agent it
// sends, the rows and countries it makes of the answers, which of overlapping loads is
// listed, and station icons brought into the cache.
#include "CRadioBrowser.h"
#include "CStationIcon.h"
#include "DirectoryServer.h"
#include "IRadioTreeSink.h"
#include "QtPrinters.h"
#include "TestProfile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Mode = DirectoryServer::Mode;

class RecordingTree : public IRadioTreeSink {
public:
    void BeginUpdate() override { ++begins; }
    void EndUpdate() override {}
    void AddRadioNode(const QString& label, const QString& key) override
    {
        nodes << label + u'|' + key;
    }
    void AddRadioFolder(const QString& label, const QString& key) override
    {
        nodes << label + u'|' + key + u'+';
    }
    QStringList nodes;
    int begins = 0;
};

// The User-Agent line names the player and its version.
const QRegularExpression kAgent(QStringLiteral("\r\nUser-Agent: Plumo/[0-9]+\\.[0-9]+[^\r\n]*\r\n"));

QByteArray Json(const QByteArray& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n\r\n" + body;
}

// Two stations whose names carry what was asked for.
QByteArray TwoStations(const QByteArray& what)
{
    return Json("[{\"stationuuid\":\"u1\",\"name\":\"" + what + " one\",\"url\":\"http://s/1\","
        "\"votes\":150},{\"stationuuid\":\"u2\",\"name\":\"" + what + " two\",\"url\":\"http://s/2\","
        "\"url_resolved\":\"http://s/2.mp3\",\"votes\":3}]");
}

class RadioBrowserLoad : public ::testing::Test {
protected:
    RadioBrowserLoad()
    {
        m_browser.SetServer(m_server.Server());
        QObject::connect(&m_browser, &CRadioBrowser::BusyChanged,
                         [this](bool busy) { m_busy.push_back(busy); });
        QObject::connect(&m_browser, &CRadioBrowser::StationsLoaded,
            [this](bool listed, const std::vector<radio::Station>& stations) {
                ++m_loads;
                m_listed = listed;
                m_rows.clear();
                for (const radio::Station& s : stations)
                    m_rows << s.name + u'|' + s.file + u'|' + QString::number(s.rating);
            });
        QObject::connect(&m_browser, &CRadioBrowser::CountriesLoaded,
            [this](bool listed, const std::vector<CRadioBrowser::Node>& countries) {
                ++m_countryLoads;
                m_listed = listed;
                m_countries.clear();
                for (const CRadioBrowser::Node& c : countries)
                    m_countries << c.label + u'|' + c.key;
            });
    }
    bool WaitFor(const int& counter, int count)
    {
        return QTest::qWaitFor([&] { return counter >= count; }, 60000);
    }

    DirectoryServer m_server;
    CRadioBrowser m_browser;
    std::vector<bool> m_busy;
    int m_loads = 0;
    int m_countryLoads = 0;
    bool m_listed = false;
    QStringList m_rows;
    QStringList m_countries;
};

TEST_F(RadioBrowserLoad, TheTreeHoldsTheGenresAndTheDirectorysOwnLists)
{
    RecordingTree tree;
    m_browser.AddNodes(tree, "Top", "Trend", "Countries");
    ASSERT_EQ(tree.nodes.size(), 51);
    EXPECT_EQ(tree.begins, 1);
    EXPECT_EQ(tree.nodes.first(), "60s|tag:60s");
    EXPECT_TRUE(tree.nodes.contains("Drum & Bass|tag:drum and bass"));
    EXPECT_EQ(tree.nodes.mid(48), QStringList({"Top|top", "Trend|trend", "Countries|countries+"}));
}

struct PathCase {
    const char* key;
    QByteArray target;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.key; }

class RadioBrowserPath : public RadioBrowserLoad, public ::testing::WithParamInterface<PathCase> {};

TEST_P(RadioBrowserPath, ListsTheAnswerInOrderFromTheAddressOfTheNode)
{
    m_server.SetHandler([](const QByteArray& target) {
        return DirectoryServer::Answer{TwoStations(target.left(target.indexOf('?')))};
    });
    m_browser.FillStations(QString::fromUtf8(GetParam().key));
    ASSERT_TRUE(WaitFor(m_loads, 1));
    ASSERT_EQ(m_server.requests.size(), 1);
    const QByteArray host = m_server.Server().toLatin1();
    const QString request = QString::fromLatin1(m_server.requests[0]);
    EXPECT_TRUE(request.startsWith("GET " + GetParam().target + " HTTP/1.0\r\nHost: " + host + "\r\n"))
        << request.toStdString();
    EXPECT_TRUE(kAgent.match(request).hasMatch()) << request.toStdString();
    EXPECT_TRUE(request.endsWith("\r\n\r\n"));
    const QString path = QString::fromUtf8(GetParam().target.left(GetParam().target.indexOf('?')));
    EXPECT_TRUE(m_listed);
    EXPECT_EQ(m_rows, QStringList({path + " one|http://s/1|3", path + " two|http://s/2.mp3|1"}));
    EXPECT_EQ(m_busy, (std::vector<bool>{true, false}));
}

INSTANTIATE_TEST_SUITE_P(Nodes, RadioBrowserPath, ::testing::Values(
    PathCase{"tag:jazz", "/json/stations/bytagexact/jazz?order=clickcount&reverse=true"
        "&hidebroken=true&limit=500"},
    PathCase{"tag:drum and bass", "/json/stations/bytagexact/drum%20and%20bass?order=clickcount"
        "&reverse=true&hidebroken=true&limit=500"},
    PathCase{"country:DE", "/json/stations/bycountrycodeexact/DE?order=clickcount&reverse=true"
        "&hidebroken=true&limit=500"},
    PathCase{"top", "/json/stations/search?order=votes&reverse=true&hidebroken=true&limit=500"},
    PathCase{"trend", "/json/stations/search?order=clicktrend&reverse=true&hidebroken=true"
        "&limit=500"},
    PathCase{"tag:a/b?c\r\nX: y", "/json/stations/bytagexact/a%2Fb%3Fc%0D%0AX%3A%20y"
        "?order=clickcount&reverse=true&hidebroken=true&limit=500"}));

TEST_F(RadioBrowserLoad, ANewerChoiceDropsTheOlderAnswer)
{
    m_server.SetHandler([](const QByteArray& target) {
        const QByteArray path = target.left(target.indexOf('?'));
        return DirectoryServer::Answer{TwoStations(path.mid(path.lastIndexOf('/') + 1)), Mode::Held};
    });
    m_browser.FillStations("tag:jazz");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requests.size() == 1; }, 60000));
    m_browser.FillStations("tag:rock");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requests.size() == 2; }, 60000));
    // The newer answer first, then the older one the client has let go of.
    EXPECT_EQ(m_server.Release("rock?order=clickcount&reverse=true&hidebroken=true&limit=500"), 1);
    ASSERT_TRUE(WaitFor(m_loads, 1));
    EXPECT_EQ(m_rows.value(0), "rock one|http://s/1|3");
    m_server.Release();
    m_browser.FillStations("top");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requests.size() == 3; }, 60000));
    m_server.Release();
    ASSERT_TRUE(WaitFor(m_loads, 2));
    EXPECT_EQ(m_loads, 2) << "the jazz answer never arrived";
    EXPECT_EQ(m_rows.value(0), "search one|http://s/1|3");
    EXPECT_EQ(m_busy, (std::vector<bool>{true, false, true, false}));
}

TEST_F(RadioBrowserLoad, CountriesAreReadOnceADayAndAClickIsReported)
{
    m_server.SetHandler([](const QByteArray& target) {
        if (target.startsWith("/json/countries"))
            return DirectoryServer::Answer{Json(R"([{"name":"Germany","iso_3166_1":"DE","stationcount":6000},
                {"name":"Bad","iso_3166_1":"","stationcount":5},{"name":"Austria","iso_3166_1":"AT","stationcount":900}])")};
        return DirectoryServer::Answer{Json(R"([{"ok":"true"}])")};
    });
    m_browser.LoadCountries();
    ASSERT_TRUE(WaitFor(m_countryLoads, 1));
    EXPECT_TRUE(m_listed);
    EXPECT_EQ(m_countries, QStringList({"Germany (6000)|country:DE", "Austria (900)|country:AT"}));
    ASSERT_EQ(m_server.requests.size(), 1);
    EXPECT_TRUE(m_server.requests[0].startsWith("GET /json/countries?order=name&hidebroken=true HTTP/1.0\r\n"));

    m_countries.clear();
    m_browser.LoadCountries();
    ASSERT_TRUE(WaitFor(m_countryLoads, 2));
    EXPECT_EQ(m_countries, QStringList({"Germany (6000)|country:DE", "Austria (900)|country:AT"}));
    EXPECT_EQ(m_server.requests.size(), 1) << "the list read a moment ago is used again";

    m_browser.ReportClick("9617a958-0601-11e8-ae97-52543be04c81");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requests.size() == 2; }, 60000));
    EXPECT_TRUE(m_server.requests[1].startsWith(
        "GET /json/url/9617a958-0601-11e8-ae97-52543be04c81 HTTP/1.0\r\n"));
    EXPECT_TRUE(kAgent.match(QString::fromLatin1(m_server.requests[1])).hasMatch());
}

TEST_F(RadioBrowserLoad, AnUnreachableDirectoryListsNothing)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    m_browser.SetServer(QString("127.0.0.1:%1").arg(port));
    m_browser.FillStations("tag:jazz");
    ASSERT_TRUE(WaitFor(m_loads, 1));
    EXPECT_FALSE(m_listed);
    m_browser.FillStations("no such node");
    ASSERT_TRUE(WaitFor(m_loads, 2));
    EXPECT_FALSE(m_listed);
    EXPECT_EQ(m_busy, (std::vector<bool>{true, false, true, false}));
}

QByteArray Png(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

struct IconCase {
    const char* name;
    QByteArray answer;
    bool shown;
    int side; // of the stored icon
};

void PrintTo(const IconCase& c, std::ostream* os) { *os << c.name; }

class StationIcon : public ::testing::TestWithParam<IconCase> {};

TEST_P(StationIcon, IsStoredOnlyWhenItIsAPictureOfReasonableSize)
{
    const IconCase& c = GetParam();
    TestProfile cache;
    DirectoryServer server({c.answer});
    CStationIcon icon(cache.Path());
    int ready = 0;
    bool ok = false;
    QString folder;
    QObject::connect(&icon, &CStationIcon::Ready, [&](bool shown, const QString& where) {
        ++ready;
        ok = shown;
        folder = where;
    });
    const QString address = "http://" + server.Server() + "/icon.png";
    icon.Show(address);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ready == 1; }, 60000));
    EXPECT_EQ(ok, c.shown);
    if (!c.shown) {
        EXPECT_FALSE(QFileInfo::exists(icon.FolderOf(address) + "/cover.png"));
        return;
    }
    EXPECT_EQ(folder, icon.FolderOf(address));
    EXPECT_TRUE(folder.startsWith(cache.Path()));
    const QImage stored(folder + "/cover.png");
    EXPECT_EQ(stored.width(), c.side);
    // A second showing comes from the cache.
    icon.Show(address);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ready == 2; }, 60000));
    EXPECT_TRUE(ok);
    EXPECT_EQ(server.requests.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Answers, StationIcon, ::testing::Values(
    IconCase{"a small picture", "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n" + Png(48), true, 48},
    IconCase{"a large picture", "HTTP/1.0 200 OK\r\n\r\n" + Png(1500), true, CStationIcon::kMaxSide},
    IconCase{"not a picture", "HTTP/1.0 200 OK\r\n\r\n<html>no icon here</html>", false, 0},
    IconCase{"beyond the size cap", "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(3 * 1024 * 1024, 'x'), false, 0},
    IconCase{"missing", "HTTP/1.0 404 Not Found\r\n\r\n", false, 0}));

} // namespace
