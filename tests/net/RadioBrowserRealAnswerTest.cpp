// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Answers shaped as the open directory's servers send them today: every field of a station
// object, null where the directory keeps nothing, empty resolved addresses, comma lists of
// tags, names in many scripts, addresses typed in by people. What the list and plumo-radio
// make of them.
#include "QtPrinters.h"
#include "RadioBrowserAnswer.h"
#include "TestProfile.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// One station object with the directory's full field set; the fields a case is about are
// given, the rest carry the values a checked station has.
QByteArray StationObject(const QByteArray& uuid, const QByteArray& name, const QByteArray& url,
                         const QByteArray& resolved, const QByteArray& favicon, int votes,
                         const QByteArray& codec, int bitrate, const QByteArray& tags)
{
    return R"({
    "changeuuid": "5f0c6b1e-2a3b-4c5d-8e9f-)" + uuid.right(12) + R"(",
    "stationuuid": ")" + uuid + R"(",
    "serveruuid": null,
    "name": )" + name + R"(,
    "url": )" + url + R"(,
    "url_resolved": )" + resolved + R"(,
    "homepage": "https://www.example.org/",
    "favicon": )" + favicon + R"(,
    "tags": )" + tags + R"(,
    "country": "Germany",
    "countrycode": "DE",
    "iso_3166_2": null,
    "state": "",
    "language": "german,english",
    "languagecodes": "de,en",
    "votes": )" + QByteArray::number(votes) + R"(,
    "lastchangetime": "2024-03-02 11:04:27",
    "lastchangetime_iso8601": "2024-03-02T11:04:27Z",
    "codec": ")" + codec + R"(",
    "bitrate": )" + QByteArray::number(bitrate) + R"(,
    "hls": 0,
    "lastcheckok": 1,
    "lastchecktime": "2024-05-22 14:55:01",
    "lastchecktime_iso8601": "2024-05-22T14:55:01Z",
    "lastcheckoktime": "2024-05-22 14:55:01",
    "lastcheckoktime_iso8601": "2024-05-22T14:55:01Z",
    "lastlocalchecktime": "",
    "lastlocalchecktime_iso8601": null,
    "clicktimestamp": "2024-05-22 21:44:26",
    "clicktimestamp_iso8601": "2024-05-22T21:44:26Z",
    "clickcount": 412,
    "clicktrend": -3,
    "ssl_error": 0,
    "geo_lat": null,
    "geo_long": null,
    "has_extended_info": false
  })";
}

