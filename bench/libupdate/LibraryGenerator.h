// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

// Writes a music library of count files under folder: Artist/Album/NN Title.ext, the eight
// library types in turn (ape only when apeSource names a real APE file), realistic tags, some
// files untagged and some with an embedded front cover. Audio comes from one short template
// per type made by the ffmpeg command line and copied. False when a template cannot be made.
bool GenerateLibrary(const QString& folder, int count, const QString& apeSource);
