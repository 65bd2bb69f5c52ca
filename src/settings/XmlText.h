// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

// Text crossing the XML boundary: the files hold UTF-8, the program UTF-16. Any thread.
namespace xmltext {

// The attribute converted from UTF-8 (invalid bytes become U+FFFD), cut to at most maxLength
// UTF-16 units without splitting a surrogate pair; empty when the attribute is missing.
// A negative maxLength means no limit.
QString Attribute(const tinyxml2::XMLElement* element, const char* name, int maxLength = -1);

// Sets the attribute to value as UTF-8.
void SetAttribute(tinyxml2::XMLElement* element, const char* name, const QString& value);

// The whole document as UTF-8 bytes, indented, without a terminating NUL.
QByteArray Print(const tinyxml2::XMLDocument& document);

} // namespace xmltext
