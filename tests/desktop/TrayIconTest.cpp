// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTrayIcon.h"
#include "DesktopSupport.h"
#include "TestProfile.h"

#include <QDir>
#include <QImage>

#include <QWidget>

#include <gtest/gtest.h>

TEST(TrayIcon, TooltipNamesArtistAndTitleWithinTheLimit)
{
    const QString title200(200, 'x');
    const QString pair = QString::fromUtf16(u"\U0001F3B5");
    const struct {
        QString title;
        QString artist;
        QString tip;
    } cases[] = {
        {"Song", "Band", "Band - Song"},
        {"Song", "", "Song"},
        {"", "Band", "Band - "},
        {title200, "", title200.left(127)},
        {title200, "Band", ("Band - " + title200).left(127)},
        // A character outside the basic plane is never cut in half.
        {QString(126, 'a') + pair, "", QString(126, 'a')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CTrayIcon::TipText(c.title, c.artist), c.tip) << c.title.toStdString();

    RecordingTarget target;
    CTrayIcon tray(&target);
    tray.Add(CTrayIcon::ProgramIcon(QString()));
    EXPECT_EQ(tray.GetTip(), "");
    tray.SetTip("Song", "Band");
    EXPECT_EQ(tray.GetTip(), "Band - Song");
    tray.ClearTip();
    EXPECT_EQ(tray.GetTip(), "") << "after stop the tooltip is empty";
    tray.Remove();
}

TEST(TrayIcon, WithoutATrayHostTheWindowIsNotHiddenAway)
{
    // Offscreen has no tray host: hiding the minimised window would leave nothing to restore
    // it from.
    RecordingTarget target;
    CTrayIcon tray(&target);
    tray.Add(QIcon());
    EXPECT_FALSE(tray.IsShown());
    QWidget window;
    window.show();
    CTrayIcon::MinimizeWindow(&window);
    ASSERT_TRUE(window.isMinimized());
    EXPECT_FALSE(tray.HideIfMinimized(&window, true));
    EXPECT_TRUE(window.isVisible());
    CTrayIcon::RestoreWindow(&window);
    EXPECT_FALSE(window.isMinimized());
}

TEST(TrayIcon, ProgramIconTakesEverySizeOfTheIconFolder)
{
    TestProfile program;
    for (int size : {16, 48}) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QDir().mkpath(program.File("Icon"));
        ASSERT_TRUE(image.save(program.File(QString("Icon/plumo-%1.png").arg(size))));
    }
    const QList<QSize> sizes = CTrayIcon::ProgramIcon(program.Path()).availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(48, 48)));
    EXPECT_FALSE(CTrayIcon::ProgramIcon(program.File("missing")).isNull());
}
