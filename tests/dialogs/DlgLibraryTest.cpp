// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgLibrary.h"
#include "QtPrinters.h"
#include "TestProfile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

const QStringList kLines = {"Library", "Close", "Update", "Add", "Delete", "First line",
                            "Second line", "Choose a folder"};
const QByteArray kStored = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Library>\n"
                           "    <Folder Path=\"/music/a\"/>\n    <Folder Path=\"/music/b\"/>\n"
                           "</Library>\n";

template <typename T>
T* Control(const QDialog& dlg, int id)
{
    T* control = dlg.findChild<T*>(QString::number(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
}

QStringList ListTexts(const CDlgLibrary& dlg)
{
    QStringList texts;
    auto* list = Control<QTreeWidget>(dlg, CDlgLibrary::kIdList);
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(0);
    }
    return texts;
}

TEST(DlgLibrary, ShowsCaptionsAndTheStoredFolders)
{
    TestProfile profile;
    profile.Write(QStringLiteral("Library.xml"), kStored);
    CDlgLibrary dlg(kLines, profile.Path());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Library"));
    EXPECT_EQ(Control<QPushButton>(dlg, CDlgLibrary::kIdClose)->text(), QStringLiteral("Close"));
    EXPECT_TRUE(Control<QPushButton>(dlg, CDlgLibrary::kIdClose)->isDefault());
    EXPECT_EQ(Control<QPushButton>(dlg, CDlgLibrary::kIdUpdate)->text(), QStringLiteral("Update"));
    EXPECT_EQ(Control<QPushButton>(dlg, CDlgLibrary::kIdAdd)->text(), QStringLiteral("Add"));
    EXPECT_EQ(Control<QPushButton>(dlg, CDlgLibrary::kIdDelete)->text(), QStringLiteral("Delete"));
    EXPECT_EQ(Control<QLabel>(dlg, CDlgLibrary::kIdText1)->text(), QStringLiteral("First line"));
    EXPECT_EQ(Control<QLabel>(dlg, CDlgLibrary::kIdText2)->text(), QStringLiteral("Second line"));
    EXPECT_EQ(ListTexts(dlg), QStringList({"/music/a", "/music/b"}));
}

TEST(DlgLibrary, ShortLanguageSectionGivesEmptyCaptions)
{
    TestProfile profile;
    CDlgLibrary dlg(QStringList{QStringLiteral("Only caption")}, profile.Path());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Only caption"));
    EXPECT_TRUE(Control<QPushButton>(dlg, CDlgLibrary::kIdAdd)->text().isEmpty());
    EXPECT_TRUE(ListTexts(dlg).isEmpty());
}

TEST(DlgLibrary, AddDeleteAndUpdateWriteTheNewList)
{
    TestProfile profile;
    profile.Write(QStringLiteral("Library.xml"), kStored);
    CDlgLibrary dlg(kLines, profile.Path());
    QString askedTitle;
    QStringList answers = {QStringLiteral("/music/c"), QString()};
    dlg.SetFolderPicker([&](QWidget*, const QString& title, QString* path) {
        askedTitle = title;
        *path = answers.takeFirst();
        return !path->isEmpty();
    });
    dlg.show();
    auto* del = Control<QPushButton>(dlg, CDlgLibrary::kIdDelete);
    auto* list = Control<QTreeWidget>(dlg, CDlgLibrary::kIdList);
    EXPECT_FALSE(del->isEnabled());

    Control<QPushButton>(dlg, CDlgLibrary::kIdAdd)->click();
    EXPECT_EQ(askedTitle, QStringLiteral("Choose a folder"));
    Control<QPushButton>(dlg, CDlgLibrary::kIdAdd)->click(); // cancelled
    EXPECT_EQ(ListTexts(dlg), QStringList({"/music/a", "/music/b", "/music/c"}));

    list->topLevelItem(0)->setSelected(true);
    EXPECT_TRUE(del->isEnabled());
    del->click();
    EXPECT_EQ(ListTexts(dlg), QStringList({"/music/b", "/music/c"}));
    list->clearSelection();
    EXPECT_FALSE(del->isEnabled());

    Control<QPushButton>(dlg, CDlgLibrary::kIdUpdate)->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Folders(), QStringList({"/music/b", "/music/c"}));
    EXPECT_EQ(profile.Read(QStringLiteral("Library.xml")),
              QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Library>\n"
                         "    <Folder Path=\"/music/b\"/>\n    <Folder Path=\"/music/c\"/>\n"
                         "</Library>\n"));
}

