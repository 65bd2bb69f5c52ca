// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TagStreamInfo.h"

// Stream properties through libavformat, for files whose container TagLib cannot measure
// (raw ADTS AAC). Reads the container headers and a few packets; never decodes audio.
// Any thread (each call owns its demuxer). Returns false when libavformat cannot open the file
// or finds no audio stream; info is then unchanged.
bool ProbeStreamWithAv(const char* nativePath, TagStreamInfo& info);
