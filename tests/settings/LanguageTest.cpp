// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CLanguage.h"

#include "QtPrinters.h"
#include "TestProfile.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// A program folder holding languages written by the test.
class LanguageFolder : public testing::Test {
protected:
    void SetUp() override { m_language.SetProgramFolder(m_program.Path()); }

    void Write(const QString& name, const QByteArray& mainXml)
    {
        m_program.Write("Language/" + name + "/Main.xml", mainXml);
    }

    static QByteArray Doc(const QByteArray& version, const QByteArray& sections)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Language Version=\"" + version + "\">"
            + sections + "</Language>";
    }

    TestProfile m_program;
    CLanguage m_language;
};

TEST_F(LanguageFolder, ReadsLinesInDocumentOrderFromElementsOfAnyName)
{
    Write("Test",
        Doc("1.5",
            "<Messages><Caption Line=\"Fehler\"/><x Line=\"a &amp; b\"/><NoLine/>"
            "<y Line=\"\xc3\xbc\"/></Messages>"
            "<MainMenu><Item Line=\"Open\"/></MainMenu>"
            "<MainMenu><Item Line=\"ignored second section\"/></MainMenu>"));
    ASSERT_TRUE(m_language.Load("Test"));
    EXPECT_EQ(m_language.GetName(), "Test");
    EXPECT_EQ(m_language.LineCount(LangSection::Messages), 4);
    EXPECT_EQ(m_language.Line(LangSection::Messages, 0), "Fehler");
    EXPECT_EQ(m_language.Line(LangSection::Messages, 1), "a & b");
    EXPECT_EQ(m_language.Line(LangSection::Messages, 2), ""); // no "Line": an empty line
    EXPECT_EQ(m_language.Line(LangSection::Messages, 3), QString::fromUtf8("\xc3\xbc"));
    EXPECT_EQ(m_language.Section(LangSection::MainMenu), QStringList { "Open" });
    EXPECT_EQ(m_language.LineCount(LangSection::OpenURLDialog), 0);
}

TEST_F(LanguageFolder, ShortSectionsAreNeverReadPastTheirEnd)
{
    Write("Short", Doc("1.5", "<TrayMenu><a Line=\"Play\"/></TrayMenu>"));
    ASSERT_TRUE(m_language.Load("Short"));
    EXPECT_EQ(m_language.Line(LangSection::TrayMenu, 0), "Play");
    EXPECT_EQ(m_language.Line(LangSection::TrayMenu, 1), "");
    EXPECT_EQ(m_language.Line(LangSection::TrayMenu, -1), "");
    EXPECT_EQ(m_language.Line(LangSection::HotKeyDialog, 19), "");
    EXPECT_EQ(m_language.Line(static_cast<LangSection>(kLangSectionCount), 0), "");
    EXPECT_EQ(m_language.Line(static_cast<LangSection>(-1), 0), "");
    EXPECT_EQ(m_language.LineCount(static_cast<LangSection>(99)), 0);
}

TEST_F(LanguageFolder, LongLinesAreCut)
{
    Write("Long", Doc("1.5", "<Library><a Line=\"" + QByteArray(5000, 'w') + "\"/></Library>"));
    ASSERT_TRUE(m_language.Load("Long"));
    EXPECT_EQ(m_language.Line(LangSection::Library, 0).size(), CLanguage::kMaxLineLength);
}

// Only the exact text "1.5" is this program's version; anything else is rejected whole.
struct BadFile {
    const char* name;
    const char* xml;
};

class LanguageVersion : public LanguageFolder, public testing::WithParamInterface<BadFile> { };

TEST_P(LanguageVersion, IsRejected)
{
    Write("Good", Doc("1.5", "<Library><a Line=\"Good\"/></Library>"));
    ASSERT_TRUE(m_language.Load("Good"));
    Write("Other", QByteArray(GetParam().xml));
    EXPECT_FALSE(m_language.Load("Other"));
    for (int i = 0; i < kLangSectionCount; ++i)
        EXPECT_EQ(m_language.LineCount(static_cast<LangSection>(i)), 0);
    EXPECT_EQ(m_language.GetName(), "Good"); // the name of the last language that loaded
}

