// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagAsfCheck.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Guid = std::array<std::uint8_t, 16>;

// As the GUIDs stand in the file (the first three fields little-endian).
constexpr Guid kHeader = { 0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA,
    0x00, 0x62, 0xCE, 0x6C };
constexpr Guid kExtendedContent = { 0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97, 0xF0,
    0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50 };
constexpr Guid kHeaderExtension = { 0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11, 0x8E, 0xE3,
    0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65 };
constexpr Guid kMetadata = { 0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48, 0x84, 0x67, 0xAA, 0x8C,
    0x44, 0xFA, 0x4C, 0xCA };
constexpr Guid kMetadataLibrary = { 0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49, 0xA1, 0x41,
    0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54 };

constexpr std::uint64_t kObjectHead = 24; // GUID and 64-bit size
// The header holds only descriptions; tags beyond this are not worth reading.
constexpr std::uint64_t kMaxHeaderBytes = 64u << 20;
// The fixed part of one attribute record: name length, type and value length for extended
// content; two more 16-bit fields and a 32-bit value length in the metadata objects.
constexpr std::uint64_t kExtendedContentRecord = 6;
constexpr std::uint64_t kMetadataRecord = 12;

std::uint64_t Le(const std::uint8_t* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

bool IsGuid(const std::uint8_t* p, const Guid& guid)
{
    return std::memcmp(p, guid.data(), guid.size()) == 0;
}

// Walks the objects in data[begin, end); false when an object that counts attributes
// declares more than its size can hold.
bool CountsFit(const std::vector<std::uint8_t>& data, std::uint64_t begin, std::uint64_t end)
{
    for (std::uint64_t at = begin; at + kObjectHead <= end;) {
        const std::uint8_t* object = data.data() + at;
        const std::uint64_t declared = Le(object + 16, 8);
        if (declared < kObjectHead)
            return true; // TagLib stops at a broken object size itself
        // An object cut short by the end of the file still has its count read in full.
        const std::uint64_t size = std::min(declared, end - at);
        std::uint64_t record = 0;
        if (IsGuid(object, kExtendedContent))
            record = kExtendedContentRecord;
        else if (IsGuid(object, kMetadata) || IsGuid(object, kMetadataLibrary))
            record = kMetadataRecord;
        if (record != 0 && size >= kObjectHead + 2) {
            const std::uint64_t count = Le(object + kObjectHead, 2);
            if (count * record > size - kObjectHead - 2)
                return false;
        }
        // The extension object: a GUID, a 16-bit field and a 32-bit data size, then objects.
        constexpr std::uint64_t kExtensionHead = kObjectHead + 22;
        if (IsGuid(object, kHeaderExtension) && size >= kExtensionHead
            && !CountsFit(data, at + kExtensionHead, at + size))
            return false;
        if (declared > size)
            return true;
        at += size;
    }
    return true;
}

} // namespace

bool AsfAttributeCountsFit(const char* nativePath)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(nativePath, "rb"), &std::fclose);
    if (!file)
        return true; // TagLib reports the failure to open
    constexpr std::uint64_t kTopHead = kObjectHead + 6; // object count and two reserved bytes
    std::vector<std::uint8_t> data(kTopHead);
    if (std::fread(data.data(), 1, data.size(), file.get()) != data.size()
        || !IsGuid(data.data(), kHeader))
        return true;
    const std::uint64_t declared = Le(data.data() + 16, 8);
    if (declared <= kTopHead || declared > kMaxHeaderBytes)
        return declared <= kTopHead;
    data.resize(declared);
    const std::size_t rest = std::fread(data.data() + kTopHead, 1, declared - kTopHead, file.get());
    return CountsFit(data, kTopHead, kTopHead + rest);
}
