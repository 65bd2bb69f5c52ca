// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CListFill.h"
#include "LibraryFixture.h"
#include "RecordingSinks.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <algorithm>
#include <memory>

namespace {

constexpr int kDeadlineMs = 30000;
constexpr int kTracks = 3000;

// Keeps the files of every song any fill ever added, across clears.
class LoggingList : public RecordingList {
public:
    void AddRows(std::vector<ListRow>& added) override
    {
        for (const ListRow& row : added) {
            if (!row.head) {
                everAdded << row.file;
            }
        }
        RecordingList::AddRows(added);
    }
    QStringList everAdded;
};

// Fills on the worker over a real library file: half of the tracks are "Rock" (odd files),
// half "Jazz" (even files).
class ListFillTest : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        std::vector<TestTrack> tracks;
        for (int i = 0; i < kTracks; ++i) {
            tracks.push_back({ "Artist " + std::to_string(i % 40),
                "Album " + std::to_string(i % 150), "Title " + std::to_string(i), 2000 + i % 20,
                i % 2 == 0 ? "Rock" : "Jazz", i % 12 + 1, 200, "" });
        }
        AddTracks(tracks);
    }

    void Start(CListFill& fill, const char* genre, IListSink& sink)
    {
        CLibraryQuery query(m_db);
        fill.Start(m_db.LibraryPath(),
            CLibraryQuery::ValueList(TreeKind::Genres, QString::fromLatin1(genre)),
            query.ShapeOf(sink), sink);
    }

    static bool OnlyJazz(const QStringList& files)
    {
        return std::all_of(files.begin(), files.end(), [](const QString& file) {
            return file.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0).toInt() % 2
                == 0;
        });
    }
};

} // namespace

TEST_F(ListFillTest, ANewerOrCancelledFillNeverShowsTheOlderRows)
{
    CListFill fill;
    LoggingList list;
    QSignalSpy busy(&fill, &CListFill::BusyChanged);
    QSignalSpy finished(&fill, &CListFill::Finished);
    Start(fill, "Rock", list);
    EXPECT_EQ(list.clears, 1) << "the old rows go at once";
    Start(fill, "Jazz", list);
    EXPECT_TRUE(fill.IsRunning());
    ASSERT_TRUE(finished.wait(kDeadlineMs));
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    EXPECT_FALSE(fill.IsRunning());
    EXPECT_EQ(list.SongCount(), kTracks / 2);
    EXPECT_TRUE(OnlyJazz(list.everAdded));
    EXPECT_EQ(list.recalcs, 1);
    ASSERT_EQ(busy.count(), 2);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_FALSE(busy.at(1).at(0).toBool());

    // The rows are those of the fill on the window's own connection.
    RecordingList direct;
    CLibraryQuery(m_db).ListValue(TreeKind::Genres, QStringLiteral("jazz"), direct);
    EXPECT_EQ(list.rows, direct.rows);

    // A dropped fill stays dropped; one started after it is shown.
    list.everAdded.clear();
    Start(fill, "Rock", list);
    fill.Cancel();
    EXPECT_FALSE(fill.IsRunning());
    Start(fill, "Jazz", list);
    ASSERT_TRUE(finished.wait(kDeadlineMs));
    EXPECT_TRUE(OnlyJazz(list.everAdded));
    EXPECT_EQ(list.SongCount(), kTracks / 2);
    EXPECT_EQ(busy.count(), 6);
}

TEST_F(ListFillTest, ClosingDuringAFillNeitherHangsNorShowsRows)
{
    LoggingList list;
    auto fill = std::make_unique<CListFill>();
    Start(*fill, "Rock", list);
    fill.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(list.everAdded.isEmpty());

    // A writer holding the file keeps the fill waiting for its lock; closing does not wait
    // for the writer.
    SqliteDb writer;
    ASSERT_TRUE(writer.Open(m_db.LibraryPath()));
    ASSERT_TRUE(writer.Exec("BEGIN EXCLUSIVE;"));
    fill = std::make_unique<CListFill>();
    Start(*fill, "Rock", list);
    fill.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(list.everAdded.isEmpty());
    EXPECT_TRUE(writer.Exec("ROLLBACK;"));
}

TEST_F(ListFillTest, AMissingLibraryFileGivesAnEmptyList)
{
    CListFill fill;
    RecordingList list;
    list.rows << QStringLiteral("old row");
    QSignalSpy finished(&fill, &CListFill::Finished);
    fill.Start(m_db.LibraryPath() + QStringLiteral(".gone"),
        CLibraryQuery::ValueList(TreeKind::Genres, QStringLiteral("Rock")),
        CLibraryQuery(m_db).ShapeOf(list), list);
    ASSERT_TRUE(finished.wait(kDeadlineMs));
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    EXPECT_TRUE(list.rows.isEmpty());
    EXPECT_EQ(list.recalcs, 1);
}
