// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TagStreamInfo.h"

namespace TagLib {
namespace MPEG {
class File;
}
namespace MP4 {
class File;
}
} // namespace TagLib

// Corrections of TagLib's stream figures where a few header bytes give the exact answer.
// Each reads at most a few hundred bytes through the already open file; any thread.

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
