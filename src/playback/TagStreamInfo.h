// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

// The stream properties of one audio file, as the tag reader measures them.
struct TagStreamInfo {
    double seconds = 0.0; // playing time, unrounded
    int sample = 0; // sample rate, Hz
    int channel = 0; // channel count
};
