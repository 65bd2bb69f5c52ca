// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CFfmpegDecoder.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

AVRational OutputBase(int rate)
{
    return AVRational{1, rate};
}

constexpr int kIoBufferSize = 32768;

std::string ErrorText(int err)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

AudioError OpenErrorCode(int err)
{
    if (err == AVERROR(ENOENT) || err == AVERROR(EACCES) || err == AVERROR(EISDIR)
        || err == AVERROR(EPERM))
        return AudioError::FileOpen;
    if (err == AVERROR(ENOMEM))
        return AudioError::Mem;
    return AudioError::FileForm;
}

#ifdef Q_OS_UNIX
// A descriptor opened only to look at what a path names; closed when it goes.
class ProbeFd {
public:
    explicit ProbeFd(const QByteArray& path)
        // Non-blocking, so that a named pipe nobody writes to answers at once instead of
        // waiting for a writer; it has no effect on the reads of a regular file.
        : m_fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
    {
    }
    ~ProbeFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ProbeFd(const ProbeFd&) = delete;
    ProbeFd& operator=(const ProbeFd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

AudioError OpenErrnoCode(int err)
{
    return err == ENOMEM ? AudioError::Mem : AudioError::FileOpen;
}
#endif

// Reads a Musepack number at at: base 128, most significant group first, the high bit set on
// every byte but the last. False when it runs past end or beyond 63 bits.
bool MpcNumber(const std::uint8_t* bytes, int end, int& at, std::uint64_t& value)
{
    value = 0;
    for (int n = 0; at < end && n < 9; ++n) {
        const std::uint8_t b = bytes[at++];
        value = (value << 7) | (b & 0x7fu);
        if ((b & 0x80u) == 0)
            return true;
    }
    return false;
}

// The sample count in the stream header packet of a Musepack 8 file, which opens the file
// right after its "MPCK" signature; 0 when the file does not start so. libavformat gives the
// duration only in whole groups of 64 frames (1.67 s at 44.1 kHz), none for a shorter file.
// The read position is left where it was.
std::uint64_t Mpc8Samples(AVIOContext* pb)
{
    const std::int64_t here = avio_tell(pb);
    if (here < 0 || avio_seek(pb, 0, SEEK_SET) < 0)
        return 0;
    std::uint8_t head[32];
    const int got = avio_read(pb, head, static_cast<int>(sizeof head));
    avio_seek(pb, here, SEEK_SET);
    if (got < 8 || std::memcmp(head, "MPCKSH", 6) != 0)
        return 0;
    int at = 6;
    std::uint64_t packetSize = 0;
    std::uint64_t samples = 0;
    if (!MpcNumber(head, got, at, packetSize))
        return 0;
    at += 5; // the packet's CRC and the stream version
    return MpcNumber(head, got, at, samples) ? samples : 0;
}

} // namespace

void CFfmpegDecoder::FormatDeleter::operator()(AVFormatContext* p) const
{
    avformat_close_input(&p);
}
void CFfmpegDecoder::CodecDeleter::operator()(AVCodecContext* p) const
{
    avcodec_free_context(&p);
}
void CFfmpegDecoder::SwrDeleter::operator()(SwrContext* p) const
{
    swr_free(&p);
}
void CFfmpegDecoder::FrameDeleter::operator()(AVFrame* p) const
{
    av_frame_free(&p);
}
void CFfmpegDecoder::PacketDeleter::operator()(AVPacket* p) const
{
    av_packet_free(&p);
}

CFfmpegDecoder::CFfmpegDecoder(const std::atomic<bool>* abort, int outputRate)
    : m_abort(abort)
    , m_rate(std::clamp(outputRate, kMinSourceRate, kMaxSourceRate))
    , m_frame(av_frame_alloc())
    , m_packet(av_packet_alloc())
{
    if (!m_frame || !m_packet)
        throw FfmpegError(AudioError::Mem, "out of memory");
}

CFfmpegDecoder::~CFfmpegDecoder()
{
    m_swr.reset();
    m_codec.reset();
    m_format.reset();
    CloseIo();
}

void CFfmpegDecoder::CloseIo()
{
    if (!m_io)
        return;
    if (m_customIo) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    } else {
        avio_closep(&m_io);
    }
}

int CFfmpegDecoder::InterruptThunk(void* opaque)
{
    const auto* self = static_cast<const CFfmpegDecoder*>(opaque);
    return self->m_abort && self->m_abort->load(std::memory_order_relaxed) ? 1 : 0;
}

