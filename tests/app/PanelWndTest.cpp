// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioFixture.h"
#include "CDlgLibrary.h"
#include "CLibraryFolders.h"
#include "CPanelWnd.h"
#include "PlayerHome.h"
#include "TestProfile.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

class PanelWndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }

    // Answers the next modal dialog with reject(), as a user pressing Esc would.
    static void RejectNextDialog(int* seen)
    {
        QTimer::singleShot(50, [seen] {
            if (auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ++*seen;
                dlg->reject();
            } else {
                RejectNextDialog(seen);
            }
        });
    }

    TestProfile m_home;
};

} // namespace

TEST_F(PanelWndTest, FirstRunSavesSettingsAndOpensAtTheDefaultRectangle)
{
    CPanelWnd wnd;
    int dialogs = 0;
    RejectNextDialog(&dialogs);
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(wnd.GetProfileFolder(), Profile());
    EXPECT_TRUE(wnd.GetSettings().IsFirstRun());
    EXPECT_EQ(wnd.geometry(), QRect(200, 120, 600, 500));
    EXPECT_TRUE(wnd.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(m_home.Read("data/Plumo/Settings.xml").isEmpty()) << "saved at once";
    EXPECT_EQ(dialogs, 1) << "the library folders dialog is shown once";
}

TEST_F(PanelWndTest, FirstRunConfirmedFoldersFillTheLibrary)
{
    const QString music = m_home.File("music");
    ASSERT_TRUE(fixture::CopyTone("mp3", music + "/Artist/Album/01 First.mp3"));
    ASSERT_TRUE(fixture::WriteTags(music + "/Artist/Album/01 First.mp3",
        {{"TITLE", "First"}, {"ARTIST", "Artist"}, {"ALBUM", "Album"}}));
    ASSERT_TRUE(fixture::CopyTone("flac", music + "/Artist/Album/02 Second.flac"));
    CLibraryFolders folders;
    folders.SetFolders({music});
    QDir().mkpath(Profile());
    ASSERT_TRUE(folders.Save(Profile()));

    // The user confirms the folders; the update then runs behind its progress dialog.
    QTimer confirm;
    QObject::connect(&confirm, &QTimer::timeout, [] {
        if (auto* dlg = qobject_cast<CDlgLibrary*>(QApplication::activeModalWidget()))
            dlg->findChild<QPushButton*>(QString::number(CDlgLibrary::kIdUpdate))->click();
    });
    confirm.start(20);
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    confirm.stop();

    sqlite3* db = wnd.GetDatabase().Handle(DbConn::Library);
    ASSERT_NE(db, nullptr);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT title FROM library ORDER BY title;", -1, &stmt, nullptr),
        SQLITE_OK);
    QStringList titles;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        titles << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    EXPECT_EQ(titles, QStringList({"02 Second", "First"}));
}

TEST_F(PanelWndTest, VolumeAndMuteGoToTheEngineAndBackUnchanged)
{
    m_home.Write("data/Plumo/Settings.xml",
        "<Settings><SoundVolume ID=\"100000\"/><SoundMute ID=\"1\"/></Settings>");
    {
        CPanelWnd wnd;
        ASSERT_TRUE(wnd.Create());
        EXPECT_TRUE(wnd.GetEngine().IsMute());
        EXPECT_EQ(wnd.GetEngine().GetVolumeLevel(), 100000);
        wnd.close();
    }
    const QByteArray saved = m_home.Read("data/Plumo/Settings.xml");
    EXPECT_TRUE(saved.contains("<SoundVolume ID=\"100000\"/>")) << saved.constData();
    EXPECT_TRUE(saved.contains("<SoundMute ID=\"1\"/>")) << saved.constData();
}

TEST_F(PanelWndTest, AcceleratorsDeliverTheirCommandIds)
{
    m_home.Write("data/Plumo/Settings.xml", "<Settings/>");
    // Media keys the hot-key table acts on go through the key hook alone; with a table
    // without them, the window's own accelerators act.
    m_home.Write("data/Plumo/HotKey.xml", "<HotKey><Key Type=\"6\" ID=\"173\"/></HotKey>");
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wnd));
    QSignalSpy spy(&wnd, &CPanelWnd::CommandRouted);
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        int id;
    } keys[] = {
        {Qt::Key_Left, Qt::ControlModifier, 32775},
        {Qt::Key_Right, Qt::ControlModifier, 32776},
        {Qt::Key_Space, Qt::ControlModifier, 32778},
        {Qt::Key_Delete, Qt::NoModifier, 32771},
        {Qt::Key_Return, Qt::NoModifier, 32774},
        {Qt::Key_Space, Qt::NoModifier, 32773},
        {Qt::Key_MediaTogglePlayPause, Qt::NoModifier, 32780},
        {Qt::Key_MediaStop, Qt::NoModifier, 32781},
        {Qt::Key_MediaNext, Qt::NoModifier, 32782},
        {Qt::Key_MediaPrevious, Qt::NoModifier, 32783},
    };
    for (const auto& k : keys) {
        QTest::sendKeyEvent(QTest::Press, &wnd, static_cast<Qt::Key>(k.key), QString(), k.mods);
        QTest::sendKeyEvent(QTest::Release, &wnd, static_cast<Qt::Key>(k.key), QString(), k.mods);
    }
    ASSERT_EQ(spy.count(), static_cast<int>(std::size(keys)));
    for (int i = 0; i < spy.count(); ++i)
        EXPECT_EQ(spy.at(i).at(0).toInt(), keys[i].id);
}

TEST_F(PanelWndTest, ClosingWhileMinimisedSavesTheRestoredRectangle)
{
    m_home.Write("data/Plumo/Settings.xml",
        "<Settings><WinPosition Left=\"310\" Top=\"220\" Width=\"700\" Height=\"520\"/>"
        "</Settings>");
    {
        CPanelWnd wnd;
        ASSERT_TRUE(wnd.Create());
        EXPECT_EQ(wnd.geometry(), QRect(310, 220, 700, 520));
        wnd.showMinimized();
        QApplication::processEvents();
        wnd.close();
        EXPECT_TRUE(wnd.IsShutDown());
    }
    const QByteArray saved = m_home.Read("data/Plumo/Settings.xml");
    EXPECT_TRUE(saved.contains("<WinPosition Left=\"310\" Top=\"220\" Width=\"700\" Height=\"520\"/>"))
        << saved.constData();
}

TEST_F(PanelWndTest, AnUnwritableProfileFolderDoesNotStopTheStart)
{
    // The data home is a file: no profile folder can be made below it.
    m_home.Write("data", "not a folder");
    CPanelWnd wnd;
    // Every box is answered as it comes: the library note, the first-run folders dialog and,
    // at the end, the note that the settings were not saved.
    QStringList seen;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&seen] {
        if (auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            seen << dlg->metaObject()->className();
            dlg->reject();
        }
    });
    answer.start(50);
    QSignalSpy told(&wnd, &CPanelWnd::StatusShown);
    EXPECT_TRUE(wnd.Create());
    ASSERT_EQ(told.count(), 1) << "the user is told the library cannot be opened";
    EXPECT_TRUE(told.at(0).at(0).toString().contains("Library.db"));
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }, 10000));
    EXPECT_TRUE(seen.contains("CDlgLibrary"));
    wnd.close();
    EXPECT_TRUE(wnd.IsShutDown());
    EXPECT_GE(seen.count("QMessageBox"), 2) << "the library note and the unsaved settings";
}
