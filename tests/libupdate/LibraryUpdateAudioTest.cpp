// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The library update with the real tag reader, over generated files of every library type.
#include "AudioFixture.h"
#include "CDBase.h"
#include "CLibraryUpdate.h"
#include "CTagReader.h"
#include "Sqlite.h"
#include "TestProfile.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <ostream>

namespace {

// A tagged file of the given type at path; false (with the reason in skip) when it cannot be
// made here.
bool MakeTaggedFile(const QString& type, const QString& path, QString& skip)
{
    if (type == QLatin1String("ape")) {
        const QString source = SharedTestData() + QStringLiteral("/ape/short-1s.ape");
        if (SharedTestData().isEmpty() || !QFile::exists(source)) {
            skip = QStringLiteral("no APE test data");
            return false;
        }
        QDir().mkpath(QFileInfo(path).path());
        if (!QFile::copy(source, path))
            return false;
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    } else if (!fixture::CopyTone(type, path)) {
        return false;
    }
    return fixture::WriteTags(path, {{QStringLiteral("TITLE"), QString::fromUtf8("Заглавие")},
        {QStringLiteral("ARTIST"), QStringLiteral("Artist")},
        {QStringLiteral("ALBUM"), QString::fromUtf8("アルバム")},
        {QStringLiteral("TRACKNUMBER"), QStringLiteral("7")},
        {QStringLiteral("DATE"), QStringLiteral("1999")}});
}

// The stored type code, playing time and bitrate of the library row with id 1, as
// "type|time|bitrate" ("" when there is no such row).
QString StoredStream(const QString& profile)
{
    SqliteDb db;
    if (!db.OpenReadOnly(profile + QStringLiteral("/Library.db")))
        return {};
    SqliteStmt row(db.Get(), "SELECT type,time,bitrate FROM library WHERE id=1;");
    if (!row.Step())
        return {};
    return QStringLiteral("%1|%2|%3").arg(row.Int(0)).arg(row.Int(1)).arg(row.Int(2));
}

struct TypeCase {
    const char* ext;
    int code;
};

void PrintTo(const TypeCase& c, std::ostream* os)
{
    *os << c.ext;
}

class LibraryUpdateAudio : public ::testing::TestWithParam<TypeCase> {};

TEST_P(LibraryUpdateAudio, ReadsTagsOnceAndFollowsARename)
{
    TestProfile dir;
    const QString type = QString::fromLatin1(GetParam().ext);
    QString skip;
    if (!MakeTaggedFile(type, dir.File(QStringLiteral("music/a/track.") + type), skip)) {
        if (!skip.isEmpty())
            GTEST_SKIP() << skip.toStdString();
        FAIL() << "cannot make a " << type.toStdString() << " file";
    }
    CDBase db;
    db.SetFolder(dir.Path());
    db.OpenLibrary();
    std::atomic<bool> cancel{false};
    NoUpdateProgress progress;
    auto run = [&] {
        CLibraryUpdate job(db, &CTagReader::ReadTags, progress, cancel);
        job.SetReaderThreads(2);
        job.UpdateLibrary({dir.File(QStringLiteral("music"))});
        return job.Stats();
    };
    EXPECT_EQ(run().inserted, 1);
    QStringList info;
    ASSERT_TRUE(db.GetFullInfo(1, 0, &info));
    EXPECT_EQ(info.mid(1, 6), QStringList({QStringLiteral("7"), QString::fromUtf8("Заглавие"),
        QStringLiteral("Artist"), QString::fromUtf8("アルバム"), QStringLiteral("1999"), {}}));
    // The row holds the type's own code, the one second every fixture plays, and the
    // bitrate the reader gives for the file.
    TrackRecord read;
    ASSERT_TRUE(CTagReader::ReadTags(dir.File(QStringLiteral("music/a/track.") + type), read));
    EXPECT_GT(read.bitrate, 0);
    EXPECT_EQ(StoredStream(dir.Path()),
        QStringLiteral("%1|1|%2").arg(GetParam().code).arg(read.bitrate));
    EXPECT_EQ(run().unchanged, 1);

    ASSERT_TRUE(QDir().rename(dir.File(QStringLiteral("music/a")), dir.File(QStringLiteral("music/b"))));
    const UpdateStats moved = run();
    EXPECT_EQ(moved.moved, 1);
    EXPECT_EQ(moved.inserted, 0);
    ASSERT_TRUE(db.GetFullInfo(1, 0, &info));
    EXPECT_EQ(info.value(0), dir.File(QStringLiteral("music/b/track.") + type));
}

INSTANTIATE_TEST_SUITE_P(AllTypes, LibraryUpdateAudio,
    ::testing::Values(TypeCase{"mp3", 1}, TypeCase{"ogg", 2}, TypeCase{"wma", 3},
        TypeCase{"flac", 4}, TypeCase{"ape", 5}, TypeCase{"aac", 6}, TypeCase{"mp4", 7},
        TypeCase{"m4a", 8}, TypeCase{"opus", 9}, TypeCase{"wav", 10}, TypeCase{"aiff", 11},
        TypeCase{"aif", 12}, TypeCase{"wv", 13}, TypeCase{"mpc", 14}),
    [](const ::testing::TestParamInfo<TypeCase>& param) { return std::string(param.param.ext); });

} // namespace
