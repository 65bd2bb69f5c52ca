// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagAvProbe.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <memory>

namespace {

struct InputCloser {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;

InputPtr OpenInput(const char* nativePath)
{
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, nativePath, nullptr, nullptr) < 0)
        return {};
    return InputPtr(raw);
}

} // namespace

bool ProbeStreamWithAv(const char* nativePath, TagStreamInfo& info)
{
    InputPtr input = OpenInput(nativePath);
    if (!input || avformat_find_stream_info(input.get(), nullptr) < 0)
        return false;
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return false;
    const AVStream* stream = input->streams[index];
    const AVCodecParameters* par = stream->codecpar;
    if (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0)
        return false;
    double seconds = 0.0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        seconds = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    else if (input->duration != AV_NOPTS_VALUE && input->duration > 0)
        seconds = static_cast<double>(input->duration) / AV_TIME_BASE;
    info.seconds = seconds;
    info.sample = par->sample_rate;
    info.channel = par->ch_layout.nb_channels;
    return true;
}
