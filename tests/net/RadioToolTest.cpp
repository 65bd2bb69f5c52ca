// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The plumo-radio tool, run as scripts run it.
#include "DirectoryServer.h"
#include "QtPrinters.h"
#include "TestProfile.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QString ToolPath()
{
    const QString build = qEnvironmentVariable("PLUMO_BUILD_DIR");
    return build.isEmpty() ? QString() : QDir(build).filePath("bin/plumo-radio");
}

QStringList RunTool(const QString& file, int& exitCode)
{
    QProcess tool;
    tool.start(ToolPath(), {file});
    EXPECT_TRUE(tool.waitForFinished(30000)) << tool.errorString().toStdString();
    exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split('\n');
    EXPECT_EQ(lines.takeLast(), "") << "every line ends with a line break";
    return lines;
}

TEST(RadioTool, PrintsTheListedStationsAsTheListShowsThem)
{
    if (ToolPath().isEmpty())
        GTEST_SKIP() << "PLUMO_BUILD_DIR is not set, so the built tool cannot be found";
    TestProfile dir;
    QList<QByteArray> stations = {"name=\"Quiet\" id=\"1\" lc=\"19\"",
        "name=\"K\xC3\xB6ln\tFM\" id=\"42\" lc=\"250\"", "lc=\"20\""};
    for (int i = 0; i < 8; ++i)
        stations << "name=\"S\" id=\"" + QByteArray::number(i) + "\" lc=\"60\"";
    const QString prefix = "http://yp.shoutcast.com/sbin/tunein-station.pls?id=";

    int code = -1;
    const QStringList withHeaders = RunTool(dir.Write("a", HttpAnswer(StationList(stations))), code);
    EXPECT_EQ(code, 0);
    ASSERT_EQ(withHeaders.size(), 10);
    EXPECT_EQ(withHeaders[0], "01\tK\xC3\xB6ln FM\t" + prefix + "42\t5");
    EXPECT_EQ(withHeaders[1], "02\t\t" + prefix + "0\t1");
    EXPECT_EQ(withHeaders[9], "10\tS\t" + prefix + "7\t3");
    EXPECT_EQ(RunTool(dir.Write("b", StationList(stations)), code), withHeaders)
        << "headers are optional";

    EXPECT_EQ(RunTool(dir.Write("c", "<html>"), code), QStringList());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(RunTool(dir.Write("d", ""), code), QStringList());
    EXPECT_EQ(code, 0);
    RunTool(dir.File("missing"), code);
    EXPECT_EQ(code, 1);
    RunTool(dir.Path(), code);
    EXPECT_EQ(code, 1) << "a folder cannot be read";
}

} // namespace
