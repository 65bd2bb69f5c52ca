// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CFolderWalk.h"
#include "TrackRecord.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CKnownRows;

// Reads the tags of path into record (tag and stream fields only); false when the file cannot
// be read as audio. Called from several threads at once.
using TagReadFn = std::function<bool(const QString& path, TrackRecord& record)>;

// What the prefetch learnt about one file.
struct PrefetchItem {
    std::string file;      // the path as UTF-8, as the library stores it
    bool exists = false;   // the file could be examined; size and modified are set
    bool tagsRead = false; // the tag reader ran; tagsOk is its answer
    bool tagsOk = false;
    TrackRecord record;    // size, modified and type always; the tag fields when tagsOk
};

// Examines files (size, last-write time) and reads their tags on reader threads, ahead of the
// one thread that writes the database. Reading is pure, so taking results early changes
// nothing but the time: the writer still meets the files one by one, in walk order.
//
// Threads: the writer calls Get() with increasing indexes; readers claim indexes in order, a
// run of kChunk at a time, but stay at most kWindow files ahead of it. m_mutex guards m_next,
// m_consumed and m_stop. An item is written by one reader before its m_ready flag is set
// (release) and read by the writer after seeing the flag (acquire). The writer takes the lock
// only to move the window and to sleep: it announces the index it sleeps for (the end of the
// run holding its file) in m_waitingFor before testing that flag, and a reader tests
// m_waitingFor after setting a flag, so one of the two sees the other and no wake-up is lost.
class CTagPrefetch {
public:
    // Files with a row of known whose modified text is their current one are expected
    // unchanged and are only examined; every other file (all of them without known) also has
    // its tags read. threads 0 does all the work in Get(), on the writer's thread; so does a
    // prefetch whose threads the system refuses to start (fewer readers when only some start).
    // Does not throw once a reader runs.
    CTagPrefetch(const std::vector<WalkFile>& files, const CKnownRows* known, TagReadFn reader,
        int threads, const std::atomic<bool>& cancel);
    ~CTagPrefetch();
    CTagPrefetch(const CTagPrefetch&) = delete;
    CTagPrefetch& operator=(const CTagPrefetch&) = delete;

    // Waits for file index (which must not be below the previous call's) and returns it.
    PrefetchItem& Get(int index);

    // Size and last-write time of path into record; false when the file cannot be examined.
    static bool Examine(const QString& path, TrackRecord& record);

    static constexpr int kWindow = 512;
    static constexpr int kWakeBatch = 64;
    static constexpr int kChunk = 16;

private:
    static bool Examine(const std::string& utf8, const QString& path, TrackRecord& record);
    void ReaderLoop();
    bool Claim(int& first, int& last);
    void Fill(int index);
    void SetReady(int index);

    const std::vector<WalkFile>& m_files;
    const CKnownRows* m_known;
    TagReadFn m_reader;
    const std::atomic<bool>& m_cancel;
    std::vector<PrefetchItem> m_items; // item i: written by its reader, then by the writer
    std::mutex m_mutex;
    std::condition_variable m_readyCv; // the writer waits here for its item
    std::condition_variable m_spaceCv; // readers wait here for the window to move
    int m_next = 0;                    // guarded by m_mutex: next index to claim
    int m_consumed = 0;                // guarded by m_mutex: the writer's index, or a bit less
    bool m_stop = false;               // guarded by m_mutex
    std::vector<std::atomic<bool>> m_ready;
    std::atomic<int> m_waitingFor{-1}; // the index the writer sleeps for, -1 when awake
    std::vector<std::thread> m_threads;
};
