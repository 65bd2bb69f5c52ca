// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// ReadTags runs on several library-update reader threads at once: every call owns its TagLib
// file and libavformat demuxer, and no state outlives a call.
#include "CTagReader.h"

#include "TagSource.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int kFirstYear = 1000;
constexpr int kLastYear = 4000;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Only trailing blanks go: a leading blank may be deliberate (sorting tricks) and stays.
std::string TrimTrailing(std::string text)
{
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    text.resize(end);
    return text;
}

// The value of the decimal number the text starts with: leading blanks and one sign allowed,
// digits up to the first non-digit, 0 when there are none. Saturates instead of overflowing.
int LeadingDecimal(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
    return static_cast<int>(negative ? -value : value);
}

// Several values of one field (multi-valued Xiph, APE and ID3v2.4 fields) read as one text.
std::string FieldText(const TagLib::PropertyMap& props, const char* key)
{
    const auto it = props.find(key);
    if (it == props.end())
        return {};
    return TrimTrailing(it->second.toString("; ").to8Bit(true));
}

void ApplyNumber(const TagLib::PropertyMap& props, TrackRecord& record)
{
    record.number = 0;
    record.hasNumber = false;
    const std::string text = FieldText(props, "TRACKNUMBER");
    if (text.empty())
        return;
    record.number = LeadingDecimal(text);
    record.hasNumber = true;
}

void ApplyYear(const TagLib::PropertyMap& props, TrackRecord& record)
{
    record.year = 0;
    record.hasYear = false;
    const std::string text = FieldText(props, "DATE");
    if (text.empty())
        return;
    const int year = LeadingDecimal(text);
    if (year >= kFirstYear && year <= kLastYear) {
        record.year = year;
        record.hasYear = true;
    }
}

// Genre codes ("17") name nothing without a table, so a genre that starts with a digit is
// dropped; "(17)Rock" keeps its name.
std::string GenreText(const TagLib::PropertyMap& props)
{
    std::string genre = FieldText(props, "GENRE");
    if (!genre.empty() && IsDigit(genre.front()))
        genre.clear();
    return genre;
}

void ApplyTags(const TagLib::PropertyMap& props, TrackRecord& record)
{
    ApplyNumber(props, record);
    record.title = FieldText(props, "TITLE");
    record.artist = FieldText(props, "ARTIST");
    record.album = FieldText(props, "ALBUM");
    ApplyYear(props, record);
    record.genre = GenreText(props);
    record.composer = FieldText(props, "COMPOSER");
    record.albumartist = FieldText(props, "ALBUMARTIST");
}

// Every byte of the file counts toward the bitrate, tags and pictures included; the unrounded
// seconds keep short files from being far off.
int AverageBitrate(long long fileSize, double seconds)
{
    if (!(seconds > 0.0) || fileSize <= 0)
        return 0;
    const double kbps = static_cast<double>(fileSize) / (seconds * 125.0) + 0.5;
    return kbps < INT_MAX ? static_cast<int>(kbps) : INT_MAX;
}

void ApplyStream(const TagSource& source, TrackRecord& record)
{
    const double seconds = source.stream.seconds;
    record.time = seconds > 0.0 && seconds < INT_MAX ? static_cast<int>(seconds) : 0;
    record.bitrate = AverageBitrate(source.fileSize, seconds);
    record.sample = source.stream.sample;
    record.channel = source.stream.channel;
}

} // namespace

bool CTagReader::ReadTags(const QString& path, TrackRecord& record)
{
    const QByteArray native = QFile::encodeName(path);
    TagSource source;
    if (native.isEmpty()
        || !ReadTagSource(native.constData(), QFileInfo(path).suffix().toLower(), source))
        return false;
    ApplyTags(source.props, record);
    ApplyStream(source, record);
    return true;
}
