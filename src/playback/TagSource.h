// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TagStreamInfo.h"

#include <taglib/tpropertymap.h>

#include <QString>

// What one audio file yields to the tag reader: its tag as TagLib's property map (keys
// TRACKNUMBER, TITLE, ARTIST, ALBUM, DATE, GENRE, COMPOSER, ALBUMARTIST) and its stream.
struct TagSource {
    TagLib::PropertyMap props;
    TagStreamInfo stream;
    long long fileSize = 0; // bytes, the whole file
};

// Opens the file as the audio type its extension names (lower-case, without the dot) and reads
// its tag and stream properties; other extensions, and files the extension's reader cannot
// open, are detected by content. Returns false when
// the file is missing, unreadable, or not audio of that type (out is then unspecified).
// Reads headers only; any thread.
bool ReadTagSource(const char* nativePath, const QString& ext, TagSource& out);
