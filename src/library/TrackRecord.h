// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The loudness fields of a library row: gains in dB toward the ReplayGain reference level
// (R128 gains already moved to it), sample peaks as linear amplitude (1.0 is full scale);
// empty when unknown.
struct TrackGains {
    std::optional<double> trackGain;
    std::optional<double> albumGain;
    std::optional<double> trackPeak;
    std::optional<double> albumPeak;
};

// One library row in memory, filled by the library update (size, modified, type) and by the
// tag reader (the rest). Texts are UTF-8; an empty text is stored as NULL in the database.
struct TrackRecord {
    std::int64_t size = 0;     // file size in bytes
    std::string modified;      // last-write time, "%Y-%m-%d %H:%M:%S" UTC
    int number = 0;            // track number
    bool hasNumber = false;    // false: NULL is stored
    std::string title;
    std::string artist;
    std::string album;
    int year = 0;
    bool hasYear = false;      // false: NULL is stored
    std::string genre;
    std::string composer;
    std::string albumartist;
    int time = 0;              // seconds
    int type = 0;              // file type code (1 mp3 .. 14 mpc, see CDBase)
    int bitrate = 0;           // kbit/s
    int sample = 0;            // Hz
    int channel = 0;           // channel count
    TrackGains gains;          // as the tags hold them, where they passed the reader's checks
};
