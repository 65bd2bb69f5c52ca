// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CDBase.h"
#include "QtPrinters.h"
#include "TestProfile.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// One track for a test library; empty texts and missing numbers are stored as NULL.
struct TestTrack {
    std::string artist;
    std::string album;
    std::string title;
    std::optional<int> year;
    std::string genre;
    std::optional<int> number;
    int time = 200;
    std::string file; // generated when empty
};

// A CDBase on a fresh profile folder with the library open, under a fixed collation locale,
// and with fixed texts for the language lines the library reads.
class LibraryFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // Inserts the tracks in order (library ids 1, 2, ...).
    void AddTracks(const std::vector<TestTrack>& tracks);
    // Runs a statement on a connection and returns each row's columns joined by "|"; NULL
    // columns read as "<null>".
    QStringList Rows(DbConn conn, const char* sql) const;

    static constexpr const char* kUnknown = "<unknown>";      // "Library" line 3
    static constexpr const char* kNewPlaylist = "New list";   // "Library" line 2
    static constexpr const char* kNoArtist = "<no artist>";   // "Playlist" line 0

    TestProfile m_profile;
    CDBase m_db;
    int m_nextFile = 0;
};
