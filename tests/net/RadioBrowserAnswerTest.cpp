// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The open directory's JSON answers read into station and country rows, including the answers
// no directory should send, and plumo-radio printing them as the list shows them.
#include "QtPrinters.h"
#include "RadioBrowserAnswer.h"
#include "TestProfile.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// name|file|rating for each station.
QStringList Rows(const std::vector<radio::Station>& stations)
{
    QStringList rows;
    for (const radio::Station& s : stations)
        rows << s.name + u'|' + s.file + u'|' + QString::number(s.rating);
    return rows;
}

QByteArray Station(const QByteArray& fields) { return "{" + fields + "}"; }

QByteArray Array(const QList<QByteArray>& items) { return "[" + items.join(",\n") + "]"; }

struct AnswerCase {
    const char* name;
    QByteArray answer;
    QStringList rows;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class BrowserAnswer : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(BrowserAnswer, ListsWhatCanBeRead)
{
    const AnswerCase& c = GetParam();
    EXPECT_EQ(Rows(radio::ParseBrowserStations(c.answer)), c.rows);
}

const QByteArray kA = Station(R"("name":"A","url":"http://a.example/s","votes":5)");
const QByteArray kB = Station(R"("name":"B","url":"https://b.example/s","votes":50)");

INSTANTIATE_TEST_SUITE_P(Answers, BrowserAnswer, ::testing::Values(
    AnswerCase{"empty", "", {}},
    AnswerCase{"blank", " \r\n", {}},
    AnswerCase{"not json", "<html>Service unavailable", {}},
    AnswerCase{"cut short", Array({kA, kB}).chopped(3), {}},
    AnswerCase{"an object", kA, {}},
    AnswerCase{"an empty array", "[]", {}},
    AnswerCase{"with headers", "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n\r\n"
        + Array({kA, kB}), {"A|http://a.example/s|1", "B|https://b.example/s|2"}},
    AnswerCase{"headers only", "HTTP/1.1 200 OK\r\n\r\n", {}},
    AnswerCase{"items that are no objects", Array({"1", "null", "\"x\"", "[]", kB}),
        {"B|https://b.example/s|2"}},
    AnswerCase{"resolved address first",
        Array({Station(R"("name":"R","url":"http://a/pls","url_resolved":"http://a/live")")}),
        {"R|http://a/live|1"}},
    AnswerCase{"resolved address unusable",
        Array({Station(R"("name":"R","url":"http://a/pls","url_resolved":"rtsp://a/live")"),
            Station(R"("name":"N","url":"http://a/pls","url_resolved":null)")}),
        {"R|http://a/pls|1", "N|http://a/pls|1"}},
    AnswerCase{"streams that are not on the web",
        Array({Station(R"("name":"F","url":"ftp://a/s")"), Station(R"("name":"J","url":"javascript:x")"),
            Station(R"("name":"H","url":"http://")"), Station(R"("name":"S","url":"http://a b/")"),
            Station(R"("name":"M")"), Station(R"("name":"T","url":7)"), kA}),
        {"A|http://a.example/s|1"}},
    AnswerCase{"missing and null fields", Array({Station(R"("url":"HTTP://A.example/")"),
            Station(R"("name":null,"url":"http://a/","votes":null,"bitrate":null)")}),
        {"|HTTP://A.example/|1", "|http://a/|1"}},
    AnswerCase{"votes", Array({Station(R"("name":"neg","url":"http://a/","votes":-5)"),
            Station(R"("name":"text","url":"http://a/","votes":"99999")"),
            Station(R"("name":"huge","url":"http://a/","votes":1e300)"),
            Station(R"("name":"ten","url":"http://a/","votes":10)"),
            Station(R"("name":"hundred","url":"http://a/","votes":999.5)"),
            Station(R"("name":"thousand","url":"http://a/","votes":1000)"),
            Station(R"("name":"many","url":"http://a/","votes":10000)")}),
        {"neg|http://a/|1", "text|http://a/|1", "huge|http://a/|5", "ten|http://a/|2",
            "hundred|http://a/|3", "thousand|http://a/|4", "many|http://a/|5"}},
    AnswerCase{"control characters in names",
        Array({Station(R"("name":" Tab\tLine\nBell\u0007\u0085 End ","url":"http://a/")")}),
        {"Tab Line Bell   End|http://a/|1"}}));

TEST(BrowserStations, LongNamesAreCutAndLongAnswersAtTheStationCap)
{
    // A name of 100,000 characters, and one whose cut would fall inside a surrogate pair.
    const QByteArray longName = QByteArray(100000, 'x');
    const QByteArray straddling = QByteArray(258, 'y') + "\xF0\x9F\x8E\xB5";
    QList<QByteArray> items = {Station("\"name\":\"" + longName + "\",\"url\":\"http://a/\""),
        Station("\"name\":\"" + straddling + "\",\"url\":\"http://a/\"")};
    for (int i = 0; i < 100000; ++i)
        items << Station("\"name\":\"S" + QByteArray::number(i) + "\",\"url\":\"http://a/\"");
    const std::vector<radio::Station> stations = radio::ParseBrowserStations(Array(items));
    ASSERT_EQ(stations.size(), radio::kMaxStations);
    EXPECT_EQ(stations[0].name, QString(radio::kMaxNameLength, u'x'));
    EXPECT_EQ(stations[1].name, QString(258, u'y'));
    EXPECT_EQ(stations.back().name, "S9997") << "the first ones in answer order are kept";
}

TEST(BrowserStations, KeepTheFieldsAClickAndTheCoverNeed)
{
    const std::vector<radio::Station> stations = radio::ParseBrowserStations(Array({
        Station(R"("stationuuid":"9617a958-0601-11e8-ae97-52543be04c81","name":"J",
            "url":"http://a/","favicon":"https://a/i.png","codec":"MP3","bitrate":128)"),
        Station(R"("stationuuid":"../../json/x","name":"K","url":"http://a/",
            "favicon":"file:///etc/passwd","codec":7,"bitrate":-1)"),
        Station(R"("stationuuid":5,"url":"http://a/","favicon":"","bitrate":"128")")}));
    ASSERT_EQ(stations.size(), 3u);
    EXPECT_EQ(stations[0].uuid, "9617a958-0601-11e8-ae97-52543be04c81");
    EXPECT_EQ(stations[0].favicon, "https://a/i.png");
    EXPECT_EQ(stations[0].codec, "MP3");
    EXPECT_EQ(stations[0].bitrate, 128);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(stations[i].uuid, "") << i;
        EXPECT_EQ(stations[i].favicon, "") << i;
        EXPECT_EQ(stations[i].codec, "") << i;
        EXPECT_EQ(stations[i].bitrate, 0) << i;
    }
}

TEST(BrowserCountries, OnlyCountriesWithACodeAndStationsAreListed)
{
    const std::vector<radio::Country> countries = radio::ParseCountries(Array({
        R"({"name":"Germany","iso_3166_1":"DE","stationcount":6000})",
        R"({"name":"Nowhere","iso_3166_1":"","stationcount":3})",
        R"({"name":"Three","iso_3166_1":"FRA","stationcount":3})",
        R"({"name":"Empty","iso_3166_1":"EM","stationcount":0})",
        R"({"name":"Text","iso_3166_1":"TX","stationcount":"12"})",
        R"({"name":"Digits","iso_3166_1":"1Z","stationcount":12})",
        R"({"iso_3166_1":"at","stationcount":9})", "null",
        R"({"name":"C\u00f4te\td'Ivoire","iso_3166_1":"CI","stationcount":40})"}));
    QStringList rows;
    for (const radio::Country& c : countries)
        rows << c.name + u'|' + c.code + u'|' + QString::number(c.stations);
    EXPECT_EQ(rows, QStringList({"Germany|DE|6000", "AT|AT|9", "C\u00f4te d'Ivoire|CI|40"}));
    EXPECT_TRUE(radio::ParseCountries("{\"name\":\"Germany\"}").empty());
}

TEST(BrowserAnswerKind, AnArrayIsTheOpenDirectorysAnswer)
{
    EXPECT_TRUE(radio::IsBrowserAnswer(" \n[]"));
    EXPECT_TRUE(radio::IsBrowserAnswer("HTTP/1.1 200 OK\r\nA: b\r\n\r\n\r\n[{"));
    EXPECT_FALSE(radio::IsBrowserAnswer("<stationlist/>"));
    EXPECT_FALSE(radio::IsBrowserAnswer("HTTP/1.0 200 OK\r\n\r\n<stationlist/>"));
    EXPECT_FALSE(radio::IsBrowserAnswer("{\"a\":[]}"));
    EXPECT_FALSE(radio::IsBrowserAnswer(""));
}

TEST(BrowserTool, PrintsEveryWebStreamInAnswerOrder)
{
    const QString build = qEnvironmentVariable("PLUMO_BUILD_DIR");
    if (build.isEmpty())
        GTEST_SKIP() << "PLUMO_BUILD_DIR is not set, so the built tool cannot be found";
    TestProfile dir;
    QList<QByteArray> items = {
        Station(R"("name":"K\u00f6ln\tFM","url":"http://k/pls","url_resolved":"http://k/live","votes":250)"),
        Station(R"("name":"Gone","url":"mms://g/")"), Station(R"("url":"https://n/","votes":"x")")};
    for (int i = 0; i < 8; ++i)
        items << Station("\"name\":\"S\",\"url\":\"http://s/" + QByteArray::number(i) + "\",\"votes\":10");
    const QString file = dir.Write("answer.json", "\n  " + Array(items));

    QProcess tool;
    tool.start(QDir(build).filePath("bin/plumo-radio"), {file});
    ASSERT_TRUE(tool.waitForFinished(30000)) << tool.errorString().toStdString();
    EXPECT_EQ(tool.exitCode(), 0);
    QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n');
    EXPECT_EQ(lines.takeLast(), "");
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], "01\tK\u00f6ln FM\thttp://k/live\t3");
    EXPECT_EQ(lines[1], "02\t\thttps://n/\t1");
    EXPECT_EQ(lines[9], "10\tS\thttp://s/7\t2");
}

} // namespace
