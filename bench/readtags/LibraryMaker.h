// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>
#include <QStringList>

// Builds a music library of every type in a folder: a few templates encoded by the ffmpeg
// command line (APE copied from a sample, when one is given), copied under artist and album
// folders and given varied tags through TagLib; every tenth file carries a cover picture.
// Progress goes to stderr. Returns the files made (empty when no template could be made).
QStringList MakeLibrary(const QString& folder, int fileCount, const QString& apeSample);
