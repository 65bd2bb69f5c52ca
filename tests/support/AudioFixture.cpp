// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QTemporaryDir>

#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <memory>

namespace fixture {

const QStringList& AllTypes()
{
    static const QStringList types{
        "mp3", "ogg", "wma", "flac", "aac", "mp4", "m4a", "opus", "wav", "aiff", "wv", "mpc"};
    return types;
}

static QStringList CodecArgs(const QString& ext)
{
    if (ext == "mp3")
        return {"-c:a", "libmp3lame", "-b:a", "128k"};
    if (ext == "ogg")
        return {"-c:a", "libvorbis", "-q:a", "3"};
    if (ext == "wma")
        return {"-c:a", "wmav2", "-b:a", "128k", "-f", "asf"};
    if (ext == "flac")
        return {"-c:a", "flac"};
    if (ext == "aac")
        return {"-c:a", "aac", "-b:a", "128k", "-f", "adts"};
    if (ext == "mp4" || ext == "m4a")
        return {"-c:a", "aac", "-b:a", "128k", "-f", "mp4"};
    if (ext == "wav")
        return {"-c:a", "pcm_s16le"};
    if (ext == "opus")
        return {"-c:a", "libopus", "-b:a", "96k"};
    if (ext == "aiff" || ext == "aif")
        return {"-c:a", "pcm_s16be", "-f", "aiff"};
    if (ext == "wv")
        return {"-c:a", "wavpack", "-f", "wv"};
    // ffmpeg has no Musepack encoder: it writes WAV for mpcenc to encode.
    if (ext == "mpc")
        return {"-c:a", "pcm_s16le", "-f", "wav"};
    return {};
}

static bool Run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000))
        return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool MakeTone(const QString& path, const Tone& tone)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    const QStringList codec = CodecArgs(ext);
    if (codec.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).path());
    const QString source = QStringLiteral("sine=frequency=%1:sample_rate=%2:duration=%3")
                               .arg(tone.frequency)
                               .arg(tone.rate)
                               .arg(tone.seconds);
    // The sine source is at 1/8 of full scale; scale it to the asked peak and channel count.
    const QString filter = QStringLiteral("volume=%1,pan=%2|%3")
                               .arg(tone.frequency > 0 ? tone.amplitude * 8.0 : 0.0)
                               .arg(tone.channels == 1 ? "mono" : "stereo")
                               .arg(tone.channels == 1 ? "c0=c0" : "c0=c0|c1=c0");
    const bool musepack = ext == "mpc";
    const QString encoded = musepack ? path + ".wav" : path;
    QStringList args{"-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi",
        "-i", source, "-af", filter, "-map_metadata", "-1"};
    args << codec << encoded;
    if (!Run("ffmpeg", args))
        return false;
    if (musepack) {
        const bool made = Run("mpcenc", {"--silent", "--overwrite", encoded, path});
        QFile::remove(encoded);
        if (!made)
            return false;
    }
    return QFileInfo(path).size() > 0;
}

bool CopyTone(const QString& type, const QString& path)
{
    static QMutex mutex;
    static std::unique_ptr<QTemporaryDir> templates;
    QString source;
    {
        QMutexLocker lock(&mutex);
        if (!templates)
            templates = std::make_unique<QTemporaryDir>();
        source = templates->filePath("template." + type);
        if (!QFileInfo::exists(source) && !MakeTone(source, Tone{}))
            return false;
    }
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    return QFile::copy(source, path);
}

