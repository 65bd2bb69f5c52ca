// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TrackRecord.h"

#include <QByteArray>
#include <QString>

namespace tagtest {

// A record whose every field holds a value no reader would produce, to see what was touched.
TrackRecord Sentinel();

bool SameRecord(const TrackRecord& a, const TrackRecord& b);

// The shared APE samples, or an empty text when the test data folder is not there.
QString ApeSample(const QString& name);

// The bitrate the reader must report for a file of size bytes playing seconds.
int FormulaBitrate(long long size, double seconds);

// Replaces the file's leading ID3v2 tag (if any) with an ID3v2.3 tag of one text frame
// (ISO-8859-1), written byte by byte.
bool PrependId3v23(const QString& path, const char* frameId, const QByteArray& text);

bool WriteBytes(const QString& path, const QByteArray& bytes);

} // namespace tagtest
