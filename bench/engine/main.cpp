// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Figures of the playback engine through the real audio layer and SDL's disk driver:
//   plumo-bench-engine first-sample FILE        PlayFile to the first sample in the output
//   plumo-bench-engine seam FILE FILE FILE      silent samples inserted at the two seams
//   plumo-bench-engine cpu FILE SECONDS         CPU time / wall time while playing, equalizer on
//   plumo-bench-engine anchor SECONDS CMD...    CPU time / wall time of another player
//   plumo-bench-engine stall FILE FILE FILE     seams while the main window stalls 300 ms from
//                                              100 ms before each end (2 s files, paced device),
//                                              the new track mixed when the track end was
//                                              posted, and the time spent in each device callback
//   plumo-bench-engine idle SECONDS             CPU time / wall time with nothing playing, once
//                                              the idle device has been closed
//   plumo-bench-engine replaygain FILE TRACK ALBUM ...
//                                              largest error in dB, over the files and the track
//                                              and album modes, between the level heard and the
//                                              tagged gain (given again as TRACK and ALBUM dB)
//   plumo-bench-engine resample FILE            rate conversions of a 48 kHz file, 48 kHz device
// SDL_AUDIODRIVER, SDL_DISKAUDIOFILE and SDL_DISKAUDIODELAY come from the caller.
#include "CMsgTarget.h"
#include "CPlayBass.h"
#include "audio/CAudioLib.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

