// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "LibraryMaker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <cstdio>
#include <iterator>
#include <map>

namespace {

constexpr int kCoverEvery = 10;
constexpr int kCoverBytes = 60 * 1024;
constexpr int kTracksPerAlbum = 12;

const std::map<QString, QStringList> kCodecs {
    { "mp3", { "-c:a", "libmp3lame", "-b:a", "192k" } },
    { "ogg", { "-c:a", "libvorbis", "-q:a", "5" } },
    { "wma", { "-c:a", "wmav2", "-b:a", "128k", "-f", "asf" } },
    { "flac", { "-c:a", "flac" } },
    { "aac", { "-c:a", "aac", "-b:a", "160k", "-f", "adts" } },
    { "mp4", { "-c:a", "aac", "-b:a", "160k", "-f", "mp4" } },
    { "m4a", { "-c:a", "aac", "-b:a", "256k", "-f", "mp4" } },
};

// Eight seconds of two tones in stereo: long enough for real headers, short enough that
// 10,000 copies stay near a gigabyte.
bool Encode(const QString& type, const QString& path)
{
    QStringList args { "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
        "sine=frequency=440:sample_rate=44100:duration=8", "-f", "lavfi", "-i",
        "sine=frequency=660:sample_rate=44100:duration=8", "-filter_complex",
        "[0:a][1:a]amerge=inputs=2", "-map_metadata", "-1" };
    args << kCodecs.at(type) << path;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", args);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
}

QMap<QString, QString> MakeTemplates(const QString& folder, const QString& apeSample)
{
    QMap<QString, QString> templates;
    for (const auto& [type, codec] : kCodecs) {
        const QString path = QDir(folder).filePath("template." + type);
        if (Encode(type, path))
            templates.insert(type, path);
        else
            std::fprintf(
                stderr, "bench_readtags: ffmpeg could not make a %s template\n", qPrintable(type));
    }
    const QString ape = QDir(folder).filePath("template.ape");
    if (!apeSample.isEmpty() && QFile::copy(apeSample, ape)) {
        QFile::setPermissions(ape, QFile::ReadOwner | QFile::WriteOwner);
        templates.insert("ape", ape);
    }
    return templates;
}

TagLib::String Text(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

TagLib::PropertyMap TagsFor(int index)
{
    const int artist = index / (kTracksPerAlbum * 4);
    const int album = index / kTracksPerAlbum;
    static const char* const genres[]
        = { "Rock", "Jazz", "Electronic", "Folk", "Classical", "Pop" };
    TagLib::PropertyMap tags;
    tags.insert("TRACKNUMBER",
        Text(QString("%1/%2").arg(index % kTracksPerAlbum + 1).arg(kTracksPerAlbum)));
    tags.insert("TITLE", Text(QString("Song number %1 with a longer title").arg(index)));
    tags.insert("ARTIST", Text(QString("Artist %1").arg(artist)));
    tags.insert("ALBUM", Text(QString("Album %1 of Artist %2").arg(album).arg(artist)));
    tags.insert("DATE", Text(QString::number(1960 + album % 60)));
    tags.insert("GENRE", TagLib::String(genres[album % std::size(genres)]));
    tags.insert("COMPOSER", Text(QString("Composer %1").arg(index % 37)));
    tags.insert("ALBUMARTIST", Text(QString("Artist %1").arg(artist)));
    return tags;
}

TagLib::ByteVector CoverBytes()
{
    QByteArray bytes(kCoverBytes, '\0');
    QRandomGenerator random(7);
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    bytes.replace(0, 4, QByteArray("\xFF\xD8\xFF\xE0", 4));
    return TagLib::ByteVector(bytes.constData(), static_cast<unsigned int>(bytes.size()));
}

void AddCover(TagLib::File* file)
{
    static const TagLib::ByteVector cover = CoverBytes();
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType("image/jpeg");
        frame->setPicture(cover);
        mpeg->ID3v2Tag(true)->addFrame(frame);
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        auto* picture = new TagLib::FLAC::Picture;
        picture->setMimeType("image/jpeg");
        picture->setData(cover);
        flac->addPicture(picture);
    } else if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) {
        auto* picture = new TagLib::FLAC::Picture;
        picture->setMimeType("image/jpeg");
        picture->setData(cover);
        vorbis->tag()->addPicture(picture);
    } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        mp4->tag()->setItem("covr",
            TagLib::MP4::CoverArtList().append(
                TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, cover)));
    }
}

// Raw ADTS has no TagLib reader: its ID3v2 tag goes in through the MPEG reader.
bool WriteTags(const QString& path, const QString& type, int index)
{
    const QByteArray native = QFile::encodeName(path);
    if (type == "aac") {
        TagLib::MPEG::File file(native.constData(), false);
        file.ID3v2Tag(true)->setProperties(TagsFor(index));
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone);
    }
    TagLib::FileRef ref(native.constData(), false);
    if (ref.isNull())
        return false;
    ref.file()->setProperties(TagsFor(index));
    if (index % kCoverEvery == 0)
        AddCover(ref.file());
    return ref.save();
}

QString LibraryPath(const QString& folder, int index, const QString& type)
{
    const int album = index / kTracksPerAlbum;
    return QDir(folder).filePath(QString("Artist %1/Album %2/%3 Song %4.%5")
                                     .arg(album / 4)
                                     .arg(album)
                                     .arg(index % kTracksPerAlbum + 1, 2, 10, QChar('0'))
                                     .arg(index)
                                     .arg(type));
}

} // namespace

QStringList MakeLibrary(const QString& folder, int fileCount, const QString& apeSample)
{
    const QMap<QString, QString> templates = MakeTemplates(folder, apeSample);
    const QStringList types = templates.keys();
    QStringList files;
    if (types.isEmpty())
        return files;
    for (int i = 0; i < fileCount; ++i) {
        const QString type = types[i % types.size()];
        const QString path = LibraryPath(folder + "/library", i, type);
        QDir().mkpath(QFileInfo(path).path());
        if (QFile::copy(templates[type], path) && WriteTags(path, type, i))
            files << path;
        if ((i + 1) % 1000 == 0)
            std::fprintf(stderr, "bench_readtags: made %d of %d files\n", i + 1, fileCount);
    }
    return files;
}
