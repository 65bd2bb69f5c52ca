// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TrackRecord.h"

#include <taglib/tpropertymap.h>

#include <optional>
#include <string>

// The largest gain, either way, that a file may ask for; beyond it a value is a tagger's fault.
inline constexpr double kMaxTagGainDb = 24.0;

// A ReplayGain gain text ("-6.48 dB", "+2.1", "3,5 dB") as dB. Empty for text that is not one
// number with an optional "dB", for NaN and infinities, and for gains above +24 dB (a value
// that loud is broken, and obeying it would be a blast of sound); gains below -24 dB are held
// at -24 dB, which errs toward quiet.
std::optional<double> GainFromText(const std::string& text);

// An R128 gain text (a whole number in 1/256 dB toward -23 LUFS, as Opus files carry it) as
// dB toward the ReplayGain reference, 5 dB louder; the limits of GainFromText apply after.
std::optional<double> GainFromR128Text(const std::string& text);

// A peak text as linear amplitude; empty unless it is a finite number above 0.
std::optional<double> PeakFromText(const std::string& text);

// The gains and peaks of a property map whose keys are in capitals
// (REPLAYGAIN_TRACK_GAIN, REPLAYGAIN_ALBUM_PEAK, R128_TRACK_GAIN...). An R128 gain wins over a
// ReplayGain one of the same kind: Opus files are to carry only R128 gains, so a ReplayGain
// text beside one was left by a program that did not know the type.
TrackGains GainTags(const TagLib::PropertyMap& props);
