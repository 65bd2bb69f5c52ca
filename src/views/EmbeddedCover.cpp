// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "EmbeddedCover.h"

#include <QFileInfo>

#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
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

// An APE tag keeps a picture as a binary item: the picture's file name, a zero byte, then the
// image. The front cover is preferred, any other cover item taken when it is missing.
QByteArray FromApe(TagLib::APE::Tag* tag)
{
    if (tag == nullptr) {
        return {};
    }
    const TagLib::APE::Item* chosen = nullptr;
    for (const auto& [key, item] : tag->itemListMap()) {
        if (item.type() != TagLib::APE::Item::Binary || !key.startsWith("COVER ART")) {
            continue;
        }
        if (chosen == nullptr || key == "COVER ART (FRONT)") {
            chosen = &item;
        }
    }
    if (chosen == nullptr) {
        return {};
    }
    const TagLib::ByteVector data = chosen->binaryData();
    const int nameEnd = data.find('\0');
    return nameEnd < 0 ? QByteArray() : Bytes(data.mid(static_cast<unsigned>(nameEnd) + 1));
}

QByteArray FromApeFile(const char* name, const QString& suffix)
{
    if (suffix == QLatin1String("wv")) {
        TagLib::WavPack::File file(name, false);
        return file.isValid() && file.hasAPETag() ? FromApe(file.APETag()) : QByteArray();
    }
    TagLib::MPC::File file(name, false);
    return file.isValid() && file.hasAPETag() ? FromApe(file.APETag()) : QByteArray();
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
    if (suffix == QLatin1String("wav")) {
        TagLib::RIFF::WAV::File file(name, false);
        return file.isValid() && file.hasID3v2Tag() ? FromId3(file.ID3v2Tag()) : QByteArray();
    }
    if (suffix == QLatin1String("aiff") || suffix == QLatin1String("aif")) {
        TagLib::RIFF::AIFF::File file(name, false);
        return file.isValid() && file.hasID3v2Tag() ? FromId3(file.tag()) : QByteArray();
    }
    if (suffix == QLatin1String("wv") || suffix == QLatin1String("mpc")) {
        return FromApeFile(name, suffix);
    }
    return {};
}
