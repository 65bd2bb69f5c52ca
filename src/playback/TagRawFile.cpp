// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagRawFile.h"

#include "TagId3v2.h"

#include <taglib/apefooter.h>
#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>

namespace {

constexpr long kId3v1Size = 128;

} // namespace

TagRawFile::TagRawFile(TagLib::FileName name)
    : TagLib::File(name)
{
}

TagLib::PropertyMap TagRawFile::ReadTags(long long& audioStart)
{
    audioStart = 0;
    seek(0);
    if (readBlock(3) == TagLib::ID3v2::Header::fileIdentifier()) {
        const TagLib::ID3v2::Tag id3v2(this, 0);
        audioStart = id3v2.header()->completeTagSize();
        return Id3v2Properties(id3v2);
    }
    const long size = length();
    long tagsEnd = size;
    if (size >= kId3v1Size) {
        seek(size - kId3v1Size);
        if (readBlock(3) == TagLib::ID3v1::Tag::fileIdentifier())
            tagsEnd -= kId3v1Size;
    }
    const long footer = tagsEnd - static_cast<long>(TagLib::APE::Footer::size());
    if (footer >= 0) {
        seek(footer);
        if (readBlock(8) == TagLib::APE::Tag::fileIdentifier())
            return TagLib::APE::Tag(this, footer).properties();
    }
    if (tagsEnd < size)
        return TagLib::ID3v1::Tag(this, size - kId3v1Size).properties();
    return {};
}
