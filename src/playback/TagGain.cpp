// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagGain.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// R128 gains are relative to -23 LUFS; the ReplayGain reference is 5 dB louder.
constexpr double kR128ToReplayGainDb = 5.0;
constexpr double kQ78 = 256.0;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The text without blanks at either end and with an optional leading plus sign removed,
// which std::from_chars does not take.
std::string NumberPart(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    std::string part = text.substr(begin, end - begin);
    if (!part.empty() && part.front() == '+')
        part.erase(0, 1);
    return part;
}

// Parses the whole of text as a number followed at most by blanks and unit (any case).
std::optional<double> NumberWithUnit(const std::string& text, const char* unit)
{
    std::string part = NumberPart(text);
    // Taggers running under a decimal-comma locale wrote "-6,48 dB".
    if (const std::size_t comma = part.find(','); comma != std::string::npos
        && part.find('.') == std::string::npos)
        part[comma] = '.';
    double value = 0.0;
    const char* first = part.data();
    const char* last = part.data() + part.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    const char* rest = ptr;
    while (rest < last && IsBlank(*rest))
        ++rest;
    const std::string tail(rest, last);
    if (!tail.empty()) {
        const std::string want(unit);
        if (tail.size() != want.size())
            return std::nullopt;
        for (std::size_t i = 0; i < tail.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(tail[i]))
                != std::tolower(static_cast<unsigned char>(want[i])))
                return std::nullopt;
    }
    return value;
}

std::optional<double> Limited(std::optional<double> gain)
{
    if (!gain || *gain > kMaxTagGainDb)
        return std::nullopt;
    return std::max(*gain, -kMaxTagGainDb);
}

std::string First(const TagLib::PropertyMap& props, const char* key)
{
    const auto it = props.find(key);
    if (it == props.end() || it->second.isEmpty())
        return {};
    return it->second.front().to8Bit(true);
}

std::optional<double> GainOf(const TagLib::PropertyMap& props, const char* r128Key,
    const char* replayGainKey)
{
    if (const auto r128 = GainFromR128Text(First(props, r128Key)))
        return r128;
    return GainFromText(First(props, replayGainKey));
}

} // namespace

std::optional<double> GainFromText(const std::string& text)
{
    return Limited(NumberWithUnit(text, "dB"));
}

std::optional<double> GainFromR128Text(const std::string& text)
{
    const std::string part = NumberPart(text);
    int value = 0;
    const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (ec != std::errc() || ptr != part.data() + part.size()
        || value < std::numeric_limits<short>::min() || value > std::numeric_limits<short>::max())
        return std::nullopt;
    return Limited(value / kQ78 + kR128ToReplayGainDb);
}

std::optional<double> PeakFromText(const std::string& text)
{
    const std::optional<double> peak = NumberWithUnit(text, "");
    if (!peak || !(*peak > 0.0))
        return std::nullopt;
    return peak;
}

TrackGains GainTags(const TagLib::PropertyMap& props)
{
    TrackGains gains;
    gains.trackGain = GainOf(props, "R128_TRACK_GAIN", "REPLAYGAIN_TRACK_GAIN");
    gains.albumGain = GainOf(props, "R128_ALBUM_GAIN", "REPLAYGAIN_ALBUM_GAIN");
    gains.trackPeak = PeakFromText(First(props, "REPLAYGAIN_TRACK_PEAK"));
    gains.albumPeak = PeakFromText(First(props, "REPLAYGAIN_ALBUM_PEAK"));
    return gains;
}
