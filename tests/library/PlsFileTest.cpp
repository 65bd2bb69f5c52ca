// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPlsFile.h"
#include "TestProfile.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// Canonical text of a read: one "file|title|length" line per entry, or "failed".
QString Dump(const CPlsFile& pls, bool ok)
{
    if (!ok)
        return QStringLiteral("failed\n");
    QString text;
    for (const PlsEntry& entry : pls.Entries())
        text += entry.file + u'|' + entry.title + u'|' + entry.length + u'\n';
    return text;
}

struct GoldenCase {
    const char* name;
    PlsFormat format;
    QByteArray bytes;
    const char* golden;
};

void PrintTo(const GoldenCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlsGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(PlsGolden, ReadsToCanonicalText)
{
    const GoldenCase& c = GetParam();
    CPlsFile pls;
    const bool ok = pls.ReadBytes(c.bytes, c.format, QStringLiteral("/pl/"));
    EXPECT_EQ(Dump(pls, ok).toStdString(), std::string(c.golden));
}

const GoldenCase kGolden[] = {
    {"m3u_extinf", PlsFormat::M3u, "#EXTM3U\r\n#EXTINF:123,Artist - Title\r\nsong.mp3\r\n",
        "/pl/song.mp3|Artist - Title|123\n"},
    {"m3u_no_comma_and_empty_lines", PlsFormat::M3u,
        "#EXTINF:Only a title\n\n\nsub/a.mp3\nb.ogg\n",
        "/pl/sub/a.mp3|Only a title|\n/pl/b.ogg||\n"},
    {"m3u_title_holds_commas", PlsFormat::M3u, "#EXTINF:-1,One, Two\nhttp://r.example/x\n",
        "http://r.example/x|One, Two|-1\n"},
    {"m3u_keyword_any_case_anywhere", PlsFormat::M3u, "  #extinf:5,Low\n/abs/a.mp3\n",
        "/abs/a.mp3|Low|5\n"},
    {"m3u_backslashes_and_drive", PlsFormat::M3u, "\\Music\\a.mp3\nC:\\Music\\b.mp3\n..\\c.mp3\n",
        "/pl/Music/a.mp3||\nC:/Music/b.mp3||\n/c.mp3||\n"},
    {"m3u_cp1252", PlsFormat::M3u, "#EXTINF:1,Caf\xe9 \x80\nna\xefve.mp3\n",
        "/pl/na\xc3\xafve.mp3|Caf\xc3\xa9 \xe2\x82\xac|1\n"},
    {"m3u_utf8_with_bom", PlsFormat::M3u, "\xEF\xBB\xBF\xe6\x97\xa5\xe6\x9c\xac.mp3\n",
        "/pl/\xe6\x97\xa5\xe6\x9c\xac.mp3||\n"},
    {"m3u8_always_utf8", PlsFormat::M3u8, "\xd0\x9f\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f.flac\n",
        "/pl/\xd0\x9f\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f.flac||\n"},
    {"m3u_streams_and_schemes", PlsFormat::M3u, "HTTPS://a.example/s\nftp://b/c.mp3\nmms://x/y\n",
        "HTTPS://a.example/s||\nftp://b/c.mp3||\nmms://x/y||\n"},
    {"pls_basic", PlsFormat::Pls,
        "[playlist]\nNumberOfEntries=2\nFile1=a.mp3\nTitle1=First\nLength1=61\n"
        "File2=http://radio.example:8000/\nTitle2=Radio\nLength2=-1\nVersion=2\n",
        "/pl/a.mp3|First|61\nhttp://radio.example:8000/|Radio|-1\n"},
    {"pls_title_containing_file", PlsFormat::Pls,
        "[Playlist]\r\nFile1=a.mp3\r\nTitle1=My Profile\r\n",
        "/pl/a.mp3|My Profile|\n"},
    {"pls_title_before_file", PlsFormat::Pls, "[playlist]\ntitle1=Early\nfile1=a.mp3\n",
        "/pl/a.mp3|Early|\n"},
    {"pls_entry_without_file_dropped", PlsFormat::Pls,
        "[playlist]\nTitle1=Lonely\nFile2=b.mp3\n", "/pl/b.mp3||\n"},
    {"pls_header_missing", PlsFormat::Pls, "\nFile1=a.mp3\n[playlist]\n", "failed\n"},
    {"pls_empty", PlsFormat::Pls, "", "failed\n"},
    {"asx_mixed_case", PlsFormat::Asx,
        "<ASX version=\"3.0\"><Entry><Title>One</Title><REF HREF=\"file:///home/a%20b.mp3\"/>"
        "</Entry><entry><ref href=\"rel/c.wma\"/></entry><other/>"
        "<entry><title>No ref</title></entry></ASX>",
        "/home/a b.mp3|One|\n/pl/rel/c.wma||\n"},
    {"asx_wrong_root", PlsFormat::Asx, "<playlist><entry/></playlist>", "failed\n"},
    {"asx_broken_xml", PlsFormat::Asx, "<asx><entry>", "failed\n"},
    {"xspf_basic", PlsFormat::Xspf,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
        "<track><title>T\xc3\xa9</title><location>\n  http://s.example/live\n</location></track>"
        "<track><location>x.flac</location></track><track><title>empty</title></track>"
        "</trackList></playlist>",
        "http://s.example/live|T\xc3\xa9|\n/pl/x.flac||\n"},
    {"xspf_without_tracklist", PlsFormat::Xspf, "<playlist><title>x</title></playlist>",
        "failed\n"},
    {"xspf_entity_declaration_refused", PlsFormat::Xspf,
        "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
        "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">]>"
        "<playlist><trackList><track><title>&lol2;</title><location>a</location></track>"
        "</trackList></playlist>",
        "failed\n"},
};

