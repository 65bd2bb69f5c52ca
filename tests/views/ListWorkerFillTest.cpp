// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The list view filled on the fill's worker over a real library file: the tree it shows must
// be the one a fill on the window's own connection builds, whatever happens around the fill.
#include "CSkinList.h"
#include "SkinFixture.h"
#include "TestProfile.h"
#include "library/CDBase.h"
#include "library/CLibraryQuery.h"
#include "library/CListFill.h"

#include <QPainter>
#include <QSignalSpy>

#include <memory>
#include <string>

#include <gtest/gtest.h>

using namespace skinfixture;

namespace {

constexpr int kDeadlineMs = 30000;
// More songs per genre than the list frees on the window's thread, so a refill hands the
// old rows to the worker.
constexpr int kTracks = 14000;

// Each node in display order: kind, parent's kind, stripe, ids, stars, file, texts, blocks and
// its place in the layout.
void Dump(const CSkinListNode& node, QStringList& out)
{
    for (const CSkinListNode* child : node.m_children) {
        QString line = QStringLiteral("%1<%2 l%3 %4/%5 *%6 %7 [%8-%9]")
                           .arg(static_cast<int>(child->m_kind))
                           .arg(static_cast<int>(child->m_parent->m_kind))
                           .arg(child->m_line)
                           .arg(child->m_libraryId)
                           .arg(child->m_playlistId)
                           .arg(child->m_rating)
                           .arg(child->m_file)
                           .arg(child->m_top)
                           .arg(child->m_bottom);
        for (const QString& text : child->m_texts) {
            line += QLatin1Char('|') + text;
        }
        for (const CSkinListNode* block : {child->m_left, child->m_right}) {
            if (block != nullptr) {
                line += QStringLiteral(" block%1<%2 %3 [%4-%5]")
                            .arg(static_cast<int>(block->m_kind))
                            .arg(block->m_parent == child ? QStringLiteral("head")
                                                          : QStringLiteral("other"))
                            .arg(block->m_file)
                            .arg(block->m_top)
                            .arg(block->m_bottom);
            }
        }
        out << line;
        Dump(*child, out);
    }
}

QStringList Dump(const CSkinList& list)
{
    QStringList out;
    Dump(*list.Rows().Root(), out);
    out << QStringLiteral("songs %1 height %2")
               .arg(list.SongCount())
               .arg(list.Rows().Scroll().Max());
    return out;
}

// A library of kTracks tracks over a few hundred albums, alternately "Rock" and "Jazz", and
// two lists on the same skin: one filled on the worker, one on the window's connection.
class ListWorkerFillTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_db.SetLineSource([](LangSection, int) { return QStringLiteral("Unknown"); });
        m_db.SetFolder(m_profile.Path());
        m_db.OpenLibrary();
        m_db.Begin(DbConn::Library);
        for (int i = 0; i < kTracks; ++i) {
            TrackRecord r;
            r.size = 1000;
            r.modified = "2024-01-02 03:04:05";
            r.artist = "Artist " + std::to_string(i % 97);
            r.album = "Album " + std::to_string(i % 1301);
            r.title = "Title " + std::to_string(i);
            r.genre = i % 2 == 0 ? "Rock" : "Jazz";
            r.hasYear = true;
            r.year = 1970 + i % 50;
            r.hasNumber = true;
            r.number = i % 14 + 1;
            r.time = 100 + i % 300;
            r.type = 1;
            m_db.InsertLibraryRow("/music/" + std::to_string(i) + ".mp3", r.modified, r);
        }
        m_db.Commit(DbConn::Library);
        m_skin = WriteListSkin(m_profile.Path() + QStringLiteral("/plain"));
        m_blockSkin = WriteListSkin(m_profile.Path() + QStringLiteral("/blocks"), true);
        for (CSkinList* list : {&m_list, &m_direct}) {
            list->resize(300, 400);
            ASSERT_TRUE(list->LoadSkin(m_skin));
        }
    }

    void Start(const char* genre, CSkinList& list)
    {
        m_fill.Start(m_db.LibraryPath(),
            CLibraryQuery::ValueList(TreeKind::Genres, QString::fromLatin1(genre)),
            CLibraryQuery(m_db).ShapeOf(list), list);
    }

    // Fills the list on the worker and waits for the rows.
    void FillOnWorker(const char* genre)
    {
        QSignalSpy finished(&m_fill, &CListFill::Finished);
        Start(genre, m_list);
        ASSERT_TRUE(finished.wait(kDeadlineMs));
        ASSERT_TRUE(finished.at(0).at(0).toBool());
    }

    QStringList DirectDump(const char* genre)
    {
        CLibraryQuery(m_db).ListValue(TreeKind::Genres, QString::fromLatin1(genre), m_direct);
        return Dump(m_direct);
    }

    TestProfile m_profile;
    CDBase m_db;
    QString m_skin;
    QString m_blockSkin;
    CSkinList m_list;
    CSkinList m_direct;
    CListFill m_fill;
};

} // namespace

