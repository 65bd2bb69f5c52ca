// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "RadioStations.h"

#include "library/IListSink.h"
#include "library/ListRowTexts.h"
#include "settings/XmlLimits.h"
#include "settings/XmlText.h"

#include <tinyxml2.h>

#include <charconv>
#include <optional>
#include <utility>

namespace radio {
namespace {

// A decimal integer with optional surrounding blanks and sign; nothing else may follow.
std::optional<qint64> Integer(const char* text)
{
    if (!text)
        return std::nullopt;
    const QByteArray trimmed = QByteArray(text).trimmed();
    const char* begin = trimmed.constData();
    const char* end = begin + trimmed.size();
    if (begin != end && *begin == '+')
        ++begin;
    qint64 value = 0;
    const auto [last, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || last != end)
        return std::nullopt;
    return value;
}

// A name is drawn on one row and printed on one line by the tools: tabs, line breaks and the
// other control characters become spaces.
QString Printable(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || (c.unicode() >= 0x80 && c.unicode() < 0xa0))
            c = QLatin1Char(' ');
    }
    return text;
}

QByteArray XmlPart(const QByteArray& answer)
{
    QByteArray text = answer;
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    // The separator stays in front of the document, where it reads as white space.
    const qsizetype blank = text.indexOf("\r\n\r\n");
    return blank >= 0 ? text.mid(blank) : text;
}

} // namespace

int Rating(qint64 listeners)
{
    if (listeners < kMinListeners)
        return 0;
    if (listeners < 30)
        return 1;
    if (listeners < 60)
        return 2;
    if (listeners < 120)
        return 3;
    if (listeners < 240)
        return 4;
    return 5;
}

QString TuneInAddress(const QString& server, qint64 id)
{
    return QStringLiteral("http://%1/sbin/tunein-station.pls?id=%2").arg(server).arg(id);
}

std::vector<Station> ParseStations(const QByteArray& answer, const QString& server)
{
    tinyxml2::XMLDocument doc;
    if (!xmllimits::Parse(doc, XmlPart(answer)))
        return {};
    const tinyxml2::XMLElement* list = doc.FirstChildElement("stationlist");
    if (!list)
        return {};
    std::vector<Station> stations;
    for (const tinyxml2::XMLElement* e = list->FirstChildElement("station");
         e && stations.size() < kMaxStations; e = e->NextSiblingElement("station")) {
        const int rating = Rating(Integer(e->Attribute("lc")).value_or(0));
        if (rating == 0)
            continue;
        const qint64 id = Integer(e->Attribute("id")).value_or(0);
        Station station;
        station.name = Printable(xmltext::Attribute(e, "name", kMaxNameLength));
        station.file = TuneInAddress(server, id < 0 ? 0 : id);
        station.rating = rating;
        stations.push_back(std::move(station));
    }
    return stations;
}

void ListStations(IListSink& list, const std::vector<Station>& stations)
{
    list.BeginUpdate();
    list.Clear();
    for (const Station& station : stations) {
        ListTexts texts;
        texts[static_cast<int>(ListSlot::Title)] = station.name;
        texts[static_cast<int>(ListSlot::Time)] = QString::fromLatin1(kTimeText);
        list.AddSong(1, false, station.file, 0, station.rating, texts);
    }
    const int count = static_cast<int>(stations.size());
    for (int i = 0; i < count; ++i)
        list.SetPositionText(i, PositionText(i, count));
    list.EndUpdate();
}

} // namespace radio
