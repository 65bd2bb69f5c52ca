// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Mutated audio files through the tag reader and through the decoder's probing (open, a few
// packets, a seek), as the library update and the player meet them. The first byte of the
// input picks the extension the file is written with; the rest is the file.
#include "CFfmpegDecoder.h"
#include "CTagReader.h"
#include "FuzzSupport.h"

#include <array>
#include <vector>

namespace {

constexpr std::array<const char*, 10> kExtensions = {
    "mp3", "ogg", "wma", "flac", "ape", "aac", "mp4", "m4a", "wav", "opus"};
constexpr int kPackets = 8;

void Probe(const QString& path)
{
    try {
        CFfmpegDecoder decoder;
        decoder.OpenFile(path);
        std::vector<float> samples;
        for (int i = 0; i < kPackets && decoder.Decode(samples); ++i)
            samples.clear();
        if (decoder.LengthFrames() != CFfmpegDecoder::kUnknown && decoder.LengthFrames() > 0)
            decoder.Seek(decoder.LengthFrames() / 2);
    } catch (const FfmpegError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QString path = fuzz::Folder() + QStringLiteral("/input.")
        + QLatin1String(kExtensions[data[0] % kExtensions.size()]);
    fuzz::WriteInput(path, data + 1, size - 1);
    TrackRecord record;
    CTagReader::ReadTags(path, record);
    Probe(path);
    return 0;
}
