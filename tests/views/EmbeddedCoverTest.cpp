// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "EmbeddedCover.h"
#include "TestProfile.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <sys/stat.h>

#include <gtest/gtest.h>

// Names that promise music but are no file: reading one must answer at once. A reader stuck
// on a pipe would keep the list's cover worker, and with it the closing window, waiting.
TEST(EmbeddedCover, APipeOrFolderBehindAMusicNameHasNoCover)
{
    TestProfile dir;
    const QString pipe = dir.File("pipe.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString folder = dir.File("folder.flac");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& path : {pipe, folder, dir.File("missing.mp3")}) {
        // A detached reader, so a fault shows as a failure here rather than a hung test.
        auto done = std::make_shared<std::promise<QByteArray>>();
        std::future<QByteArray> answer = done->get_future();
        std::thread([done, path] { done->set_value(EmbeddedCover(path)); }).detach();
        ASSERT_EQ(answer.wait_for(std::chrono::seconds(20)), std::future_status::ready)
            << path.toStdString();
        EXPECT_TRUE(answer.get().isEmpty());
    }
}
