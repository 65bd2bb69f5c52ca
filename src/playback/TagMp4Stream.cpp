// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagPrecise.h"

#include <taglib/mp4file.h>

#include <initializer_list>

namespace {

using TagLib::ByteVector;

constexpr unsigned int kMaxBoxRead = 4096; // edit lists and sample entries are far smaller
constexpr unsigned char kEsTag = 0x03;
constexpr unsigned char kDecoderConfigTag = 0x04;
constexpr unsigned char kAudioConfigTag = 0x05;
constexpr unsigned int kDecoderConfigFields = 13; // object type, stream type, buffer, bitrates
constexpr int kParametricStereo = 29; // HE-AAC v2: a mono core that decodes to stereo

// One ISO media box: where its content lies in the file.
struct Box {
    long long begin = 0; // first content byte
    long long end = 0; // one past the last byte
};

// The first box named type among the boxes that fill [begin, end); from skips the first
// boxes of that name.
bool FindBox(TagLib::File& file, const Box& parent, const char* type, Box& out, int skip = 0)
{
    long long at = parent.begin;
    while (at + 8 <= parent.end) {
        file.seek(at);
        const ByteVector head = file.readBlock(16);
        if (head.size() < 8)
            return false;
        long long size = head.toUInt(0U, true);
        unsigned int headSize = 8;
        if (size == 1 && head.size() == 16) {
            size = head.toLongLong(8U, true);
            headSize = 16;
        } else if (size == 0) {
            size = parent.end - at;
        }
        if (size < headSize || at + size > parent.end)
            return false;
        if (head.mid(4, 4) == type && skip-- == 0) {
            out = Box { at + headSize, at + size };
            return true;
        }
        at += size;
    }
    return false;
}

bool FindPath(TagLib::File& file, Box box, std::initializer_list<const char*> path, Box& out)
{
    for (const char* type : path)
        if (!FindBox(file, box, type, box))
            return false;
    out = box;
    return true;
}

ByteVector ReadBody(TagLib::File& file, const Box& box)
{
    if (box.end <= box.begin || box.end - box.begin > kMaxBoxRead)
        return {};
    file.seek(box.begin);
    return file.readBlock(static_cast<unsigned long>(box.end - box.begin));
}

// The sound track: the first trak whose handler is "soun".
bool SoundTrack(TagLib::File& file, const Box& moov, Box& trak)
{
    Box hdlr;
    for (int i = 0; FindBox(file, moov, "trak", trak, i); ++i)
        if (FindPath(file, trak, { "mdia", "hdlr" }, hdlr)
            && ReadBody(file, hdlr).mid(8, 4) == "soun")
            return true;
    return false;
}

unsigned int MovieTimescale(TagLib::File& file, const Box& moov)
{
    Box mvhd;
    const ByteVector body = FindBox(file, moov, "mvhd", mvhd) ? ReadBody(file, mvhd) : ByteVector();
    if (body.size() < 32)
        return 0;
    return body.toUInt(body[0] == 1 ? 20U : 12U, true);
}

// Sum of the edits that show media (media time -1 marks an empty edit), in movie ticks.
unsigned long long EditedTicks(const ByteVector& edts)
{
    if (edts.size() < 16 || edts.mid(4, 4) != "elst")
        return 0;
    const bool wide = edts[8] == 1;
    const unsigned int count = edts.toUInt(12U, true);
    const unsigned int entrySize = wide ? 20 : 12;
    unsigned long long ticks = 0;
    for (unsigned int i = 0, at = 16; i < count && at + entrySize <= edts.size();
         ++i, at += entrySize) {
        const long long mediaTime
            = wide ? edts.toLongLong(at + 8, true) : static_cast<int>(edts.toUInt(at + 4, true));
        if (mediaTime >= 0)
            ticks += wide ? edts.toLongLong(at, true) : edts.toUInt(at, true);
    }
    return ticks;
}

// An MPEG-4 descriptor length: up to four bytes of seven bits each.
bool ReadDescriptorLength(const ByteVector& data, unsigned int& at, unsigned int& length)
{
    length = 0;
    for (int i = 0; i < 4 && at < data.size(); ++i) {
        const auto b = static_cast<unsigned char>(data[at++]);
        length = (length << 7) | (b & 0x7F);
        if (!(b & 0x80))
            return true;
    }
    return false;
}

// The fields of an ES_Descriptor before its sub-descriptors: ES_ID, flags, and what the flags
// announce (a depended-on ES_ID, a URL, an OCR ES_ID).
unsigned int SkipEsHeader(const ByteVector& data, unsigned int at)
{
    if (at + 3 > data.size())
        return static_cast<unsigned int>(data.size());
    const auto flags = static_cast<unsigned char>(data[at + 2]);
    at += 3;
    if (flags & 0x80)
        at += 2;
    if ((flags & 0x40) && at < data.size())
        at += 1 + static_cast<unsigned char>(data[at]);
    if (flags & 0x20)
        at += 2;
    return at;
}

// Channel count of the AudioSpecificConfig inside the esds box of an mp4a sample entry;
// 0 when it does not say (channel configuration 0, parametric stereo, anything malformed).
int ConfigChannels(const ByteVector& entry)
{
    const int esds = entry.find("esds");
    if (esds < 0)
        return 0;
    unsigned int at = static_cast<unsigned int>(esds) + 8;
    while (at + 2 < entry.size()) {
        const auto tag = static_cast<unsigned char>(entry[at++]);
        unsigned int length = 0;
        if (!ReadDescriptorLength(entry, at, length))
            return 0;
        if (tag == kEsTag)
            at = SkipEsHeader(entry, at); // its sub-descriptors follow
        else if (tag == kDecoderConfigTag)
            at += kDecoderConfigFields;
        else if (tag != kAudioConfigTag)
            at += length;
        else if (at + 2 <= entry.size() && length >= 2) {
            const unsigned int bits = entry.toUShort(at, true);
            const int objectType = bits >> 11;
            const int config = (bits >> 3) & 0x0F;
            if (objectType == kParametricStereo || objectType == 31 || ((bits >> 7) & 0x0F) == 15)
                return 0;
            return config >= 1 && config <= 6 ? config : (config == 7 ? 8 : 0);
        } else
            return 0;
    }
    return 0;
}

} // namespace

void RefineMp4Stream(TagLib::MP4::File& file, TagStreamInfo& stream)
{
    Box moov;
    Box trak;
    if (!FindBox(file, Box { 0, file.length() }, "moov", moov) || !SoundTrack(file, moov, trak))
        return;
    Box edts;
    const unsigned int timescale = MovieTimescale(file, moov);
    const unsigned long long ticks
        = FindBox(file, trak, "edts", edts) ? EditedTicks(ReadBody(file, edts)) : 0;
    if (ticks > 0 && timescale > 0)
        stream.seconds = static_cast<double>(ticks) / timescale;
    Box stsd;
    if (!FindPath(file, trak, { "mdia", "minf", "stbl", "stsd" }, stsd))
        return;
    Box mp4a;
    stsd.begin += 8; // version, flags and entry count precede the sample entries
    const int channels
        = FindBox(file, stsd, "mp4a", mp4a) ? ConfigChannels(ReadBody(file, mp4a)) : 0;
    if (channels > 0)
        stream.channel = channels;
}
