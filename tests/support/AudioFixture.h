// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Audio fixtures generated at test time with the ffmpeg command line; tags written by TagLib.
namespace fixture {

// The library types that can be made here, by extension in type-code order: every one but
// ape, which has no encoder, and aif, which is aiff under another name.
const QStringList& AllTypes();

struct Tone {
    double seconds = 1.0;
    double frequency = 1000.0; // Hz; 0 gives silence
    double amplitude = 0.5;    // peak, 0..1 of full scale
    int channels = 2;
    int rate = 44100;
};

// Writes a sine of the given shape to path, encoded by the path's extension
// (mp3, ogg, wma, flac, aac as raw ADTS, mp4, m4a, opus, wav, aiff/aif, wv; mpc through the
// mpcenc command line). Returns false when an encoder failed.
bool MakeTone(const QString& path, const Tone& tone = {});

// Copies a generated template instead of encoding again: a folder of one tone per type is
// made once per process and copied, which keeps large generated libraries cheap.
bool CopyTone(const QString& type, const QString& path);

// Writes tags through TagLib's property interface: keys such as "TITLE", "ARTIST", "ALBUM",
// "TRACKNUMBER", "DATE", "GENRE", "COMPOSER", "ALBUMARTIST". Returns false when TagLib could
// not open or save the file.
bool WriteTags(const QString& path, const QMap<QString, QString>& tags);

// Embeds a picture (JPEG or PNG bytes) as the front cover where the format allows it.
bool WriteCover(const QString& path, const QByteArray& imageBytes);

} // namespace fixture
