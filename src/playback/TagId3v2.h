// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <taglib/tpropertymap.h>

namespace TagLib::ID3v2 {
class Tag;
}

// The property map of an ID3v2 tag, except that the genre holds the frame's own values, with
// genre references as numbers ("(17)" and "17" both as "17") instead of TagLib's names, so
// that a reference with a refinement ("(17)Hard Rock", split by TagLib's parser into "17" and
// "Hard Rock") can give the refinement alone.
TagLib::PropertyMap Id3v2Properties(const TagLib::ID3v2::Tag& tag);

// Adds the fields of fallback that props lacks: a file may carry an ID3v2 tag that names only
// the encoder beside an older tag that holds the rest.
void AddMissing(TagLib::PropertyMap& props, const TagLib::PropertyMap& fallback);
