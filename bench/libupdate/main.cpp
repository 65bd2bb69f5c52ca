// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// bench_libupdate generate FOLDER COUNT [APE_FILE]: writes a generated music library.
// bench_libupdate measure FOLDER [THREADS]: times a first library update of FOLDER into a new
// "Library.db" and then an update of the unchanged folder, VACUUM included.
#include "CDBase.h"
#include "CLibraryUpdate.h"
#include "CTagReader.h"
#include "LibraryGenerator.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <atomic>
#include <ctime>

namespace {

// Runs one update and returns its wall time in seconds.
double TimedUpdate(CDBase& db, const QString& folder, int threads, UpdateStats& stats)
{
    NoUpdateProgress progress;
    std::atomic<bool> cancel{false};
    CLibraryUpdate job(db, &CTagReader::ReadTags, progress, cancel);
    job.SetReaderThreads(threads);
    QElapsedTimer timer;
    const std::clock_t cpuStart = std::clock();
    timer.start();
    job.UpdateLibrary({folder});
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    QTextStream(stderr) << "update: " << seconds << " s wall, " << cpu << " s processor\n";
    stats = job.Stats();
    return seconds;
}

int Measure(const QString& folder, int threads)
{
    QTemporaryDir profile;
    CDBase db;
    db.SetFolder(profile.path());
    db.OpenLibrary();
    UpdateStats first;
    const double firstSeconds = TimedUpdate(db, folder, threads, first);
    UpdateStats again;
    const double againSeconds = TimedUpdate(db, folder, threads, again);
    QTextStream out(stdout);
    QTextStream err(stderr);
    err << "first: files " << first.files << " inserted " << first.inserted << " in "
        << firstSeconds << " s; again: unchanged " << again.unchanged << '\n';
    if (first.files == 0 || again.unchanged != first.inserted)
        return 1;
    out << "first_update_files_per_s: " << qRound(first.files / firstSeconds) << " files/s\n";
    out << "reupdate_s: " << QString::number(againSeconds, 'f', 3) << " s\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // QImage's JPEG writer for the generated covers needs no display, only the plug-in path.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("generate"))
        return GenerateLibrary(args[2], args[3].toInt(), args.value(4)) ? 0 : 1;
    if (args.size() >= 3 && args[1] == QLatin1String("measure"))
        return Measure(args[2], args.size() > 3 ? args[3].toInt()
                                                : CLibraryUpdate::DefaultReaderThreads());
    QTextStream(stderr) << "usage: bench_libupdate generate FOLDER COUNT [APE_FILE]\n"
                           "       bench_libupdate measure FOLDER [THREADS]\n";
    return 2;
}
