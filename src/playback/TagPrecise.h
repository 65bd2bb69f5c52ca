// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TagStreamInfo.h"

namespace TagLib {
class File;
}
namespace TagLib::MPEG {
class File;
}
namespace TagLib::MP4 {
class File;
}

// Exact stream figures where TagLib's are off or missing, read through the already open file
// (headers only, except for raw ADTS, which has no header to tell its length); any thread.

// Seconds of sampleFrames at the stream's rate; 0 when the rate is unknown.
double SampleSeconds(unsigned long long sampleFrames, const TagStreamInfo& stream);

// The playing time of an MPEG audio file whose first frame carries a Xing/Info header with an
// encoder-delay field (LAME, FFmpeg): the frames' samples less the encoder delay and padding.
// TagLib counts those silent samples too (3.030 s for a 3.000 s encode). Returns fallback
// when the file has no such header. The file must have been opened with audio properties.
double PreciseMpegSeconds(TagLib::MPEG::File& file, double fallback);

// For AAC in MP4: the playing time of the edit list (which leaves out the encoder's priming
// samples that the media duration counts) and the channel count of the decoder configuration
// (encoders may write 2 into the sample entry whatever the stream holds). Leaves stream as it
// is where those boxes are missing or unusual.
void RefineMp4Stream(TagLib::MP4::File& file, TagStreamInfo& stream);

// Raw ADTS AAC from offset start (past any ID3v2 tag): counts the frames of the first 8 MiB
// (a whole song at usual bitrates) and extrapolates over any rest by the file size, taking
// sample rate and channels from the first frame header. The count includes the encoder's
// priming samples, which ADTS cannot mark. Returns false (info unchanged) when start holds
// no ADTS frame or the header leaves the channels to a program config element.
bool MeasureAdts(TagLib::File& file, long long start, TagStreamInfo& info);
