// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "XmlLimits.h"

#include "SafeFile.h"

#include <tinyxml2.h>

#include <cstring>
#include <string_view>

namespace xmllimits {

namespace {

// Position just past the first end marker at or after from; size when there is none.
std::size_t After(std::string_view text, std::size_t from, std::string_view end)
{
    const std::size_t at = text.find(end, from);
    return at == std::string_view::npos ? text.size() : at + end.size();
}

// Position just past the '>' closing the start tag that begins at from; quoted attribute
// values may hold '>'. selfClosing tells whether the tag ended in "/>".
std::size_t AfterStartTag(std::string_view text, std::size_t from, bool& selfClosing)
{
    char quote = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            selfClosing = text[i - 1] == '/';
            return i + 1;
        }
    }
    selfClosing = true;
    return text.size();
}

} // namespace

bool DepthWithin(const char* data, std::size_t size, int maxDepth)
{
    const std::string_view text(data, size);
    int depth = 0;
    std::size_t i = text.find('<');
    while (i < text.size()) {
        const std::string_view rest = text.substr(i);
        if (rest.starts_with("<!--")) {
            i = After(text, i + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            i = After(text, i + 9, "]]>");
        } else if (rest.starts_with("<?")) {
            i = After(text, i + 2, "?>");
        } else if (rest.starts_with("<!")) {
            i = After(text, i + 2, ">");
        } else if (rest.starts_with("</")) {
            --depth;
            i = After(text, i + 2, ">");
        } else {
            bool selfClosing = false;
            i = AfterStartTag(text, i + 1, selfClosing);
            if (!selfClosing && ++depth > maxDepth)
                return false;
        }
        i = text.find('<', i);
    }
    return true;
}

bool Parse(tinyxml2::XMLDocument& doc, const QByteArray& bytes)
{
    const auto size = static_cast<std::size_t>(bytes.size());
    if (!DepthWithin(bytes.constData(), size))
        return false;
    return doc.Parse(bytes.constData(), size) == tinyxml2::XML_SUCCESS;
}

bool ReadFile(const QString& path, tinyxml2::XMLDocument& doc, qint64 maxBytes)
{
    QByteArray bytes;
    if (safefile::Read(path, maxBytes, bytes) != safefile::ReadStatus::Ok)
        return false;
    return Parse(doc, bytes);
}

} // namespace xmllimits
