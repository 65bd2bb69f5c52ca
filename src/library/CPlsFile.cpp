// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPlsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <tinyxml2.h>

#include <array>

namespace {

// Playlists come from untrusted places (downloads, radio answers): anything larger is refused
// before it is read whole.
constexpr qint64 kMaxBytes = 64LL * 1024 * 1024;

// Code points of Windows-1252 bytes 0x80..0x9F; the rest of the page equals Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QByteArray WithoutBom(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return bytes.mid(3);
    return bytes;
}

QString FromCp1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(kCp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

// m3u and pls files carry no declared encoding: UTF-8 when the bytes are valid UTF-8 (which
// plain ASCII always is), otherwise the Western Windows code page the format grew up with.
QString DecodeText(const QByteArray& bytes, bool forceUtf8)
{
    if (forceUtf8)
        return QString::fromUtf8(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return FromCp1252(bytes);
}

// Lines as a text-mode reader gives them: LF or CR LF ends a line; empty lines are dropped.
QStringList SplitLines(const QString& text)
{
    QStringList lines;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line.toString());
    }
    return lines;
}

bool HasScheme(const QString& file)
{
    // One letter before the colon is a drive, two or more a scheme; both stay as they are.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(file).hasMatch();
}

bool IsStreamAddress(const QString& file)
{
    return file.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || file.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)
        || file.startsWith(QLatin1String("ftp://"), Qt::CaseInsensitive);
}

// Local paths use "/" inside the program; relative ones are resolved against the playlist.
QString Resolve(const QString& file, const QString& folder)
{
    if (HasScheme(file) && file.indexOf(u':') > 1)
        return file;
    QString path = file;
    if (!HasScheme(file) && !QDir::isAbsolutePath(file) && !folder.isEmpty())
        path = folder + file;
    path.replace(u'\\', u'/');
    return QDir::cleanPath(path);
}

// "file:///" addresses of asx and xspf become paths. The address is a URI, so escapes such
// as %20 are decoded; without that every name with a space would point nowhere.
QString FromFileUrl(const QString& file)
{
    if (file.size() < 8 || !file.startsWith(QLatin1String("file:///"), Qt::CaseInsensitive))
        return file;
    QString path = QUrl::fromPercentEncoding(file.mid(7).toUtf8());
#ifdef Q_OS_WIN
    static const QRegularExpression drive(QStringLiteral("^/[A-Za-z]:"));
    if (drive.match(path).hasMatch())
        path.remove(0, 1);
#endif
    return path;
}

bool NameIs(const char* name, const char* wanted)
{
    return name && qstricmp(name, wanted) == 0;
}

const tinyxml2::XMLElement* FirstChild(const tinyxml2::XMLElement* parent, const char* name)
{
    for (auto* child = parent ? parent->FirstChildElement() : nullptr; child;
         child = child->NextSiblingElement()) {
        if (NameIs(child->Name(), name))
            return child;
    }
    return nullptr;
}

QString ChildText(const tinyxml2::XMLElement* parent, const char* name)
{
    const auto* child = FirstChild(parent, name);
    const char* text = child ? child->GetText() : nullptr;
    return text ? QString::fromUtf8(text).trimmed() : QString();
}

QString AttributeText(const tinyxml2::XMLElement* element, const char* name)
{
    for (auto* attr = element ? element->FirstAttribute() : nullptr; attr; attr = attr->Next()) {
        if (NameIs(attr->Name(), name))
            return QString::fromUtf8(attr->Value()).trimmed();
    }
    return {};
}

// Document type declarations are where entity expansion bombs live; no playlist needs one.
bool DeclaresEntities(const QByteArray& bytes)
{
    return bytes.contains("<!DOCTYPE") || bytes.contains("<!ENTITY")
        || bytes.contains("<!doctype");
}

// The key of a pls line ("File12") split into its keyword part and its entry number.
struct PlsKey {
    QString keyword;
    QString number;
};

PlsKey SplitPlsKey(QStringView key)
{
    key = key.trimmed();
    qsizetype digits = key.size();
    while (digits > 0 && key.at(digits - 1).isDigit())
        --digits;
    return {key.left(digits).toString(), key.mid(digits).toString()};
}

} // namespace

bool CPlsFile::Read(const QString& path)
{
    m_entries.clear();
    const QFileInfo info(path);
    const PlsFormat format = FormatFromExtension(info.suffix());
    if (format == PlsFormat::None || info.size() > kMaxBytes)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes)
        return false;
    QString folder = QDir::fromNativeSeparators(info.absolutePath());
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return ReadBytes(bytes, format, folder);
}

bool CPlsFile::ReadBytes(const QByteArray& bytes, PlsFormat format, const QString& folder)
{
    m_entries.clear();
    m_folder = folder;
    if (!m_folder.isEmpty() && !m_folder.endsWith(u'/') && !m_folder.endsWith(u'\\'))
        m_folder += u'/';
    if (bytes.size() > kMaxBytes)
        return false;
    switch (format) {
    case PlsFormat::M3u:
    case PlsFormat::M3u8:
        return ReadM3u(DecodeText(WithoutBom(bytes), format == PlsFormat::M3u8));
    case PlsFormat::Pls:
        return ReadPls(DecodeText(WithoutBom(bytes), false));
    case PlsFormat::Asx:
    case PlsFormat::Xspf:
        return ReadXml(bytes, format);
    case PlsFormat::None:
        break;
    }
    return false;
}

PlsFormat CPlsFile::FormatFromExtension(const QString& extension)
{
    static const QHash<QString, PlsFormat> formats = {
        {QStringLiteral("m3u"), PlsFormat::M3u},
        {QStringLiteral("m3u8"), PlsFormat::M3u8},
        {QStringLiteral("pls"), PlsFormat::Pls},
        {QStringLiteral("asx"), PlsFormat::Asx},
        {QStringLiteral("xspf"), PlsFormat::Xspf},
    };
    return formats.value(extension.toLower(), PlsFormat::None);
}

