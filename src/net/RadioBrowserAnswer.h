// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "RadioStations.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <vector>

// Reading the open community directory's JSON answers: bytes in, rows out. Pure functions, any
// thread. Every field is optional and may have any JSON type; what does not fit is taken as
// missing.
namespace radio {

// At most this many countries are read from one answer.
inline constexpr std::size_t kMaxCountries = 1000;
// Longer stream or icon addresses are not used.
inline constexpr int kMaxAddressLength = 2048;

struct Country {
    QString name; // printable, cut like station names
    QString code; // two ASCII letters, upper case
    qint64 stations = 0;
};

// Stars for a vote count: 1 below 10 votes (also for none or a negative count), 2 from 10,
// 3 from 100, 4 from 1,000 and 5 from 10,000.
int VoteRating(double votes);

// True when the answer reads as the open directory's (its first non-blank byte, after any
// HTTP headers and byte order mark, opens a JSON array) rather than as the older directory's
// XML.
bool IsBrowserAnswer(const QByteArray& answer);

// The stations of an answer: an optional HTTP header block ending in a blank line, then a
// JSON array of objects. Answer order; a station is listed only with an http(s) stream
// address ("url_resolved", else "url"), given percent-encoded when it was typed with spaces or
// other characters an address cannot hold; at most kMaxStations. Anything that is not such an
// array lists nothing.
std::vector<Station> ParseBrowserStations(const QByteArray& answer);

// The countries of a country-list answer (objects with "name", "iso_3166_1" and
// "stationcount"), in answer order; those without a two-letter code or without stations are
// left out, at most kMaxCountries.
std::vector<Country> ParseCountries(const QByteArray& answer);

} // namespace radio
