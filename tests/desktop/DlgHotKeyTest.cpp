// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgHotKey.h"
#include "CHotKey.h"
#include "CLanguage.h"
#include "TestProfile.h"
#include "VirtualKey.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

constexpr int kPlayRow = 0;
constexpr int kPlayPauseRow = 1;
constexpr int kStopRow = 2;

class HotKeyDialog : public testing::Test {
protected:
    void SetUp() override
    {
        m_language.SetProgramFolder(qEnvironmentVariable("PLUMO_BUILD_DIR") + "/bin");
        ASSERT_TRUE(m_language.Load("English"));
        m_keys.SetProfileFolder(m_profile.Path());
    }

    // Opens the dialog on the current table (not shown: keys are sent to its list directly).
    void Open(bool globalKeys = true)
    {
        m_dialog = std::make_unique<CDlgHotKey>(m_language, m_keys, globalKeys);
        m_list = m_dialog->findChild<QTreeWidget*>(QString::number(CDlgHotKey::kIdList));
        ASSERT_NE(m_list, nullptr);
    }
    void Select(int row) { m_list->setCurrentItem(m_list->topLevelItem(row)); }
    void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(m_list, key, mods);
    }
    QString Shown(int row) const { return m_list->topLevelItem(row)->text(1); }

    TestProfile m_profile;
    CLanguage m_language;
    CHotKey m_keys;
    std::unique_ptr<CDlgHotKey> m_dialog;
    QTreeWidget* m_list = nullptr;
};

} // namespace

TEST_F(HotKeyDialog, RowsShowTheActionsAndTheirFirstCombination)
{
    ASSERT_TRUE(m_keys.Load());
    m_keys.Add(CHotKey::ActionRate5, 'R', 1, 0, 1);
    Open();
    ASSERT_EQ(m_list->topLevelItemCount(), 13);
    EXPECT_EQ(m_list->topLevelItem(kPlayRow)->text(0), "Play");
    EXPECT_EQ(m_list->topLevelItem(12)->text(0), "Rate 5 Stars");
    EXPECT_EQ(Shown(kPlayRow), "");
    EXPECT_EQ(Shown(kPlayPauseRow), "Play/Pause Media");
    EXPECT_EQ(Shown(7), "Volume Down");
    EXPECT_EQ(Shown(12), "Ctrl + Shift + R");
    EXPECT_EQ(m_dialog->windowTitle(), "Global Hotkeys");
}

TEST_F(HotKeyDialog, ACombinationMovesToTheActionItIsPressedFor)
{
    m_keys.Add(CHotKey::ActionPlay, 'P', 1, 1, 0);
    Open();
    ASSERT_EQ(Shown(kPlayRow), "Ctrl + Alt + P");
    Select(kStopRow);
    Press(Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Shown(kStopRow), "Ctrl + Alt + P");
    EXPECT_EQ(Shown(kPlayRow), "") << "a combination belongs to one action";

    m_dialog->accept();
    CHotKey saved;
    saved.SetProfileFolder(m_profile.Path());
    ASSERT_TRUE(saved.Load());
    const std::vector<CHotKey::structKey> expected = {{CHotKey::ActionStop, 'P', 1, 1, 0}};
    EXPECT_EQ(saved.Keys(), expected);
}

TEST_F(HotKeyDialog, DeleteAndBackspaceClearAndCannotBeAssigned)
{
    ASSERT_TRUE(m_keys.Load());
    Open();
    for (Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace}) {
        Select(kPlayPauseRow);
        Press(Qt::Key_F9);
        ASSERT_EQ(Shown(kPlayPauseRow), "F9");
        Press(key);
        EXPECT_EQ(Shown(kPlayPauseRow), "");
        EXPECT_FALSE(m_dialog->Rows()[kPlayPauseRow].assigned);
    }
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_FALSE(m_dialog->Rows()[kPlayPauseRow].assigned);

    // A key without a name cannot be shown, so it clears like Delete.
    Press(Qt::Key_F9);
    EXPECT_FALSE(m_dialog->HandleKey(0, false, false, false));
    EXPECT_FALSE(m_dialog->Rows()[kPlayPauseRow].assigned);
}

TEST_F(HotKeyDialog, ModifiersAloneWaitForTheMainKey)
{
    Open();
    Select(kPlayRow);
    for (Qt::Key key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta})
        Press(key, Qt::ShiftModifier);
    EXPECT_FALSE(m_dialog->Rows()[kPlayRow].assigned);
    Press(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(Shown(kPlayRow), "Shift + F5");
    const CHotKey::structKey expected{CHotKey::ActionPlay, 0x74, 0, 0, 1};
    EXPECT_EQ(m_dialog->Rows()[kPlayRow].key, expected);
}

TEST_F(HotKeyDialog, OnlyTheFirstKeyOfATypeSurvivesOk)
{
    m_profile.Write("HotKey.xml", "<HotKey><Key Type=\"1\" ID=\"65\"/><Key Type=\"1\" ID=\"66\"/>"
                                  "</HotKey>");
    ASSERT_TRUE(m_keys.Load());
    Open();
    EXPECT_EQ(Shown(kPlayRow), "A");
    m_dialog->accept();
    const std::vector<CHotKey::structKey> expected = {{CHotKey::ActionPlay, 'A', 0, 0, 0}};
    EXPECT_EQ(m_keys.Keys(), expected);
    EXPECT_EQ(m_keys.Lookup(0, 'B', 0, 0), 0);
}

TEST_F(HotKeyDialog, WithoutASelectedRowKeysAreLeftAlone)
{
    ASSERT_TRUE(m_keys.Load());
    Open();
    m_list->clearSelection();
    EXPECT_FALSE(m_dialog->HandleKey('Q', true, false, false));
    for (const CDlgHotKey::Row& row : m_dialog->Rows())
        EXPECT_NE(row.key.id, 'Q');
}

TEST_F(HotKeyDialog, CancelKeepsTheTableAndRunDisablesItWhileOpen)
{
    ASSERT_TRUE(m_keys.Load());
    const auto before = m_keys.Keys();
    bool enabledWhileOpen = true;
    QTimer::singleShot(0, [&] {
        enabledWhileOpen = m_keys.IsEnabled();
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* list = dialog->findChild<QTreeWidget*>(QString::number(CDlgHotKey::kIdList));
        list->setCurrentItem(list->topLevelItem(kPlayRow));
        QTest::keyClick(list, Qt::Key_X);
        dialog->reject();
    });
    EXPECT_FALSE(CDlgHotKey::Run(nullptr, m_language, m_keys, true));
    EXPECT_FALSE(enabledWhileOpen);
    EXPECT_TRUE(m_keys.IsEnabled());
    EXPECT_EQ(m_keys.Keys(), before);
}

TEST_F(HotKeyDialog, FirstLineSaysWhenKeysAreSeenOnlyWithFocus)
{
    Open(false);
    const auto* line = m_dialog->findChild<QLabel*>(QString::number(CDlgHotKey::kIdLine1));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->text().startsWith(CDlgHotKey::LocalKeysNote()));
    Open(true);
    line = m_dialog->findChild<QLabel*>(QString::number(CDlgHotKey::kIdLine1));
    EXPECT_EQ(line->text(), m_language.Line(LangSection::HotKeyDialog, 3));
}
