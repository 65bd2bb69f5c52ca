// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The open directory's JSON answer, as the server sends it, read as a station list and as a
// country list; every row read must be one the list and the tree can take as it is.
#include "FuzzSupport.h"
#include "RadioBrowserAnswer.h"

#include <cstdlib>

namespace {

bool HasControl(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

bool WebAddress(const QString& text)
{
    return text.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
        || text.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray answer = fuzz::Bytes(data, size);
    const std::vector<radio::Station> stations = radio::ParseBrowserStations(answer);
    if (stations.size() > radio::kMaxStations)
        std::abort();
    for (const radio::Station& s : stations) {
        if (s.rating < 1 || s.rating > 5 || s.name.size() > radio::kMaxNameLength
            || HasControl(s.name) || !WebAddress(s.file) || s.file.size() > radio::kMaxAddressLength
            || (!s.favicon.isEmpty() && !WebAddress(s.favicon)) || s.bitrate < 0
            || s.uuid.contains(QLatin1Char('/')))
            std::abort();
    }
    for (const radio::Country& c : radio::ParseCountries(answer)) {
        if (c.code.size() != 2 || c.stations <= 0 || c.name.isEmpty() || HasControl(c.name))
            std::abort();
    }
    return 0;
}
