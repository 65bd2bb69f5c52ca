// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// plumo-radio FILE: reads FILE as a radio directory's whole answer (headers optional) and
// prints the listed stations in list order as the list shows them, one line each: position
// text, title, file (the tune-in or stream address) and rating, separated by tabs. A JSON
// array is the open directory's answer, anything else the older directory's XML. Exit status
// 0 also when nothing is listed, 1 when the file cannot be read.
#include "CDirectoryLoad.h"
#include "CSHOUTcast.h"
#include "RadioBrowserAnswer.h"
#include "RadioStations.h"

#include "library/ListRowTexts.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() != 2) {
        err << "usage: plumo-radio FILE\n";
        return 2;
    }
    QFile file(args.at(1));
    if (!file.open(QIODevice::ReadOnly)) {
        err << "cannot read: " << args.at(1) << '\n';
        return 1;
    }
    // The player stops reading an answer at the same size.
    const QByteArray answer = file.read(CDirectoryLoad::Limits().maxAnswerBytes);
    if (file.error() != QFileDevice::NoError) {
        err << "cannot read: " << args.at(1) << '\n';
        return 1;
    }
    const std::vector<radio::Station> stations = radio::IsBrowserAnswer(answer)
        ? radio::ParseBrowserStations(answer)
        : radio::ParseStations(answer, CSHOUTcast().Server());
    QTextStream out(stdout);
    const int count = static_cast<int>(stations.size());
    for (int i = 0; i < count; ++i) {
        const radio::Station& s = stations[static_cast<std::size_t>(i)];
        out << PositionText(i, count) << '\t' << s.name << '\t' << s.file << '\t' << s.rating
            << '\n';
    }
    return 0;
}
