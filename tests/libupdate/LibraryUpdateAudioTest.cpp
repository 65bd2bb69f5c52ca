// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The library update with the real tag reader, over generated files of every library type.
#include "AudioFixture.h"
#include "CDBase.h"
#include "CLibraryUpdate.h"
#include "CTagReader.h"
#include "TestProfile.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class NoProgress : public IUpdateProgress {
public:
    void SetRange(int) override {}
    void Step() override {}
    void SetStatus(const QString&) override {}
};

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

class LibraryUpdateAudio : public ::testing::TestWithParam<const char*> {};

TEST_P(LibraryUpdateAudio, ReadsTagsOnceAndFollowsARename)
{
    TestProfile dir;
    const QString type = QString::fromLatin1(GetParam());
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
    NoProgress progress;
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
    EXPECT_EQ(run().unchanged, 1);

    ASSERT_TRUE(QDir().rename(dir.File(QStringLiteral("music/a")), dir.File(QStringLiteral("music/b"))));
    const UpdateStats moved = run();
    EXPECT_EQ(moved.moved, 1);
    EXPECT_EQ(moved.inserted, 0);
    ASSERT_TRUE(db.GetFullInfo(1, 0, &info));
    EXPECT_EQ(info.value(0), dir.File(QStringLiteral("music/b/track.") + type));
}

INSTANTIATE_TEST_SUITE_P(AllTypes, LibraryUpdateAudio,
    ::testing::Values("mp3", "ogg", "wma", "flac", "ape", "aac", "mp4", "m4a"),
    [](const ::testing::TestParamInfo<const char*>& param) { return std::string(param.param); });

} // namespace
