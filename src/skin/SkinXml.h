// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QRgb>
#include <QString>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

// Readers for the values of skin files, each with the default the file formats give for a
// missing or unusable value. Any thread.
namespace skinxml {

// Reads and parses a skin file under the size and depth limits of every XML file. False when
// it cannot be read or is not well-formed.
bool ReadDocument(const QString& path, tinyxml2::XMLDocument& doc);

// Longest file name a skin file may give; longer values are cut.
inline constexpr int kMaxFileName = 259;

// The integer value of the attribute: optional spaces, an optional sign and decimal digits,
// anything after them ignored; values beyond the int range are clamped. fallback when the
// attribute is missing (or element is null) or does not start with a number.
int IntAttribute(const tinyxml2::XMLElement* element, const char* name, int fallback = 0);
// True when the element exists and has the attribute.
bool HasAttribute(const tinyxml2::XMLElement* element, const char* name);

// A colour written as hexadecimal digits: six give RRGGBB, opaque; eight give RRGGBBAA, with
// the last two digits as alpha. Any other length, a non-hexadecimal character or a null text
// gives fallback. The result is a non-premultiplied QRgb (0xAARRGGBB).
QRgb ParseColor(const char* text, QRgb fallback);
QRgb ColorAttribute(const tinyxml2::XMLElement* element, const char* name, QRgb fallback);

// The folder part of a skin file's path, up to and including its last '/', or empty when it
// has none: the files a skin file names are relative to it.
QString FolderOf(const QString& path);
// folder joined with the element's "File"-like attribute (cut to kMaxFileName characters);
// empty when the element or the attribute is missing.
QString FilePath(const QString& folder, const tinyxml2::XMLElement* element,
    const char* name = "File");

} // namespace skinxml
