// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "PlsText.h"

#include "Cp1252.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace plstext {

namespace {

// Longest entity name an "&" may start; anything longer is text, which keeps the scan linear.
constexpr int kMaxEntityName = 32;

QString FromUtf16(QByteArrayView bytes, Utf16 order)
{
    QStringDecoder decoder(order == Utf16::LittleEndian ? QStringDecoder::Utf16LE
                                                        : QStringDecoder::Utf16BE,
        QStringDecoder::Flag::Stateless);
    return decoder(bytes);
}

bool IsUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes); // the decoder works when its result becomes a string
    return !utf8.hasError();
}

QString Utf8OrCp1252(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return cp1252::Decode(bytes.toByteArray());
}

bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// True when the "&" at at starts "&name;", "&#123;" or "&#x1F;".
bool StartsReference(const QByteArray& xml, qsizetype at)
{
    qsizetype i = at + 1;
    const qsizetype end = std::min(xml.size(), at + 2 + kMaxEntityName);
    if (i < end && xml[i] == '#') {
        ++i;
        const bool hex = i < end && (xml[i] == 'x' || xml[i] == 'X');
        if (hex)
            ++i;
        const qsizetype digits = i;
        while (i < end && (hex ? IsHex(xml[i]) : (xml[i] >= '0' && xml[i] <= '9')))
            ++i;
        return i > digits && i < end && xml[i] == ';';
    }
    if (i >= end || !IsNameStart(xml[i]))
        return false;
    while (i < end && IsNameChar(xml[i]))
        ++i;
    return i < end && xml[i] == ';';
}

bool IsHexChar(QChar c)
{
    return c.unicode() < 0x80 && IsHex(static_cast<char>(c.unicode()));
}

bool HasOnlyValidEscapes(QStringView text)
{
    for (qsizetype i = text.indexOf(u'%'); i >= 0; i = text.indexOf(u'%', i + 1)) {
        if (i + 2 >= text.size() || !IsHexChar(text[i + 1]) || !IsHexChar(text[i + 2]))
            return false;
    }
    return true;
}

// "//C:/" or "//C:\\": a drive letter where a file address has its host.
bool IsDriveHost(QStringView rest)
{
    return rest.size() >= 5 && rest.startsWith(u"//") && rest[2].isLetter()
        && rest[2].unicode() < 0x80 && rest[3] == u':' && (rest[4] == u'/' || rest[4] == u'\\');
}

QString DecodeEscapes(QStringView text)
{
    return Utf8OrCp1252(QByteArray::fromPercentEncoding(text.toUtf8()));
}

} // namespace

Utf16 DetectUtf16(const QByteArray& bytes, int* markSize)
{
    if (markSize)
        *markSize = 0;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        if (markSize)
            *markSize = 2;
        return bytes[0] == '\xFF' ? Utf16::LittleEndian : Utf16::BigEndian;
    }
    if (bytes.size() < 4)
        return Utf16::None;
    if (bytes[0] != '\0' && bytes[1] == '\0' && bytes[2] != '\0' && bytes[3] == '\0')
        return Utf16::LittleEndian;
    if (bytes[0] == '\0' && bytes[1] != '\0' && bytes[2] == '\0' && bytes[3] != '\0')
        return Utf16::BigEndian;
    return Utf16::None;
}

QString DecodeText(const QByteArray& bytes, bool utf8Only)
{
    int mark = 0;
    const Utf16 order = DetectUtf16(bytes, &mark);
    if (order != Utf16::None)
        return FromUtf16(QByteArrayView(bytes).sliced(mark), order);
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    return utf8Only ? QString::fromUtf8(body) : Utf8OrCp1252(body);
}

QByteArray XmlAsUtf8(const QByteArray& bytes)
{
    int mark = 0;
    const Utf16 order = DetectUtf16(bytes, &mark);
    if (order != Utf16::None)
        return FromUtf16(QByteArrayView(bytes).sliced(mark), order).toUtf8();
    if (IsUtf8(bytes))
        return bytes;
    return cp1252::Decode(bytes).toUtf8();
}

QByteArray EscapeStrayAmpersands(const QByteArray& xml)
{
    QByteArray out;
    out.reserve(xml.size() + 64);
    qsizetype from = 0;
    for (qsizetype at = xml.indexOf('&'); at >= 0; at = xml.indexOf('&', at + 1)) {
        if (StartsReference(xml, at))
            continue;
        out.append(QByteArrayView(xml).sliced(from, at + 1 - from));
        out.append("amp;");
        from = at + 1;
    }
    out.append(QByteArrayView(xml).sliced(from));
    return out;
}

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i <= size; ++i) {
        if (i < size && text[i] != u'\n' && text[i] != u'\r')
            continue;
        const QStringView line = QStringView(text).sliced(start, i - start).trimmed();
        if (!line.isEmpty())
            lines.append(line.toString());
        start = i + 1;
    }
    return lines;
}

QString FromFileUrl(const QString& file)
{
    if (!file.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return file;
    QStringView rest = QStringView(file).sliced(5);
    if (rest.startsWith(u"///"))
        rest = rest.sliced(2);
    else if (rest.startsWith(QLatin1String("//localhost/"), Qt::CaseInsensitive))
        rest = rest.sliced(11);
    else if (IsDriveHost(rest))
        return DecodeEscapes(rest.sliced(2)); // "file://C:/Music/a.mp3", a common slip
    else if (!rest.startsWith(u'/'))
        return file;
    QString path = DecodeEscapes(rest);
#ifdef Q_OS_WIN
    static const QRegularExpression drive(QStringLiteral("^/[A-Za-z]:"));
    if (drive.match(path).hasMatch())
        path.remove(0, 1);
#endif
    return path;
}

QString DecodeRelativeUri(const QString& file)
{
    if (!file.contains(u'%') || !HasOnlyValidEscapes(file))
        return file;
    return DecodeEscapes(file);
}

} // namespace plstext
