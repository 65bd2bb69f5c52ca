// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TagSource.h"

#include "TagAvProbe.h"
#include "TagPrecise.h"

#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>

namespace {

constexpr auto kStyle = TagLib::AudioProperties::Average;

bool IsNumber(const TagLib::String& text)
{
    if (text.isEmpty())
        return false;
    for (const wchar_t c : text)
        if (c < L'0' || c > L'9')
            return false;
    return true;
}

// TagLib rewrites the genre references of ID3v2 ("(17)", "17") into ID3v1 genre names in the
// property map. Such codes carry no name of their own, so the reader drops them instead: only
// the frame's named entries count ("(17)Rock" arrives here already reduced to "Rock").
TagLib::StringList Id3v2Genres(const TagLib::ID3v2::Tag& tag)
{
    TagLib::StringList genres;
    const TagLib::ID3v2::FrameList frames = tag.frameList("TCON");
    for (const TagLib::ID3v2::Frame* frame : frames) {
        const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame);
        if (!text)
            continue;
        for (const TagLib::String& field : text->fieldList())
            if (!IsNumber(field))
                genres.append(field);
    }
    return genres;
}

TagLib::PropertyMap Id3v2Properties(const TagLib::ID3v2::Tag& tag)
{
    TagLib::PropertyMap props = tag.properties();
    props.erase("GENRE");
    const TagLib::StringList genres = Id3v2Genres(tag);
    if (!genres.isEmpty())
        props.insert("GENRE", genres);
    return props;
}

// The tag an MPEG stream is known by: ID3v2 first, then APE, then ID3v1.
TagLib::PropertyMap MpegProperties(TagLib::MPEG::File& file)
{
    if (file.hasID3v2Tag())
        return Id3v2Properties(*file.ID3v2Tag());
    if (file.hasAPETag())
        return file.APETag()->properties();
    if (file.hasID3v1Tag())
        return file.ID3v1Tag()->properties();
    return {};
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

bool Finish(TagLib::File& file, TagSource& out)
{
    if (!HasAudio(file))
        return false;
    out.props = file.properties();
    out.stream = FromProperties(*file.audioProperties());
    out.fileSize = file.length();
    return true;
}

bool ReadMpeg(const char* path, TagSource& out)
{
    TagLib::MPEG::File file(path, true, kStyle);
    if (!HasAudio(file))
        return false;
    out.props = MpegProperties(file);
    out.stream = FromProperties(*file.audioProperties());
    out.stream.seconds = PreciseMpegSeconds(file, out.stream.seconds);
    out.fileSize = file.length();
    return true;
}

// TagLib cannot measure raw ADTS (it would scan the whole file for MPEG frames), so its MPEG
// reader only supplies the ID3v2 tag in front and libavformat measures the stream.
bool ReadAdts(const char* path, TagSource& out)
{
    TagLib::MPEG::File file(path, false);
    if (!file.isOpen() || !ProbeStreamWithAv(path, out.stream))
        return false;
    out.props = MpegProperties(file);
    out.fileSize = file.length();
    return true;
}

template <class File>
bool ReadAs(const char* path, TagSource& out)
{
    File file(path, true, kStyle);
    return Finish(file, out);
}

bool ReadFlac(const char* path, TagSource& out)
{
    TagLib::FLAC::File file(path, true, kStyle);
    if (!Finish(file, out))
        return false;
    out.stream.seconds = SampleSeconds(file.audioProperties()->sampleFrames(), out.stream);
    return true;
}

bool ReadApe(const char* path, TagSource& out)
{
    TagLib::APE::File file(path, true, kStyle);
    if (!Finish(file, out))
        return false;
    out.stream.seconds = SampleSeconds(file.audioProperties()->sampleFrames(), out.stream);
    return true;
}

bool ReadMp4(const char* path, TagSource& out)
{
    TagLib::MP4::File file(path, true, kStyle);
    if (!Finish(file, out))
        return false;
    RefineMp4Stream(file, out.stream);
    return true;
}

// ".ogg" names any Ogg stream; Vorbis is by far the most common.
bool ReadOgg(const char* path, TagSource& out)
{
    return ReadAs<TagLib::Ogg::Vorbis::File>(path, out)
        || ReadAs<TagLib::Ogg::Opus::File>(path, out)
        || ReadAs<TagLib::Ogg::FLAC::File>(path, out)
        || ReadAs<TagLib::Ogg::Speex::File>(path, out);
}

bool ReadByContent(const char* path, TagSource& out)
{
    TagLib::FileRef ref(path, true, kStyle);
    return !ref.isNull() && Finish(*ref.file(), out);
}

} // namespace

bool ReadTagSource(const char* nativePath, const QString& ext, TagSource& out)
{
    if (ext == QLatin1String("mp3"))
        return ReadMpeg(nativePath, out);
    if (ext == QLatin1String("ogg") || ext == QLatin1String("oga"))
        return ReadOgg(nativePath, out);
    if (ext == QLatin1String("wma") || ext == QLatin1String("asf"))
        return ReadAs<TagLib::ASF::File>(nativePath, out);
    if (ext == QLatin1String("flac"))
        return ReadFlac(nativePath, out);
    if (ext == QLatin1String("ape"))
        return ReadApe(nativePath, out);
    if (ext == QLatin1String("aac"))
        return ReadAdts(nativePath, out);
    if (ext == QLatin1String("mp4") || ext == QLatin1String("m4a"))
        return ReadMp4(nativePath, out);
    return ReadByContent(nativePath, out);
}
