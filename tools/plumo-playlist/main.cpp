// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// plumo-playlist FILE: prints the entries of a playlist file as the player reads them, one
// line each: file, title and length separated by tabs. Exit status 1 when the read fails.
#include "CPlsFile.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: plumo-playlist FILE\n";
        return 2;
    }
    CPlsFile pls;
    if (!pls.Read(args.at(1))) {
        err << "cannot read playlist: " << args.at(1) << '\n';
        return 1;
    }
    QTextStream out(stdout);
    for (const PlsEntry& entry : pls.Entries())
        out << entry.file << '\t' << entry.title << '\t' << entry.length << '\n';
    return 0;
}
