// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagAsfCheck.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace {

using Guid = std::array<std::uint8_t, 16>;

// As the GUIDs stand in the file (the first three fields little-endian).
constexpr Guid kHeader = { 0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA,
    0x00, 0x62, 0xCE, 0x6C };

// The objects that count attribute records, with the fixed part of one record: name length,
// type and value length for extended content; two more 16-bit fields and a 32-bit value
// length in the metadata and metadata library objects.
struct Counting {
    Guid guid;
    std::uint64_t record;
};
constexpr std::array<Counting, 3> kCounting = { {
    { { 0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8,
          0x50 },
        6 },
    { { 0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48, 0x84, 0x67, 0xAA, 0x8C, 0x44, 0xFA, 0x4C,
          0xCA },
        12 },
    { { 0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49, 0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70,
          0x54 },
        12 },
} };

constexpr std::size_t kObjectHead = 24; // GUID and 64-bit size
constexpr std::size_t kCountEnd = kObjectHead + 2;
constexpr std::size_t kChunk = 1 << 20;

std::uint64_t Le(const std::uint8_t* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// Checks each counting object that starts in data[0, starts); data holds up to kCountEnd - 1
// bytes more, where the file has them. fileRest is how many file bytes there are from data[0].
bool ChunkFits(std::span<const std::uint8_t> data, std::size_t starts, std::uint64_t fileRest)
{
    for (const Counting& counting : kCounting) {
        // memchr finds the first byte at memory speed; audio data rarely goes on from there.
        for (std::size_t at = 0; at < starts; ++at) {
            const void* hit = std::memchr(&data[at], counting.guid[0], starts - at);
            if (!hit)
                break;
            at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data.data());
            if (at + kCountEnd > data.size()
                || std::memcmp(&data[at], counting.guid.data(), counting.guid.size()) != 0)
                continue; // another object, or cut off before its count, which reads as none
            const std::uint64_t room = std::min(Le(&data[at + 16], 8), fileRest - at);
            const std::uint64_t count = Le(&data[at + kObjectHead], 2);
            // A size too small for the count itself is a broken object; TagLib reads the count.
            if (room < kCountEnd ? count != 0 : count * counting.record > room - kCountEnd)
                return false;
        }
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
    Guid head {};
    if (std::fread(head.data(), 1, head.size(), file.get()) != head.size() || head != kHeader)
        return true;
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return true;
    const long size = std::ftell(file.get());
    if (size < 0)
        return true;
    // TagLib finds its objects by walking the header in ways a damaged file can lead anywhere,
    // so every place in the file where a counting object could be read is checked.
    const auto total = static_cast<std::uint64_t>(size);
    std::vector<std::uint8_t> buffer(std::min<std::uint64_t>(total, kChunk + kCountEnd - 1));
    for (std::uint64_t offset = 0; offset < total; offset += kChunk) {
        if (std::fseek(file.get(), static_cast<long>(offset), SEEK_SET) != 0)
            return true;
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (got == 0)
            break;
        const std::span<const std::uint8_t> data(buffer.data(), got);
        if (!ChunkFits(data, std::min(got, kChunk), total - offset))
            return false;
    }
    return true;
}
