// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CHotKey.h"
#include "TestProfile.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using Key = CHotKey::structKey;

class HotKeyFile : public testing::Test {
protected:
    void SetUp() override { m_keys.SetProfileFolder(m_profile.Path()); }
    bool LoadText(const QByteArray& text)
    {
        m_profile.Write("HotKey.xml", text);
        return m_keys.Load();
    }
    TestProfile m_profile;
    CHotKey m_keys;
};

} // namespace

TEST_F(HotKeyFile, MissingFileGivesTheMediaKeysWithoutWritingThem)
{
    ASSERT_TRUE(m_keys.Load());
    const std::vector<Key> expected = {{2, 179, 0, 0, 0}, {3, 178, 0, 0, 0}, {4, 176, 0, 0, 0},
        {5, 177, 0, 0, 0}, {6, 173, 0, 0, 0}, {7, 175, 0, 0, 0}, {8, 174, 0, 0, 0}};
    EXPECT_EQ(m_keys.Keys(), expected);
    EXPECT_FALSE(QFile::exists(m_keys.FilePath()));
    EXPECT_EQ(m_keys.LookupMessage(179, 0), CHotKey::ActionPlayPause);
    EXPECT_EQ(m_keys.LookupMessage(179, CHotKey::kBitCtrl), 0) << "modifiers must match exactly";
}

TEST_F(HotKeyFile, SavedFileHasOnlyTheSetModifiersAndReadsBackTheSame)
{
    m_keys.Add(1, 'P', 1, 1, 0);
    m_keys.Add(9, 0x70, 0, 0, 7); // a modifier given as any non-zero value is stored as 1
    m_keys.Add(2, 179, 0, 0, 0);
    ASSERT_TRUE(m_keys.Save());
    EXPECT_EQ(m_profile.Read("HotKey.xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<HotKey>\n"
        "    <Key Type=\"1\" ID=\"80\" Ctrl=\"1\" Alt=\"1\"/>\n"
        "    <Key Type=\"9\" ID=\"112\" Shift=\"1\"/>\n"
        "    <Key Type=\"2\" ID=\"179\"/>\n"
        "</HotKey>\n");

    CHotKey again;
    again.SetProfileFolder(m_profile.Path());
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Keys(), m_keys.Keys());
}

TEST_F(HotKeyFile, AnyChildWithATypeIsAKeyAndMissingValuesCountAsZero)
{
    ASSERT_TRUE(LoadText("<?xml version=\"1.0\"?><HotKey>"
                         "<Key Type=\"3\" ID=\"65\" Ctrl=\"1\"/>"
                         "<Other Type=\"4\" Alt=\"1\"/>"
                         "<Key ID=\"66\"/>"
                         "<Key Type=\"5\" ID=\"abc\" Shift=\"yes\"/>"
                         "</HotKey>"));
    const std::vector<Key> expected = {{3, 65, 1, 0, 0}, {4, 0, 0, 1, 0}, {5, 0, 0, 0, 0}};
    EXPECT_EQ(m_keys.Keys(), expected);
}

TEST_F(HotKeyFile, MalformedFileGivesNoKeysAtAll)
{
    for (const QByteArray& text : {QByteArray("<HotKey><Key Type=\"2\" ID=\"179\">"),
             QByteArray("not xml"), QByteArray()}) {
        EXPECT_FALSE(LoadText(text)) << text.constData();
        EXPECT_TRUE(m_keys.Keys().empty());
        EXPECT_EQ(m_keys.Lookup(0, 179, 0, 0), 0);
    }
}

TEST_F(HotKeyFile, OddCodesAndTypesAreLoadedAndLookedUpAsRead)
{
    ASSERT_TRUE(LoadText("<HotKey>"
                         "<Key Type=\"1\" ID=\"-5\"/>"
                         "<Key Type=\"2\" ID=\"99999999999\"/>"
                         "<Key Type=\"99\" ID=\"65\"/>"
                         "<Key Type=\"-1\" ID=\"66\" Ctrl=\"-3\"/>"
                         "<Key Type=\"4\" ID=\"2147483647\"/>"
                         "</HotKey>"));
    ASSERT_EQ(m_keys.Keys().size(), 5u);
    EXPECT_EQ(m_keys.Lookup(0, -5, 0, 0), 1);
    EXPECT_EQ(m_keys.Keys()[1].id, 0) << "a code beyond int is not a code";
    EXPECT_EQ(m_keys.Lookup(0, 65, 0, 0), 99) << "unknown actions are the main window's to ignore";
    EXPECT_EQ(m_keys.Lookup(1, 66, 0, 0), -1) << "any non-zero modifier value means held";
    EXPECT_EQ(m_keys.Lookup(0, 2147483647, 0, 0), 4);
}

TEST_F(HotKeyFile, TenThousandKeysAllWork)
{
    QByteArray text = "<HotKey>";
    for (int i = 0; i < 10000; ++i)
        text += "<Key Type=\"" + QByteArray::number(i % 13 + 1) + "\" ID=\""
            + QByteArray::number(1000 + i) + "\" Shift=\"1\"/>";
    text += "</HotKey>";
    ASSERT_TRUE(LoadText(text));
    ASSERT_EQ(m_keys.Keys().size(), 10000u);
    EXPECT_EQ(m_keys.Lookup(0, 1000 + 9999, 0, 1), 9999 % 13 + 1);
    EXPECT_EQ(m_keys.Lookup(0, 1000 + 9999, 0, 0), 0);
}

TEST_F(HotKeyFile, TwoKeysOfOneTypeBothWorkAndTheFirstMatchWins)
{
    ASSERT_TRUE(LoadText("<HotKey><Key Type=\"1\" ID=\"65\"/><Key Type=\"1\" ID=\"66\"/>"
                         "<Key Type=\"3\" ID=\"65\"/></HotKey>"));
    EXPECT_EQ(m_keys.Lookup(0, 65, 0, 0), 1);
    EXPECT_EQ(m_keys.Lookup(0, 66, 0, 0), 1);
    EXPECT_EQ(m_keys.Find(1), 0);
    EXPECT_EQ(m_keys.Find(3), 2);
    EXPECT_EQ(m_keys.Find(7), -1);
}

TEST_F(HotKeyFile, DisabledTableFindsNothing)
{
    ASSERT_TRUE(m_keys.Load());
    m_keys.SetEnabled(false);
    EXPECT_EQ(m_keys.Lookup(0, 179, 0, 0), 0);
    m_keys.SetEnabled(true);
    EXPECT_EQ(m_keys.Lookup(0, 179, 0, 0), 2);
}

TEST_F(HotKeyFile, SaveIntoAMissingFolderReportsFailure)
{
    m_keys.SetProfileFolder(m_profile.File("no/such/folder"));
    m_keys.Add(1, 65, 0, 0, 0);
    EXPECT_FALSE(m_keys.Save());
}
