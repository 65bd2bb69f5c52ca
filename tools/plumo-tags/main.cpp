// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// plumo-tags FILE...: prints, for each file, one line of tab-separated fields: the path,
// 1/0 (read or not), number, hasNumber, title, artist, album, year, hasYear, genre, composer,
// albumartist, time, bitrate, sample, channel, track gain, album gain (dB, two decimals), track
// peak, album peak (six decimals); a gain or peak the file lacks is an empty field. Tabs and
// line breaks inside a text are printed as spaces so that every file stays one line.
#include "CTagReader.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <iterator>
#include <optional>
#include <string>

namespace {

std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f')
            c = ' ';
    return text;
}

std::string Flag(bool value)
{
    return value ? "1" : "0";
}

std::string Decimal(const std::optional<double>& value, int decimals)
{
    if (!value)
        return {};
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%.*f", decimals, *value);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string RecordLine(const std::string& path, bool ok, const TrackRecord& r)
{
    const std::string fields[]
        = { OneLine(path), Flag(ok), std::to_string(r.number), Flag(r.hasNumber), OneLine(r.title),
              OneLine(r.artist), OneLine(r.album), std::to_string(r.year), Flag(r.hasYear),
              OneLine(r.genre), OneLine(r.composer), OneLine(r.albumartist), std::to_string(r.time),
              std::to_string(r.bitrate), std::to_string(r.sample), std::to_string(r.channel),
              Decimal(r.gains.trackGain, 2), Decimal(r.gains.albumGain, 2),
              Decimal(r.gains.trackPeak, 6), Decimal(r.gains.albumPeak, 6) };
    std::string line = fields[0];
    for (std::size_t i = 1; i < std::size(fields); ++i)
        line += '\t' + fields[i];
    return line + '\n';
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const QString path = QFile::decodeName(argv[i]);
        TrackRecord record;
        const bool ok = CTagReader::ReadTags(path, record);
        const std::string line = RecordLine(argv[i], ok, record);
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
}
