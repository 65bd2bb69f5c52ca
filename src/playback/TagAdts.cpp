// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagPrecise.h"

#include <taglib/tfile.h>

#include <iterator>

namespace {

constexpr unsigned int kBlock = 64 * 1024;
constexpr long long kExactSpan = 8 * 1024 * 1024; // bytes of frames counted one by one
constexpr int kSamplesPerBlock = 1024;
constexpr int kRates[]
    = { 96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000 };

struct AdtsHeader {
    int rate = 0;
    int channels = 0;
    unsigned int length = 0; // frame bytes, header included
    int blocks = 0; // raw data blocks, 1 to 4
};

bool ParseHeader(const unsigned char* h, AdtsHeader& out)
{
    if (h[0] != 0xFF || (h[1] & 0xF6) != 0xF0)
        return false; // sync word, then layer 0
    const int rateIndex = (h[2] >> 2) & 0x0F;
    if (rateIndex >= static_cast<int>(std::size(kRates)))
        return false;
    out.rate = kRates[rateIndex];
    const int config = ((h[2] & 0x01) << 2) | (h[3] >> 6);
    out.channels = config == 7 ? 8 : config;
    out.length = ((h[3] & 0x03u) << 11) | (static_cast<unsigned int>(h[4]) << 3) | (h[5] >> 5);
    out.blocks = (h[6] & 0x03) + 1;
    return out.length >= 7;
}

// Reads the file in large blocks so that walking thousands of 7-byte headers costs a few
// reads, not one per frame.
class BlockReader {
public:
    explicit BlockReader(TagLib::File& file)
        : m_file(file)
    {
    }

    const unsigned char* Get(long long pos, unsigned int count)
    {
        if (pos < m_start || pos + count > m_start + static_cast<long long>(m_block.size())) {
            m_file.seek(pos);
            m_block = m_file.readBlock(kBlock);
            m_start = pos;
            if (m_block.size() < count)
                return nullptr;
        }
        return reinterpret_cast<const unsigned char*>(m_block.data()) + (pos - m_start);
    }

private:
    TagLib::File& m_file;
    TagLib::ByteVector m_block;
    long long m_start = -1;
};

} // namespace

bool MeasureAdts(TagLib::File& file, long long start, TagStreamInfo& info)
{
    BlockReader reader(file);
    const unsigned char* bytes = reader.Get(start, 7);
    AdtsHeader first;
    if (!bytes || !ParseHeader(bytes, first) || first.channels == 0)
        return false;
    long long pos = start;
    long long samples = 0;
    AdtsHeader header;
    while (pos - start < kExactSpan && (bytes = reader.Get(pos, 7)) && ParseHeader(bytes, header)
        && header.rate == first.rate) {
        samples += static_cast<long long>(header.blocks) * kSamplesPerBlock;
        pos += header.length;
    }
    const long long end = file.length();
    if (pos - start >= kExactSpan && end > pos)
        samples
            = static_cast<long long>(static_cast<double>(samples) * (end - start) / (pos - start));
    info.seconds = static_cast<double>(samples) / first.rate;
    info.sample = first.rate;
    info.channel = first.channels;
    return true;
}
