// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <vector>

class IListSink;

// Reading the radio directory's answer: bytes in, station rows out. Pure functions, any thread.
namespace radio {

// Stations with fewer listeners are not listed.
inline constexpr qint64 kMinListeners = 20;
// Longer station names are cut (in UTF-16 units, never inside a surrogate pair).
inline constexpr int kMaxNameLength = 259;
// At most this many stations are listed from one answer, the first ones in document order: a
// directory's whole catalogue in one answer would otherwise become as many rows.
inline constexpr std::size_t kMaxStations = 10000;
// The time slot of every station row: a stream has no length.
inline constexpr const char* kTimeText = "8:88";

struct Station {
    QString name; // control characters replaced by spaces
    QString file; // the tune-in address, or the stream itself
    int rating = 0; // 1..5 stars
    // Only the open directory's stations have these; empty or 0 when it did not say.
    QString uuid;    // what a click report names
    QString favicon; // an http(s) address of the station's icon
    QString codec;
    int bitrate = 0; // kbit/s
};

// Stars for a listener count: 0 (not listed) below 20, then 1 from 20, 2 from 30, 3 from 60,
// 4 from 120 and 5 from 240.
int Rating(qint64 listeners);

// The tune-in address of station id at the directory server ("host" or "host:port").
QString TuneInAddress(const QString& server, qint64 id);

// The listed stations of a directory answer, in document order. The answer is HTTP headers, a
// blank line and an XML document whose "stationlist" element holds "station" elements with
// "name", "id" and "lc" attributes; without a blank line the whole answer is taken as XML, and a
// NUL byte ends it. An answer that is not XML, nests too deep or has no "stationlist" lists
// nothing. Reading stops after kMaxStations listed stations. "lc" and "id" count as 0 when missing, not a decimal integer, out of the 64-bit
// range, or (for "id") negative.
std::vector<Station> ParseStations(const QByteArray& answer, const QString& server);

// Replaces the rows of list with the stations: song rows at the root with playlist id 1 and
// library id 0, the name in the title slot, "8:88" in the time slot and the position text of
// every row, with one layout pass at the end.
void ListStations(IListSink& list, const std::vector<Station>& stations);

} // namespace radio
