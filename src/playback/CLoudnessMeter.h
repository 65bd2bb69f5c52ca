// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TrackRecord.h"

#include <QString>

#include <functional>
#include <vector>

// Measures the loudness of files per EBU R128 (integrated loudness, gated) and their sample
// peaks, alone and album by album, and states the result as the gains and peaks a tagger
// would have written: gains toward the ReplayGain reference of -18 LUFS, which is where R128
// gains land too once moved to it, so a measured file plays as loud as a tagged one.
//
// Blocking: decodes every file in full on the calling thread, which must not be the window's.
class CLoudnessMeter {
public:
    struct Track {
        QString file;
        // Tracks with the same non-empty key are one album: its gain is measured over all of
        // them together, as if they were one recording. Empty: no album gain.
        QString album;
    };
    struct Result {
        bool measured = false; // false: not audio, silent, or stopped before it
        TrackGains gains;
    };

    static constexpr double kReferenceLufs = -18.0;

    // Called after each track with the number done; returning false stops the measuring.
    using Progress = std::function<bool(int done)>;

    // One result per track, in the order given.
    static std::vector<Result> Measure(const std::vector<Track>& tracks, const Progress& progress);
};
