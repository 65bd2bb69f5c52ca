// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagSource.h"

#include "TagAsfCheck.h"
#include "TagAvProbe.h"
#include "TagId3v2.h"
#include "TagPrecise.h"
#include "TagRawFile.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/tfilestream.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <utility>

namespace {

constexpr auto kStyle = TagLib::AudioProperties::Average;
constexpr unsigned long long kMaxZeroBasedTrack = 1000000;

// Each field from the first tag that has it: ID3v2, then APE, then ID3v1.
TagLib::PropertyMap MpegProperties(TagLib::MPEG::File& file)
{
    TagLib::PropertyMap props;
    if (file.hasID3v2Tag())
        props = Id3v2Properties(*file.ID3v2Tag());
    if (file.hasAPETag())
        AddMissing(props, file.APETag()->properties());
    if (file.hasID3v1Tag())
        AddMissing(props, file.ID3v1Tag()->properties());
    return props;
}

TagStreamInfo FromProperties(const TagLib::AudioProperties& props)
{
    TagStreamInfo info;
    info.seconds = props.lengthInMilliseconds() / 1000.0;
    info.sample = props.sampleRate();
    info.channel = props.channels();
    return info;
}

// A file opened as audio: valid for TagLib and with a stream that has a sample rate, which
// rules out files that merely happened to parse (random bytes with a stray frame sync).
bool HasAudio(const TagLib::File& file)
{
    const TagLib::AudioProperties* props = file.audioProperties();
    return file.isValid() && props && props->sampleRate() > 0 && props->channels() > 0;
}

// The stream figures of a file TagLib opened; the caller picks the tags.
bool Measure(TagLib::File& file, TagSource& out)
{
    if (!HasAudio(file))
        return false;
    out.stream = FromProperties(*file.audioProperties());
    out.fileSize = file.length();
    return true;
}

bool ReadMpeg(const char* path, TagSource& out)
{
    TagLib::MPEG::File file(path, true, kStyle);
    if (!Measure(file, out))
        return false;
    out.props = MpegProperties(file);
    out.stream.seconds = PreciseMpegSeconds(file, out.stream.seconds);
    return true;
}

// TagLib has no reader for raw ADTS: the tags come from the generic tag parsers and the
// playing time from the frame headers (libavformat only guesses it from the bitrate of the
// first frames). libavformat measures what they leave open: channels in a program config
// element, or a file that is not ADTS at all.
bool ReadAdts(const char* path, TagSource& out)
{
    TagRawFile file(path);
    if (!file.isOpen())
        return false;
    long long start = 0;
    out.props = file.ReadTags(start);
    if (!MeasureAdts(file, start, out.stream) && !ProbeStreamWithAv(path, out.stream))
        return false;
    out.fileSize = file.length();
    return true;
}

template <class File> bool ReadAs(const char* path, TagSource& out)
{
    File file(path, true, kStyle);
    if (!Measure(file, out))
        return false;
    out.props = file.properties();
    return true;
}

// Early rippers wrote the track only as "WM/Track", counted from zero; "WM/TrackNumber"
// counts from one and wins when both are there.
void AddZeroBasedTrack(const TagLib::ASF::Tag& tag, TagLib::PropertyMap& props)
{
    if (props.contains("TRACKNUMBER") || !tag.contains("WM/Track"))
        return;
    const TagLib::ASF::Attribute track = tag.attribute("WM/Track").front();
    unsigned long long index = 0;
    switch (track.type()) {
    case TagLib::ASF::Attribute::DWordType:
        index = track.toUInt();
        break;
    case TagLib::ASF::Attribute::QWordType:
        index = track.toULongLong();
        break;
    case TagLib::ASF::Attribute::WordType:
        index = track.toUShort();
        break;
    case TagLib::ASF::Attribute::UnicodeType: {
        bool ok = false;
        index = static_cast<unsigned long long>(track.toString().stripWhiteSpace().toInt(&ok));
        if (!ok)
            return;
        break;
    }
    default:
        return;
    }
    if (index < kMaxZeroBasedTrack)
        props.insert("TRACKNUMBER", TagLib::String::number(static_cast<int>(index + 1)));
}

// TagLib's ASF property map leaves out attributes it has no name for; the loudness ones are
// written under their own names, in whatever case the tagger chose.
void AddGainAttributes(const TagLib::ASF::Tag& tag, TagLib::PropertyMap& props)
{
    for (const auto& [name, attributes] : tag.attributeListMap()) {
        const TagLib::String key = name.upper();
        if (!key.startsWith("REPLAYGAIN_") || props.contains(key))
            continue;
        TagLib::StringList values;
        for (const TagLib::ASF::Attribute& attribute : attributes)
            if (attribute.type() == TagLib::ASF::Attribute::UnicodeType)
                values.append(attribute.toString());
        if (!values.isEmpty())
            props.insert(key, values);
    }
}

bool ReadAsf(const char* path, TagSource& out)
{
    if (!AsfAttributeCountsFit(path))
        return false;
    TagLib::ASF::File file(path, true, kStyle);
    if (!Measure(file, out))
        return false;
    out.props = file.properties();
    AddZeroBasedTrack(*file.tag(), out.props);
    AddGainAttributes(*file.tag(), out.props);
    return true;
}

// FLAC files may carry ID3 tags besides their Vorbis comment; TagLib's property map shows
// only the comment.
TagLib::PropertyMap FlacProperties(TagLib::FLAC::File& file)
{
    TagLib::PropertyMap props;
    if (file.hasXiphComment())
        props = file.xiphComment()->properties();
    if (file.hasID3v2Tag())
        AddMissing(props, Id3v2Properties(*file.ID3v2Tag()));
    if (file.hasID3v1Tag())
        AddMissing(props, file.ID3v1Tag()->properties());
    return props;
}

// Monkey's Audio, WavPack and Musepack files carry an APE tag, and from older taggers an ID3v1
// tag besides.
template <class File> TagLib::PropertyMap ApeProperties(File& file)
{
    TagLib::PropertyMap props;
    if (file.hasAPETag())
        props = file.APETag()->properties();
    if (file.hasID3v1Tag())
        AddMissing(props, file.ID3v1Tag()->properties());
    return props;
}

bool ReadFlac(const char* path, TagSource& out)
{
    TagLib::FLAC::File file(path, true, kStyle);
    if (!Measure(file, out))
        return false;
    out.props = FlacProperties(file);
    out.stream.seconds = SampleSeconds(file.audioProperties()->sampleFrames(), out.stream);
    return true;
}

template <class File> bool ReadApeTagged(const char* path, TagSource& out)
{
    File file(path, true, kStyle);
    if (!Measure(file, out))
        return false;
    out.props = ApeProperties(file);
    out.stream.seconds = SampleSeconds(file.audioProperties()->sampleFrames(), out.stream);
    return true;
}

// TagLib takes any file that lacks the Musepack 8 signature for a Musepack 7 one and gives it
// that version's default rate and channels, so only a file that opens with one of the two
// signatures is read as Musepack.
bool ReadMpc(const char* path, TagSource& out)
{
    {
        TagLib::FileStream stream(path, true);
        if (!stream.isOpen() || !TagLib::MPC::File::isSupported(&stream))
            return false;
    }
    return ReadApeTagged<TagLib::MPC::File>(path, out);
}

// The RIFF INFO items that name a field, and its key. "IMUS" is where taggers put the
// composer; ffmpeg writes the track to "IPRT", others to "ITRK".
constexpr std::pair<const char*, const char*> kInfoFields[] = {{"INAM", "TITLE"},
    {"IART", "ARTIST"}, {"IPRD", "ALBUM"}, {"ICRD", "DATE"}, {"IGNR", "GENRE"},
    {"IMUS", "COMPOSER"}, {"IPRT", "TRACKNUMBER"}, {"ITRK", "TRACKNUMBER"}};

// TagLib maps only the fields of its plain tag interface from an INFO list, and the year
// through a number, which loses a full date; the items are read by their ids instead.
TagLib::PropertyMap InfoProperties(const TagLib::RIFF::Info::Tag& tag)
{
    const TagLib::RIFF::Info::FieldListMap items = tag.fieldListMap();
    TagLib::PropertyMap props;
    for (const auto& [id, key] : kInfoFields) {
        const auto it = items.find(id);
        if (it != items.end() && !it->second.stripWhiteSpace().isEmpty() && !props.contains(key))
            props.insert(key, TagLib::StringList(it->second));
    }
    return props;
}

// Taggers write a WAV file's fields to an ID3v2 chunk, an INFO list, or both; the ID3v2
// chunk has room for every field and for any text, so it wins where both hold one.
bool ReadWav(const char* path, TagSource& out)
{
    TagLib::RIFF::WAV::File file(path, true, kStyle);
    if (!Measure(file, out))
        return false;
    TagLib::PropertyMap props;
    if (file.hasID3v2Tag())
        props = Id3v2Properties(*file.ID3v2Tag());
    if (file.hasInfoTag())
        AddMissing(props, InfoProperties(*file.InfoTag()));
    out.props = props;
    out.stream.seconds = SampleSeconds(file.audioProperties()->sampleFrames(), out.stream);
    return true;
}

bool ReadAiff(const char* path, TagSource& out)
{
    TagLib::RIFF::AIFF::File file(path, true, kStyle);
    if (!Measure(file, out))
        return false;
    out.props = file.hasID3v2Tag() ? Id3v2Properties(*file.tag()) : TagLib::PropertyMap();
    out.stream.seconds = SampleSeconds(file.audioProperties()->sampleFrames(), out.stream);
    return true;
}

// Free-form text items ("----:com.apple.iTunes:YEAR") that TagLib has no property for, under
// their own name in capitals, so that the reader finds the keys other tag kinds use.
void AddFreeFormItems(const TagLib::MP4::Tag& tag, TagLib::PropertyMap& props)
{
    const TagLib::String prefix("----:com.apple.iTunes:");
    for (const auto& [name, item] : tag.itemMap()) {
        if (!name.startsWith(prefix) || item.toStringList().isEmpty())
            continue;
        const TagLib::String key = name.substr(prefix.size()).upper();
        if (!key.isEmpty() && !props.contains(key))
            props.insert(key, item.toStringList());
    }
}

bool ReadMp4(const char* path, TagSource& out)
{
    TagLib::MP4::File file(path, true, kStyle);
    if (!Measure(file, out))
        return false;
    out.props = file.properties();
    AddFreeFormItems(*file.tag(), out.props);
    RefineMp4Stream(file, out.stream);
    return true;
}

// ".ogg" names any Ogg stream; Vorbis is by far the most common.
bool ReadOgg(const char* path, TagSource& out)
{
    return ReadAs<TagLib::Ogg::Vorbis::File>(path, out)
        || ReadAs<TagLib::Ogg::Opus::File>(path, out) || ReadAs<TagLib::Ogg::FLAC::File>(path, out)
        || ReadAs<TagLib::Ogg::Speex::File>(path, out);
}

bool ReadByContent(const char* path, TagSource& out)
{
    TagLib::FileRef ref(path, true, kStyle);
    if (ref.isNull() || !Measure(*ref.file(), out))
        return false;
    out.props = ref.file()->properties();
    return true;
}

using Reader = bool (*)(const char*, TagSource&);

// The reader for the type the file's first bytes show, or none. TagLib's own checks look for
// more than one byte pattern (an MPEG frame must be followed by another that matches), so
// random bytes find no reader here.
Reader ReaderByContent(const char* path)
{
    TagLib::FileStream stream(path, true);
    if (!stream.isOpen())
        return nullptr;
    // The containers that open with a fixed signature come first: PCM samples may hold an
    // MPEG frame sync, and a second one at the right distance, by chance.
    if (TagLib::RIFF::WAV::File::isSupported(&stream))
        return ReadWav;
    if (TagLib::RIFF::AIFF::File::isSupported(&stream))
        return ReadAiff;
    if (TagLib::WavPack::File::isSupported(&stream))
        return ReadApeTagged<TagLib::WavPack::File>;
    if (TagLib::MPC::File::isSupported(&stream))
        return ReadMpc;
    if (TagLib::MPEG::File::isSupported(&stream))
        return ReadMpeg;
    if (TagLib::FLAC::File::isSupported(&stream))
        return ReadFlac;
    if (TagLib::Ogg::Vorbis::File::isSupported(&stream)
        || TagLib::Ogg::Opus::File::isSupported(&stream)
        || TagLib::Ogg::FLAC::File::isSupported(&stream)
        || TagLib::Ogg::Speex::File::isSupported(&stream))
        return ReadOgg;
    if (TagLib::MP4::File::isSupported(&stream))
        return ReadMp4;
    if (TagLib::ASF::File::isSupported(&stream))
        return ReadAsf;
    if (TagLib::APE::File::isSupported(&stream))
        return ReadApeTagged<TagLib::APE::File>;
    return nullptr;
}

Reader ReaderByExtension(const QString& ext)
{
    if (ext == QLatin1String("mp3"))
        return ReadMpeg;
    if (ext == QLatin1String("ogg") || ext == QLatin1String("oga"))
        return ReadOgg;
    if (ext == QLatin1String("wma") || ext == QLatin1String("asf"))
        return ReadAsf;
    if (ext == QLatin1String("flac"))
        return ReadFlac;
    if (ext == QLatin1String("ape"))
        return ReadApeTagged<TagLib::APE::File>;
    if (ext == QLatin1String("aac"))
        return ReadAdts;
    if (ext == QLatin1String("mp4") || ext == QLatin1String("m4a"))
        return ReadMp4;
    if (ext == QLatin1String("opus"))
        return ReadAs<TagLib::Ogg::Opus::File>;
    if (ext == QLatin1String("wav"))
        return ReadWav;
    if (ext == QLatin1String("aiff") || ext == QLatin1String("aif"))
        return ReadAiff;
    if (ext == QLatin1String("wv"))
        return ReadApeTagged<TagLib::WavPack::File>;
    if (ext == QLatin1String("mpc"))
        return ReadMpc;
    return nullptr;
}

} // namespace

bool ReadTagSource(const char* nativePath, const QString& ext, TagSource& out)
{
    const Reader byExtension = ReaderByExtension(ext);
    if (!byExtension)
        return ReadByContent(nativePath, out);
    if (byExtension(nativePath, out))
        return true;
    // A file named for one type but holding another (renamed, or saved by a careless program)
    // still plays, so it is read by what it holds.
    const Reader byContent = ReaderByContent(nativePath);
    return byContent && byContent(nativePath, out);
}
