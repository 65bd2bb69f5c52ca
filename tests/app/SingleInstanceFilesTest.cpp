// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A later start handing its files to the running player, both ends in one process.
#include "CSingleInstance.h"
#include "TestProfile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(SingleInstanceFiles, ALaterStartHandsItsFilesToTheRunningOne)
{
    TestProfile profile;
    CSingleInstance running(profile.Path());
    ASSERT_TRUE(running.Acquire());
    int raised = 0;
    running.SetRaiseHandler([&] { ++raised; });
    QSignalSpy received(&running, &CSingleInstance::FilesReceived);

    const QStringList files = {"/music/a song.mp3", "/music/ünïcode.flac",
        "http://radio.example/stream"};
    CSingleInstance later(profile.Path());
    EXPECT_FALSE(later.Acquire(files));

    QDeadlineTimer deadline(20000);
    while (received.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.front().front().toStringList(), files);
    EXPECT_EQ(raised, 1);
}

TEST(SingleInstanceFiles, ArgumentsBecomeAbsolutePathsAndAddresses)
{
    const QStringList arguments = {"plumo", "song.mp3", "-style", "file:///music/a%20b.ogg",
        "https://radio.example/x", "", "/abs/list.m3u"};
    const QStringList expected = {QDir::current().absoluteFilePath("song.mp3"),
        "/music/a b.ogg", "https://radio.example/x", "/abs/list.m3u"};
    EXPECT_EQ(CSingleInstance::FilesFromArguments(arguments), expected);
}