// A station list as a tag or country request answers it, headers and all.
QByteArray RealStationAnswer()
{
    const QList<QByteArray> stations = {
        StationObject("960e57c5-0601-11e8-ae97-52543be04c81", R"("Jazz Radio \u2013 Blue Note ")",
            R"("http://jazz.example.net/listen.pls")",
            R"("https://jazz.example.net:8443/bluenote")",
            R"("https://jazz.example.net/apple-touch-icon.png")", 15873, "MP3", 128,
            R"("jazz,smooth jazz,bebop")"),
        // Not resolved by the checker: the address as entered is played.
        StationObject("78012206-1aa1-11e9-a80b-52543be04c81", R"("\u6771\u4eac JAZZ \ud83c\udfb7")",
            R"("http://tokyo.example.jp:8000/stream")", R"("")", R"("")", 0, "AAC+", 64,
            R"("jazz,japan,\u30b8\u30e3\u30ba")"),
        // Entered with a space and a "|" in the address.
        StationObject("a1b2c3d4-0000-4000-8000-00000000000a", R"("Radio Jazz Z\u00fcrich\n")",
            R"("http://live.example.ch/jazz live.mp3?sid=1|hq")", R"("")",
            R"("http://live.example.ch/logo.svg")", 745, "MP3", 192, R"("")"),
        // A played-out HLS stream, listed like any other.
        StationObject("b7c9d2e4-5f60-4a1b-9c2d-3e4f5a6b7c8d", R"("\u0414\u0436\u0430\u0437 FM")",
            R"("https://hls.example.ru/jazz/playlist.m3u8")",
            R"("https://hls.example.ru/jazz/playlist.m3u8")", R"("https://hls.example.ru/f.ico")",
            99, "AAC", 0, R"("jazz,russian")"),
        // A stream on another kind of server is not a web stream.
        StationObject("c0ffee00-1111-4222-8333-444455556666", R"("Old Jazz Archive")",
            R"("mms://archive.example.com/jazz")", R"("")", R"("null")", 12, "WMA", 32,
            R"("jazz,archive")"),
        StationObject("d00dfeed-7777-4888-9999-aaaabbbbcccc", R"("  ")",
            R"("https://nameless.example.org/;")", R"("https://nameless.example.org/;")",
            R"("")", 10, "OGG", 112, R"("jazz")"),
    };
    return "HTTP/1.1 200 OK\r\nServer: nginx\r\nContent-Type: application/json\r\n\r\n["
        + stations.join(",") + "]";
}

TEST(RealBrowserAnswer, ListsEveryWebStreamWithNameAddressAndStars)
{
    const std::vector<radio::Station> stations = radio::ParseBrowserStations(RealStationAnswer());
    QStringList rows;
    for (const radio::Station& s : stations) {
        rows << s.name + u'|' + s.file + u'|' + QString::number(s.rating) + u'|' + s.codec + u'|'
                + QString::number(s.bitrate) + u'|' + s.favicon;
    }
    EXPECT_EQ(rows, QStringList({
        "Jazz Radio \u2013 Blue Note|https://jazz.example.net:8443/bluenote|5|MP3|128|"
        "https://jazz.example.net/apple-touch-icon.png",
        "\u6771\u4eac JAZZ \U0001F3B7|http://tokyo.example.jp:8000/stream|1|AAC+|64|",
        "Radio Jazz Z\u00fcrich|http://live.example.ch/jazz%20live.mp3?sid=1%7Chq|3|MP3|192|"
        "http://live.example.ch/logo.svg",
        "\u0414\u0436\u0430\u0437 FM|https://hls.example.ru/jazz/playlist.m3u8|2|AAC|0|"
        "https://hls.example.ru/f.ico",
        "|https://nameless.example.org/;|2|OGG|112|",
    }));
    ASSERT_EQ(stations.size(), 5u);
    EXPECT_EQ(stations[0].uuid, "960e57c5-0601-11e8-ae97-52543be04c81");
    EXPECT_EQ(stations[1].uuid, "78012206-1aa1-11e9-a80b-52543be04c81");
}

TEST(RealBrowserAnswer, ReadsTheCountryList)
{
    const QByteArray answer = R"([
  {"name":"Afghanistan","iso_3166_1":"AF","stationcount":12},
  {"name":"C\u00f4te D'ivoire","iso_3166_1":"CI","stationcount":37},
  {"name":"The United Kingdom Of Great Britain And Northern Ireland","iso_3166_1":"GB",
   "stationcount":2188},
  {"name":"T\u00fcrkiye","iso_3166_1":"TR","stationcount":1042},
  {"name":"","iso_3166_1":"","stationcount":95}
])";
    QStringList rows;
    for (const radio::Country& c : radio::ParseCountries(answer))
        rows << c.name + u'|' + c.code + u'|' + QString::number(c.stations);
    EXPECT_EQ(rows, QStringList({"Afghanistan|AF|12", "C\u00f4te D'ivoire|CI|37",
        "The United Kingdom Of Great Britain And Northern Ireland|GB|2188",
        "T\u00fcrkiye|TR|1042"}));
}

TEST(RealBrowserAnswer, SavedWithAByteOrderMarkStillReadsAsTheDirectorysAnswer)
{
    const QByteArray saved = "\xEF\xBB\xBF[{\"name\":\"A\",\"url\":\"http://a.example/\"}]";
    EXPECT_TRUE(radio::IsBrowserAnswer(saved));
    ASSERT_EQ(radio::ParseBrowserStations(saved).size(), 1u);
}

TEST(RealBrowserAnswer, ToolPrintsTheRowsInAnswerOrder)
{
    const QString build = qEnvironmentVariable("PLUMO_BUILD_DIR");
    if (build.isEmpty())
        GTEST_SKIP() << "PLUMO_BUILD_DIR is not set, so the built tool cannot be found";
    TestProfile dir;
    QByteArray body = RealStationAnswer();
    body.remove(0, body.indexOf("\r\n\r\n") + 4);
    const QString file = dir.Write("bytag-jazz.json", body);

    QProcess tool;
    tool.start(QDir(build).filePath("bin/plumo-radio"), {file});
    ASSERT_TRUE(tool.waitForFinished(30000)) << tool.errorString().toStdString();
    EXPECT_EQ(tool.exitCode(), 0);
    QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n');
    EXPECT_EQ(lines.takeLast(), "");
    EXPECT_EQ(lines, QStringList({
        "1\tJazz Radio \u2013 Blue Note\thttps://jazz.example.net:8443/bluenote\t5",
        "2\t\u6771\u4eac JAZZ \U0001F3B7\thttp://tokyo.example.jp:8000/stream\t1",
        "3\tRadio Jazz Z\u00fcrich\thttp://live.example.ch/jazz%20live.mp3?sid=1%7Chq\t3",
        "4\t\u0414\u0436\u0430\u0437 FM\thttps://hls.example.ru/jazz/playlist.m3u8\t2",
        "5\t\thttps://nameless.example.org/;\t2"}));
}

} // namespace
