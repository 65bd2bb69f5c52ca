// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTreeFill.h"
#include "LibraryFixture.h"
#include "RecordingSinks.h"

#include <QCoreApplication>
#include <QTest>

#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kDeadlineMs = 30000;
constexpr TreeKind kKinds[] = { TreeKind::Artists, TreeKind::Albums, TreeKind::Years,
    TreeKind::Genres };

// Every delivery of a tree fill, as recorded text per root, and its busy signals.
class Deliveries {
public:
    explicit Deliveries(CTreeFill& fill)
    {
        QObject::connect(&fill, &CTreeFill::Finished,
            [this](TreeKind kind, const CTreeFill::Children& children, bool ok) {
                RecordingTree tree;
                children.Replay(tree);
                got.push_back({ kind, tree.nodes, ok });
            });
        QObject::connect(&fill, &CTreeFill::BusyChanged, [this](bool on) { busy.push_back(on); });
    }

    struct Got {
        TreeKind kind;
        QStringList nodes;
        bool ok;
    };
    std::vector<Got> got;
    std::vector<bool> busy;
};

// Categories read on the worker over a real library file: artists that differ only in case
// and accents, tracks without artist, album, year or genre, and enough rows that a read takes
// a while.
class TreeFillTest : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        std::vector<TestTrack> tracks;
        for (int i = 0; i < 2000; ++i) {
            const int a = i % 60;
            std::string artist = a == 0 ? "" : "Artist " + std::to_string(a);
            if (a == 7 && i % 2 == 1) {
                artist = "ARTIST 7";
            }
            tracks.push_back({ artist, i % 97 == 0 ? "" : "Album " + std::to_string(i % 130),
                "Title " + std::to_string(i),
                i % 50 == 0 ? std::nullopt : std::optional<int>(1990 + i % 25),
                i % 33 == 0 ? "" : (i % 3 == 0 ? "rock" : i % 3 == 1 ? "Rock" : "Jazz"),
                i % 12 + 1, 200, "" });
        }
        tracks.push_back({ "Ärtist 1", "Älbum", "Accented", 2001, "Jäzz", 1, 200, "" });
        AddTracks(tracks);
    }

    // What the window's own connection gives for the root.
    QStringList Direct(TreeKind kind)
    {
        RecordingTree tree;
        EXPECT_TRUE(CLibraryQuery(m_db).FillRoot(kind, tree));
        return tree.nodes;
    }

    void Start(CTreeFill& fill, TreeKind kind)
    {
        fill.Start(m_db.LibraryPath(), kind, QString::fromLatin1(kUnknown));
    }

    static bool Settle(CTreeFill& fill)
    {
        return QTest::qWaitFor([&] { return !fill.IsRunning(); }, kDeadlineMs);
    }
};

} // namespace

TEST_F(TreeFillTest, EachCategoryGetsTheChildrenTheWindowsConnectionReads)
{
    CTreeFill fill;
    Deliveries deliveries(fill);
    for (const TreeKind kind : kKinds) {
        Start(fill, kind);
    }
    EXPECT_TRUE(fill.IsRunning(TreeKind::Albums));
    ASSERT_TRUE(Settle(fill));
    ASSERT_EQ(deliveries.got.size(), std::size(kKinds)) << "queued roots all arrive";
    for (std::size_t i = 0; i < std::size(kKinds); ++i) {
        const Deliveries::Got& got = deliveries.got[i];
        SCOPED_TRACE(static_cast<int>(kKinds[i]));
        EXPECT_EQ(got.kind, kKinds[i]) << "in the order asked";
        EXPECT_TRUE(got.ok);
        EXPECT_FALSE(got.nodes.isEmpty());
        EXPECT_EQ(got.nodes, Direct(kKinds[i]));
        EXPECT_TRUE(got.nodes.last().contains(QString::fromLatin1(kUnknown)))
            << "the tracks without a value close the category";
    }
    EXPECT_EQ(deliveries.busy, (std::vector<bool> { true, false }));
}

TEST_F(TreeFillTest, ARootAskedAgainOrDroppedNeverGetsTheOlderRead)
{
    CTreeFill fill;
    Deliveries deliveries(fill);
    // A writer holds the file: every read waits for its lock, so none is over before the
    // next request comes.
    SqliteDb writer;
    ASSERT_TRUE(writer.Open(m_db.LibraryPath()));
    ASSERT_TRUE(writer.Exec("BEGIN EXCLUSIVE;"));
    Start(fill, TreeKind::Artists);
    Start(fill, TreeKind::Genres);
    Start(fill, TreeKind::Artists);
    fill.Cancel();
    EXPECT_FALSE(fill.IsRunning());
    Start(fill, TreeKind::Years);
    Start(fill, TreeKind::Albums);
    Start(fill, TreeKind::Years);
    ASSERT_TRUE(writer.Exec("ROLLBACK;"));
    ASSERT_TRUE(Settle(fill));
    ASSERT_EQ(deliveries.got.size(), 2u);
    EXPECT_EQ(deliveries.got[0].kind, TreeKind::Albums);
    EXPECT_EQ(deliveries.got[1].kind, TreeKind::Years);
    EXPECT_EQ(deliveries.got[1].nodes, Direct(TreeKind::Years));
    EXPECT_EQ(deliveries.busy, (std::vector<bool> { true, false, true, false }));
}

TEST_F(TreeFillTest, ClosingDuringAReadNeitherHangsNorDelivers)
{
    SqliteDb writer;
    ASSERT_TRUE(writer.Open(m_db.LibraryPath()));
    ASSERT_TRUE(writer.Exec("BEGIN EXCLUSIVE;"));
    int delivered = 0;
    {
        CTreeFill fill;
        QObject::connect(&fill, &CTreeFill::Finished, [&delivered] { ++delivered; });
        Start(fill, TreeKind::Albums);
        Start(fill, TreeKind::Artists);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 0);
    EXPECT_TRUE(writer.Exec("ROLLBACK;"));
}

TEST_F(TreeFillTest, AMissingFileOrAKindWithoutLibraryChildrenGivesNone)
{
    CTreeFill fill;
    Deliveries deliveries(fill);
    fill.Start(m_db.LibraryPath() + QStringLiteral(".gone"), TreeKind::Artists,
        QString::fromLatin1(kUnknown));
    Start(fill, TreeKind::Playlists);
    EXPECT_FALSE(fill.IsRunning(TreeKind::Playlists));
    ASSERT_TRUE(Settle(fill));
    ASSERT_EQ(deliveries.got.size(), 1u);
    EXPECT_FALSE(deliveries.got[0].ok);
    EXPECT_TRUE(deliveries.got[0].nodes.isEmpty());
}
