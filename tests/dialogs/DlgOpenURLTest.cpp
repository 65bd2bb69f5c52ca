// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgOpenURL.h"
#include "QtPrinters.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QStringList kLines = {"Open URL", "Abort", "Take", "New Stream", "Name:", "URL:"};

class DlgOpenURLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dlg.SetLines(kLines);
        m_dlg.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_dlg));
    }
    template <typename T> T* Control(int id) { return m_dlg.findChild<T*>(QString::number(id)); }
    // Replaces the text of an edit as the user would: select all, type.
    void Type(int id, const QString& text)
    {
        QLineEdit* edit = Control<QLineEdit>(id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    CDlgOpenURL m_dlg;
};

TEST_F(DlgOpenURLTest, ShowsTheLanguageTextsAndTheDefaultName)
{
    EXPECT_EQ(m_dlg.windowTitle(), "Open URL");
    EXPECT_EQ(Control<QPushButton>(CDlgOpenURL::kIdCancel)->text(), "Abort");
    EXPECT_EQ(Control<QPushButton>(CDlgOpenURL::kIdOk)->text(), "Take");
    EXPECT_EQ(Control<QLineEdit>(CDlgOpenURL::kIdName)->text(), "New Stream");
    EXPECT_EQ(Control<QLineEdit>(CDlgOpenURL::kIdAddress)->text(), "");
    EXPECT_EQ(Control<QLabel>(CDlgOpenURL::kIdNameLabel)->text(), "Name:");
    EXPECT_EQ(Control<QLabel>(CDlgOpenURL::kIdAddressLabel)->text(), "URL:");
}

TEST_F(DlgOpenURLTest, OkTakesBothTextsAsTyped)
{
    Type(CDlgOpenURL::kIdName, "  Loopback FM ");
    Type(CDlgOpenURL::kIdAddress, "http://127.0.0.1:8000/live");
    QTest::keyClick(Control<QLineEdit>(CDlgOpenURL::kIdAddress), Qt::Key_Return);
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted) << "Return presses the default button";
    EXPECT_FALSE(m_dlg.isVisible());
    EXPECT_EQ(m_dlg.Name(), "  Loopback FM ");
    EXPECT_EQ(m_dlg.Address(), "http://127.0.0.1:8000/live");
}

TEST_F(DlgOpenURLTest, AnEmptyNameAndAddressAreAccepted)
{
    Type(CDlgOpenURL::kIdName, "");
    QTest::mouseClick(Control<QPushButton>(CDlgOpenURL::kIdOk), Qt::LeftButton);
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg.Name(), "");
    EXPECT_EQ(m_dlg.Address(), "");
}

TEST_F(DlgOpenURLTest, CancelTakesNothing)
{
    Type(CDlgOpenURL::kIdAddress, "http://127.0.0.1/typed");
    QTest::mouseClick(Control<QPushButton>(CDlgOpenURL::kIdCancel), Qt::LeftButton);
    EXPECT_EQ(m_dlg.result(), QDialog::Rejected);
    EXPECT_EQ(m_dlg.Name(), "");
    EXPECT_EQ(m_dlg.Address(), "");
}

} // namespace
