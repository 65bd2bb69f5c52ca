// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {

// In memory where the system offers it: the targets write a file per input, and a disk
// shared with other work makes their speed depend on that work.
QString Template()
{
    const QString shm = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
    return base + QStringLiteral("/plumo-fuzz-XXXXXX");
}

} // namespace

const QString& Folder()
{
    static QTemporaryDir dir(Template());
    static const QString path = dir.path();
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        std::abort();
    }
    return path;
}

void WriteInput(const QString& path, const std::uint8_t* data, std::size_t size)
{
    QFile file(path);
    const auto length = static_cast<qint64>(size);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(data), length) != length) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

QByteArray Bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace fuzz
