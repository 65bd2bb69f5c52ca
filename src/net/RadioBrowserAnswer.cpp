// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "RadioBrowserAnswer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QUrl>

#include <cmath>

namespace radio {
namespace {

// The body of an answer: what follows the header block when the bytes start as an HTTP
// status line, else all of it.
QByteArray Body(const QByteArray& answer)
{
    QByteArray body = answer;
    if (body.startsWith("HTTP/")) {
        const qsizetype blank = body.indexOf("\r\n\r\n");
        body = blank >= 0 ? body.mid(blank + 4) : QByteArray();
    }
    // An answer saved by an editor may start with a byte order mark, which JSON does not allow.
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    return body;
}

// Control characters are dropped to a space, so a tab between two words still parts them;
// blanks around the text go, and the rest is cut without splitting a surrogate pair.
QString Printable(const QJsonValue& value, int maxLength)
{
    if (!value.isString())
        return {};
    QString text = value.toString();
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0))
            c = QLatin1Char(' ');
    }
    text = text.trimmed();
    if (text.size() > maxLength) {
        qsizetype keep = maxLength;
        if (keep > 0 && text.at(keep - 1).isHighSurrogate())
            --keep;
        text.truncate(keep);
    }
    return text;
}

// An absolute http or https address with a host, or empty. Directory entries are typed in by
// people and carry spaces, "|" or braces in paths and queries; such an address is given in its
// percent-encoded form, which the stream reader takes and the station's server understands.
QString WebAddress(const QJsonValue& value)
{
    if (!value.isString())
        return {};
    const QString text = value.toString().trimmed();
    if (text.isEmpty() || text.size() > kMaxAddressLength)
        return {};
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return {};
    }
    QUrl url(text, QUrl::StrictMode);
    const bool strict = url.isValid();
    if (!strict)
        url = QUrl(text, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || url.host().isEmpty())
        return {};
    if (strict)
        return text;
    const QString encoded = QString::fromLatin1(url.toEncoded());
    return encoded.size() <= kMaxAddressLength ? encoded : QString();
}

// A non-negative JSON number that fits an int, else 0.
int Count(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    const double d = value.toDouble();
    return d >= 0 && d < 2147483647.0 ? static_cast<int>(d) : 0;
}

// The station id goes into a request path: only letters, digits and dashes are kept.
QString Uuid(const QJsonValue& value)
{
    if (!value.isString())
        return {};
    const QString text = value.toString();
    if (text.isEmpty() || text.size() > 64)
        return {};
    for (const QChar c : text) {
        if (!(c.isDigit() || (c.unicode() < 0x80 && c.isLetter()) || c == u'-'))
            return {};
    }
    return text;
}

QJsonArray Array(const QByteArray& answer)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(Body(answer), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return {};
    return doc.array();
}

} // namespace

int VoteRating(double votes)
{
    if (!(votes >= 10))
        return 1;
    if (votes < 100)
        return 2;
    if (votes < 1000)
        return 3;
    if (votes < 10000)
        return 4;
    return 5;
}

bool IsBrowserAnswer(const QByteArray& answer)
{
    for (const char c : Body(answer)) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return c == '[';
    }
    return false;
}

std::vector<Station> ParseBrowserStations(const QByteArray& answer)
{
    const QJsonArray array = Array(answer);
    std::vector<Station> stations;
    for (const QJsonValue& item : array) {
        if (stations.size() >= kMaxStations)
            break;
        if (!item.isObject())
            continue;
        const QJsonObject o = item.toObject();
        QString file = WebAddress(o.value(QLatin1String("url_resolved")));
        if (file.isEmpty())
            file = WebAddress(o.value(QLatin1String("url")));
        if (file.isEmpty())
            continue;
        const QJsonValue votes = o.value(QLatin1String("votes"));
        Station s;
        s.name = Printable(o.value(QLatin1String("name")), kMaxNameLength);
        s.file = file;
        s.rating = VoteRating(votes.isDouble() ? votes.toDouble() : 0);
        s.uuid = Uuid(o.value(QLatin1String("stationuuid")));
        s.favicon = WebAddress(o.value(QLatin1String("favicon")));
        s.codec = Printable(o.value(QLatin1String("codec")), 16);
        s.bitrate = Count(o.value(QLatin1String("bitrate")));
        stations.push_back(std::move(s));
    }
    return stations;
}

std::vector<Country> ParseCountries(const QByteArray& answer)
{
    const QJsonArray array = Array(answer);
    std::vector<Country> countries;
    for (const QJsonValue& item : array) {
        if (countries.size() >= kMaxCountries)
            break;
        const QJsonObject o = item.toObject();
        const QString code = o.value(QLatin1String("iso_3166_1")).toString().toUpper();
        if (code.size() != 2 || !(code[0] >= u'A' && code[0] <= u'Z')
            || !(code[1] >= u'A' && code[1] <= u'Z'))
            continue;
        const int count = Count(o.value(QLatin1String("stationcount")));
        if (count == 0)
            continue;
        QString name = Printable(o.value(QLatin1String("name")), kMaxNameLength);
        if (name.isEmpty())
            name = code;
        countries.push_back({name, code, count});
    }
    return countries;
}

} // namespace radio
