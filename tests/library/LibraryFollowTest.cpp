// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Following the library folders: real folders watched by the system, a real "Library.db"
// written by the quiet runs, read back on a connection of the test's own. Tags come from the
// stand-in reader (a "music file" holds "title|artist|album").
#include "CDBase.h"
#include "CLibraryFollow.h"
#include "TestProfile.h"
#include "TextTagReader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

namespace {

struct Row {
    int id = 0;
    std::string title;
    int rating = 0;
    int count = 0;
};

class LibraryFollowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(Music()));
        m_db.SetFolder(m_dir.Path());
        m_db.OpenLibrary();
        m_follow.SetProfileFolder(m_dir.Path());
        m_follow.SetTagReader(ReadTextTags);
        m_follow.SetSettleMs(300);
        QObject::connect(&m_follow, &CLibraryFollow::Updated,
            [this](const UpdateStats& stats) { m_last = stats; });
    }

    QString Music() const { return m_dir.File(QStringLiteral("music")); }
    QString Track(const QString& name, const QByteArray& tags, int offset = 0) const
    {
        const QString path = m_dir.Write(QStringLiteral("music/") + name, tags);
        QFile file(path);
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(QDateTime::fromSecsSinceEpoch(1700000000 + offset),
                QFileDevice::FileModificationTime);
        return path;
    }

    // Pumps events until done holds; false after a generous deadline (a hang, not a speed).
    static bool WaitFor(const std::function<bool()>& done)
    {
        QDeadlineTimer deadline(60000);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    // Starts following the music folder and waits for the watches and the first run.
    void StartFollowing()
    {
        m_follow.Start({Music()});
        ASSERT_TRUE(WaitFor([this] {
            return m_follow.Watch().IsReady() && m_follow.Runs() > 0 && !m_follow.IsBusy();
        }));
    }

    // Waits until the library holds what want says, and no run is pending.
    bool WaitForRows(const std::function<bool(const std::map<QString, Row>&)>& want)
    {
        return WaitFor([&] { return !m_follow.IsBusy() && want(Rows()); });
    }

    std::map<QString, Row> Rows()
    {
        std::map<QString, Row> rows;
        SqliteStmt stmt(m_db.Handle(DbConn::Library),
            "SELECT id,file,title,IFNULL(rating,0),IFNULL(count,0) FROM library;");
        while (stmt.Step())
            rows[stmt.Text(1)] = {stmt.Int(0), stmt.Text(2).toStdString(), stmt.Int(3), stmt.Int(4)};
        return rows;
    }

    TestProfile m_dir;
    CDBase m_db;
    CLibraryFollow m_follow;
    UpdateStats m_last;
};

TEST_F(LibraryFollowTest, ChangesMadeBeforeTheWatchAreTakenInByTheFirstRun)
{
    Track(QStringLiteral("a.mp3"), "Alpha|Artist|Album");
    StartFollowing();
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.begin()->second.title, "Alpha");
}

