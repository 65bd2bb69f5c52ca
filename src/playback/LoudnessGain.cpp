// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "LoudnessGain.h"

#include "TagGain.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

struct Chosen {
    std::optional<double> gain;
    std::optional<double> peak;
};

// The peak that goes with the gain: the album peak is at least the track's, so standing in
// for a missing track peak it errs toward less gain.
Chosen Pick(const TrackGains& gains, bool album)
{
    if (album && gains.albumGain)
        return {gains.albumGain, gains.albumPeak ? gains.albumPeak : gains.trackPeak};
    if (gains.trackGain)
        return {gains.trackGain, gains.trackPeak ? gains.trackPeak : gains.albumPeak};
    if (gains.albumGain)
        return {gains.albumGain, gains.albumPeak ? gains.albumPeak : gains.trackPeak};
    return {};
}

} // namespace

LoudnessGain ChooseLoudnessGain(const TrackGains& gains, const LoudnessSettings& settings,
    bool albumOrder)
{
    if (settings.mode == ReplayGainMode::Off)
        return {};
    const bool album = settings.mode == ReplayGainMode::Album
        || (settings.mode == ReplayGainMode::Auto && albumOrder);
    const Chosen chosen = Pick(gains, album);
    const auto within = [](double db) {
        return std::clamp(db, LoudnessSettings::kMinDb, LoudnessSettings::kMaxDb);
    };
    double db = chosen.gain ? *chosen.gain + within(settings.preampDb) : within(settings.untaggedDb);
    db = std::min(db, kMaxTagGainDb);
    double linear = std::pow(10.0, db / 20.0);
    LoudnessGain result;
    if (settings.preventClipping) {
        if (chosen.peak && *chosen.peak > 0.0)
            linear = std::min(linear, 1.0 / *chosen.peak);
        else
            result.limit = linear > 1.0;
    }
    result.linear = static_cast<float>(linear);
    return result;
}
