// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The limits every XML file of the profile and program folders is read under: size, nesting
// depth and entities, through each real loader.
#include "CAudioLib.h"
#include "CDBase.h"
#include "CLanguage.h"
#include "CLibraryFolders.h"
#include "CPlayBass.h"
#include "CPlaylistStore.h"
#include "CPlsFile.h"
#include "CSettings.h"
#include "XmlLimits.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <tinyxml2.h>

#include <gtest/gtest.h>

namespace {

QByteArray Nested(int depth)
{
    return QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A valid document followed by zero bytes up to just over the limit. The file is sparse, so
// it costs no disk; TinyXML-2 stops at the first zero, so a loader that read it whole would
// accept it.
bool WriteOversized(const QString& path, const QByteArray& document)
{
    if (!Write(path, document))
        return false;
    QFile file(path);
    return file.resize(xmllimits::kMaxFileBytes + 1);
}

TEST(XmlLimits, DepthIsCountedAsTheParserNestsElements)
{
    const QByteArray ok = Nested(xmllimits::kMaxDepth);
    EXPECT_TRUE(xmllimits::DepthWithin(ok.constData(), static_cast<std::size_t>(ok.size())));
    const QByteArray deep = Nested(xmllimits::kMaxDepth + 1);
    EXPECT_FALSE(xmllimits::DepthWithin(deep.constData(), static_cast<std::size_t>(deep.size())));
    // Siblings, empty elements and markup that is no element do not nest.
    const QByteArray flat = QByteArray("<r>")
        + QByteArray("<a x='>'/><b y=\"<c>\"></b><!-- <d> --><![CDATA[<e>]]><?pi <f>?><!X <g>>")
              .repeated(1000)
        + "</r>";
    EXPECT_TRUE(xmllimits::DepthWithin(flat.constData(), static_cast<std::size_t>(flat.size()), 2));
    const QByteArray open = QByteArray("<r>").repeated(5);
    EXPECT_FALSE(xmllimits::DepthWithin(open.constData(), static_cast<std::size_t>(open.size()), 4))
        << "unclosed elements count too";
}

TEST(XmlLimits, ParseRefusesDeepDocumentsAndExpandsNoCustomEntity)
{
    tinyxml2::XMLDocument doc;
    EXPECT_FALSE(xmllimits::Parse(doc, "<r>" + Nested(100000) + "</r>"));
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">"
                              "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                              "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><r v=\"&c;\">&c;</r>";
    tinyxml2::XMLDocument laughing;
    if (xmllimits::Parse(laughing, laughs)) {
        const tinyxml2::XMLElement* root = laughing.FirstChildElement("r");
        ASSERT_NE(root, nullptr);
        EXPECT_LE(std::strlen(root->Attribute("v")), 8u);
        EXPECT_TRUE(root->GetText() == nullptr || std::strlen(root->GetText()) <= 8);
    }
}

class XmlLoaders : public testing::Test {
protected:
    QString Profile(const char* name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(XmlLoaders, SettingsAndLanguageRefuseDeepAndOversizedFiles)
{
    CSettings settings;
    ASSERT_TRUE(Write(Profile("Settings.xml"),
        "<Settings><Repeat ID=\"1\"/><Library>" + Nested(300) + "</Library></Settings>"));
    EXPECT_FALSE(settings.Load(m_dir.path()));
    EXPECT_EQ(settings.ToXml(), CSettings().ToXml()) << "a refused file changes nothing";

    const QByteArray language
        = "<?xml version=\"1.0\"?><Language Version=\"1.5\"><Menu><Line1 Line=\"x\"/>";
    CLanguage lang;
    lang.SetProgramFolder(m_dir.path());
    ASSERT_TRUE(Write(Profile("Language/Deep/Main.xml"), language + Nested(300) + "</Menu></Language>"));
    EXPECT_FALSE(lang.Load("Deep"));
    ASSERT_TRUE(WriteOversized(Profile("Language/Big/Main.xml"), language + "</Menu></Language>"));
    EXPECT_FALSE(lang.Load("Big"));
    ASSERT_TRUE(Write(Profile("Language/Fine/Main.xml"), language + "</Menu></Language>"));
    EXPECT_TRUE(lang.Load("Fine")) << "the same document at a normal size loads";
}

TEST_F(XmlLoaders, PlaylistFilesRefuseDeepAndOversizedFiles)
{
    const QByteArray xspf = "<playlist><trackList><track><location>/m/a.mp3</location></track>"
                            "</trackList></playlist>";
    CPlsFile ok;
    ASSERT_TRUE(Write(Profile("ok.xspf"), xspf));
    EXPECT_TRUE(ok.Read(Profile("ok.xspf")));
    EXPECT_EQ(ok.GetCount(), 1);
    CPlsFile big;
    ASSERT_TRUE(WriteOversized(Profile("big.xspf"), xspf));
    EXPECT_FALSE(big.Read(Profile("big.xspf")));
    ASSERT_TRUE(WriteOversized(Profile("big.m3u"), "/m/a.mp3\n"));
    EXPECT_FALSE(big.Read(Profile("big.m3u")));
    CPlsFile deep;
    ASSERT_TRUE(Write(Profile("deep.asx"), "<asx><entry><ref href=\"a.mp3\"/></entry>" + Nested(300) + "</asx>"));
    EXPECT_FALSE(deep.Read(Profile("deep.asx")));
}

TEST_F(XmlLoaders, LibraryAndPlaylistRegistryRefuseDeepFiles)
{
    CLibraryFolders folders;
    ASSERT_TRUE(Write(Profile("Library.xml"), "<Library><Folder Path=\"/m\"/>" + Nested(300) + "</Library>"));
    folders.Load(m_dir.path());
    EXPECT_TRUE(folders.Folders().isEmpty());

    CDBase db;
    db.SetFolder(m_dir.path());
    CPlaylistStore store(db);
    ASSERT_TRUE(Write(Profile("Playlist.xml"), "<Playlist><Play Name=\"A\" File=\"1.db\"/>" + Nested(300) + "</Playlist>"));
    EXPECT_FALSE(store.LoadRegistry(nullptr));
    EXPECT_TRUE(store.Entries().empty());
}

TEST_F(XmlLoaders, EqualizerStateRefusesDeepFiles)
{
    CAudioLib audio;
    CPlayBass engine(audio);
    engine.SetProfileFolder(m_dir.path());
    ASSERT_TRUE(Write(Profile("Equalizer/Equalizer.xml"),
        "<Equalizer Enable=\"1\" Preset=\"Deep\"><Preamp Gain=\"6.0\"/>" + Nested(300) + "</Equalizer>"));
    engine.LoadEqState();
    EXPECT_FALSE(engine.IsEqEnabled());
    EXPECT_EQ(engine.GetPresetName(), QString());
}

TEST_F(XmlLoaders, LibraryPlaylistAndEqualizerRefuseOversizedFiles)
{
    CLibraryFolders folders;
    ASSERT_TRUE(WriteOversized(Profile("Library.xml"), "<Library><Folder Path=\"/m\"/></Library>"));
    folders.Load(m_dir.path());
    EXPECT_TRUE(folders.Folders().isEmpty());

    CDBase db;
    db.SetFolder(m_dir.path());
    CPlaylistStore store(db);
    ASSERT_TRUE(WriteOversized(Profile("Playlist.xml"), "<Playlist><Play Name=\"A\" File=\"1.db\"/></Playlist>"));
    EXPECT_FALSE(store.LoadRegistry(nullptr));

    CAudioLib audio;
    CPlayBass engine(audio);
    engine.SetProfileFolder(m_dir.path());
    ASSERT_TRUE(WriteOversized(Profile("Equalizer/Equalizer.xml"), "<Equalizer Enable=\"1\" Preset=\"Big\"/>"));
    engine.LoadEqState();
    EXPECT_FALSE(engine.IsEqEnabled());
    EXPECT_EQ(engine.GetPresetName(), QString());
}

} // namespace
