// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagPrecise.h"

#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#include <taglib/xingheader.h>

namespace {

constexpr unsigned int kFrameProbe = 320; // bytes: header, side info, Xing and LAME fields

struct Gapless {
    unsigned int delay = 0;
    unsigned int padding = 0;
};

int SamplesPerFrame(const TagLib::MPEG::Properties& props)
{
    if (props.layer() == 1)
        return 384;
    if (props.layer() == 2 || props.version() == TagLib::MPEG::Header::Version1)
        return 1152;
    return 576;
}

// The Xing fields present by their flags, then the encoder's extension: a 9-byte encoder
// name and, 21 bytes into it, the 12-bit delay and 12-bit padding.
bool ParseGapless(const TagLib::ByteVector& frame, Gapless& out)
{
    int at = frame.find("Xing");
    if (at < 0)
        at = frame.find("Info");
    if (at < 0 || static_cast<unsigned int>(at) + 8 > frame.size())
        return false;
    const unsigned int flags = frame.toUInt(static_cast<unsigned int>(at) + 4, true);
    unsigned int pos = static_cast<unsigned int>(at) + 8;
    pos += (flags & 1 ? 4 : 0) + (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
    if (pos + 24 > frame.size())
        return false;
    const TagLib::ByteVector encoder = frame.mid(pos, 4);
    if (encoder != "LAME" && encoder != "Lavf" && encoder != "Lavc")
        return false;
    const auto byte = [&frame](unsigned int i) { return static_cast<unsigned char>(frame[i]); };
    const unsigned int d = pos + 21;
    out.delay = (byte(d) << 4) | (byte(d + 1) >> 4);
    out.padding = ((byte(d + 1) & 0x0F) << 8) | byte(d + 2);
    return true;
}

} // namespace

double SampleSeconds(unsigned long long sampleFrames, const TagStreamInfo& stream)
{
    if (stream.sample <= 0)
        return 0.0;
    return static_cast<double>(sampleFrames) / stream.sample;
}

double PreciseMpegSeconds(TagLib::MPEG::File& file, double fallback)
{
    const TagLib::MPEG::Properties* props = file.audioProperties();
    if (!props || props->sampleRate() <= 0)
        return fallback;
    const TagLib::MPEG::XingHeader* xing = props->xingHeader();
    if (!xing || !xing->isValid() || xing->type() != TagLib::MPEG::XingHeader::Xing)
        return fallback;
    const long offset = file.firstFrameOffset();
    if (offset < 0)
        return fallback;
    file.seek(offset);
    Gapless gapless;
    if (!ParseGapless(file.readBlock(kFrameProbe), gapless))
        return fallback;
    const long long samples = static_cast<long long>(xing->totalFrames()) * SamplesPerFrame(*props)
        - gapless.delay - gapless.padding;
    if (samples <= 0)
        return fallback;
    return static_cast<double>(samples) / props->sampleRate();
}
