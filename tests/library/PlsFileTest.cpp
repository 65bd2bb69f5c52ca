// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPlsFile.h"
#include "QtPrinters.h"
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
    {"m3u_backslashes_drive_and_network", PlsFormat::M3u,
        "\\Music\\a.mp3\nC:\\Music\\b.mp3\n..\\c.mp3\n\\\\nas\\share\\..\\d.mp3\n//nas/e.mp3\n",
        "/pl/Music/a.mp3||\nC:/Music/b.mp3||\n/c.mp3||\n//nas/d.mp3||\n//nas/e.mp3||\n"},
    {"m3u_cp1252", PlsFormat::M3u, "#EXTINF:1,Caf\xe9 \x80\nna\xefve.mp3\n",
        "/pl/na\xc3\xafve.mp3|Caf\xc3\xa9 \xe2\x82\xac|1\n"},
    {"m3u_utf8_with_bom", PlsFormat::M3u, "\xEF\xBB\xBF\xe6\x97\xa5\xe6\x9c\xac.mp3\n",
        "/pl/\xe6\x97\xa5\xe6\x9c\xac.mp3||\n"},
    {"m3u8_always_utf8", PlsFormat::M3u8, "\xd0\x9f\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f.flac\n",
        "/pl/\xd0\x9f\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f.flac||\n"},
    {"m3u_streams_and_schemes", PlsFormat::M3u, "HTTPS://a.example/s\nftp://b/c.mp3\nmms://x/y\n",
        "HTTPS://a.example/s||\nftp://b/c.mp3||\nmms://x/y||\n"},
    {"m3u_extinf_attributes", PlsFormat::M3u,
        "#EXTM3U\n#EXTINF:-1 tvg-id=\"n1\" tvg-name=\"News, Sport\" group-title=\"TV\",News 24\n"
        "http://tv.example/n1\n#EXTINF: 215 , Artist - Song \n  song.mp3 \t\n",
        "http://tv.example/n1|News 24|-1\n/pl/song.mp3|Artist - Song|215\n"},
    {"m3u_extinf_unbalanced_quote", PlsFormat::M3u, "#EXTINF:-1 tvg-name=\"x,Radio\nhttp://r/\n",
        "http://r/|Radio|-1\n"},
    {"m3u_file_addresses", PlsFormat::M3u,
        "file:///home/u/My%20Music/a.mp3\nFILE://localhost/srv/b%C3%A9.mp3\nfile:/srv/c.mp3\n"
        "file:///srv/d%E9%20%25.mp3\nfile://nas/share/e.mp3\nfile://C:/My%20Music/f.mp3\n",
        "/home/u/My Music/a.mp3||\n/srv/b\xc3\xa9.mp3||\n/srv/c.mp3||\n/srv/d\xc3\xa9 %.mp3||\n"
        "//nas/share/e.mp3||\nC:/My Music/f.mp3||\n"},
    {"m3u8_file_address", PlsFormat::M3u8, "#EXTINF:3,\xc3\x84\nfile:///m/%C3%84.flac\n",
        "/m/\xc3\x84.flac|\xc3\x84|3\n"},
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
    {"pls_count_disagrees_with_lines", PlsFormat::Pls,
        "[playlist]\nNumberOfEntries=1\nFile1=a.mp3\nFile2=b.mp3\nFile3=c.mp3\nNumberOfEntries=7\n",
        "/pl/a.mp3||\n/pl/b.mp3||\n/pl/c.mp3||\n"},
    {"pls_number_used_twice_or_padded", PlsFormat::Pls,
        "[playlist]\nFile1=a.mp3\nTitle1=A\nFile1=b.mp3\nTitle01=B\nLength001=9\nFile0=z.mp3\n",
        "/pl/a.mp3|A|\n/pl/b.mp3|B|9\n/pl/z.mp3||\n"},
    {"pls_file_address_and_blank_lines", PlsFormat::Pls,
        "  \n\t\n [playlist] \nFile1 = file:///m/a%20b.mp3 \n", "/m/a b.mp3||\n"},
    {"pls_header_missing", PlsFormat::Pls, "\nFile1=a.mp3\n[playlist]\n", "failed\n"},
    {"pls_empty", PlsFormat::Pls, "", "failed\n"},
    {"asx_mixed_case", PlsFormat::Asx,
        "<ASX version=\"3.0\"><Entry><Title>One</Title><REF HREF=\"file:///home/a%20b.mp3\"/>"
        "</Entry><entry><ref href=\"rel/c.wma\"/></entry><other/>"
        "<entry><title>No ref</title></entry></ASX>",
        "/home/a b.mp3|One|\n/pl/rel/c.wma||\n"},
    {"asx_unescaped_ampersands", PlsFormat::Asx,
        "<asx version=\"3.0\"><entry><title>Rock & Roll &amp; more</title>"
        "<ref href=\"http://r.example/listen.asp?id=1&fmt=wma&amp;x=&#49;\"/></entry></asx>",
        "http://r.example/listen.asp?id=1&fmt=wma&x=1|Rock & Roll & more|\n"},
    {"asx_entryref_and_repeat", PlsFormat::Asx,
        "<asx version=\"3.0\"><entryref href=\"http://r.example/more.asx\"/>"
        "<Repeat count=\"2\"><entry><ref href=\"a.wma\"/></entry></Repeat>"
        "<entry><ref href=\"b.wma\"/></entry></asx>",
        "http://r.example/more.asx||\n/pl/a.wma||\n/pl/b.wma||\n"},
    {"asx_latin1_bytes", PlsFormat::Asx,
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><asx><entry><title>Caf\xe9</title>"
        "<ref href=\"caf\xe9.wma\"/></entry></asx>",
        "/pl/caf\xc3\xa9.wma|Caf\xc3\xa9|\n"},
    {"asx_wrong_root", PlsFormat::Asx, "<playlist><entry/></playlist>", "failed\n"},
    {"asx_broken_xml", PlsFormat::Asx, "<asx><entry>", "failed\n"},
    {"xspf_basic", PlsFormat::Xspf,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
        "<track><title>T\xc3\xa9</title><location>\n  http://s.example/live\n</location></track>"
        "<track><location>x.flac</location></track><track><title>empty</title></track>"
        "</trackList></playlist>",
        "http://s.example/live|T\xc3\xa9|\n/pl/x.flac||\n"},
    {"xspf_namespace_prefix_and_escaped_locations", PlsFormat::Xspf,
        "<xspf:playlist version=\"1\" xmlns:xspf=\"http://xspf.org/ns/0/\"><xspf:trackList>"
        "<xspf:track><xspf:location>My%20Songs/a%C3%A9.ogg</xspf:location>"
        "<xspf:title>A</xspf:title></xspf:track>"
        "<xspf:track><xspf:location>100% Hits/b.mp3</xspf:location></xspf:track>"
        "<xspf:track><xspf:location>http://s.example/a%20b</xspf:location></xspf:track>"
        "</xspf:trackList></xspf:playlist>",
        "/pl/My Songs/a\xc3\xa9.ogg|A|\n/pl/100% Hits/b.mp3||\nhttp://s.example/a%20b||\n"},
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