int CFfmpegDecoder::ReadThunk(void* opaque, std::uint8_t* buffer, int size)
{
    auto* self = static_cast<CFfmpegDecoder*>(opaque);
    const int n = self->m_reader->ReadBytes(buffer, size);
    return n == 0 ? AVERROR_EOF : n;
}

void CFfmpegDecoder::OpenFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    QByteArray url = "file:" + name;
#ifdef Q_OS_UNIX
    // Only regular files are read: a pipe, a device or a folder behind an audio name is refused
    // here, before anything could wait on it. The decoder then opens the very file looked at,
    // through the descriptor, so nothing can be swapped in between.
    const ProbeFd probe(name);
    if (probe.Get() < 0)
        throw FfmpegError(OpenErrnoCode(errno), "cannot open: " + name.toStdString());
    struct stat st { };
    if (::fstat(probe.Get(), &st) != 0)
        throw FfmpegError(OpenErrnoCode(errno), "cannot stat: " + name.toStdString());
    if (!S_ISREG(st.st_mode))
        throw FfmpegError(AudioError::FileOpen, "not a regular file: " + name.toStdString());
#ifdef Q_OS_LINUX
    if (::access("/proc/self/fd", X_OK) == 0)
        url = "file:/proc/self/fd/" + QByteArray::number(probe.Get());
#endif
#endif
    const AVIOInterruptCB cb{&CFfmpegDecoder::InterruptThunk, this};
    const int err = avio_open2(&m_io, url.constData(), AVIO_FLAG_READ, &cb, nullptr);
    if (err < 0)
        throw FfmpegError(OpenErrorCode(err), "cannot open: " + ErrorText(err));
    m_customIo = false;
    m_fileSize = static_cast<std::uint64_t>(std::max<std::int64_t>(avio_size(m_io), 0));
    OpenInput(m_io);
}

void CFfmpegDecoder::OpenStream(IByteReader& reader)
{
    m_reader = &reader;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (!buffer)
        throw FfmpegError(AudioError::Mem, "out of memory");
    m_io = avio_alloc_context(buffer, kIoBufferSize, 0, this, &CFfmpegDecoder::ReadThunk,
        nullptr, nullptr);
    if (!m_io) {
        av_free(buffer);
        throw FfmpegError(AudioError::Mem, "out of memory");
    }
    m_customIo = true;
    m_io->seekable = 0;
    OpenInput(m_io);
}

void CFfmpegDecoder::OpenInput(AVIOContext* pb)
{
    AVFormatContext* fmt = avformat_alloc_context();
    if (!fmt)
        throw FfmpegError(AudioError::Mem, "out of memory");
    // Custom IO keeps the file name away from the probe: the type is told by content alone.
    fmt->pb = pb;
    fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
    fmt->interrupt_callback = AVIOInterruptCB{&CFfmpegDecoder::InterruptThunk, this};
    if (m_customIo) {
        fmt->probesize = 65536;
        fmt->max_analyze_duration = AV_TIME_BASE;
    }
    int err = avformat_open_input(&fmt, "", nullptr, nullptr);
    if (err < 0)
        throw FfmpegError(m_readError ? AudioError::Unknown : OpenErrorCode(err),
            "not an audio file: " + ErrorText(err));
    m_format.reset(fmt);
    err = avformat_find_stream_info(fmt, nullptr);
    if (err < 0)
        throw FfmpegError(AudioError::FileForm, "no stream information: " + ErrorText(err));
    OpenCodec();
    ReadProperties();
    DecodeFirst();
}

void CFfmpegDecoder::OpenCodec()
{
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_stream == AVERROR_DECODER_NOT_FOUND)
        throw FfmpegError(AudioError::Codec, "no decoder");
    if (m_stream < 0 || !codec)
        throw FfmpegError(AudioError::FileForm, "no audio stream");
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        if (static_cast<int>(i) != m_stream)
            m_format->streams[i]->discard = AVDISCARD_ALL;
    m_codec.reset(avcodec_alloc_context3(codec));
    if (!m_codec)
        throw FfmpegError(AudioError::Mem, "out of memory");
    AVStream* st = m_format->streams[m_stream];
    if (avcodec_parameters_to_context(m_codec.get(), st->codecpar) < 0)
        throw FfmpegError(AudioError::Codec, "bad codec parameters");
    // A rate of 0 may still be unknown here; the first frame tells it.
    if (m_codec->sample_rate > kMaxSourceRate
        || (m_codec->sample_rate > 0 && m_codec->sample_rate < kMinSourceRate))
        throw FfmpegError(AudioError::FileForm, "sample rate out of range");
    m_codec->thread_count = 1;
    m_codec->pkt_timebase = st->time_base;
    if (avcodec_open2(m_codec.get(), codec, nullptr) < 0)
        throw FfmpegError(AudioError::Codec, "cannot open the decoder");
}

