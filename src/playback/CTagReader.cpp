// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// ReadTags runs on several library-update reader threads at once: every call owns its TagLib
// file and libavformat demuxer, and no state outlives a call.
#include "CTagReader.h"

#include "Cp1252.h"
#include "TagGain.h"
#include "TagGenre.h"
#include "TagSource.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cmath>
#include <initializer_list>

namespace {

constexpr int kFirstYear = 1000;
constexpr int kLastYear = 4000;
constexpr std::size_t kYearDigits = 4;

// The keys a field is found under in the property map, the standard one first. Other keys
// come from taggers that follow another tag kind's habits ("YEAR" and "ALBUM ARTIST" in Vorbis
// comments, free-form items in MP4); the first key with text wins.
using Keys = std::initializer_list<const char*>;
constexpr Keys kNumberKeys = {"TRACKNUMBER", "TRACK"};
constexpr Keys kYearKeys = {"DATE", "YEAR", "ORIGINALDATE", "ORIGINALYEAR"};
constexpr Keys kAlbumArtistKeys = {"ALBUMARTIST", "ALBUM ARTIST", "ALBUM_ARTIST"};

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

// Latin-1 texts of ID3 tags are often Windows-1252 in fact ("It\x92s"), written by programs
// that took the system code page for Latin-1. Latin-1's own characters at those places are
// control codes that no tag means, so they are read as the Windows letters.
TagLib::String WithWindowsLetters(TagLib::String text)
{
    for (wchar_t& c : text)
        if (c >= 0x80 && c <= 0x9F)
            c = static_cast<wchar_t>(cp1252::Char(static_cast<unsigned char>(c)));
    return text;
}

TagLib::StringList WithWindowsLetters(const TagLib::StringList& values)
{
    TagLib::StringList out;
    for (const TagLib::String& value : values)
        out.append(WithWindowsLetters(value));
    return out;
}

// Several values of one field (multi-valued Xiph, APE and ID3v2.4 fields) read as one text.
std::string FieldText(const TagLib::PropertyMap& props, const char* key)
{
    const auto it = props.find(key);
    if (it == props.end())
        return {};
    return TrimTrailing(WithWindowsLetters(it->second.toString("; ")).to8Bit(true));
}

std::string FieldText(const TagLib::PropertyMap& props, Keys keys)
{
    for (const char* key : keys) {
        std::string text = FieldText(props, key);
        if (!text.empty())
            return text;
    }
    return {};
}

bool IsYear(int value)
{
    return value >= kFirstYear && value <= kLastYear;
}

// The year a date text names: its leading number ("2009-05-01"), or else the first run of
// exactly four digits that is a year, for dates written day or month first ("01.05.2009",
// "5/1/2009") or with a word in front ("c. 1987"). 0 when there is none.
int YearOf(const std::string& text)
{
    const int leading = LeadingDecimal(text);
    if (IsYear(leading))
        return leading;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && IsDigit(text[end]))
            ++end;
        if (end - i == kYearDigits) {
            const int year = LeadingDecimal(text.substr(i, kYearDigits));
            if (IsYear(year))
                return year;
        }
        i = end > i ? end : i + 1;
    }
    return 0;
}

void ApplyNumber(const TagLib::PropertyMap& props, TrackRecord& record)
{
    record.number = 0;
    record.hasNumber = false;
    const std::string text = FieldText(props, kNumberKeys);
    if (text.empty())
        return;
    record.number = LeadingDecimal(text);
    record.hasNumber = true;
}

void ApplyYear(const TagLib::PropertyMap& props, TrackRecord& record)
{
    record.year = 0;
    record.hasYear = false;
    const int year = YearOf(FieldText(props, kYearKeys));
    if (year != 0) {
        record.year = year;
        record.hasYear = true;
    }
}

std::string GenreText(const TagLib::PropertyMap& props)
{
    const auto it = props.find("GENRE");
    return it == props.end() ? std::string()
                             : TrimTrailing(GenreName(WithWindowsLetters(it->second)));
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
    record.albumartist = FieldText(props, kAlbumArtistKeys);
    record.gains = GainTags(props);
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
