// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TrackRecord.h"

// Which stored gain a track plays at. The numbers are the ones Settings.xml stores.
enum class ReplayGainMode : int {
    Off = 0,
    Track = 1, // the track gain, else the album gain
    Album = 2, // the album gain, else the track gain
    Auto = 3,  // Album while the list plays one album in its order, else Track
};

// How the engine levels tracks. Gains in dB; the preamp applies to tagged tracks only, the
// untagged gain to tracks with neither gain.
struct LoudnessSettings {
    ReplayGainMode mode = ReplayGainMode::Auto;
    double preampDb = 0.0;   // -15..+15
    double untaggedDb = 0.0; // -15..+15
    bool preventClipping = true;

    static constexpr double kMinDb = -15.0;
    static constexpr double kMaxDb = 15.0;
    bool operator==(const LoudnessSettings&) const = default;
};

// The gain stage's setting for one track.
struct LoudnessGain {
    float linear = 1.0f; // multiplies the samples
    bool limit = false;  // the limiter guards full scale (a boost with no peak known)
    bool operator==(const LoudnessGain&) const = default;
};

// The gain a track with these stored gains plays at. With clipping prevention on, a known peak
// lowers the gain so that peak × gain stays at or under 1; without a peak a boost is guarded
// by the limiter instead. The total is held at or under +24 dB whatever the preamp adds.
// albumOrder: the list plays one album in its order (what Auto looks at). Any thread.
LoudnessGain ChooseLoudnessGain(const TrackGains& gains, const LoudnessSettings& settings,
    bool albumOrder);
