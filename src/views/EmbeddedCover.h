// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

// The encoded bytes of the picture stored in a track's tags (the front cover when several are
// stored, else the first), or empty when the file has none or cannot be read. Reads mp3, wav
// and aiff/aif (ID3v2), flac, ogg and opus, mp4/m4a, and WavPack and Musepack (APE) tags (wma
// is left out: its damaged headers cost TagLib minutes to read). Pictures larger than
// kMaxCoverBytes are ignored. Any thread; opens the file read-only.
QByteArray EmbeddedCover(const QString& path);

inline constexpr int kMaxCoverBytes = 16 * 1024 * 1024;