INSTANTIATE_TEST_SUITE_P(AllFormats, PlsGolden, ::testing::ValuesIn(kGolden),
    [](const ::testing::TestParamInfo<GoldenCase>& param) { return std::string(param.param.name); });

TEST(PlsFile, ReadChoosesFormatByExtensionAndResolvesAgainstItsFolder)
{
    TestProfile dir;
    const QString path = dir.Write(QStringLiteral("lists/Mix.PLS"), "[playlist]\nFile1=a.mp3\n");
    CPlsFile pls;
    ASSERT_TRUE(pls.Read(path));
    ASSERT_EQ(pls.GetCount(), 1);
    EXPECT_EQ(pls.GetFile(0), dir.Path() + QStringLiteral("/lists/a.mp3"));
    EXPECT_FALSE(pls.IsStream(0));

    const QString other = dir.Write(QStringLiteral("lists/Mix.txt"), "a.mp3\n");
    EXPECT_FALSE(pls.Read(other));
    EXPECT_EQ(pls.GetCount(), 0);
    EXPECT_FALSE(pls.Read(dir.File(QStringLiteral("missing.m3u"))));
}

TEST(PlsFile, StreamTestKnowsHttpHttpsAndFtpOnly)
{
    CPlsFile pls;
    ASSERT_TRUE(pls.ReadBytes("http://a\nHTTPS://b\nFtp://c\nmms://d\nrtsp://e\n/f.mp3\n",
        PlsFormat::M3u, {}));
    ASSERT_EQ(pls.GetCount(), 6);
    const bool expected[] = {true, true, true, false, false, false};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(pls.IsStream(i), expected[i]) << pls.GetFile(i).toStdString();
}

TEST(PlsFile, FileUrlBecomesLocalPath)
{
    CPlsFile pls;
    ASSERT_TRUE(pls.ReadBytes("<asx><entry><ref href=\"file:///C:/Music/a.mp3\"/></entry>"
                              "<entry><ref href=\"FILE:///home/u/b.mp3\"/></entry></asx>",
        PlsFormat::Asx, QStringLiteral("/pl/")));
    ASSERT_EQ(pls.GetCount(), 2);
#ifdef Q_OS_WIN
    EXPECT_EQ(pls.GetFile(0), QStringLiteral("C:/Music/a.mp3"));
#else
    EXPECT_EQ(pls.GetFile(0), QStringLiteral("/C:/Music/a.mp3"));
#endif
    EXPECT_EQ(pls.GetFile(1), QStringLiteral("/home/u/b.mp3"));
}

TEST(PlsFile, OversizedFileIsRefusedUnread)
{
    TestProfile dir;
    const QString path = dir.File(QStringLiteral("huge.m3u"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(65LL * 1024 * 1024)); // sparse: costs no disk
    file.close();
    CPlsFile pls;
    EXPECT_FALSE(pls.Read(path));
}

TEST(PlsFile, HostileInputFinishesQuickly)
{
    CPlsFile pls;
    const QByteArray oneLine(10 * 1024 * 1024, 'a');
    EXPECT_TRUE(pls.ReadBytes(oneLine, PlsFormat::M3u, QStringLiteral("/pl/")));
    EXPECT_EQ(pls.GetCount(), 1);

    QByteArray garbage(1024 * 1024, '\0');
    quint32 seed = 12345;
    for (char& c : garbage) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    pls.ReadBytes("[playlist]\n" + garbage, PlsFormat::Pls, {});
    pls.ReadBytes(garbage, PlsFormat::Xspf, {});

    QByteArray deep = "<asx>";
    for (int i = 0; i < 300; ++i)
        deep += "<entry>";
    for (int i = 0; i < 300; ++i)
        deep += "</entry>";
    EXPECT_FALSE(pls.ReadBytes(deep + "</asx>", PlsFormat::Asx, {}));
}

TEST(PlsFile, SniffRecognisesPlaylistAnswers)
{
    EXPECT_EQ(CPlsFile::SniffFormat("[playlist]\nFile1=http://a\n", {}), PlsFormat::Pls);
    EXPECT_EQ(CPlsFile::SniffFormat("\xEF\xBB\xBF#EXTM3U\n", {}), PlsFormat::M3u);
    EXPECT_EQ(CPlsFile::SniffFormat("http://a/b\n", QStringLiteral("audio/x-mpegurl")),
        PlsFormat::M3u);
    EXPECT_EQ(CPlsFile::SniffFormat("  <ASX version=\"3\">", {}), PlsFormat::Asx);
    EXPECT_EQ(CPlsFile::SniffFormat("<?xml version=\"1.0\"?><playlist>", {}), PlsFormat::Xspf);
    EXPECT_EQ(CPlsFile::SniffFormat(QByteArray("ID3\x04\0\0", 6),
                  QStringLiteral("audio/x-mpegurl")),
        PlsFormat::None);
    EXPECT_EQ(CPlsFile::SniffFormat("\xff\xfb\x90\x64", QStringLiteral("audio/mpeg")),
        PlsFormat::None);
    EXPECT_EQ(CPlsFile::FormatFromExtension(QStringLiteral("M3U8")), PlsFormat::M3u8);
    EXPECT_EQ(CPlsFile::FormatFromExtension(QStringLiteral("mp3")), PlsFormat::None);
}

} // namespace