void CFfmpegDecoder::ReadProperties()
{
    const AVStream* st = m_format->streams[m_stream];
    m_sourceRate = m_codec->sample_rate;
    m_sourceChannels = m_codec->ch_layout.nb_channels;
    if (m_customIo)
        return;
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
        m_lengthFrames = static_cast<std::uint64_t>(
            av_rescale_q(st->duration, st->time_base, OutputBase(m_rate)));
    else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
        m_lengthFrames = static_cast<std::uint64_t>(
            av_rescale(m_format->duration, m_rate, AV_TIME_BASE));
    if (std::string_view(m_format->iformat->name) == "mpc8" && m_sourceRate > 0)
        if (const std::uint64_t samples = Mpc8Samples(m_format->pb); samples > 0)
            m_lengthFrames = static_cast<std::uint64_t>(
                av_rescale(static_cast<std::int64_t>(samples), m_rate, m_sourceRate));
}

void CFfmpegDecoder::DecodeFirst()
{
    // A file is only accepted once sound came out of it.
    std::vector<float> first;
    while (first.empty()) {
        if (!Decode(first))
            break;
    }
    if (first.empty())
        throw FfmpegError(m_readError && m_customIo ? AudioError::Unknown : AudioError::FileForm,
            "no sound could be decoded");
    m_pending = std::move(first);
    m_sourceRate = m_codec->sample_rate;
    m_sourceChannels = m_codec->ch_layout.nb_channels;
}

bool CFfmpegDecoder::Decode(std::vector<float>& out)
{
    if (!m_pending.empty()) {
        out.insert(out.end(), m_pending.begin(), m_pending.end());
        m_pending.clear();
        return true;
    }
    while (!m_finished) {
        if (ReceiveFrames(out))
            return true;
        if (m_finished)
            break;
        if (!m_draining && !ReadPacket()) {
            m_draining = true;
            avcodec_send_packet(m_codec.get(), nullptr);
        }
    }
    return false;
}

bool CFfmpegDecoder::ReadPacket()
{
    for (;;) {
        const int err = av_read_frame(m_format.get(), m_packet.get());
        if (err < 0) {
            if (err != AVERROR_EOF)
                m_readError = err;
            return false;
        }
        const bool ours = m_packet->stream_index == m_stream;
        if (ours) {
            // A damaged packet is skipped; the decoder resynchronises on the next one.
            avcodec_send_packet(m_codec.get(), m_packet.get());
        }
        av_packet_unref(m_packet.get());
        if (ours)
            return true;
    }
}

bool CFfmpegDecoder::ReceiveFrames(std::vector<float>& out)
{
    const std::size_t before = out.size();
    for (;;) {
        const int err = avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (err == AVERROR(EAGAIN))
            break;
        if (err < 0) {
            // The end of the flushed decoder (or a fatal decode failure): drain the resampler.
            if (m_swr) {
                const std::size_t at = out.size();
                const int room = swr_get_out_samples(m_swr.get(), 0);
                if (room > 0) {
                    out.resize(at + 2 * static_cast<std::size_t>(room));
                    auto* dst = reinterpret_cast<std::uint8_t*>(out.data() + at);
                    const int n = swr_convert(m_swr.get(), &dst, room, nullptr, 0);
                    out.resize(at + 2 * static_cast<std::size_t>(std::max(n, 0)));
                    TrimLeading(out, at);
                }
            }
            m_finished = true;
            break;
        }
        const std::size_t at = out.size();
        Convert(m_frame.get(), out);
        av_frame_unref(m_frame.get());
        TrimLeading(out, at);
        // One frame at a time: a codec whose packets hold seconds of sound (APE's hold up to
        // 294912 samples) would otherwise grow the buffer to megabytes, written and read back
        // through memory instead of staying in the cache.
        if (out.size() > before)
            return true;
    }
    return out.size() > before;
}