INSTANTIATE_TEST_SUITE_P(Language, LanguageVersion,
    testing::Values(
        BadFile { "TrailingZero",
            "<Language Version=\"1.50\"><Library><a Line=\"x\"/></Library></Language>" },
        BadFile { "TrailingBlank",
            "<Language Version=\"1.5 \"><Library><a Line=\"x\"/></Library></Language>" },
        BadFile { "LeadingBlank", "<Language Version=\" 1.5\"/>" },
        BadFile { "Older", "<Language Version=\"1.4\"/>" },
        BadFile { "EmptyVersion", "<Language Version=\"\"/>" },
        BadFile { "NoVersion", "<Language><Library><a Line=\"x\"/></Library></Language>" },
        BadFile { "OtherRoot", "<Lang Version=\"1.5\"><Library><a Line=\"x\"/></Library></Lang>" },
        BadFile { "Unclosed", "<Language Version=\"1.5\"><Library><a Line=\"x\"/></Library>" },
        BadFile { "Empty", "" }, BadFile { "NotXml", "garbage" }),
    [](const testing::TestParamInfo<BadFile>& p) { return std::string(p.param.name); });

TEST_F(LanguageFolder, MissingLanguageFails)
{
    EXPECT_FALSE(m_language.Load("Klingon"));
    EXPECT_FALSE(m_language.Load(""));
    EXPECT_EQ(m_language.GetName(), "");
}

// A language name comes from the settings file or a folder listing: it can never reach a
// "Main.xml" outside the "Language" folder.
TEST_F(LanguageFolder, NamesThatAreNotPlainFolderNamesAreRefused)
{
    m_program.Write("Main.xml", Doc("1.5", ""));
    m_program.Write("Elsewhere/Main.xml", Doc("1.5", ""));
    m_program.Write("Language/Main.xml", Doc("1.5", ""));
    for (const QString name : { "..", "../Elsewhere", ".", "Elsewhere/../..", "..\\Elsewhere" })
        EXPECT_FALSE(m_language.Load(name)) << name.toStdString();
    EXPECT_EQ(m_language.LanguageFolder(".."), "");
    EXPECT_EQ(m_language.FlagPath(""), "");
    EXPECT_EQ(QDir::cleanPath(m_language.FlagPath("German")),
        QDir::cleanPath(m_program.Path() + "/Language/German/Flag.ico"));
}

TEST_F(LanguageFolder, OversizedFilesAreRefusedUnread)
{
    Write("Huge", Doc("1.5", ""));
    QFile huge(m_program.File("Language/Huge/Main.xml"));
    ASSERT_TRUE(huge.resize(CLanguage::kMaxFileSize + 1)); // sparse
    EXPECT_FALSE(m_language.Load("Huge"));

    // A file that never ends: the read stops at the limit.
    QDir().mkpath(m_program.File("Language/Endless"));
    ASSERT_TRUE(QFile::link("/dev/zero", m_program.File("Language/Endless/Main.xml")));
    EXPECT_FALSE(m_language.Load("Endless"));
}

TEST(Language, SectionNamesFollowTheFixedOrder)
{
    EXPECT_STREQ(CLanguage::SectionName(LangSection::MainMenu), "MainMenu");
    EXPECT_STREQ(CLanguage::SectionName(LangSection::AboutDialog), "AboutDialog");
    EXPECT_STREQ(CLanguage::SectionName(LangSection::Messages), "Messages");
    EXPECT_STREQ(CLanguage::SectionName(LangSection::OpenURLDialog), "OpenURLDialog");
    EXPECT_STREQ(CLanguage::SectionName(LangSection::ListenBrainzDialog), "ListenBrainzDialog");
    EXPECT_EQ(static_cast<int>(LangSection::ListenBrainzDialog), kLangSectionCount - 1);
    EXPECT_EQ(CLanguage::CorruptedText(),
        "Language file is corrupted, or it is for a different version of the program.");
}

} // namespace
