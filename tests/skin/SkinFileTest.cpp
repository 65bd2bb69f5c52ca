// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Reading the small files of a skin: values with their defaults, and trigger files.
#include "CTrigger.h"
#include "SkinXml.h"

#include "SkinTestImages.h"

#include <QTemporaryDir>

#include <climits>

#include <tinyxml2.h>

#include <gtest/gtest.h>

namespace {

TEST(SkinXmlTest, ColorsOfSixOrEightDigits)
{
    struct Case {
        const char* text;
        QRgb expected;
    };
    constexpr QRgb kFallback = 0xFFFFFFFF;
    const Case cases[] = {
        {"FF000080", 0x80FF0000},
        {"FF0000", 0xFFFF0000},
        {"F00", kFallback},
        {"00FF0080", 0x8000FF00},
        {"00ff00", 0xFF00FF00},
        {"", kFallback},
        {"FF00GG", kFallback},
        {"FF0000800", kFallback},
        {" FF0000", kFallback},
        {nullptr, kFallback},
    };
    for (const Case& c : cases)
        EXPECT_EQ(skinxml::ParseColor(c.text, kFallback), c.expected) << (c.text ? c.text : "null");
}

TEST(SkinXmlTest, IntegersWithDefaultsAndClamping)
{
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<E a=\"12\" b=\"-5\" c=\" 7\" d=\"abc\" e=\"99999999999\" "
                        "f=\"-99999999999\" g=\"12px\" h=\"\" i=\"+3\"/>"),
        tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* e = doc.FirstChildElement("E");
    struct Case {
        const char* name;
        int expected;
    };
    const Case cases[] = {{"a", 12}, {"b", -5}, {"c", 7}, {"d", 42}, {"e", INT_MAX},
        {"f", INT_MIN}, {"g", 12}, {"h", 42}, {"i", 3}, {"missing", 42}};
    for (const Case& c : cases)
        EXPECT_EQ(skinxml::IntAttribute(e, c.name, 42), c.expected) << c.name;
    EXPECT_EQ(skinxml::IntAttribute(nullptr, "a", 9), 9);
}

TEST(SkinXmlTest, FilesAreRelativeToTheSkinFilesFolder)
{
    EXPECT_EQ(skinxml::FolderOf("skins/Dark/Play.xml"), "skins/Dark/");
    EXPECT_EQ(skinxml::FolderOf("Play.xml"), "");
    tinyxml2::XMLDocument doc;
    const QByteArray longName(400, 'n');
    ASSERT_EQ(doc.Parse("<E File=\"play.png\" Long=\"" + longName + "\"/>"), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* e = doc.FirstChildElement("E");
    EXPECT_EQ(skinxml::FilePath("dir/", e), "dir/play.png");
    EXPECT_EQ(skinxml::FilePath("dir/", e, "Long").size(), 4 + skinxml::kMaxFileName);
    EXPECT_EQ(skinxml::FilePath("dir/", e, "Missing"), "");
    EXPECT_EQ(skinxml::FilePath("dir/", nullptr), "");
}

class TriggerTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& text)
    {
        const QString path = m_dir.filePath("Trigger.xml");
        EXPECT_TRUE(skintest::WriteText(path, text));
        return path;
    }
    QTemporaryDir m_dir;
};

TEST_F(TriggerTest, EntriesInFileOrderFirstOneCounts)
{
    CTrigger trigger;
    ASSERT_TRUE(trigger.Load(Write("<?xml version=\"1.0\"?><Trigger>"
                                   "<Line ID=\"2\" Hide=\"1\" SizeX=\"30\" SizeY=\"40\"/>"
                                   "<Any ID=\"3\" Hide=\"0\"/>"
                                   "<Line ID=\"2\" Hide=\"0\"/>"
                                   "<Line Hide=\"junk\"/></Trigger>")));
    ASSERT_EQ(trigger.GetEntries().size(), 4u);
    const CTrigger::structEntry* two = trigger.FindEntry(2);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->hide, 1);
    EXPECT_EQ(two->sizeX, 30);
    EXPECT_EQ(two->sizeY, 40);
    ASSERT_NE(trigger.FindEntry(3), nullptr);
    EXPECT_EQ(trigger.FindEntry(3)->hide, 0);
    const CTrigger::structEntry& last = trigger.GetEntries().back();
    EXPECT_EQ(last.id, 0);
    EXPECT_EQ(last.hide, 0);
    EXPECT_EQ(trigger.FindEntry(7), nullptr);
}

TEST_F(TriggerTest, UnreadableFilesLeaveItEmpty)
{
    struct Case {
        const char* name;
        QByteArray text;
        bool loads;
    };
    const Case cases[] = {
        {"malformed", "<Trigger><Line ID=\"1\" Hide=\"1\"></Trigger>", false},
        {"empty", "", false},
        {"other root", "<Panel><Line ID=\"1\" Hide=\"1\"/></Panel>", true},
        {"no lines", "<Trigger/>", true},
    };
    for (const Case& c : cases) {
        CTrigger trigger;
        EXPECT_EQ(trigger.Load(Write(c.text)), c.loads) << c.name;
        EXPECT_TRUE(trigger.IsEmpty()) << c.name;
    }
    CTrigger missing;
    EXPECT_FALSE(missing.Load(m_dir.filePath("none.xml")));
    EXPECT_TRUE(missing.IsEmpty());
}

} // namespace
