// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads with a size limit and whole-file writes that replace the old file in one
// step. Used for the small XML files of the profile and program folders. Any thread.
namespace safefile {

enum class ReadStatus {
    Ok,
    Missing, // no such file (a dangling link counts as missing)
    Unreadable, // present but could not be opened or read (a folder, no permission, I/O error)
    TooLarge, // larger than the limit; nothing beyond the limit was read
};

// Reads path whole into bytes when it holds at most maxBytes. Files whose size the system
// does not know in advance (pipes, devices) are read up to maxBytes + 1 and refused beyond.
// bytes is empty unless the result is Ok.
ReadStatus Read(const QString& path, qint64 maxBytes, QByteArray& bytes);

// Writes bytes to a new temporary file beside path, flushes it to the disk and renames it over
// path, so path holds either the old or the new content whatever happens meanwhile (a crash,
// a full disk). The folder must exist. Returns false, leaving path untouched and no temporary
// file behind, when any step fails. text converts line ends to the platform's convention.
bool WriteReplacing(const QString& path, const QByteArray& bytes, bool text = true);

} // namespace safefile