namespace {

class BenchTarget : public CMsgTarget {
public:
    LResult OnUserMessage(unsigned msg, WParam wParam, LParam) override
    {
        if (msg == UWM_PLAYERNEXTFILE) {
            if (!next.empty()) {
                *reinterpret_cast<QString*>(wParam) = next.front();
                next.pop_front();
            }
        } else if (msg == UWM_PLAYERTRACKEND) {
            ++trackEnds;
        }
        return 0;
    }
    std::deque<QString> next;
    int trackEnds = 0;
};

// Runs the event loop (which answers the engine's requests) for ms without spinning.
void PumpFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Index of the first frame after `from` bytes of the output whose sample is not silent, or -1.
qint64 FirstSoundAfter(QFile& out, qint64 from)
{
    out.seek(from);
    const QByteArray bytes = out.readAll();
    const auto* samples = reinterpret_cast<const float*>(bytes.constData());
    const qint64 count = bytes.size() / static_cast<qint64>(sizeof(float));
    for (qint64 i = 0; i < count; ++i)
        if (std::fabs(samples[i]) > 1e-4f)
            return i;
    return -1;
}

int FirstSample(const QString& file)
{
    CAudioLib audio;
    BenchTarget target;
    CPlayBass engine(audio);
    engine.Init(&target);
    QFile out(qEnvironmentVariable("SDL_DISKAUDIOFILE"));
    std::vector<double> times;
    for (int round = 0; round < 11; ++round) {
        PumpFor(100);
        out.open(QIODevice::ReadOnly);
        const qint64 before = out.size();
        QElapsedTimer t;
        t.start();
        engine.PlayFile(file);
        while (FirstSoundAfter(out, before) < 0 && t.elapsed() < 5000) {
        }
        if (round > 0) // the first round also opens the device
            times.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        out.close();
        engine.Stop();
        PumpFor(700);
    }
    std::sort(times.begin(), times.end());
    std::printf("first_sample_ms: %.1f ms\n", times[times.size() / 2]);
    return 0;
}

// The longest run of silent frames between the first and the last sound of the output.
long LongestInnerSilence(const QByteArray& bytes)
{
    const auto* s = reinterpret_cast<const float*>(bytes.constData());
    const long frames = static_cast<long>(bytes.size() / static_cast<qsizetype>(2 * sizeof(float)));
    auto silent = [s](long f) { return std::fabs(s[2 * f]) < 1e-6f && std::fabs(s[2 * f + 1]) < 1e-6f; };
    long first = 0;
    while (first < frames && silent(first))
        ++first;
    long last = frames - 1;
    while (last > first && silent(last))
        --last;
    long longest = 0;
    long run = 0;
    for (long f = first; f <= last; ++f) {
        run = silent(f) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

int Seam(const QStringList& files)
{
    {
        CAudioLib audio;
        BenchTarget target;
        CPlayBass engine(audio);
        engine.Init(&target);
        target.next = {files[1], files[2], QString()};
        engine.PlayFile(files[0]);
        QElapsedTimer t;
        t.start();
        while (target.trackEnds < 3 && t.elapsed() < 60000)
            PumpFor(10);
    }
    QFile out(qEnvironmentVariable("SDL_DISKAUDIOFILE"));
    if (!out.open(QIODevice::ReadOnly))
        return 1;
    std::printf("seam_gap_samples: %ld samples\n", LongestInnerSilence(out.readAll()));
    return 0;
}

int Cpu(const QString& file, int seconds, const char* type)
{
    CAudioLib audio;
    BenchTarget target;
    CPlayBass engine(audio);
    engine.Init(&target);
    engine.SetEqEnabled(true);
    const float gains[CPlayBass::kBands] = {4, 3, 1, 0, -1, -1, 0, 2, 3, 4};
    for (int band = 0; band < CPlayBass::kBands; ++band)
        engine.SetBandGain(band, gains[band]);
    engine.SetPreamp(-4.0f);
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();
    engine.PlayFile(file);
    std::array<float, kFftBins> fft{};
    // The main window's spectrum timer reads the FFT every 30 ms while playing.
    while (wall.elapsed() < seconds * 1000) {
        engine.GetFftData(fft);
        PumpFor(30);
    }
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
    std::printf("cpu_percent_%s: %.2f %%\n", type, 100.0 * cpu / (static_cast<double>(wall.elapsed()) / 1000.0));
    engine.Stop();
    PumpFor(600);
    return 0;
}

// Time spent in each device callback, recorded from the device's thread without allocating.
struct CallbackTimes {
    explicit CallbackTimes(std::size_t capacity)
        : ns(capacity)
    {
    }
    static void Record(void* user, std::int64_t nanoseconds)
    {
        auto* self = static_cast<CallbackTimes*>(user);
        const std::size_t at = self->count.fetch_add(1, std::memory_order_relaxed);
        if (at < self->ns.size())
            self->ns[at] = nanoseconds;
    }
    std::vector<std::int64_t> ns;
    std::atomic<std::size_t> count{0};
};

// Runs right after the engine's own End sync of a channel, that is right after the track end
// was posted: keeps the most of the new track that had been mixed by then.
struct SeamWatch {
    CAudioLib* audio = nullptr;
    CPlayBass* engine = nullptr;
    std::atomic<std::uint64_t> worstFrames{0};
    static void OnEnd(HSYNC, HCHANNEL, void* user)
    {
        auto* self = static_cast<SeamWatch*>(user);
        const HCHANNEL now = self->engine->GetChannel();
        if (now == 0)
            return;
        const std::uint64_t frames = self->audio->ChannelGetPosition(now) / 8;
        if (frames > self->worstFrames.load())
            self->worstFrames.store(frames);
        self->audio->ChannelSetSync(now, SyncType::End, &SeamWatch::OnEnd, self);
    }
};

int Stall(const QStringList& files)
{
    CallbackTimes times(1 << 16);
    SeamWatch watch;
    {
        CAudioLib audio;
        BenchTarget target;
        CPlayBass engine(audio);
        engine.Init(&target);
        audio.SetMixObserver(&CallbackTimes::Record, &times);
        target.next = {files[1], files[2], QString()};
        engine.PlayFile(files[0]);
        watch.audio = &audio;
        watch.engine = &engine;
        audio.ChannelSetSync(engine.GetChannel(), SyncType::End, &SeamWatch::OnEnd, &watch);
        for (const int endMs : {2000, 4000})
            QTimer::singleShot(endMs - 100, [] { QThread::msleep(300); });
        QElapsedTimer t;
        t.start();
        while (target.trackEnds < 3 && t.elapsed() < 60000)
            PumpFor(10);
        audio.SetMixObserver(nullptr, nullptr);
    }
    QFile out(qEnvironmentVariable("SDL_DISKAUDIOFILE"));
    if (!out.open(QIODevice::ReadOnly))
        return 1;
    std::printf("seam_gap_samples_ui_stall: %ld samples\n", LongestInnerSilence(out.readAll()));
    // Under one device buffer (1024 frames) plus what the seam's own buffer held of the new track.
    std::printf("trackend_after_seam_frames: %llu frames\n",
        static_cast<unsigned long long>(watch.worstFrames.load()));
    std::vector<std::int64_t> ns(times.ns.begin(),
        times.ns.begin() + static_cast<std::ptrdiff_t>(std::min(times.count.load(), times.ns.size())));
    if (ns.empty())
        return 1;
    std::sort(ns.begin(), ns.end());
    std::printf("callback_max_us: %.1f us\n", static_cast<double>(ns.back()) / 1000.0);
    std::printf("callback_p99_us: %.1f us\n", static_cast<double>(ns[ns.size() * 99 / 100]) / 1000.0);
    return 0;
}

int Idle(int seconds)
{
    CAudioLib audio;
    BenchTarget target;
    CPlayBass engine(audio);
    engine.Init(&target);
    PumpFor(500); // past opening the device
    // What an idle player costs for good: the device closes after the idle time.
    QElapsedTimer closing;
    closing.start();
    while (audio.IsDeviceOpen() && closing.elapsed() < CAudioLib::kIdleCloseMs + 5000)
        PumpFor(100);
    std::printf("idle_device_closed: %d\n", audio.IsDeviceOpen() ? 0 : 1);
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();
    PumpFor(seconds * 1000);
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
    std::printf("idle_cpu_percent: %.3f %%\n", 100.0 * cpu / (static_cast<double>(wall.elapsed()) / 1000.0));
    return 0;
}

// RMS of the left channel of interleaved stereo, over the middle of the sound (the first
// and last fifth left out).
double MiddleRms(const std::vector<float>& stereo)
{
    std::size_t first = 0;
    while (2 * first < stereo.size() && stereo[2 * first] == 0.0f)
        ++first;
    std::size_t last = stereo.size() / 2;
    while (last > first && stereo[2 * (last - 1)] == 0.0f)
        --last;
    const std::size_t span = last - first;
    double sum = 0.0;
    std::size_t n = 0;
    for (std::size_t i = first + span / 5; i < last - span / 5; ++i, ++n)
        sum += static_cast<double>(stereo[2 * i]) * stereo[2 * i];
    return n > 0 ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

std::vector<float> DecodedStereo(const QString& file)
{
    CAudioLib layer;
    std::vector<float> all;
    const HCHANNEL channel = layer.StreamCreateFile(file, true);
    std::vector<float> block(8192);
    while (channel != 0) {
        const std::size_t n = layer.ChannelGetData(channel, block);
        if (n == 0)
            break;
        all.insert(all.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return all;
}

std::vector<float> HeardStereo(const QString& file, ReplayGainMode mode)
{
    const QString out = qEnvironmentVariable("SDL_DISKAUDIOFILE");
    QFile::remove(out);
    {
        CAudioLib audio;
        BenchTarget target;
        CPlayBass engine(audio);
        engine.Init(&target);
        engine.SetLoudness({mode, 0.0, 0.0, true});
        if (!engine.PlayFile(file))
            return {};
        QElapsedTimer wall;
        wall.start();
        while (target.trackEnds == 0 && wall.elapsed() < 60000)
            PumpFor(20);
    }
    QFile raw(out);
    raw.open(QIODevice::ReadOnly);
    const QByteArray bytes = raw.readAll();
    std::vector<float> stereo(static_cast<std::size_t>(bytes.size()) / sizeof(float));
    std::memcpy(stereo.data(), bytes.constData(), stereo.size() * sizeof(float));
    return stereo;
}

int ReplayGain(const QStringList& args)
{
    double worst = 0.0;
    for (qsizetype i = 0; i + 2 < args.size(); i += 3) {
        const double source = MiddleRms(DecodedStereo(args[i]));
        const std::pair<ReplayGainMode, double> modes[] = {
            {ReplayGainMode::Track, args[i + 1].toDouble()},
            {ReplayGainMode::Album, args[i + 2].toDouble()}};
        for (const auto& [mode, expected] : modes) {
            const double heard = MiddleRms(HeardStereo(args[i], mode));
            if (!(source > 0.0) || !(heard > 0.0))
                return 1;
            worst = std::max(worst, std::fabs(20.0 * std::log10(heard / source) - expected));
        }
    }
    std::printf("replaygain_error_db: %.4f dB\n", worst);
    return 0;
}

int Resample(const QString& file)
{
    CAudioLib audio;
    // Stands in for a device that prefers 48 kHz: drivers that name no rate take the one asked.
    audio.Init(48000);
    BenchTarget target;
    CPlayBass engine(audio);
    engine.Init(&target);
    if (!engine.PlayFile(file) || audio.OutputRate() != 48000)
        return 1;
    std::printf("resample_passes_48k: %d passes\n", audio.ChannelResamplePasses(engine.GetChannel()));
    engine.Stop();
    PumpFor(600);
    return 0;
}

int Anchor(const QStringList& command, const char* type)
{
    QElapsedTimer wall;
    wall.start();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(command.front(), command.mid(1));
    p.waitForFinished(-1);
    const double cpu = CpuSeconds(RUSAGE_CHILDREN);
    std::printf("anchor_cpu_percent_%s: %.2f %%\n", type, 100.0 * cpu / (static_cast<double>(wall.elapsed()) / 1000.0));
    return p.exitCode();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    if (mode == "first-sample" && args.size() == 2)
        return FirstSample(args[1]);
    if (mode == "seam" && args.size() == 4)
        return Seam(args.mid(1));
    if (mode == "cpu" && args.size() == 4)
        return Cpu(args[1], args[2].toInt(), args[3].toUtf8().constData());
    if (mode == "stall" && args.size() == 4)
        return Stall(args.mid(1));
    if (mode == "idle" && args.size() == 2)
        return Idle(args[1].toInt());
    if (mode == "resample" && args.size() == 2)
        return Resample(args[1]);
    if (mode == "replaygain" && args.size() >= 4 && (args.size() - 1) % 3 == 0)
        return ReplayGain(args.mid(1));
    if (mode == "anchor" && args.size() >= 3)
        return Anchor(args.mid(2), args[1].toUtf8().constData());
    std::fprintf(stderr, "usage: plumo-bench-engine first-sample FILE | seam F1 F2 F3 | "
                         "cpu FILE SECONDS TYPE | anchor TYPE CMD... | stall F1 F2 F3 | "
                         "idle SECONDS | resample FILE | replaygain FILE TRACK ALBUM...\n");
    return 2;
}
