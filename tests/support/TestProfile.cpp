// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "TestProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestProfile::TestProfile() = default;

QString TestProfile::File(const QString& name) const
{
    return m_dir.filePath(name);
}

QString TestProfile::Write(const QString& name, const QByteArray& bytes) const
{
    const QString path = File(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return path;
}

QByteArray TestProfile::Read(const QString& name) const
{
    QFile f(File(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString SharedTestData()
{
    const QByteArray env = qgetenv("PLUMO_SHARED_TESTDATA");
    if (!env.isEmpty() && QFileInfo(QString::fromLocal8Bit(env)).isDir())
        return QDir(QString::fromLocal8Bit(env)).absolutePath();
    return {};
}