TEST(DlgLibrary, CloseAndEscapeChangeNothing)
{
    TestProfile profile;
    profile.Write(QStringLiteral("Library.xml"), kStored);
    for (const bool escape : {false, true}) {
        CDlgLibrary dlg(kLines, profile.Path());
        dlg.SetFolderPicker([](QWidget*, const QString&, QString* path) {
            *path = QStringLiteral("/music/new");
            return true;
        });
        QTimer::singleShot(0, &dlg, [&dlg, escape] {
            Control<QPushButton>(dlg, CDlgLibrary::kIdAdd)->click();
            if (escape) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(&dlg, &press);
            } else {
                Control<QPushButton>(dlg, CDlgLibrary::kIdClose)->click();
            }
        });
        EXPECT_FALSE(dlg.Run());
        EXPECT_EQ(profile.Read(QStringLiteral("Library.xml")), kStored);
    }
}

TEST(DlgLibrary, UpdateWithNoFileAndNoFoldersWritesAnEmptyLibrary)
{
    TestProfile profile;
    CDlgLibrary dlg(kLines, profile.Path());
    QTimer::singleShot(0, &dlg, [&dlg] {
        Control<QPushButton>(dlg, CDlgLibrary::kIdUpdate)->click();
    });
    EXPECT_TRUE(dlg.Run());
    EXPECT_TRUE(dlg.Folders().isEmpty());
    EXPECT_EQ(profile.Read(QStringLiteral("Library.xml")),
              QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Library/>\n"));
}

// A "Library.xml" that is there but gives no list (damaged, or a folder in its place): the note
// names it, Update refuses the empty list and leaves the file, and once a folder is added the
// update gets the list the user confirmed, also when the file cannot be replaced.
TEST(DlgLibrary, AnUnreadableFileIsNamedAndItsEmptyListRunsNoUpdate)
{
    for (const bool folderInPlace : {false, true}) {
        SCOPED_TRACE(folderInPlace ? "folder in place" : "damaged file");
        TestProfile profile;
        const QString file = profile.File(QStringLiteral("Library.xml"));
        const QByteArray damaged = "<Library><Folder Path=\"/music/a\"></Libr";
        if (folderInPlace)
            ASSERT_TRUE(QDir().mkpath(file));
        else
            profile.Write(QStringLiteral("Library.xml"), damaged);
        CDlgLibrary dlg(kLines, profile.Path());
        dlg.SetFolderPicker([](QWidget*, const QString&, QString* path) {
            *path = QStringLiteral("/music/new");
            return true;
        });
        dlg.show();
        EXPECT_TRUE(dlg.LoadFailed());
        auto* note = Control<QLabel>(dlg, CDlgLibrary::kIdNote);
        EXPECT_TRUE(note->isVisible());
        EXPECT_TRUE(note->text().contains(QStringLiteral("Library.xml")));
        EXPECT_TRUE(ListTexts(dlg).isEmpty());

        Control<QPushButton>(dlg, CDlgLibrary::kIdUpdate)->click();
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        if (folderInPlace)
            EXPECT_TRUE(QFileInfo(file).isDir());
        else
            EXPECT_EQ(profile.Read(QStringLiteral("Library.xml")), damaged);

        Control<QPushButton>(dlg, CDlgLibrary::kIdAdd)->click();
        Control<QPushButton>(dlg, CDlgLibrary::kIdUpdate)->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.Folders(), QStringList({"/music/new"}));
        EXPECT_EQ(dlg.SaveFailed(), folderInPlace);
    }
}

} // namespace