TEST_F(LibraryFollowTest, AddedChangedAndRemovedFilesAreFollowed)
{
    const QString a = Track(QStringLiteral("a.mp3"), "Alpha|Artist|Album");
    StartFollowing();
    const int id = Rows().at(a).id;

    const QString b = Track(QStringLiteral("b.ogg"), "Beta|Artist|Album");
    ASSERT_TRUE(WaitForRows([&](const auto& rows) { return rows.count(b) == 1; }));
    EXPECT_EQ(Rows().at(b).title, "Beta");

    Track(QStringLiteral("a.mp3"), "Alpha Mix|Artist|Album", 60);
    ASSERT_TRUE(WaitForRows([&](const auto& rows) {
        return rows.count(a) == 1 && rows.at(a).title == "Alpha Mix";
    }));
    EXPECT_EQ(Rows().at(a).id, id) << "a changed file keeps its row";

    ASSERT_TRUE(QFile::remove(b));
    ASSERT_TRUE(WaitForRows([&](const auto& rows) { return rows.count(b) == 0; }));
    EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(LibraryFollowTest, MovedFileKeepsItsIdRatingAndCount)
{
    const QString a = Track(QStringLiteral("a.mp3"), "Alpha|Artist|Album");
    Track(QStringLiteral("b.mp3"), "Beta|Artist|Album");
    StartFollowing();
    const int id = Rows().at(a).id;
    ASSERT_TRUE(m_db.SetRating(id, 0, 4));
    ASSERT_TRUE(m_db.CountPlay(id, 0));
    const Row rated = Rows().at(a);
    ASSERT_NE(rated.rating, 0);

    ASSERT_TRUE(QDir().mkpath(Music() + "/Renamed Album"));
    const QString moved = Music() + "/Renamed Album/01 Alpha.mp3";
    ASSERT_TRUE(QFile::rename(a, moved));
    ASSERT_TRUE(WaitForRows([&](const auto& rows) { return rows.count(moved) == 1; }));
    const auto rows = Rows();
    EXPECT_EQ(rows.count(a), 0u);
    EXPECT_EQ(rows.at(moved).id, id);
    EXPECT_EQ(rows.at(moved).rating, rated.rating);
    EXPECT_EQ(rows.at(moved).count, 1);
    EXPECT_EQ(m_last.moved, 1);
}

TEST_F(LibraryFollowTest, BurstOfFiveHundredFilesIsTakenInByOneRun)
{
    // A quiet time far above the time between two writes, so the burst is one burst even on a
    // loaded machine.
    m_follow.SetSettleMs(2000);
    StartFollowing();
    const int before = m_follow.Runs();
    for (int i = 0; i < 500; ++i)
        Track(QStringLiteral("Album/%1.flac").arg(i, 3, 10, QLatin1Char('0')),
            QStringLiteral("Track %1|Artist|Album").arg(i).toUtf8());
    ASSERT_TRUE(WaitForRows([](const auto& rows) { return rows.size() == 500; }));
    EXPECT_EQ(m_follow.Runs() - before, 1);
    EXPECT_EQ(m_last.inserted, 500);
}

TEST_F(LibraryFollowTest, FolderMovedOutAndBackIsFollowedBothWays)
{
    Track(QStringLiteral("Album/1.mp3"), "One|Artist|Album");
    Track(QStringLiteral("Album/2.mp3"), "Two|Artist|Album");
    Track(QStringLiteral("other.mp3"), "Other|Artist|Album");
    StartFollowing();
    ASSERT_EQ(Rows().size(), 3u);

    const QString outside = m_dir.File(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().rename(Music() + "/Album", outside));
    ASSERT_TRUE(WaitForRows([](const auto& rows) { return rows.size() == 1; }));

    ASSERT_TRUE(QDir().rename(outside, Music() + "/Back"));
    ASSERT_TRUE(WaitForRows([](const auto& rows) { return rows.size() == 3; }));
    EXPECT_EQ(Rows().count(Music() + "/Back/2.mp3"), 1u);

    // The folder that came back is watched again, down to a folder made inside it.
    Track(QStringLiteral("Back/Disc 2/3.mp3"), "Three|Artist|Album");
    ASSERT_TRUE(WaitForRows([&](const auto& rows) {
        return rows.count(Music() + "/Back/Disc 2/3.mp3") == 1;
    }));
}

TEST_F(LibraryFollowTest, LinkLoopsOddNamesAndVanishingFoldersAreSurvived)
{
    Track(QStringLiteral("Sub/a.mp3"), "Alpha|Artist|Album");
    Track(QStringLiteral("keep.mp3"), "Keep|Artist|Album");
    ASSERT_EQ(symlink(Music().toUtf8().constData(), (Music() + "/Sub/loop").toUtf8().constData()),
        0);
    StartFollowing();
    ASSERT_EQ(Rows().size(), 2u);

    // A name that is not UTF-8 sets off a run like any other, and the rows stay.
    int runs = m_follow.Runs();
    const QByteArray odd = QFile::encodeName(Music()) + "/caf\xe9.mp3";
    const int fd = open(odd.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "Odd|Artist|Album", 16), 16);
    close(fd);
    ASSERT_TRUE(WaitFor([&] { return m_follow.Runs() > runs && !m_follow.IsBusy(); }));
    EXPECT_GE(Rows().size(), 2u);
    ASSERT_EQ(unlink(odd.constData()), 0);
    ASSERT_TRUE(WaitForRows([](const auto& rows) { return rows.size() == 2; }));

    ASSERT_TRUE(QDir(Music() + "/Sub").removeRecursively());
    ASSERT_TRUE(WaitForRows([](const auto& rows) { return rows.size() == 1; }));

    // The whole library folder gone (an unplugged drive) is no evidence of deleted files.
    runs = m_follow.Runs();
    ASSERT_TRUE(QDir(Music()).removeRecursively());
    ASSERT_TRUE(WaitFor([&] { return m_follow.Runs() > runs && !m_follow.IsBusy(); }));
    EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(LibraryFollowTest, StoppedFollowMakesNoRunAndNoFoldersMeansNoRun)
{
    Track(QStringLiteral("a.mp3"), "Alpha|Artist|Album");
    m_follow.Start({});
    EXPECT_FALSE(m_follow.IsWatching());
    EXPECT_FALSE(m_follow.IsBusy());
    EXPECT_EQ(m_follow.Runs(), 0);

    // A run handed to a schedule that holds it (another job runs) is dropped when the follow
    // stops before its turn.
    CLibraryFollow::Job held;
    m_follow.SetSchedule([&held](CLibraryFollow::Job job) { held = std::move(job); });
    m_follow.Start({Music()});
    ASSERT_TRUE(held);
    m_follow.Stop();
    held();
    EXPECT_EQ(m_follow.Runs(), 0);
    EXPECT_TRUE(Rows().empty());
}

} // namespace