// One playlist per format, saved as the programs that write them save it: with or without a
// byte-order mark, in UTF-16 of either byte order, with any of the three line ends. Every
// form must read to the same entries. "@" in a golden text stands for the playlist folder.
struct FormCase {
    const char* ext;
    const char* utf8;
    const char* golden;
};

void PrintTo(const FormCase& c, std::ostream* os)
{
    *os << c.ext;
}

const FormCase kForms[] = {
    {"m3u", "#EXTM3U\n#EXTINF:61,Caf\xc3\xa9 \xe6\x97\xa5\nsub/a.mp3\n\nhttp://r.example/s\n",
        "@sub/a.mp3|Caf\xc3\xa9 \xe6\x97\xa5|61\nhttp://r.example/s||\n"},
    {"m3u8", "#EXTINF:5,\xc3\x84\nfile:///m/%C3%84%20b.flac\n", "/m/\xc3\x84 b.flac|\xc3\x84|5\n"},
    {"pls",
        "[playlist]\nFile1=\xc3\xa9.mp3\nTitle1=\xc3\x89t\xc3\xa9\nLength1=3\nNumberOfEntries=1\n",
        "@\xc3\xa9.mp3|\xc3\x89t\xc3\xa9|3\n"},
    {"asx", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<asx version=\"3.0\">\n<entry>\n"
            "<title>\xc3\xa9</title>\n<ref href=\"\xc3\xa9.wma\"/>\n</entry>\n</asx>\n",
        "@\xc3\xa9.wma|\xc3\xa9|\n"},
    {"xspf", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<playlist version=\"1\">\n<trackList>\n"
             "<track><location>\xc3\xa9.ogg</location><title>T</title></track>\n</trackList>\n"
             "</playlist>\n",
        "@\xc3\xa9.ogg|T|\n"},
};

