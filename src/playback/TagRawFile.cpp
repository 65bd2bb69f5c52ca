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
    TagLib::PropertyMap props;
    audioStart = 0;
    seek(0);
    if (readBlock(3) == TagLib::ID3v2::Header::fileIdentifier()) {
        const TagLib::ID3v2::Tag id3v2(this, 0);
        audioStart = id3v2.header()->completeTagSize();
        props = Id3v2Properties(id3v2);
    }
    const long size = length();
    const bool hasId3v1 = size >= kId3v1Size
        && HasIdentifierAt(size - kId3v1Size, TagLib::ID3v1::Tag::fileIdentifier());
    const long apeFooter
        = size - (hasId3v1 ? kId3v1Size : 0) - static_cast<long>(TagLib::APE::Footer::size());
    if (apeFooter >= 0 && HasIdentifierAt(apeFooter, TagLib::APE::Tag::fileIdentifier()))
        AddMissing(props, TagLib::APE::Tag(this, apeFooter).properties());
    if (hasId3v1)
        AddMissing(props, TagLib::ID3v1::Tag(this, size - kId3v1Size).properties());
    return props;
}

bool TagRawFile::HasIdentifierAt(long offset, const TagLib::ByteVector& identifier)
{
    seek(offset);
    return readBlock(identifier.size()) == identifier;
}
