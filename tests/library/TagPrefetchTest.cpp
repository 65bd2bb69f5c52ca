// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTagPrefetch.h"

#include <QFile>

#include <pthread.h>
#include <sys/resource.h>

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

// The process's address space in use now, in bytes; 0 when unknown.
qint64 AddressSpaceInUse()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

// The stack a new thread gets by default.
qint64 DefaultStackSize()
{
    pthread_attr_t attr;
    std::size_t size = 0;
    if (pthread_getattr_default_np(&attr) == 0) {
        pthread_attr_getstacksize(&attr, &size);
        pthread_attr_destroy(&attr);
    }
    return static_cast<qint64>(size);
}

// In a child process whose address space leaves room for one reader's stack but not for a
// second: the prefetch must run with the one reader it got, every file read once, instead of
// throwing from its constructor with that reader already running (which ends the process).
int PrefetchWithRoomForOneReader()
{
    std::vector<WalkFile> files(200);
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].path = QStringLiteral("/music/%1.mp3").arg(i);
        files[i].type = 1;
        files[i].examined = true;
        files[i].regular = true;
    }
    std::atomic<int> reads{0};
    const TagReadFn reader = [&reads](const QString& path, TrackRecord& record) {
        record.title = path.toStdString();
        ++reads;
        return true;
    };
    const std::atomic<bool> cancel{false};
    const qint64 stack = DefaultStackSize();
    const qint64 used = AddressSpaceInUse();
    if (stack <= 0 || used <= 0)
        return 2;
    const rlimit room{static_cast<rlim_t>(used + stack + stack / 2),
        static_cast<rlim_t>(used + stack + stack / 2)};
    if (setrlimit(RLIMIT_AS, &room) != 0)
        return 2;
    bool allRead = true;
    {
        CTagPrefetch prefetch(files, nullptr, reader, 4, cancel);
        for (int i = 0; i < static_cast<int>(files.size()); ++i) {
            const PrefetchItem& item = prefetch.Get(i);
            allRead = allRead && item.tagsOk && item.record.title == files[i].path.toStdString();
        }
    }
    return allRead && reads.load() == static_cast<int>(files.size()) ? 0 : 1;
}

} // namespace

TEST(TagPrefetchDeathTest, ARefusedReaderThreadLeavesTheWorkToTheOthers)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(PrefetchWithRoomForOneReader()), ::testing::ExitedWithCode(0), "");
}
