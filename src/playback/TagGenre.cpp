// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagGenre.h"

#include <taglib/id3v1genres.h>

#include <vector>

namespace {

constexpr std::size_t kMaxCodeDigits = 3; // the ID3v1 table ends below 256

struct GenreParts {
    std::vector<std::string> coded; // names of the references, in order
    std::string text;               // the name written out, empty when none
};

bool AllDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n\v\f") - first + 1);
}

// The name a reference stands for; false when code is no reference.
bool CodeName(const std::string& code, std::string& name)
{
    if (code == "RX" || code == "CR") {
        name = code == "RX" ? "Remix" : "Cover";
        return true;
    }
    if (!AllDigits(code))
        return false;
    name = code.size() > kMaxCodeDigits ? std::string()
                                        : TagLib::ID3v1::genre(std::stoi(code)).to8Bit(true);
    return true;
}

GenreParts Parse(const std::string& value)
{
    GenreParts parts;
    std::string name;
    if (CodeName(Trimmed(value), name)) {
        parts.coded.push_back(name);
        return parts;
    }
    std::size_t at = 0;
    while (at + 1 < value.size() && value[at] == '(' && value[at + 1] != '(') {
        const std::size_t close = value.find(')', at);
        if (close == std::string::npos || !CodeName(value.substr(at + 1, close - at - 1), name))
            break;
        parts.coded.push_back(name);
        at = close + 1;
    }
    parts.text = value.substr(at);
    if (parts.text.rfind("((", 0) == 0)
        parts.text.erase(0, 1);
    return parts;
}

std::string Join(const std::vector<std::string>& names)
{
    std::string joined;
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        if (!joined.empty())
            joined += "; ";
        joined += name;
    }
    return joined;
}

} // namespace

std::string GenreName(const TagLib::StringList& values)
{
    std::vector<std::string> texts;
    std::vector<std::string> coded;
    for (const TagLib::String& value : values) {
        const GenreParts parts = Parse(value.to8Bit(true));
        std::string text = Trimmed(parts.text);
        if (!text.empty())
            texts.push_back(std::move(text));
        coded.insert(coded.end(), parts.coded.begin(), parts.coded.end());
    }
    return Join(texts.empty() ? coded : texts);
}
