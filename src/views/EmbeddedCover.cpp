// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "EmbeddedCover.h"

#include <QFileInfo>

#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

namespace {

QByteArray Bytes(const TagLib::ByteVector& data)
{
    if (data.isEmpty() || data.size() > static_cast<unsigned>(kMaxCoverBytes)) {
        return {};
    }
    return QByteArray(data.data(), static_cast<qsizetype>(data.size()));
}

QByteArray FromPictures(const TagLib::List<TagLib::FLAC::Picture*>& pictures)
{
    const TagLib::FLAC::Picture* chosen = nullptr;
    for (const TagLib::FLAC::Picture* picture : pictures) {
        if (chosen == nullptr || picture->type() == TagLib::FLAC::Picture::FrontCover) {
            chosen = picture;
        }
    }
    return chosen != nullptr ? Bytes(chosen->data()) : QByteArray();
}

QByteArray FromId3(TagLib::ID3v2::Tag* tag)
{
    if (tag == nullptr) {
        return {};
    }
    const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
    for (TagLib::ID3v2::Frame* frame : tag->frameList("APIC")) {
        auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (picture != nullptr
            && (chosen == nullptr
                || picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover)) {
            chosen = picture;
        }
    }
    return chosen != nullptr ? Bytes(chosen->picture()) : QByteArray();
}

QByteArray FromXiph(TagLib::Ogg::XiphComment* tag)
{
    return tag != nullptr ? FromPictures(tag->pictureList()) : QByteArray();
}

QByteArray FromMp4(TagLib::MP4::Tag* tag)
{
    if (tag == nullptr || !tag->contains("covr")) {
        return {};
    }
    const TagLib::MP4::CoverArtList covers = tag->item("covr").toCoverArtList();
    return covers.isEmpty() ? QByteArray() : Bytes(covers.front().data());
}

} // namespace

QByteArray EmbeddedCover(const QString& path)
{
    // A pipe or device behind a music name would keep the reader waiting for ever, and the
    // list joins its cover worker when it closes.
    if (!QFileInfo(path).isFile()) {
        return {};
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QByteArray local = QFile::encodeName(path);
    const char* name = local.constData();
    if (suffix == QLatin1String("mp3")) {
        TagLib::MPEG::File file(name, false);
        return file.isValid() && file.hasID3v2Tag() ? FromId3(file.ID3v2Tag()) : QByteArray();
    }
    if (suffix == QLatin1String("flac")) {
        TagLib::FLAC::File file(name, false);
        if (!file.isValid()) {
            return {};
        }
        QByteArray bytes = FromPictures(file.pictureList());
        return !bytes.isEmpty() ? bytes : FromXiph(file.xiphComment());
    }
    if (suffix == QLatin1String("ogg")) {
        TagLib::Ogg::Vorbis::File file(name, false);
        return file.isValid() ? FromXiph(file.tag()) : QByteArray();
    }
    if (suffix == QLatin1String("opus")) {
        TagLib::Ogg::Opus::File file(name, false);
        return file.isValid() ? FromXiph(file.tag()) : QByteArray();
    }
    if (suffix == QLatin1String("m4a") || suffix == QLatin1String("mp4")) {
        TagLib::MP4::File file(name, false);
        return file.isValid() ? FromMp4(file.tag()) : QByteArray();
    }
    return {};
}
