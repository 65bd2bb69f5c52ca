// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPlsFile.h"

#include "PlsText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <tinyxml2.h>

#include <cstring>

namespace {

// Playlists come from untrusted places (downloads, radio answers): anything larger is refused
// before it is read whole.
constexpr qint64 kMaxBytes = 64LL * 1024 * 1024;

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
// A network path ("\\\\server\\share\\a.mp3") names its own place and stays absolute.
QString Resolve(const QString& file, const QString& folder)
{
    if (HasScheme(file) && file.indexOf(u':') > 1)
        return file;
    if (file.startsWith(QLatin1String("\\\\")) || file.startsWith(QLatin1String("//"))) {
        QString share = file.mid(2);
        share.replace(u'\\', u'/');
        return QStringLiteral("//") + QDir::cleanPath(share);
    }
    QString path = file;
    if (!HasScheme(file) && !QDir::isAbsolutePath(file) && !folder.isEmpty())
        path = folder + file;
    path.replace(u'\\', u'/');
    return QDir::cleanPath(path);
}

// Names compare without case and without a namespace prefix ("xspf:trackList" is a trackList).
bool NameIs(const char* name, const char* wanted)
{
    if (!name)
        return false;
    if (const char* colon = std::strrchr(name, ':'))
        name = colon + 1;
    return qstricmp(name, wanted) == 0;
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

// Parses an XML playlist given as UTF-8. A document that fails only because of unescaped "&"
// in its addresses is parsed again with them escaped.
bool ParseXml(const QByteArray& utf8, tinyxml2::XMLDocument& doc)
{
    // TinyXML-2 refuses documents nested deeper than its element depth limit (100).
    if (doc.Parse(utf8.constData(), static_cast<size_t>(utf8.size())) == tinyxml2::XML_SUCCESS)
        return true;
    if (!utf8.contains('&'))
        return false;
    const QByteArray escaped = plstext::EscapeStrayAmpersands(utf8);
    return escaped.size() != utf8.size()
        && doc.Parse(escaped.constData(), static_cast<size_t>(escaped.size()))
        == tinyxml2::XML_SUCCESS;
}

struct ExtInf {
    QString length;
    QString title;
};

// The text after "#EXTINF:": "123,Title", or with attributes between the duration and the
// comma ("-1 tvg-id="x" group-title="News, Sport",Title"), whose quoted values may hold
// commas. The length is the duration alone; without any comma the whole text is the title.
ExtInf ParseExtInf(QStringView rest)
{
    qsizetype comma = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < rest.size() && comma < 0; ++i) {
        if (rest[i] == u'"')
            quoted = !quoted;
        else if (rest[i] == u',' && !quoted)
            comma = i;
    }
    if (comma < 0)
        comma = rest.indexOf(u',');
    if (comma < 0)
        return {{}, rest.trimmed().toString()};
    const QStringView head = rest.left(comma).trimmed();
    qsizetype end = 0;
    while (end < head.size() && !head[end].isSpace())
        ++end;
    return {head.left(end).toString(), rest.sliced(comma + 1).trimmed().toString()};
}

// The key of a pls line ("File12") split into its keyword part and its entry number.
struct PlsKey {
    QString keyword;
    QString number;
};

// Numbers compare by value: "File01" and "Title1" belong to one entry.
PlsKey SplitPlsKey(QStringView key)
{
    key = key.trimmed();
    qsizetype digits = key.size();
    while (digits > 0 && key.at(digits - 1).isDigit())
        --digits;
    QStringView number = key.mid(digits);
    while (number.size() > 1 && number.front() == u'0')
        number = number.mid(1);
    return {key.left(digits).toString(), number.toString()};
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
        return ReadM3u(plstext::DecodeText(bytes, format == PlsFormat::M3u8));
    case PlsFormat::Pls:
        return ReadPls(plstext::DecodeText(bytes, false));
    case PlsFormat::Asx:
    case PlsFormat::Xspf:
        return ReadXml(plstext::XmlAsUtf8(bytes), format);
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
    // Only the start matters. An answer in UTF-16 is looked at in UTF-8 when it carries a
    // byte-order mark; without one, NULs in a network answer say binary rather than text.
    QByteArray start = head.left(1024);
    int mark = 0;
    if (plstext::DetectUtf16(start, &mark) != plstext::Utf16::None && mark > 0)
        start = plstext::DecodeText(start, false).toUtf8();
    else if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    start = start.trimmed().left(512);
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

// Every format's file goes through the same rules: blanks around it dropped, a "file:" address
// made a path, a relative path resolved against the playlist folder.
void CPlsFile::Add(const QString& file, const QString& title, const QString& length)
{
    const QString trimmed = file.trimmed();
    if (!trimmed.isEmpty())
        m_entries.append({Resolve(plstext::FromFileUrl(trimmed), m_folder), title, length});
}

bool CPlsFile::ReadM3u(const QString& text)
{
    static const QLatin1String extinf("#EXTINF:");
    ExtInf pending;
    for (const QString& line : plstext::SplitLines(text)) {
        const qsizetype at = line.indexOf(extinf, 0, Qt::CaseInsensitive);
        if (at >= 0) {
            pending = ParseExtInf(QStringView(line).sliced(at + extinf.size()));
            continue;
        }
        // Header and comment lines (#EXTM3U, #EXTGRP:, # notes) name no file.
        if (line.startsWith(u'#'))
            continue;
        Add(line, pending.title, pending.length);
        pending = {};
    }
    return true;
}

// Entries are grouped by the number in their keys (File2, Title2, Length2) and kept in the
// order their numbers first appear, so a Title line before its File line still counts and
// NumberOfEntries, often stale after hand edits, is not needed. A File line whose number
// already has a file (two lists pasted together) starts an entry of its own.
bool CPlsFile::ReadPls(const QString& text)
{
    const QStringList lines = plstext::SplitLines(text);
    if (lines.isEmpty()
        || !lines.first().contains(QLatin1String("[playlist]"), Qt::CaseInsensitive))
        return false;
    QVector<PlsEntry> entries;
    QHash<QString, qsizetype> latest; // entry number -> index of its newest entry
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype equals = lines[i].indexOf(u'=');
        if (equals < 0)
            continue;
        const PlsKey key = SplitPlsKey(QStringView(lines[i]).left(equals));
        QString PlsEntry::*field = nullptr;
        if (key.keyword.compare(QLatin1String("File"), Qt::CaseInsensitive) == 0)
            field = &PlsEntry::file;
        else if (key.keyword.compare(QLatin1String("Title"), Qt::CaseInsensitive) == 0)
            field = &PlsEntry::title;
        else if (key.keyword.compare(QLatin1String("Length"), Qt::CaseInsensitive) == 0)
            field = &PlsEntry::length;
        if (!field)
            continue;
        auto found = latest.constFind(key.number);
        if (found == latest.cend()
            || (field == &PlsEntry::file && !entries[found.value()].file.isEmpty())) {
            entries.append(PlsEntry());
            found = latest.insert(key.number, entries.size() - 1);
        }
        entries[found.value()].*field = lines[i].mid(equals + 1).trimmed();
    }
    for (const PlsEntry& entry : entries)
        Add(entry.file, entry.title, entry.length);
    return true;
}

bool CPlsFile::ReadXml(const QByteArray& utf8, PlsFormat format)
{
    if (DeclaresEntities(utf8))
        return false;
    tinyxml2::XMLDocument doc;
    if (!ParseXml(utf8, doc))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement();
    if (format == PlsFormat::Asx) {
        if (!root || !NameIs(root->Name(), "asx"))
            return false;
        ReadAsxEntries(root);
        return true;
    }
    const auto* list = root && NameIs(root->Name(), "playlist") ? FirstChild(root, "tracklist")
                                                                : nullptr;
    if (!list)
        return false;
    for (auto* track = list->FirstChildElement(); track; track = track->NextSiblingElement()) {
        if (!NameIs(track->Name(), "track"))
            continue;
        // A location is a URI: a relative one has its spaces and other letters escaped.
        QString location = ChildText(track, "location");
        if (!HasScheme(location))
            location = plstext::DecodeRelativeUri(location);
        Add(location, ChildText(track, "title"), {});
    }
    return true;
}

// The entries of an asx element in order: "entry" with its first "ref", "entryref" (a
// reference to another playlist, usually a radio's), and the entries inside "repeat".
void CPlsFile::ReadAsxEntries(const tinyxml2::XMLElement* parent)
{
    for (auto* child = parent->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (NameIs(child->Name(), "entry"))
            Add(AttributeText(FirstChild(child, "ref"), "href"), ChildText(child, "title"), {});
        else if (NameIs(child->Name(), "entryref"))
            Add(AttributeText(child, "href"), {}, {});
        else if (NameIs(child->Name(), "repeat"))
            ReadAsxEntries(child);
    }
}
