// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text handling shared by the playlist readers: encodings, line ends and file addresses as the
// programs that write playlists produce them. Pure functions; any thread.
namespace plstext {

enum class Utf16 { None, LittleEndian, BigEndian };

// The UTF-16 byte order of bytes: from a byte-order mark, or, without one, from NULs at every
// other place of the first two characters (which no 8-bit text holds). markSize receives the
// length of the mark (2, or 0 when there is none).
Utf16 DetectUtf16(const QByteArray& bytes, int* markSize = nullptr);

// The text of an m3u or pls file. UTF-16 (see DetectUtf16) decodes as UTF-16; a UTF-8 mark is
// skipped; otherwise utf8Only decodes as UTF-8, else UTF-8 when the bytes are valid UTF-8 and
// Windows-1252 when they are not.
QString DecodeText(const QByteArray& bytes, bool utf8Only);

// Bytes of an XML playlist as UTF-8 for the parser: UTF-16 is converted, a UTF-8 mark stays,
// and bytes that are not valid UTF-8 are read as Windows-1252 (files saved with a Western
// code page and either no declaration or a Latin-1 one).
QByteArray XmlAsUtf8(const QByteArray& bytes);

// XML with every "&" that starts no character or entity reference written as "&amp;": hand
// written asx files carry addresses such as "a.asp?x=1&y=2" unescaped.
QByteArray EscapeStrayAmpersands(const QByteArray& xml);

// The non-blank lines of text; CR LF, a lone LF and a lone CR each end a line.
QStringList SplitLines(const QString& text);

// A "file:" address as a local path ("file:///m/a%20b.mp3", "file://localhost/m/a.mp3" and
// "file:/m/a.mp3" all give "/m/a b.mp3"; a drive letter on Windows gives "C:/m/a.mp3"); one
// naming another host gives its network path ("file://nas/m/a.mp3" gives "//nas/m/a.mp3"),
// and one with a drive letter for a host ("file://C:/m/a.mp3") gives the drive path.
// Escapes are decoded as UTF-8, or as Windows-1252 when they do not form UTF-8. Anything
// else is returned unchanged.
QString FromFileUrl(const QString& file);

// Percent-escapes of a relative URI decoded (UTF-8, else Windows-1252); a text with a "%" that
// starts no escape is not a URI and is returned unchanged.
QString DecodeRelativeUri(const QString& file);

} // namespace plstext
