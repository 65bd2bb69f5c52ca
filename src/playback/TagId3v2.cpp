// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagId3v2.h"

#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

namespace {

TagLib::StringList Id3v2Genres(const TagLib::ID3v2::Tag& tag)
{
    TagLib::StringList genres;
    const TagLib::ID3v2::FrameList frames = tag.frameList("TCON");
    for (const TagLib::ID3v2::Frame* frame : frames) {
        const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame);
        if (!text)
            continue;
        genres.append(text->fieldList());
    }
    return genres;
}

} // namespace

TagLib::PropertyMap Id3v2Properties(const TagLib::ID3v2::Tag& tag)
{
    TagLib::PropertyMap props = tag.properties();
    if (props.contains("GENRE")) {
        // A genre frame stays present even when nothing of it is left (a lone "(RX)"), so
        // that no older tag stands in.
        const TagLib::StringList genres = Id3v2Genres(tag);
        props.replace("GENRE", genres.isEmpty() ? TagLib::StringList(TagLib::String()) : genres);
    }
    return props;
}

void AddMissing(TagLib::PropertyMap& props, const TagLib::PropertyMap& fallback)
{
    for (const auto& [key, values] : fallback)
        if (!props.contains(key))
            props.insert(key, values);
}
