// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <taglib/tpropertymap.h>

namespace TagLib::ID3v2 {
class Tag;
}

// The property map of an ID3v2 tag, except that genre references ("(17)", "17") are left out
// instead of being turned into ID3v1 genre names: the reader drops numeric genres, and
// TagLib would otherwise hide them. A "(17)Rock" arrives from TagLib's parser as "Rock".
TagLib::PropertyMap Id3v2Properties(const TagLib::ID3v2::Tag& tag);

// Adds the fields of fallback that props lacks: a file may carry an ID3v2 tag that names only
// the encoder beside an older tag that holds the rest.
void AddMissing(TagLib::PropertyMap& props, const TagLib::PropertyMap& fallback);
