// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The plumo-tags tool, run as scripts run it.
#include "AudioFixture.h"
#include "QtPrinters.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString ToolPath()
{
    const QString build = qEnvironmentVariable("PLUMO_BUILD_DIR");
    return build.isEmpty() ? QString() : QDir(build).filePath("bin/plumo-tags");
}

QStringList RunTool(const QStringList& args, int& exitCode)
{
    QProcess tool;
    tool.start(ToolPath(), args);
    EXPECT_TRUE(tool.waitForFinished(30000)) << tool.errorString().toStdString();
    exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split('\n');
    EXPECT_EQ(lines.takeLast(), "") << "every line ends with a line break";
    return lines;
}

TEST(TagReaderTool, PrintsOneTabSeparatedLinePerFile)
{
    if (ToolPath().isEmpty())
        GTEST_SKIP() << "PLUMO_BUILD_DIR is not set, so the built tool cannot be found";
    QTemporaryDir dir;
    const QString song = dir.filePath("Söng one.flac");
    ASSERT_TRUE(fixture::MakeTone(song, { 2.5, 440.0, 0.5, 2, 48000 }));
    ASSERT_TRUE(fixture::WriteTags(song,
        { { "TRACKNUMBER", "4/9" }, { "TITLE", "Tab\there\nand line" }, { "ARTIST", "Ärtist" },
            { "DATE", "2009-05-01" }, { "GENRE", "17" }, { "COMPOSER", "C" },
            { "ALBUMARTIST", "AA" }, { "REPLAYGAIN_TRACK_GAIN", "-6.5 dB" },
            { "REPLAYGAIN_TRACK_PEAK", "0.5" } }));
    const QString missing = dir.filePath("missing.mp3");
    int exitCode = -1;
    const QStringList lines = RunTool({ song, missing }, exitCode);
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(lines.size(), 2);
    const QStringList first = lines[0].split('\t');
    const QStringList expected { song, "1", "4", "1", "Tab here and line", "Ärtist", "", "2009",
        "1", "Rock", "C", "AA", "2", first.value(13), "48000", "2", "-6.50", "", "0.500000", "" };
    EXPECT_EQ(first, expected);
    EXPECT_GT(first.value(13).toInt(), 0);
    EXPECT_EQ(lines[1].split('\t'),
        QStringList(
            { missing, "0", "0", "0", "", "", "", "0", "0", "", "", "", "0", "0", "0", "0", "", "",
                "", "" }));
}

TEST(TagReaderTool, NoArgumentsPrintsNothing)
{
    if (ToolPath().isEmpty())
        GTEST_SKIP() << "PLUMO_BUILD_DIR is not set, so the built tool cannot be found";
    int exitCode = -1;
    EXPECT_TRUE(RunTool({}, exitCode).isEmpty());
    EXPECT_EQ(exitCode, 0);
}

} // namespace
