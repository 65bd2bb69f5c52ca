// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

namespace tinyxml2 {
class XMLDocument;
}

// Reading and writing whole XML files of the profile folder. Any thread.
namespace XmlFile {

// The declaration every file is written with (no standalone attribute).
inline constexpr const char* kDeclaration = "xml version=\"1.0\" encoding=\"UTF-8\"";

// Parses the file at path into doc. False when it cannot be read, is larger or nested deeper
// than the limits of xmllimits, or does not parse.
bool Read(const QString& path, tinyxml2::XMLDocument& doc);
// Writes doc to path through a temporary file that replaces it only once complete, so a
// failed write leaves the old file as it was. False on failure.
bool Write(const QString& path, const tinyxml2::XMLDocument& doc);

} // namespace XmlFile
