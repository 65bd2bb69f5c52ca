// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "IAudioLib.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct SwrContext;

// A failure of an FFmpeg call, with the layer's error code for it.
class FfmpegError : public std::runtime_error {
public:
    FfmpegError(AudioError code, const std::string& what)
        : std::runtime_error(what)
        , m_code(code)
    {
    }
    AudioError Code() const { return m_code; }

private:
    AudioError m_code;
};

// Bytes of a stream that is not a local file (an http body without its metadata blocks).
class IByteReader {
public:
    virtual ~IByteReader() = default;
    // Fills up to size bytes; returns the count, AVERROR_EOF at the end, or another negative
    // AVERROR code on failure. May block up to the reader's own time limits.
    virtual int ReadBytes(std::uint8_t* buffer, int size) = 0;
};

// Decodes the first audio stream of a file or a byte stream into 32-bit float stereo at the
// rate it is made for (the layer's mixing rate), converting the rate only when the source's
// differs. The format is recognised by content
// only, never by the file name. One thread at a time; the object owns every FFmpeg handle.
class CFfmpegDecoder {
public:
    static constexpr int kOutputRate = 44100;
    static constexpr std::uint64_t kUnknown = ~std::uint64_t{0};
    // Sources declaring a rate outside these are refused (FileForm): no audio format goes
    // beyond them, and resampling from a crafted gigahertz rate costs seconds and hundreds of
    // megabytes, from a rate of a few hertz gigabytes (every input sample becomes thousands).
    static constexpr int kMinSourceRate = 1000;
    static constexpr int kMaxSourceRate = 768000;

    // abort, when given, is polled during blocking reads; true makes them fail. outputRate in Hz.
    explicit CFfmpegDecoder(const std::atomic<bool>* abort = nullptr, int outputRate = kOutputRate);
    ~CFfmpegDecoder();
    CFfmpegDecoder(const CFfmpegDecoder&) = delete;
    CFfmpegDecoder& operator=(const CFfmpegDecoder&) = delete;

    // Throw FfmpegError: FileOpen (missing or unreadable, or not a regular file: a pipe, a
    // device or a folder is refused without waiting on it), FileForm (not audio, damaged, or no
    // sound could be decoded), Codec (no decoder).
    void OpenFile(const QString& path);
    // reader must outlive the decoder. Streams have no length and cannot seek.
    void OpenStream(IByteReader& reader);

    // Appends the samples of the next decoded frame to out (interleaved stereo). False at
    // the end of the data or after a read failure (LastReadError tells which).
    bool Decode(std::vector<float>& out);
    // Repositions so that the next sample delivered is output frame `frame`. False when the
    // source cannot seek or the frame lies beyond the end.
    bool Seek(std::uint64_t frame);

    // In output frames at the output rate; kUnknown when the source does not say.
    std::uint64_t LengthFrames() const { return m_lengthFrames; }
    std::uint64_t FileSize() const { return m_fileSize; }
    int SourceRate() const { return m_sourceRate; }
    int SourceChannels() const { return m_sourceChannels; }
    int OutputRate() const { return m_rate; }
    // True once audio went through a sample-rate conversion (source rate not the output rate).
    bool Resamples() const { return m_resamples; }
    // The read failure that ended decoding early (0 when the data simply ended).
    int LastReadError() const { return m_readError; }

private:
    void OpenInput(AVIOContext* pb);
    void OpenCodec();
    void SetUpResampler();
    bool ReceiveFrames(std::vector<float>& out);
    void Convert(const AVFrame* frame, std::vector<float>& out);
    void TrimLeading(std::vector<float>& out, std::size_t from);
    bool ReadPacket();
    void DecodeFirst();
    void ReadProperties();
    static int InterruptThunk(void* opaque);
    static int ReadThunk(void* opaque, std::uint8_t* buffer, int size);

    struct FormatDeleter { void operator()(AVFormatContext* p) const; };
    struct CodecDeleter { void operator()(AVCodecContext* p) const; };
    struct SwrDeleter { void operator()(SwrContext* p) const; };
    struct FrameDeleter { void operator()(AVFrame* p) const; };
    struct PacketDeleter { void operator()(AVPacket* p) const; };

    const std::atomic<bool>* m_abort;
    const int m_rate;
    bool m_resamples = false;
    IByteReader* m_reader = nullptr;
    void CloseIo();

    AVIOContext* m_io = nullptr; // closed by CloseIo after m_format is gone
    std::unique_ptr<AVFormatContext, FormatDeleter> m_format;
    std::unique_ptr<AVCodecContext, CodecDeleter> m_codec;
    std::unique_ptr<SwrContext, SwrDeleter> m_swr;
    std::unique_ptr<AVFrame, FrameDeleter> m_frame;
    std::unique_ptr<AVPacket, PacketDeleter> m_packet;
    bool m_customIo = false; // m_io reads from m_reader (else it came from avio_open2)
    int m_outRate = 0;       // source format the resampler is set up for
    int m_outFormat = -1;
    int m_outChannels = 0;
    int m_stream = -1;
    bool m_draining = false; // the demuxer is done; the codec is being flushed
    bool m_finished = false;
    int m_readError = 0;
    std::uint64_t m_skipFrames = 0;     // output frames still to drop after a seek
    std::int64_t m_seekTarget = -1;     // output frame asked for by the last seek
    std::vector<float> m_pending;       // decoded by the validation in Open, not yet given out
    std::uint64_t m_lengthFrames = kUnknown;
    std::uint64_t m_fileSize = 0;
    int m_sourceRate = 0;
    int m_sourceChannels = 0;
};
