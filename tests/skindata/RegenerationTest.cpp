// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The committed skin and icon files are exactly what the generator draws today: an image
// touched by hand, or a generator change whose output was not committed, fails here.
#include "SkinDataFixture.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList FilesUnder(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next().mid(root.size()));
    files.sort();
    return files;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Regeneration, CommittedFilesAreWhatTheGeneratorDraws)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess art;
    art.start(qEnvironmentVariable("PLUMO_BUILD_DIR") + "/bin/plumo-art", { out.path() });
    ASSERT_TRUE(art.waitForFinished(120000)) << "the generator did not finish";
    ASSERT_EQ(art.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(art.exitCode(), 0) << art.readAllStandardError().toStdString();

    for (const char* folder : { "/Skin/Default", "/Skin/Frost", "/Icon" }) {
        const QString committed = skindata::DataFolder() + folder;
        const QString drawn = out.path() + folder;
        const QStringList files = FilesUnder(committed);
        ASSERT_EQ(files, FilesUnder(drawn)) << folder;
        for (const QString& file : files) {
            if (file.endsWith(".png")) {
                // Compared as pixels: the same picture may compress differently elsewhere.
                const QImage a = QImage(committed + file).convertToFormat(QImage::Format_ARGB32);
                const QImage b = QImage(drawn + file).convertToFormat(QImage::Format_ARGB32);
                EXPECT_TRUE(a == b) << "differs from the generator: " << folder << file.toStdString();
            } else {
                EXPECT_EQ(Bytes(committed + file), Bytes(drawn + file))
                    << "differs from the generator: " << folder << file.toStdString();
            }
        }
    }
}

} // namespace
