// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgAbout.h"
#include "CLanguage.h"
#include "QtPrinters.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString ShippedFolder()
{
    const QByteArray build = qgetenv("PLUMO_BUILD_DIR");
    return build.isEmpty() ? QCoreApplication::applicationDirPath()
                           : QString::fromLocal8Bit(build) + "/bin";
}

template <typename T> T* Control(QDialog& dlg, int id)
{
    return dlg.findChild<T*>(QString::number(id));
}

QString Text(QDialog& dlg, int id)
{
    const QLabel* label = Control<QLabel>(dlg, id);
    return label ? label->text() : QStringLiteral("<missing>");
}

} // namespace

TEST(DlgAbout, ShowsTheShippedLanguagesTextsTheVersionAndTheIcon)
{
    CLanguage language;
    language.SetProgramFolder(ShippedFolder());
    ASSERT_TRUE(language.Load(QStringLiteral("German")));
    const QIcon icon(ShippedFolder() + "/Icon/plumo-64.png");
    ASSERT_FALSE(icon.isNull()) << "the build copies the program icons";
    CDlgAbout dlg(language.Section(LangSection::AboutDialog), icon);
    dlg.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Über Plumo"));
    EXPECT_EQ(Text(dlg, CDlgAbout::kIdProduct), "Plumo Musikplayer");
    EXPECT_EQ(Text(dlg, CDlgAbout::kIdSummary), "Spielt und verwaltet Ihre Musiksammlung.");
    EXPECT_EQ(Text(dlg, CDlgAbout::kIdVersion), "Version " + CDlgAbout::Version());
    EXPECT_TRUE(QRegularExpression(R"(^\d+\.\d+\.\d+$)").match(CDlgAbout::Version()).hasMatch())
        << CDlgAbout::Version().toStdString();
    EXPECT_TRUE(Text(dlg, CDlgAbout::kIdLicence).contains("GPL-3.0-or-later"));
    const QLabel* picture = Control<QLabel>(dlg, CDlgAbout::kIdIcon);
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
    QPushButton* ok = Control<QPushButton>(dlg, CDlgAbout::kIdOk);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QString::fromUtf8("Schließen"));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
}

TEST(DlgAbout, LinesALanguageLacksAreShownInEnglish)
{
    // A language with only the caption, and one with an empty product line; no icon found.
    CDlgAbout dlg({ QStringLiteral("Info"), QString(), QString() }, QIcon());
    EXPECT_EQ(dlg.windowTitle(), "Info");
    EXPECT_EQ(Text(dlg, CDlgAbout::kIdProduct), "Plumo Music Player");
    EXPECT_EQ(Text(dlg, CDlgAbout::kIdVersion), "Version " + CDlgAbout::Version());
    EXPECT_EQ(Text(dlg, CDlgAbout::kIdSummary), "Plays and organises your music collection.");
    EXPECT_EQ(Control<QPushButton>(dlg, CDlgAbout::kIdOk)->text(), "OK");
    EXPECT_EQ(Control<QLabel>(dlg, CDlgAbout::kIdIcon), nullptr);
    // Escape closes it like the button.
    dlg.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
}
