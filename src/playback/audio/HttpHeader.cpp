// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "HttpHeader.h"

#include <QList>

std::optional<HttpHeader> ParseHttpHeader(const QByteArray& header)
{
    const QList<QByteArray> lines = header.split('\n');
    const QList<QByteArray> status = lines.value(0).trimmed().split(' ');
    bool ok = false;
    HttpHeader parsed;
    parsed.code = status.value(1).toInt(&ok);
    const QByteArray protocol = status.value(0).toUpper();
    if (!ok || (!protocol.startsWith("HTTP/") && protocol != "ICY"))
        return std::nullopt;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-type") {
            parsed.contentType = QString::fromLatin1(value);
        } else if (name == "location") {
            parsed.location = QString::fromUtf8(value);
        } else if (name == "icy-metaint") {
            parsed.metaInterval = value.toLongLong();
        }
    }
    return parsed;
}