TEST_F(ListWorkerFillTest, TheWorkerBuildsTheTreeTheWindowWould)
{
    for (const bool blocks : {false, true}) {
        SCOPED_TRACE(blocks ? "with left blocks" : "without blocks");
        for (CSkinList* list : {&m_list, &m_direct}) {
            ASSERT_TRUE(list->LoadSkin(blocks ? m_blockSkin : m_skin));
        }
        FillOnWorker("Rock");
        const QStringList shown = Dump(m_list);
        EXPECT_EQ(shown, DirectDump("Rock"));
        EXPECT_EQ(m_list.SongCount(), kTracks / 2);
        // The layout is the list's own: the rows in view are found and drawn.
        QImage image(m_list.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        m_list.Render(painter);
        EXPECT_FALSE(m_list.Rows().VisibleRows().empty());
        // A refill of a long list replaces every row.
        FillOnWorker("Jazz");
        EXPECT_EQ(Dump(m_list), DirectDump("Jazz"));
    }
}

TEST_F(ListWorkerFillTest, ARefillDropsSelectionPlayMarkAndScrollAtOnce)
{
    FillOnWorker("Rock");
    CListRows& rows = m_list.Rows();
    m_list.SetPlayNode(rows.FindSongByIndex(10));
    rows.SelectAllSongs();
    rows.Scroll().ScrollTo(rows.Scroll().Max() / 2);

    Start("Jazz", m_list);
    // The old rows are gone before the worker has read anything.
    EXPECT_EQ(m_list.SongCount(), 0);
    EXPECT_TRUE(rows.Root()->m_children.empty());
    EXPECT_TRUE(rows.Selection().empty());
    EXPECT_EQ(rows.Playing(), nullptr);
    EXPECT_EQ(rows.Focus(), nullptr);
    EXPECT_EQ(rows.Scroll().Pos(), 0);

    // A fill superseded before its rows arrive never shows them, and the newest one shows
    // its own with nothing selected or playing.
    Start("Rock", m_list);
    QSignalSpy finished(&m_fill, &CListFill::Finished);
    ASSERT_TRUE(finished.wait(kDeadlineMs));
    EXPECT_EQ(Dump(m_list), DirectDump("Rock"));
    EXPECT_TRUE(rows.Selection().empty());
    EXPECT_EQ(rows.Playing(), nullptr);
    EXPECT_EQ(rows.Scroll().Pos(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(ListWorkerFillTest, ASkinLoadedDuringAFillGivesTheHeadsItsBlocks)
{
    // The worker makes the heads for the skin of the start; the rows arrive after the skin
    // with blocks is loaded, and after that one is replaced by a plain one again.
    for (const bool toBlocks : {true, false}) {
        SCOPED_TRACE(toBlocks ? "plain to blocks" : "blocks to plain");
        QSignalSpy finished(&m_fill, &CListFill::Finished);
        Start("Jazz", m_list);
        ASSERT_TRUE(m_list.LoadSkin(toBlocks ? m_blockSkin : m_skin));
        ASSERT_TRUE(m_direct.LoadSkin(toBlocks ? m_blockSkin : m_skin));
        ASSERT_TRUE(finished.wait(kDeadlineMs));
        EXPECT_EQ(Dump(m_list), DirectDump("Jazz"));
    }
}

TEST_F(ListWorkerFillTest, AListMayGoWhileItsOldRowsAreFreedElsewhere)
{
    // The old rows of a list that is destroyed right after a refill started are freed by the
    // worker all the same, and the worker serves the next list.
    auto doomed = std::make_unique<CSkinList>();
    doomed->resize(300, 400);
    ASSERT_TRUE(doomed->LoadSkin(m_skin));
    CLibraryQuery(m_db).ListValue(TreeKind::Genres, QStringLiteral("Rock"), *doomed);
    ASSERT_EQ(doomed->SongCount(), kTracks / 2);
    Start("Jazz", *doomed);
    m_fill.Cancel();
    doomed.reset();
    FillOnWorker("Jazz");
    EXPECT_EQ(Dump(m_list), DirectDump("Jazz"));

    // So are the rows of a fill that is closed with old rows still waiting to be freed.
    auto fill = std::make_unique<CListFill>();
    fill->Start(m_db.LibraryPath(), CLibraryQuery::ValueList(TreeKind::Genres,
                    QStringLiteral("Rock")), CLibraryQuery(m_db).ShapeOf(m_list), m_list);
    EXPECT_EQ(m_list.SongCount(), 0);
    fill.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_list.SongCount(), 0);
}
