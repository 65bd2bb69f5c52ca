// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The search box of each shipped skin in the real window over a real library: its keys, the
// list of what the typed words find, and the list it showed before coming back.
#include "CPanelWnd.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using session::kDeadlineMs;

class SearchBox : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("SDL_AUDIODRIVER", "dummy");
        MakeLibrary();
        m_wnd = std::make_unique<CPanelWnd>();
        ASSERT_TRUE(session::CreateAndRestore(*m_wnd));
        m_wnd->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_wnd.get()));
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }

    // Björk (ids 1, 2), Sigur Rós (3) and Queen (4, 5); the list shows Queen at start.
    void MakeLibrary()
    {
        CDBase db;
        QDir().mkpath(Profile());
        db.SetFolder(Profile());
        db.OpenLibrary();
        const struct {
            const char* title;
            const char* artist;
            const char* album;
        } tracks[] = {
            {"Jóga", "Björk", "Homogenic"},
            {"Human Behaviour", "Björk", "Debut"},
            {"Hoppípolla", "Sigur Rós", "Takk"},
            {"Mustapha", "Queen", "Jazz"},
            {"Death on Two Legs", "Queen", "A Night at the Opera"},
        };
        int n = 0;
        for (const auto& t : tracks) {
            TrackRecord r;
            r.title = t.title;
            r.artist = t.artist;
            r.album = t.album;
            r.type = 1;
            r.time = 200;
            const std::string file = "/music/" + std::to_string(++n) + ".mp3";
            ASSERT_TRUE(db.InsertLibraryRow(file, CDBase::NowText(), r));
        }
        CSettings settings;
        settings.SetSkin(QString::fromLatin1(GetParam()));
        CSettings::LibraryNode node;
        node.node1Type = 2;
        node.node2String = "Queen";
        node.node2This = 1;
        settings.SetLibraryNode(node);
        ASSERT_TRUE(settings.Save(Profile()));
    }

    QWindow* Window() { return m_wnd->windowHandle(); }
    CSkinSearch& Search() { return m_wnd->GetSearch(); }

    // The library ids the list shows once no fill runs any more.
    QList<int> ListedIds()
    {
        EXPECT_TRUE(QTest::qWaitFor(
            [this] { return !m_wnd->GetListFill().IsRunning(); }, kDeadlineMs));
        QList<int> ids;
        for (const CSkinListNode* row : m_wnd->GetList().Rows().Songs())
            ids << row->m_libraryId;
        return ids;
    }
    bool WaitForList(const QList<int>& ids)
    {
        return QTest::qWaitFor([&] { return ListedIds() == ids; }, kDeadlineMs);
    }
    void Type(const QString& text)
    {
        for (const QChar c : text)
            QTest::keyClick(Window(), c.toLatin1());
    }

    TestProfile m_home;
    std::unique_ptr<CPanelWnd> m_wnd;
};

TEST_P(SearchBox, TheSkinPlacesAFinishedBoxInTheWindow)
{
    ASSERT_TRUE(Search().isVisible());
    EXPECT_TRUE(m_wnd->rect().contains(Search().geometry()));
    EXPECT_GE(Search().width(), 160);
    EXPECT_TRUE(Search().HasClearButton());
    EXPECT_EQ(Search().placeholderText(), QStringLiteral("Search the library"));
    // The list and the box do not overlap: the box never hides a row.
    EXPECT_FALSE(Search().geometry().intersects(m_wnd->GetList().geometry()));
}

TEST_P(SearchBox, KeysFocusTheBoxAndTypedWordsListWhatTheyFind)
{
    ASSERT_EQ(ListedIds(), QList<int>({5, 4}));
    EXPECT_FALSE(Search().hasFocus()) << "the window's keys stay the player's until asked";
    QTest::keyClick(Window(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Search().hasFocus(); }, kDeadlineMs));
    QTest::keyClick(Window(), Qt::Key_Escape); // empty already: the focus goes back
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Search().hasFocus(); }, kDeadlineMs));
    QTest::keyClick(Window(), '/');
    ASSERT_TRUE(QTest::qWaitFor([this] { return Search().hasFocus(); }, kDeadlineMs));
    EXPECT_EQ(Search().text(), QString()) << "the key that focused the box is not typed into it";

    Type(QStringLiteral("bj"));
    EXPECT_EQ(Search().text(), QStringLiteral("bj"));
    EXPECT_TRUE(WaitForList({2, 1})) << "Björk's tracks, grouped by album";
    // Space and "/" are text while the box has the focus, not the player's keys.
    QSignalSpy commands(m_wnd.get(), &CPanelWnd::CommandRouted);
    Type(QStringLiteral(" /hom"));
    EXPECT_TRUE(WaitForList({1}));
    EXPECT_EQ(commands.count(), 0);

    QTest::keyClick(Window(), Qt::Key_Escape);
    EXPECT_EQ(Search().text(), QString());
    EXPECT_TRUE(WaitForList({5, 4})) << "the list shown before the search";

    Type(QStringLiteral("*"));
    EXPECT_EQ(ListedIds(), QList<int>({5, 4})) << "no word, no search";
    Type(QStringLiteral("sigur ros"));
    EXPECT_TRUE(WaitForList({3}));
}

TEST_P(SearchBox, ChoosingATreeNodeLetsGoOfTheSearch)
{
    CSkinTree& tree = m_wnd->GetTree();
    if (!tree.isVisible())
        GTEST_SKIP() << "this skin opens with the library tree hidden";
    QTest::keyClick(Window(), '/');
    Type(QStringLiteral("bj"));
    ASSERT_TRUE(WaitForList({2, 1}));
    CSkinTreeNode* artists = session::Head(tree, NodeType::Artist);
    ASSERT_NE(artists, nullptr);
    ASSERT_TRUE(session::ClickExpand(tree, artists));
    CSkinTreeNode* sigur = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return (sigur = session::Child(artists, QString::fromUtf8("Sigur Rós"))) != nullptr;
    }, kDeadlineMs));
    session::ClickNode(tree, sigur);
    EXPECT_TRUE(WaitForList({3}));
    EXPECT_EQ(Search().text(), QString());
}

INSTANTIATE_TEST_SUITE_P(Skins, SearchBox, ::testing::Values("Default", "Frost"));

} // namespace
