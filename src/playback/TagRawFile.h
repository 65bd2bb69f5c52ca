// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <taglib/tfile.h>
#include <taglib/tpropertymap.h>

// A file TagLib reads bytes from without knowing its format, so that the generic ID3v2, APE
// and ID3v1 tag parsers can be run on a stream TagLib has no reader for (raw ADTS AAC).
// TagLib's MPEG reader would do it too, but searches the whole file for an ID3v2 tag when
// none is at the start, tripping over every ADTS frame sync on the way.
class TagRawFile : public TagLib::File {
public:
    explicit TagRawFile(TagLib::FileName name);

    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }

    // The tags that describe the stream, each field from the first tag that has it: an ID3v2
    // tag at the start, an APE tag at the end, an ID3v1 tag at the end; an empty map when
    // there is none. audioStart is set to the first byte after a leading ID3v2 tag (else 0).
    TagLib::PropertyMap ReadTags(long long& audioStart);

private:
    bool HasIdentifierAt(long offset, const TagLib::ByteVector& identifier);
};
