// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace tinyxml2 {
class XMLDocument;
}

// Limits every XML file of the program is read under, whatever folder it comes from: files
// are copied between machines and profiles, so none of them is trusted. Any thread.
namespace xmllimits {

// Larger files are refused without being read whole.
inline constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
// Deeper element nesting is refused before a tree is built: TinyXML-2 parses and frees
// elements recursively, so the depth of a document is the depth of the parser's stack.
inline constexpr int kMaxDepth = 256;

// True when no element of text is nested deeper than maxDepth. Follows TinyXML-2's reading of
// comments, CDATA, declarations and quoted attribute values; malformed text that the parser
// would refuse anyway may pass.
bool DepthWithin(const char* text, std::size_t size, int maxDepth = kMaxDepth);

// Parses bytes into doc. False, doc then unspecified, when they nest too deep or are not
// well-formed XML. TinyXML-2 expands only the five predefined and numeric entities, so a
// document cannot grow by entity expansion.
bool Parse(tinyxml2::XMLDocument& doc, const QByteArray& bytes);

// Reads the file at path (at most maxBytes) and parses it as Parse does. False when the file is
// missing, unreadable, larger than maxBytes, too deep or not XML.
bool ReadFile(const QString& path, tinyxml2::XMLDocument& doc, qint64 maxBytes = kMaxFileBytes);

} // namespace xmllimits
