// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// What the player takes from the header of an http (or ICY) answer.
struct HttpHeader {
    int code = 0;
    QString contentType;
    QString location;              // as sent; empty when the header names none
    std::int64_t metaInterval = 0; // icy-metaint as sent (may be negative or absurd)
};

// Parses a header read up to its blank line. Lines may end in "\r\n" or "\n"; header names are
// matched whatever their case. No value when the status line is not "HTTP/x.y CODE" or
// "ICY CODE".
std::optional<HttpHeader> ParseHttpHeader(const QByteArray& header);
