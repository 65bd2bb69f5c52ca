// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace tinyxml2 {
class XMLElement;
}

enum class PlsFormat { None, M3u, M3u8, Pls, Asx, Xspf };

struct PlsEntry {
    QString file;   // full path or stream address
    QString title;  // may be empty
    QString length; // duration text as written in the file; kept, not interpreted
};

// Reader of playlist files (m3u, m3u8, pls, asx, xspf): bytes in, entries out. Pure: it never
// touches the files the entries name. Any thread; one object per read.
class CPlsFile {
public:
    // Reads the file at path, choosing the format by its extension. False for an unknown
    // extension, an unreadable or oversized file, or content the format rejects.
    bool Read(const QString& path);

    // Reads playlist bytes already in memory (for example an http answer). folder is the
    // playlist folder that relative entries are resolved against; empty leaves them relative.
    bool ReadBytes(const QByteArray& bytes, PlsFormat format, const QString& folder);

    // The format for an extension (without the dot, any case); None when not a playlist.
    static PlsFormat FormatFromExtension(const QString& extension);
    // The format guessed from content and an http content type, for addresses that answer
    // with a playlist; None when the bytes are not a playlist.
    static PlsFormat SniffFormat(const QByteArray& head, const QString& contentType);

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    const QString& GetFile(int index) const { return m_entries.at(index).file; }
    const QString& GetTitle(int index) const { return m_entries.at(index).title; }
    // True when the entry's file is a stream address.
    bool IsStream(int index) const;
    const QVector<PlsEntry>& Entries() const { return m_entries; }

private:
    // Appends an entry when file is not blank, turning a "file:" address into a path and
    // resolving a relative path against m_folder.
    void Add(const QString& file, const QString& title, const QString& length);
    bool ReadM3u(const QString& text);
    bool ReadPls(const QString& text);
    // utf8: the document already converted to UTF-8.
    bool ReadXml(const QByteArray& utf8, PlsFormat format);
    void ReadAsxEntries(const tinyxml2::XMLElement* parent);

    QVector<PlsEntry> m_entries;
    QString m_folder; // playlist folder of the running read, ending in "/"; may be empty
};
