// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The library update reads with several threads at once: each must see what one thread sees.
#include "AudioFixture.h"
#include "CTagReader.h"
#include "TagReaderSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 25;

TEST(TagReaderThreads, ConcurrentReadsAgreeWithASingleRead)
{
    QTemporaryDir dir;
    QStringList paths;
    std::vector<TrackRecord> expected;
    for (const QString& type : fixture::AllTypes()) {
        const QString path = dir.filePath("song." + type);
        ASSERT_TRUE(fixture::CopyTone(type, path));
        ASSERT_TRUE(fixture::WriteTags(path,
            { { "TITLE", "Title " + type }, { "GENRE", "17" }, { "TRACKNUMBER", "2/5" },
                { "DATE", "2001" } }));
        TrackRecord r;
        ASSERT_TRUE(CTagReader::ReadTags(path, r));
        paths << path;
        expected.push_back(r);
    }
    std::atomic<int> mismatches { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round)
                for (qsizetype i = 0; i < paths.size(); ++i) {
                    const qsizetype k = (i + t) % paths.size(); // threads meet on every file
                    TrackRecord r;
                    if (!CTagReader::ReadTags(paths[k], r) || !tagtest::SameRecord(r, expected[k]))
                        ++mismatches;
                }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
