// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPanelWnd.h"
#include "PlayerHome.h"
#include "TestProfile.h"

#include <QApplication>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The main window with a stored library: the tree and the list sit over the skin's Library
// and Playlist elements, the tree lists the categories, and expanding and clicking a genre
// fills the list through the browsing queries.
class PanelViewsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString profile = UseProfile(m_home);
        CDBase db;
        db.SetFolder(profile);
        db.OpenLibrary();
        for (int i = 1; i <= 4; ++i) {
            TrackRecord r;
            r.title = "Song " + std::to_string(i);
            r.artist = "Artist";
            r.album = i <= 2 ? "One" : "Two";
            r.genre = "Jazz";
            r.time = 60;
            db.InsertLibraryRow("/m/" + std::to_string(i) + ".mp3", "2026-01-01 00:00:00", r);
        }
    }

    static void Paint(QWidget& view)
    {
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        if (auto* tree = qobject_cast<CSkinTree*>(&view))
            tree->Render(painter);
    }

    TestProfile m_home;
};

} // namespace

TEST_F(PanelViewsTest, TreeAndListSitOverTheirElementsAndFillFromAGenre)
{
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    auto* tree = wnd.findChild<CSkinTree*>(QStringLiteral("SkinTree"));
    auto* list = wnd.findChild<CSkinList*>(QStringLiteral("SkinList"));
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(list, nullptr);
    for (const auto& panel : wnd.GetPanels()) {
        for (const CSkinPanelElement& element : panel->GetElements()) {
            const CSkinElement* control = element.GetControl();
            if (control->IsHidden())
                continue;
            if (control->GetType() == static_cast<int>(SkinKind::Library)) {
                EXPECT_EQ(tree->geometry(), control->GetRect().ToQRect());
            } else if (control->GetType() == static_cast<int>(SkinKind::Playlist)) {
                EXPECT_EQ(list->geometry(), control->GetRect().ToQRect());
            }
        }
    }
    const auto& categories = tree->Rows().Root()->m_children;
    ASSERT_EQ(categories.size(), 6u);
    EXPECT_EQ(categories[0]->Label(), QStringLiteral("Artists"));
    EXPECT_EQ(categories[5]->Label(), QStringLiteral("Playlists"));
    CSkinTreeNode* genres = categories[3];

    Paint(*tree);
    const auto& visible = tree->Rows().VisibleNodes();
    const auto at = std::find(visible.begin(), visible.end(), genres);
    ASSERT_NE(at, visible.end());
    const QRect button = tree->Rows().ExpandRects()[static_cast<std::size_t>(at - visible.begin())];
    ASSERT_FALSE(button.isEmpty());
    QTest::mouseClick(tree, Qt::LeftButton, Qt::NoModifier, button.center());
    // The category's children are read on a worker and come through the event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !genres->m_children.empty(); }, 20000));
    ASSERT_EQ(genres->m_children.size(), 1u);
    EXPECT_EQ(genres->m_children[0]->m_key, QStringLiteral("Jazz"));
    Paint(*tree);
    QTest::mouseClick(tree, Qt::LeftButton, Qt::NoModifier,
                      QPoint(tree->width() / 2, genres->m_children[0]->m_top + 5));
    // The library list is read on the worker; the window gets the rows a moment later.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !wnd.GetListFill().IsRunning(); }, 20000));
    EXPECT_EQ(list->SongCount(), 4);
    EXPECT_EQ(list->Rows().Root()->m_children.size(), 2u); // two albums, two groups
    wnd.Shutdown();
}

TEST_F(PanelViewsTest, ClosingWhileAListFillsNeitherHangsNorLeavesTheWaitCursor)
{
    {
        CPanelWnd wnd;
        ASSERT_TRUE(wnd.Create());
        CSkinTreeNode* genres = wnd.GetTree().Rows().Root()->m_children[3];
        // As the tree does on a click on the expand button.
        wnd.GetTree().Rows().SetFillTarget(genres);
        wnd.OnUserMessage(UWM_TREEEXPAND, reinterpret_cast<WParam>(genres), 0);
        wnd.GetTree().Rows().SetFillTarget(nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !genres->m_children.empty(); }, 20000));
        ASSERT_EQ(genres->m_children.size(), 1u);
        wnd.OnUserMessage(UWM_TREESELECT, reinterpret_cast<WParam>(genres->m_children[0]), 0);
        // The rows come through the event loop, which has not run: the fill is still going.
        ASSERT_TRUE(wnd.GetListFill().IsRunning());
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(wnd.GetList().SongCount(), 0) << "the old rows go at once";
        wnd.Shutdown();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
