// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinElement.h"

#include <memory>

// The element for a kind, with its type set: buttons for Play, Pause, Stop, Next, Previous,
// Close, Minimize, Button and Equalizer; switches for PlayPause, Mute, Repeat and Shuffle;
// sliders for VolumeBar and TrackBar; Rating; text for Title, Artist and Album; Cover. Library,
// Playlist and Spectrum give a plain element that only reserves its rectangle; any other kind
// a plain element of kind 0. Never null. Matches SkinControlFactory.
std::unique_ptr<CSkinElement> CreateSkinControl(int kind);
