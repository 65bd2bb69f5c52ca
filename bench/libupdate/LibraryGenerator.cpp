// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "LibraryGenerator.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>

#include <random>

namespace {

QStringList CodecArgs(const QString& type)
{
    if (type == QLatin1String("mp3"))
        return {"-c:a", "libmp3lame", "-b:a", "192k"};
    if (type == QLatin1String("ogg"))
        return {"-c:a", "libvorbis", "-q:a", "4"};
    if (type == QLatin1String("wma"))
        return {"-c:a", "wmav2", "-b:a", "128k", "-f", "asf"};
    if (type == QLatin1String("flac"))
        return {"-c:a", "flac"};
    if (type == QLatin1String("aac"))
        return {"-c:a", "aac", "-b:a", "160k", "-f", "adts"};
    return {"-c:a", "aac", "-b:a", "160k", "-f", "mp4"};
}

bool MakeTemplate(const QString& type, const QString& path)
{
    QStringList args{"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
        "sine=frequency=440:sample_rate=44100:duration=4", "-ac", "2"};
    args << CodecArgs(type) << path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
}

QByteArray CoverJpeg(int seed)
{
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(seed * 37 % 360, 160, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

TagLib::String Utf8(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

TagLib::FLAC::Picture* FlacPicture(const QByteArray& jpeg)
{
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType("image/jpeg");
    picture->setData(TagLib::ByteVector(jpeg.constData(), static_cast<unsigned>(jpeg.size())));
    picture->setWidth(300);
    picture->setHeight(300);
    return picture;
}

void AddCover(const QString& type, const QByteArray& path, const QByteArray& jpeg)
{
    const TagLib::ByteVector data(jpeg.constData(), static_cast<unsigned>(jpeg.size()));
    if (type == QLatin1String("mp3")) {
        TagLib::MPEG::File file(path.constData(), false);
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType("image/jpeg");
        frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        frame->setPicture(data);
        file.ID3v2Tag(true)->addFrame(frame);
        file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone);
    } else if (type == QLatin1String("flac")) {
        TagLib::FLAC::File file(path.constData(), false);
        file.addPicture(FlacPicture(jpeg));
        file.save();
    } else if (type == QLatin1String("ogg")) {
        TagLib::Ogg::Vorbis::File file(path.constData(), false);
        file.tag()->addPicture(FlacPicture(jpeg));
        file.save();
    } else if (type == QLatin1String("m4a") || type == QLatin1String("mp4")) {
        TagLib::MP4::File file(path.constData(), false);
        file.tag()->setItem("covr",
            TagLib::MP4::CoverArtList().append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, data)));
        file.save();
    }
}

void WriteTags(const QString& type, const QByteArray& path, const TagLib::PropertyMap& tags)
{
    if (type == QLatin1String("aac")) {
        TagLib::MPEG::File file(path.constData(), false);
        file.ID3v2Tag(true)->setProperties(tags);
        file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone);
        return;
    }
    TagLib::FileRef file(path.constData(), false);
    if (!file.isNull()) {
        file.file()->setProperties(tags);
        file.save();
    }
}

struct Names {
    std::mt19937 random{20260101};
    QStringList words{"Blue", "Night", "River", "Light", "Stone", "Echo", "Golden", "Silent",
        "Paper", "Winter", "Fire", "Glass", "Ocean", "Velvet", "Iron", "Summer", "Shadow",
        "Crystal", "Wild", "Electric", "Moon", "Desert", "Garden", "Thunder"};
    QStringList genres{"Rock", "Pop", "Jazz", "Classical", "Electronic", "Folk", "Hip-Hop",
        "Blues", "Metal", "Ambient"};
    QString Phrase(int count)
    {
        QStringList parts;
        for (int i = 0; i < count; ++i)
            parts << words.at(static_cast<qsizetype>(random() % words.size()));
        return parts.join(u' ');
    }
};

} // namespace

bool GenerateLibrary(const QString& folder, int count, const QString& apeSource)
{
    QStringList types{"mp3", "ogg", "wma", "flac", "aac", "mp4", "m4a"};
    if (QFile::exists(apeSource))
        types.insert(4, QStringLiteral("ape"));
    const QString templates = folder + QStringLiteral("-templates");
    QDir().mkpath(templates);
    for (const QString& type : types) {
        const QString path = templates + QStringLiteral("/t.") + type;
        const bool ok = type == QLatin1String("ape") ? QFile::copy(apeSource, path)
                                                      : MakeTemplate(type, path);
        if (!ok)
            return false;
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }
    Names names;
    int made = 0;
    for (int artist = 0; made < count; ++artist) {
        const QString artistName = names.Phrase(2) + QStringLiteral(" %1").arg(artist);
        for (int album = 0; album < 3 && made < count; ++album) {
            const QString albumName = names.Phrase(3);
            const QString year = QString::number(1960 + static_cast<int>(names.random() % 64));
            const QString genre = names.genres.at(static_cast<qsizetype>(names.random() % 10));
            const QString dir = QStringLiteral("%1/%2/%3").arg(folder, artistName, albumName);
            QDir().mkpath(dir);
            for (int track = 1; track <= 11 && made < count; ++track, ++made) {
                const QString type = types.at(made % types.size());
                const QString title = names.Phrase(1 + static_cast<int>(names.random() % 4));
                const QString path = QStringLiteral("%1/%2 %3.%4").arg(dir).arg(track, 2, 10,
                    QLatin1Char('0')).arg(title, type);
                QFile::copy(templates + QStringLiteral("/t.") + type, path);
                const QByteArray native = QFile::encodeName(path);
                if (made % 50 == 7)
                    continue; // untagged: the title falls back to the file name
                TagLib::PropertyMap tags;
                tags["TITLE"] = Utf8(title);
                tags["ARTIST"] = Utf8(artistName);
                tags["ALBUM"] = Utf8(albumName);
                tags["TRACKNUMBER"] = Utf8(QString::number(track));
                tags["DATE"] = Utf8(year);
                tags["GENRE"] = Utf8(genre);
                WriteTags(type, native, tags);
                if (made % 10 == 3)
                    AddCover(type, native, CoverJpeg(artist * 3 + album));
            }
        }
    }
    return true;
}