bool WriteTags(const QString& path, const QMap<QString, QString>& tags)
{
    const QByteArray native = QFile::encodeName(path);
    TagLib::PropertyMap props;
    for (auto it = tags.cbegin(); it != tags.cend(); ++it)
        props.insert(TagLib::String(it.key().toStdString(), TagLib::String::UTF8),
            TagLib::StringList(TagLib::String(it.value().toStdString(), TagLib::String::UTF8)));
    if (QFileInfo(path).suffix().compare("aac", Qt::CaseInsensitive) == 0) {
        // FileRef cannot open raw ADTS; the MPEG reader writes an ID3v2 tag in front of it.
        TagLib::MPEG::File f(native.constData(), false);
        if (!f.isOpen())
            return false;
        f.ID3v2Tag(true)->setProperties(props);
        return f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone);
    }
    TagLib::FileRef f(native.constData(), false);
    if (f.isNull())
        return false;
    f.file()->setProperties(props);
    return f.save();
}

static TagLib::ID3v2::AttachedPictureFrame* FrontCoverFrame(const TagLib::ByteVector& data, bool png)
{
    auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
    frame->setMimeType(png ? "image/png" : "image/jpeg");
    frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    frame->setPicture(data);
    return frame;
}

static TagLib::FLAC::Picture* FrontCoverPicture(const TagLib::ByteVector& data, bool png)
{
    auto* pic = new TagLib::FLAC::Picture;
    pic->setMimeType(png ? "image/png" : "image/jpeg");
    pic->setType(TagLib::FLAC::Picture::FrontCover);
    pic->setData(data);
    return pic;
}

// APE tags keep a picture as "file name, zero byte, image" in a binary item.
template <class File>
static bool WriteApeCover(const char* native, const TagLib::ByteVector& data, bool png)
{
    File f(native, false);
    TagLib::ByteVector value(png ? "cover.png" : "cover.jpg");
    value.append('\0');
    value.append(data);
    TagLib::APE::Item item;
    item.setKey("COVER ART (FRONT)");
    item.setBinaryData(value);
    f.APETag(true)->setItem("COVER ART (FRONT)", item);
    return f.save();
}

bool WriteCover(const QString& path, const QByteArray& imageBytes)
{
    const QByteArray native = QFile::encodeName(path);
    const QString ext = QFileInfo(path).suffix().toLower();
    const TagLib::ByteVector data(imageBytes.constData(), static_cast<unsigned>(imageBytes.size()));
    const bool png = imageBytes.startsWith("\x89PNG");
    if (ext == "mp3") {
        TagLib::MPEG::File f(native.constData(), false);
        f.ID3v2Tag(true)->addFrame(FrontCoverFrame(data, png));
        return f.save();
    }
    if (ext == "wav") {
        TagLib::RIFF::WAV::File f(native.constData(), false);
        f.ID3v2Tag()->addFrame(FrontCoverFrame(data, png));
        return f.save();
    }
    if (ext == "aiff" || ext == "aif") {
        TagLib::RIFF::AIFF::File f(native.constData(), false);
        f.tag()->addFrame(FrontCoverFrame(data, png));
        return f.save();
    }
    if (ext == "flac") {
        TagLib::FLAC::File f(native.constData(), false);
        f.addPicture(FrontCoverPicture(data, png));
        return f.save();
    }
    if (ext == "ogg") {
        TagLib::Ogg::Vorbis::File f(native.constData(), false);
        f.tag()->addPicture(FrontCoverPicture(data, png));
        return f.save();
    }
    if (ext == "opus") {
        TagLib::Ogg::Opus::File f(native.constData(), false);
        f.tag()->addPicture(FrontCoverPicture(data, png));
        return f.save();
    }
    if (ext == "wv")
        return WriteApeCover<TagLib::WavPack::File>(native.constData(), data, png);
    if (ext == "mpc")
        return WriteApeCover<TagLib::MPC::File>(native.constData(), data, png);
    if (ext == "mp4" || ext == "m4a") {
        TagLib::MP4::File f(native.constData(), false);
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(
            png ? TagLib::MP4::CoverArt::PNG : TagLib::MP4::CoverArt::JPEG, data));
        f.tag()->setItem("covr", TagLib::MP4::Item(covers));
        return f.save();
    }
    return false;
}

} // namespace fixture
