// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SkinXml.h"

#include "XmlLimits.h"
#include "XmlText.h"

#include <tinyxml2.h>

#include <climits>
#include <cstring>

namespace skinxml {

bool ReadDocument(const QString& path, tinyxml2::XMLDocument& doc)
{
    return xmllimits::ReadFile(path, doc);
}

int IntAttribute(const tinyxml2::XMLElement* element, const char* name, int fallback)
{
    const char* text = element != nullptr ? element->Attribute(name) : nullptr;
    if (text == nullptr)
        return fallback;
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r')
        ++text;
    bool negative = false;
    if (*text == '-' || *text == '+')
        negative = *text++ == '-';
    if (*text < '0' || *text > '9')
        return fallback;
    // Accumulate past the int range only as far as needed to know the value is clamped.
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value < INT_MIN ? INT_MIN : value);
}

bool HasAttribute(const tinyxml2::XMLElement* element, const char* name)
{
    return element != nullptr && element->Attribute(name) != nullptr;
}

QRgb ParseColor(const char* text, QRgb fallback)
{
    if (text == nullptr)
        return fallback;
    const std::size_t length = std::strlen(text);
    if (length != 6 && length != 8)
        return fallback;
    quint32 value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return fallback;
        value = (value << 4) | static_cast<quint32>(digit);
    }
    if (length == 6)
        return 0xFF000000u | value;
    return (value >> 8) | ((value & 0xFFu) << 24);
}

QRgb ColorAttribute(const tinyxml2::XMLElement* element, const char* name, QRgb fallback)
{
    return ParseColor(element != nullptr ? element->Attribute(name) : nullptr, fallback);
}

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash >= 0 ? path.left(slash + 1) : QString();
}

QString FilePath(const QString& folder, const tinyxml2::XMLElement* element, const char* name)
{
    if (!HasAttribute(element, name))
        return {};
    return folder + xmltext::Attribute(element, name, kMaxFileName);
}

} // namespace skinxml