void CFfmpegDecoder::SetUpResampler()
{
    if (m_frame->sample_rate < kMinSourceRate || m_frame->sample_rate > kMaxSourceRate)
        throw FfmpegError(AudioError::FileForm, "sample rate out of range");
    AVChannelLayout in{};
    if (m_frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || m_frame->ch_layout.nb_channels == 0)
        av_channel_layout_default(&in, std::max(m_frame->ch_layout.nb_channels, 1));
    else
        av_channel_layout_copy(&in, &m_frame->ch_layout);
    AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* swr = nullptr;
    int err = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_FLT, m_rate, &in,
        static_cast<AVSampleFormat>(m_frame->format), m_frame->sample_rate, 0, nullptr);
    m_swr.reset(swr);
    if (err >= 0 && in.nb_channels == 1) {
        // The default matrix plays mono 3 dB low on each side; a mono source is meant to be
        // heard at full level from both.
        const double matrix[2] = {1.0, 1.0};
        err = swr_set_matrix(swr, matrix, 1);
    }
    av_channel_layout_uninit(&in);
    if (err < 0 || swr_init(swr) < 0)
        throw FfmpegError(AudioError::Format, "unsupported sample format");
    m_outRate = m_frame->sample_rate;
    m_resamples = m_resamples || m_outRate != m_rate;
    m_outFormat = m_frame->format;
    m_outChannels = m_frame->ch_layout.nb_channels;
}

void CFfmpegDecoder::Convert(const AVFrame* frame, std::vector<float>& out)
{
    if (!m_swr || frame->sample_rate != m_outRate || frame->format != m_outFormat
        || frame->ch_layout.nb_channels != m_outChannels)
        SetUpResampler();
    if (m_seekTarget >= 0) {
        // The first frame after a seek tells where decoding resumed; drop what lies before
        // the asked frame so that the seek is sample exact.
        const AVStream* st = m_format->streams[m_stream];
        std::int64_t pts = frame->best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE) {
            if (st->start_time != AV_NOPTS_VALUE)
                pts -= st->start_time;
            const std::int64_t at = av_rescale_q(pts, st->time_base, OutputBase(m_rate));
            m_skipFrames = static_cast<std::uint64_t>(std::max<std::int64_t>(m_seekTarget - at, 0));
        }
        m_seekTarget = -1;
    }
    const int room = swr_get_out_samples(m_swr.get(), frame->nb_samples);
    if (room <= 0)
        return;
    const std::size_t at = out.size();
    out.resize(at + 2 * static_cast<std::size_t>(room));
    auto* dst = reinterpret_cast<std::uint8_t*>(out.data() + at);
    const int n = swr_convert(m_swr.get(), &dst, room,
        const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
    out.resize(at + 2 * static_cast<std::size_t>(std::max(n, 0)));
}

void CFfmpegDecoder::TrimLeading(std::vector<float>& out, std::size_t from)
{
    if (m_skipFrames == 0 || out.size() <= from)
        return;
    const std::size_t frames = (out.size() - from) / 2;
    const std::size_t drop = static_cast<std::size_t>(std::min<std::uint64_t>(m_skipFrames, frames));
    out.erase(out.begin() + static_cast<std::ptrdiff_t>(from),
        out.begin() + static_cast<std::ptrdiff_t>(from + 2 * drop));
    m_skipFrames -= drop;
}

bool CFfmpegDecoder::Seek(std::uint64_t frame)
{
    if (m_customIo || !m_format || (m_lengthFrames != kUnknown && frame > m_lengthFrames))
        return false;
    if (frame == m_lengthFrames) {
        // The very end: nothing is left to decode, whether or not the demuxer could seek there.
        m_pending.clear();
        m_draining = true;
        m_finished = true;
        return true;
    }
    const AVStream* st = m_format->streams[m_stream];
    std::int64_t ts = av_rescale_q(static_cast<std::int64_t>(frame), OutputBase(m_rate), st->time_base);
    if (st->start_time != AV_NOPTS_VALUE)
        ts += st->start_time;
    if (avformat_seek_file(m_format.get(), m_stream, INT64_MIN, ts, ts, 0) < 0
        && av_seek_frame(m_format.get(), m_stream, ts, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(m_codec.get());
    m_swr.reset();
    m_pending.clear();
    m_draining = false;
    m_finished = false;
    m_readError = 0;
    m_skipFrames = 0;
    m_seekTarget = static_cast<std::int64_t>(frame);
    return true;
}