enum class Form { Utf8, Utf8Bom, Utf16LeBom, Utf16BeBom, Utf16LeBare, CrLf, CrOnly };

QByteArray Encode(const QByteArray& utf8, Form form)
{
    const QString text = QString::fromUtf8(utf8);
    QByteArray le;
    QByteArray be;
    for (QChar c : text) {
        const char lo = static_cast<char>(c.unicode() & 0xFF);
        const char hi = static_cast<char>(c.unicode() >> 8);
        le += lo;
        le += hi;
        be += hi;
        be += lo;
    }
    switch (form) {
    case Form::Utf8:
        return utf8;
    case Form::Utf8Bom:
        return "\xEF\xBB\xBF" + utf8;
    case Form::Utf16LeBom:
        return "\xFF\xFE" + le;
    case Form::Utf16BeBom:
        return "\xFE\xFF" + be;
    case Form::Utf16LeBare:
        return le;
    case Form::CrLf:
        return QByteArray(utf8).replace("\n", "\r\n");
    case Form::CrOnly:
        return QByteArray(utf8).replace('\n', '\r');
    }
    return {};
}

class PlsForms : public ::testing::TestWithParam<std::tuple<FormCase, Form>> {};

TEST_P(PlsForms, EveryEncodingAndLineEndReadsAlike)
{
    const auto& [c, form] = GetParam();
    TestProfile dir;
    const QString path = dir.Write(QStringLiteral("lists/list.") + QLatin1String(c.ext),
        Encode(c.utf8, form));
    CPlsFile pls;
    const bool ok = pls.Read(path);
    const QString golden = QString::fromUtf8(c.golden).replace(u'@', dir.Path() + "/lists/");
    EXPECT_EQ(Dump(pls, ok), golden);
}

std::string FormName(const ::testing::TestParamInfo<std::tuple<FormCase, Form>>& info)
{
    static const char* const kNames[]
        = {"utf8", "utf8_bom", "utf16le_bom", "utf16be_bom", "utf16le_bare", "crlf", "cr"};
    return std::string(std::get<0>(info.param).ext) + "_"
        + kNames[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(AllFormats, PlsForms,
    ::testing::Combine(::testing::ValuesIn(kForms),
        ::testing::Values(Form::Utf8, Form::Utf8Bom, Form::Utf16LeBom, Form::Utf16BeBom,
            Form::Utf16LeBare, Form::CrLf, Form::CrOnly)),
    FormName);

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
    const QByteArray utf16("\xFF\xFE[\0p\0l\0a\0y\0l\0i\0s\0t\0]\0", 22);
    EXPECT_EQ(CPlsFile::SniffFormat(utf16, {}), PlsFormat::Pls);
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
