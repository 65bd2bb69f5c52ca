// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the Western code page of old playlists and tags. Pure functions; any thread.
namespace cp1252 {

// The character of one Windows-1252 byte; bytes the page leaves undefined keep their value.
char16_t Char(unsigned char byte);

QString Decode(const QByteArray& bytes);

} // namespace cp1252
