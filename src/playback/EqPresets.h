// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <array>
#include <vector>

// One entry of the shipped equalizer presets, as the equalizer dialog shows it.
struct structPreset {
    QString name; // for display: every "&" doubled, at most kMaxPresetName characters before that
    float preamp = 0.0f; // dB, finite and within kPresetGainLimit
    std::array<float, 10> gains{}; // dB per band, finite and within kPresetGainLimit
};

inline constexpr int kMaxPresetName = 260;
// The presets menu numbers its items 10001 and up and the window's command range ends at 12000,
// so more presets than this could only collide with other commands.
inline constexpr int kMaxPresets = 2000;
// Gains are clamped to what the sliders can show; the sound then matches the sliders.
inline constexpr float kPresetGainLimit = 12.0f;

// Reads "Presets.xml": document element "Presets", one child per preset in menu order with the
// attribute "Name" and children "Preamp", "Band01".."Band10" carrying "Gain". A missing child or
// attribute counts as 0; a value that is not a finite number counts as 0. A missing, oversized
// or malformed file gives no presets. Any thread.
std::vector<structPreset> LoadEqPresets(const QString& path);

// The name as the engine keeps it: every "&&" of a display name turned back into "&".
QString PresetEngineName(const QString& displayName);
