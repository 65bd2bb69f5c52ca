// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// bench_readtags [FILES]: builds a library of FILES (10,000) generated files of every type,
// then prints on stdout
//   readtags_files_per_s: N files/s   (the tag reader over every file, warm cache, one thread,
//                                      best of three passes)
//   ffprobe_files_per_s: N files/s    (one ffprobe per file over a sample, extrapolated)
// Progress and details go to stderr.
#include "CTagReader.h"
#include "LibraryMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kDefaultFiles = 10000;
constexpr int kProbeSample = 200;
constexpr int kPasses = 3;

// Brings every file into the page cache, so that both readers are timed on warm files.
void WarmUp(const QStringList& files)
{
    QByteArray sink;
    for (const QString& path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            sink = file.readAll();
    }
}

double ReadTagsRate(const QStringList& files)
{
    int failed = 0;
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    for (const QString& path : files) {
        TrackRecord record;
        if (!CTagReader::ReadTags(path, record))
            ++failed;
    }
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const auto count = static_cast<double>(files.size());
    // CPU time tells what the reader costs when other work crowds the machine.
    std::fprintf(stderr,
        "bench_readtags: ReadTags read %.0f files in %.3f s, %.3f s of CPU (%.0f files/s of "
        "CPU time, %d refused)\n",
        count, seconds, cpu, cpu > 0 ? count / cpu : 0.0, failed);
    return seconds > 0 ? count / seconds : 0.0;
}

// The machine is shared, so the best of a few passes stands for what the reader can do.
double BestReadTagsRate(const QStringList& files)
{
    double best = 0.0;
    for (int pass = 0; pass < kPasses; ++pass)
        best = std::max(best, ReadTagsRate(files));
    return best;
}

// Where the time goes: the same reading, type by type.
void ReportByType(const QStringList& files)
{
    QMap<QString, QStringList> byType;
    for (const QString& path : files)
        byType[QFileInfo(path).suffix()] << path;
    for (auto it = byType.cbegin(); it != byType.cend(); ++it) {
        QElapsedTimer timer;
        timer.start();
        for (const QString& path : it.value()) {
            TrackRecord record;
            CTagReader::ReadTags(path, record);
        }
        std::fprintf(stderr, "bench_readtags:   %-4s %6.1f us per file\n", qPrintable(it.key()),
            static_cast<double>(timer.nsecsElapsed()) / 1e3
                / static_cast<double>(it.value().size()));
    }
}

// One ffprobe per file, the way a scanner that shells out would do it.
double FfprobeRate(const QStringList& files)
{
    const qsizetype step = std::max<qsizetype>(1, files.size() / kProbeSample);
    int probed = 0;
    QElapsedTimer timer;
    timer.start();
    for (qsizetype i = 0; i < files.size() && probed < kProbeSample; i += step, ++probed) {
        QProcess probe;
        probe.start("ffprobe", { "-v", "error", "-show_format", "-show_streams", files[i] });
        if (!probe.waitForFinished(30000) || probe.exitCode() != 0) {
            std::fprintf(stderr, "bench_readtags: ffprobe failed on %s\n", qPrintable(files[i]));
            return 0.0;
        }
    }
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::fprintf(stderr, "bench_readtags: ffprobe read %d files in %.3f s\n", probed, seconds);
    return seconds > 0 ? probed / seconds : 0.0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : kDefaultFiles;
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_readtags: no temporary folder\n");
        return 1;
    }
    const QString apeSample = qEnvironmentVariable("PLUMO_SHARED_TESTDATA").isEmpty()
        ? QString()
        : QDir(qEnvironmentVariable("PLUMO_SHARED_TESTDATA")).filePath("ape/mac-399.ape");
    const QStringList files = MakeLibrary(folder.path(), count, apeSample);
    if (files.isEmpty()) {
        std::fprintf(stderr, "bench_readtags: no library could be made (is ffmpeg installed?)\n");
        return 1;
    }
    WarmUp(files);
    const double readTags = BestReadTagsRate(files);
    ReportByType(files);
    const double ffprobe = FfprobeRate(files);
    std::printf("readtags_files_per_s: %.0f files/s\n", readTags);
    std::printf("ffprobe_files_per_s: %.1f files/s\n", ffprobe);
    if (ffprobe > 0)
        std::fprintf(
            stderr, "bench_readtags: the tag reader is %.0fx faster\n", readTags / ffprobe);
    return 0;
}
