// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// plumo-scan [--threads=N] PROFILE_FOLDER FOLDER...: runs the library update without a window
// against "Library.db" in PROFILE_FOLDER (created when missing) and prints what it did.
#include "CDBase.h"
#include "CLibraryUpdate.h"
#include "CTagReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <atomic>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    int threads = CLibraryUpdate::DefaultReaderThreads();
    if (!args.isEmpty() && args.first().startsWith(QLatin1String("--threads=")))
        threads = args.takeFirst().section(u'=', 1).toInt();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: plumo-scan [--threads=N] PROFILE_FOLDER FOLDER...\n";
        return 2;
    }
    const QString profile = args.takeFirst();
    if (!QDir().mkpath(profile)) {
        QTextStream(stderr) << "cannot create " << profile << '\n';
        return 1;
    }
    CDBase db;
    db.SetFolder(profile);
    db.OpenLibrary();
    NoUpdateProgress progress;
    std::atomic<bool> cancel{false};
    CLibraryUpdate job(db, &CTagReader::ReadTags, progress, cancel);
    job.SetReaderThreads(threads);
    job.UpdateLibrary(args);
    const UpdateStats& s = job.Stats();
    QTextStream(stdout) << "files: " << s.files << " inserted: " << s.inserted
                        << " updated: " << s.updated << " moved: " << s.moved
                        << " unchanged: " << s.unchanged << " removed: " << s.removed << '\n';
    return 0;
}
