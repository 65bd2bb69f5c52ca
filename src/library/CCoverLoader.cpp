// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CCoverLoader.h"

#include "settings/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>

#include <initializer_list>
#include <limits>

namespace {

QRegularExpression Wildcard(const QString& pattern)
{
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
        QRegularExpression::CaseInsensitiveOption);
}

bool IsImageName(const QString& name)
{
    static const QRegularExpression jpg = Wildcard(QStringLiteral("*.jpg"));
    static const QRegularExpression jpeg = Wildcard(QStringLiteral("*.jpeg"));
    static const QRegularExpression png = Wildcard(QStringLiteral("*.png"));
    return jpg.match(name).hasMatch() || jpeg.match(name).hasMatch()
        || png.match(name).hasMatch();
}

// The first name matching pattern that also passes the image-type test when asked.
QString FirstMatch(const QStringList& names, const QString& pattern, bool imagesOnly)
{
    const QRegularExpression matcher = Wildcard(pattern);
    for (const QString& name : names) {
        if (matcher.match(name).hasMatch() && (!imagesOnly || IsImageName(name)))
            return name;
    }
    return {};
}

QString ChooseCover(const QStringList& names)
{
    for (const char* pattern : {"*front*.*", "*cover*.*"}) {
        QString name = FirstMatch(names, QString::fromLatin1(pattern), true);
        if (!name.isEmpty())
            return name;
    }
    for (const char* pattern : {"*.jpg", "*.jpeg", "*.png"}) {
        QString name = FirstMatch(names, QString::fromLatin1(pattern), false);
        if (!name.isEmpty())
            return name;
    }
    return {};
}

} // namespace

bool CCoverLoader::FindCover(const QString& trackPath)
{
    const QString path = QDir::fromNativeSeparators(trackPath);
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = slash >= 0 ? path.left(slash + 1) : QStringLiteral("./");
    // One listing serves all five searches. Names are taken in case-insensitive order, the
    // order an NTFS folder lists them in, so the choice does not depend on the file system.
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System,
        QDir::Name | QDir::IgnoreCase);
    const QString cover = ChooseCover(names);
    if (cover.isEmpty())
        return false;
    m_coverPath = folder + cover;
    return true;
}

QImage CCoverLoader::LoadImage(const QString& path)
{
    // A cover is a plain file; a pipe in its place would keep the reader waiting.
    QFile file;
    if (safefile::OpenRegular(path, std::numeric_limits<qint64>::max(), file)
        != safefile::ReadStatus::Ok)
        return {};
    QImageReader reader(&file);
    const QSize size = reader.size();
    if (!size.isValid() || static_cast<qint64>(size.width()) * size.height() > kMaxPixels)
        return {};
    // Qt's own guard stays on behind the declared size, set to the largest cover admitted.
    reader.setAllocationLimit(static_cast<int>((kMaxPixels * 4 + 0xFFFFF) >> 20));
    return reader.read();
}