PlsFormat CPlsFile::SniffFormat(const QByteArray& head, const QString& contentType)
{
    const QByteArray start = WithoutBom(head).trimmed().left(512);
    const QByteArray lower = start.toLower();
    if (lower.startsWith("[playlist]"))
        return PlsFormat::Pls;
    if (lower.startsWith("#extm3u"))
        return PlsFormat::M3u;
    if (lower.startsWith("<asx"))
        return PlsFormat::Asx;
    if (lower.startsWith("<?xml") || lower.startsWith("<playlist")) {
        if (lower.contains("<asx"))
            return PlsFormat::Asx;
        if (lower.contains("<playlist"))
            return PlsFormat::Xspf;
    }
    const QString type = contentType.section(u';', 0, 0).trimmed().toLower();
    const bool text = !start.isEmpty() && !start.contains('\0');
    if (!text)
        return PlsFormat::None;
    if (type == QLatin1String("audio/x-scpls"))
        return PlsFormat::Pls;
    if (type == QLatin1String("audio/x-mpegurl") || type == QLatin1String("audio/mpegurl")
        || type == QLatin1String("application/x-mpegurl")
        || type == QLatin1String("application/vnd.apple.mpegurl"))
        return PlsFormat::M3u;
    if (type == QLatin1String("application/xspf+xml"))
        return PlsFormat::Xspf;
    if ((type == QLatin1String("video/x-ms-asf") || type == QLatin1String("audio/x-ms-wax")
            || type == QLatin1String("video/x-ms-asx"))
        && start.startsWith('<'))
        return PlsFormat::Asx;
    return PlsFormat::None;
}

bool CPlsFile::IsStream(int index) const
{
    return IsStreamAddress(m_entries.at(index).file);
}

void CPlsFile::Add(const QString& file, const QString& title, const QString& length)
{
    if (!file.isEmpty())
        m_entries.append({Resolve(file, m_folder), title, length});
}

bool CPlsFile::ReadM3u(const QString& text)
{
    static const QLatin1String extinf("#EXTINF:");
    QString title;
    QString length;
    for (const QString& line : SplitLines(text)) {
        const qsizetype at = line.indexOf(extinf, 0, Qt::CaseInsensitive);
        if (at >= 0) {
            const QString rest = line.mid(at + extinf.size());
            const qsizetype comma = rest.indexOf(u',');
            length = comma >= 0 ? rest.left(comma) : QString();
            title = comma >= 0 ? rest.mid(comma + 1) : rest;
            continue;
        }
        // Header and comment lines (#EXTM3U, #EXTGRP:, # notes) name no file.
        if (line.startsWith(u'#'))
            continue;
        Add(line, title, length);
        title.clear();
        length.clear();
    }
    return true;
}

// Entries are grouped by the number in their keys (File2, Title2, Length2) and kept in the
// order their numbers first appear, so a Title line before its File line still counts.
bool CPlsFile::ReadPls(const QString& text)
{
    const QStringList lines = SplitLines(text);
    if (lines.isEmpty() || !lines.first().contains(QLatin1String("[playlist]"), Qt::CaseInsensitive))
        return false;
    QStringList order;
    QHash<QString, PlsEntry> byNumber;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype equals = lines[i].indexOf(u'=');
        if (equals < 0)
            continue;
        const PlsKey key = SplitPlsKey(QStringView(lines[i]).left(equals));
        const QString value = lines[i].mid(equals + 1).trimmed();
        QString PlsEntry::*field = nullptr;
        if (key.keyword.compare(QLatin1String("File"), Qt::CaseInsensitive) == 0)
            field = &PlsEntry::file;
        else if (key.keyword.compare(QLatin1String("Title"), Qt::CaseInsensitive) == 0)
            field = &PlsEntry::title;
        else if (key.keyword.compare(QLatin1String("Length"), Qt::CaseInsensitive) == 0)
            field = &PlsEntry::length;
        if (!field)
            continue;
        if (!byNumber.contains(key.number))
            order.append(key.number);
        byNumber[key.number].*field = value;
    }
    for (const QString& number : order) {
        const PlsEntry& entry = byNumber[number];
        Add(entry.file, entry.title, entry.length);
    }
    return true;
}

bool CPlsFile::ReadXml(const QByteArray& bytes, PlsFormat format)
{
    if (DeclaresEntities(bytes))
        return false;
    tinyxml2::XMLDocument doc;
    // TinyXML-2 refuses documents nested deeper than its element depth limit (100).
    if (doc.Parse(bytes.constData(), static_cast<size_t>(bytes.size())) != tinyxml2::XML_SUCCESS)
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement();
    if (format == PlsFormat::Asx) {
        if (!root || !NameIs(root->Name(), "asx"))
            return false;
        for (auto* entry = root->FirstChildElement(); entry; entry = entry->NextSiblingElement()) {
            if (NameIs(entry->Name(), "entry"))
                Add(FromFileUrl(AttributeText(FirstChild(entry, "ref"), "href")),
                    ChildText(entry, "title"), {});
        }
        return true;
    }
    const auto* list = root && NameIs(root->Name(), "playlist") ? FirstChild(root, "tracklist")
                                                                : nullptr;
    if (!list)
        return false;
    for (auto* track = list->FirstChildElement(); track; track = track->NextSiblingElement()) {
        if (NameIs(track->Name(), "track"))
            Add(FromFileUrl(ChildText(track, "location")), ChildText(track, "title"), {});
    }
    return true;
}
