// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgProgress.h"
#include "TestProfile.h"

#include "library/CDBase.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const QStringList kLines = {QStringLiteral("Updating library"), QStringLiteral("Stop"),
    QStringLiteral("Please wait"), QStringLiteral("Reading")};

bool TitleFromName(const QString& path, TrackRecord& record)
{
    record.title = path.section(u'/', -1).toStdString();
    return true;
}

class DlgProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i)
            m_dir.Write(QStringLiteral("music/%1.mp3").arg(i), "x");
        m_db.SetFolder(m_dir.Path());
        m_db.OpenLibrary();
        m_dlg.SetLines(kLines);
        m_dlg.SetDatabase(&m_db);
        m_dlg.SetPaths({m_dir.File(QStringLiteral("music"))});
    }
    template <typename T> T* Control(int id)
    {
        return m_dlg.findChild<T*>(QString::number(id));
    }

    TestProfile m_dir;
    CDBase m_db;
    CDlgProgress m_dlg;
};

TEST_F(DlgProgressTest, RunsTheUpdateShowsItsProgressAndClosesItself)
{
    m_dlg.SetTagReader(TitleFromName);
    EXPECT_EQ(m_dlg.Run(), QDialog::Accepted);
    EXPECT_FALSE(m_dlg.isVisible());
    EXPECT_EQ(m_dlg.windowTitle(), kLines[0]);
    EXPECT_EQ(Control<QPushButton>(CDlgProgress::kIdCancel)->text(), kLines[1]);
    EXPECT_FALSE(Control<QPushButton>(CDlgProgress::kIdOk)->isVisible());
    auto* bar = Control<QProgressBar>(CDlgProgress::kIdProgress);
    EXPECT_EQ(bar->maximum(), 3);
    EXPECT_EQ(bar->value(), 3);
    EXPECT_EQ(Control<QLabel>(CDlgProgress::kIdStatus)->text(), QStringLiteral("Reading 2.mp3"));
    EXPECT_EQ(m_dlg.Stats().inserted, 3);
    EXPECT_EQ(m_dlg.StartTime().size(), 19u);
}

enum class StopBy { CancelButton, CloseBox, Escape };

std::string StopName(StopBy way)
{
    switch (way) {
    case StopBy::CancelButton:
        return "CancelButton";
    case StopBy::CloseBox:
        return "CloseBox";
    case StopBy::Escape:
        break;
    }
    return "Escape";
}

class DlgProgressStop : public DlgProgressTest, public ::testing::WithParamInterface<StopBy> {};

// The tag reader holds the first file until the user has asked to stop; the dialog must stay
// open (and Enter must not close it) until the worker has finished that file and ended.
TEST_P(DlgProgressStop, AsksTheWorkerAndWaitsForIt)
{
    std::atomic<bool> release{false};
    m_dlg.SetReaderThreads(0);
    m_dlg.SetTagReader([&](const QString& path, TrackRecord& record) {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return TitleFromName(path, record);
    });
    bool openAfterStop = false;
    QTimer::singleShot(50, &m_dlg, [&] {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&m_dlg, &enter);
        switch (GetParam()) {
        case StopBy::CancelButton:
            Control<QPushButton>(CDlgProgress::kIdCancel)->click();
            break;
        case StopBy::CloseBox:
            m_dlg.close();
            break;
        case StopBy::Escape: {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&m_dlg, &escape);
            break;
        }
        }
        openAfterStop = m_dlg.isVisible();
        release = true;
    });
    EXPECT_EQ(m_dlg.Run(), QDialog::Accepted);
    EXPECT_TRUE(openAfterStop);
    EXPECT_EQ(m_dlg.Stats().files, 3);
    EXPECT_EQ(m_dlg.Stats().inserted, 1);
}

INSTANTIATE_TEST_SUITE_P(Ways, DlgProgressStop,
    ::testing::Values(StopBy::CancelButton, StopBy::CloseBox, StopBy::Escape),
    [](const ::testing::TestParamInfo<StopBy>& param) { return StopName(param.param); });

} // namespace
