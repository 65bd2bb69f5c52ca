// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Whole-file reads with a size limit and whole-file writes that replace the old file in one
// step. Used for the small XML files of the profile and program folders. Any thread.
namespace safefile {

enum class ReadStatus {
    Ok,
    Missing, // no such file (a dangling link counts as missing)
    // present but could not be opened or read (a folder, a pipe, a device, no permission, I/O
    // error)
    Unreadable,
    TooLarge, // larger than the limit; nothing beyond the limit was read
};

// Opens path (links followed) for reading into file when it is a regular file. The open never
// waits: a pipe, socket or device in its place is refused (Unreadable) as a folder is, without
// blocking on it. TooLarge when the file holds more than maxBytes.
ReadStatus OpenRegular(const QString& path, qint64 maxBytes, QFile& file);

// Reads path whole into bytes when it is a regular file of at most maxBytes (see OpenRegular).
// The read is bounded too, in case the file grows meanwhile. bytes is empty unless the result
// is Ok.
ReadStatus Read(const QString& path, qint64 maxBytes, QByteArray& bytes);

// Writes bytes to a new temporary file beside path, flushes it to the disk and renames it over
// path, so path holds either the old or the new content whatever happens meanwhile (a crash,
// a full disk). The folder must exist. Returns false, leaving path untouched and no temporary
// file behind, when any step fails. text converts line ends to the platform's convention.
bool WriteReplacing(const QString& path, const QByteArray& bytes, bool text = true);

} // namespace safefile
