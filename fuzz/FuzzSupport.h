// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What the file-reading fuzz targets share: a private folder for the process, and the input
// written as a file there, since the readers under test take paths.
namespace fuzz {

// A folder made on first use (in memory when /dev/shm is there) and removed at exit, ending
// without a separator.
const QString& Folder();

// Replaces the file at path with the input bytes. Aborts when it cannot: a fuzz run that
// writes nothing would test nothing.
void WriteInput(const QString& path, const std::uint8_t* data, std::size_t size);

QByteArray Bytes(const std::uint8_t* data, std::size_t size);

} // namespace fuzz
