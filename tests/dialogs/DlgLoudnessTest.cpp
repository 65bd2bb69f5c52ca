// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgLoudness.h"
#include "QtPrinters.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QStringList kLines = {"Levels", "Abort", "Take", "Preamp:", "Untagged:"};

class DlgLoudnessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dlg.SetLines(kLines);
        m_dlg.SetValues(125, -600);
        m_dlg.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_dlg));
    }
    template <typename T> T* Control(int id) { return m_dlg.findChild<T*>(QString::number(id)); }
    QDoubleSpinBox* Box(int id) { return Control<QDoubleSpinBox>(id); }
    // Replaces a box's number as the user would: select all, type; the point is the locale's.
    void Type(int id, QString number)
    {
        number.replace('.', QLocale().decimalPoint());
        QDoubleSpinBox* box = Box(id);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, number);
    }
    void ClickOk() { Control<QPushButton>(CDlgLoudness::kIdOk)->click(); }

    CDlgLoudness m_dlg;
};

TEST_F(DlgLoudnessTest, ShowsTheLanguageTextsAndTheLevelsInDecibels)
{
    EXPECT_EQ(m_dlg.windowTitle(), "Levels");
    EXPECT_EQ(Control<QPushButton>(CDlgLoudness::kIdCancel)->text(), "Abort");
    EXPECT_EQ(Control<QPushButton>(CDlgLoudness::kIdOk)->text(), "Take");
    EXPECT_EQ(Control<QLabel>(CDlgLoudness::kIdPreampLabel)->text(), "Preamp:");
    EXPECT_EQ(Control<QLabel>(CDlgLoudness::kIdUntaggedLabel)->text(), "Untagged:");
    EXPECT_DOUBLE_EQ(Box(CDlgLoudness::kIdPreamp)->value(), 1.25);
    EXPECT_DOUBLE_EQ(Box(CDlgLoudness::kIdUntagged)->value(), -6.0);
    EXPECT_EQ(Box(CDlgLoudness::kIdPreamp)->minimum(), -15.0);
    EXPECT_EQ(Box(CDlgLoudness::kIdPreamp)->maximum(), 15.0);
}

TEST_F(DlgLoudnessTest, OkUnchangedHandsBackTheExactHundredths)
{
    ClickOk();
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg.Preamp(), 125);
    EXPECT_EQ(m_dlg.Untagged(), -600);
}

TEST_F(DlgLoudnessTest, TypedLevelsBecomeHundredthsOfADecibel)
{
    struct Case {
        const char* preamp;
        const char* untagged;
        int wantPreamp;
        int wantUntagged;
    };
    const Case cases[] = {
        {"4.5", "-3", 450, -300},
        {"-15", "15", -1500, 1500},
        {"0.01", "-0.07", 1, -7},
        {"0", "0", 0, 0},
    };
    for (const Case& c : cases) {
        m_dlg.SetValues(125, -600);
        m_dlg.open();
        Type(CDlgLoudness::kIdPreamp, c.preamp);
        Type(CDlgLoudness::kIdUntagged, c.untagged);
        // Return in the box presses the default button without leaving the number half-read.
        QTest::keyClick(Box(CDlgLoudness::kIdUntagged), Qt::Key_Return);
        EXPECT_EQ(m_dlg.result(), QDialog::Accepted) << c.preamp;
        EXPECT_EQ(m_dlg.Preamp(), c.wantPreamp) << c.preamp;
        EXPECT_EQ(m_dlg.Untagged(), c.wantUntagged) << c.untagged;
    }
}

TEST_F(DlgLoudnessTest, ArrowsStepByHalfADecibelAndStopAtTheEnds)
{
    m_dlg.SetValues(125, 1450);
    QDoubleSpinBox* preamp = Box(CDlgLoudness::kIdPreamp);
    preamp->setFocus();
    QTest::keyClick(preamp, Qt::Key_Up);
    QTest::keyClick(preamp, Qt::Key_Up);
    QDoubleSpinBox* untagged = Box(CDlgLoudness::kIdUntagged);
    untagged->setFocus();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(untagged, Qt::Key_Up);
    ClickOk();
    EXPECT_EQ(m_dlg.Preamp(), 225);
    EXPECT_EQ(m_dlg.Untagged(), 1500);
}

TEST_F(DlgLoudnessTest, CancelAndLevelsOutOfRange)
{
    Type(CDlgLoudness::kIdPreamp, "9");
    Control<QPushButton>(CDlgLoudness::kIdCancel)->click();
    EXPECT_EQ(m_dlg.result(), QDialog::Rejected);
    EXPECT_EQ(m_dlg.Preamp(), 125) << "Cancel keeps what was given";
    EXPECT_EQ(m_dlg.Untagged(), -600);

    // A settings file edited by hand may hold more than the range; the dialog never hands it on.
    m_dlg.SetValues(99999, -2400);
    EXPECT_EQ(m_dlg.Preamp(), 1500);
    EXPECT_EQ(m_dlg.Untagged(), -1500);
    EXPECT_DOUBLE_EQ(Box(CDlgLoudness::kIdPreamp)->value(), 15.0);
    EXPECT_DOUBLE_EQ(Box(CDlgLoudness::kIdUntagged)->value(), -15.0);
}

} // namespace
