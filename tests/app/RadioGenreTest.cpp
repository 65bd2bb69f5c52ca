// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A radio genre chosen in the real window's tree while a slow loopback directory answers: the
// click returns at once, the wait cursor shows until the stations are in, and whatever the
// user or the engine does meanwhile acts on the rows shown then and never on rows the stations
// replaced.
#include "AudioFixture.h"
#include "CPanelWnd.h"
#include "DirectoryServer.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

using Mode = DirectoryServer::Mode;

class RadioGenre;

struct WhileLoading {
    const char* name;
    // Runs once the directory has the first request and before it answers.
    std::function<void(RadioGenre&)> during;
    // Runs once the stations are listed.
    std::function<void(RadioGenre&)> after;
    const char* listedGenre; // whose stations the list shows in the end
};

void PrintTo(const WhileLoading& c, std::ostream* os) { *os << c.name; }

class RadioGenre : public ::testing::TestWithParam<WhileLoading> {
public:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("SDL_AUDIODRIVER", "dummy");
        MakeLibrary();
        m_wnd = std::make_unique<CPanelWnd>();
        ASSERT_TRUE(session::CreateAndRestore(*m_wnd));
        ASSERT_EQ(Songs().size(), 3u);
        m_wnd->GetRadio().SetServer(m_server.Server());
        CSkinTree& tree = m_wnd->GetTree();
        m_radio = session::Head(tree, NodeType::Radio);
        ASSERT_NE(m_radio, nullptr);
        ASSERT_TRUE(session::ClickExpand(tree, m_radio));
        ASSERT_EQ(m_radio->m_children.size(), 48u);
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
    }

    CPanelWnd& Wnd() { return *m_wnd; }
    const std::vector<CSkinListNode*>& Songs() { return m_wnd->GetList().Rows().Songs(); }
    void ClickGenre(const char* label)
    {
        const CSkinTreeNode* genre = session::Child(m_radio, QString::fromUtf8(label));
        ASSERT_NE(genre, nullptr);
        session::ClickNode(m_wnd->GetTree(), genre);
    }

    TestProfile m_home;
    DirectoryServer m_server;
    std::unique_ptr<CPanelWnd> m_wnd;
    CSkinTreeNode* m_radio = nullptr;
    QString m_nextFile; // the engine's question answered while loading

private:
    void MakeLibrary()
    {
        const QString profile = m_home.File("data") + "/Plumo";
        QDir().mkpath(profile);
        CDBase db;
        db.SetFolder(profile);
        db.OpenLibrary();
        for (int i = 1; i <= 3; ++i) {
            const QString path = m_home.File(QString("music/%1.mp3").arg(i));
            ASSERT_TRUE(fixture::CopyTone("mp3", path));
            TrackRecord r;
            r.title = QString("Track %1").arg(i).toStdString();
            r.artist = "Artist";
            r.time = 1;
            r.type = 1;
            ASSERT_TRUE(db.InsertLibraryRow(path.toStdString(), CDBase::NowText(), r));
        }
        CSettings settings;
        CSettings::LibraryNode node;
        node.node1Type = 2;
        node.node2String = "Artist";
        node.node2This = 1;
        settings.SetLibraryNode(node);
        // The genres of the older directory format, whose stand-in this test runs.
        settings.SetRadioDirectory(1);
        ASSERT_TRUE(settings.Save(profile));
    }
};

QByteArray Stations(const QByteArray& genre)
{
    return HttpAnswer(StationList({"name=\"" + genre + " A\" id=\"1\" lc=\"50\"",
                                   "name=\"" + genre + " B\" id=\"2\" lc=\"300\""}));
}

TEST_P(RadioGenre, LoadsBehindTheWaitCursorWhileTheWindowAnswers)
{
    const WhileLoading& c = GetParam();
    bool clickReturned = false;
    bool returnedFirst = false;
    bool waitCursor = false;
    bool acted = false;
    m_server.SetHandler([&](const QByteArray& target) -> DirectoryServer::Answer {
        const QByteArray genre = target.mid(target.indexOf('=') + 1);
        if (acted)
            return {Stations(genre), Mode::Close};
        acted = true;
        returnedFirst = clickReturned;
        const QCursor* cursor = QApplication::overrideCursor();
        waitCursor = cursor && cursor->shape() == Qt::WaitCursor;
        QTimer::singleShot(0, [&] {
            c.during(*this);
            m_server.Release();
        });
        return {Stations(genre), Mode::Held};
    });
    ClickGenre("60s");
    clickReturned = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Wnd().GetList().Rows().RadioMode(); }, 30000));
    ASSERT_TRUE(QTest::qWaitFor([] { return !QApplication::overrideCursor(); }, 30000))
        << "the wait cursor goes with the load";
    EXPECT_TRUE(returnedFirst) << "the click returned before the directory was asked";
    EXPECT_TRUE(waitCursor) << "the wait cursor showed while the genre loaded";
    ASSERT_EQ(Songs().size(), 2u);
    const QString genre = QString::fromUtf8(c.listedGenre);
    EXPECT_EQ(session::TitleOf(Songs()[0]), genre + " A");
    EXPECT_EQ(session::TitleOf(Songs()[1]), genre + " B");
    c.after(*this);
}

INSTANTIATE_TEST_SUITE_P(Window, RadioGenre, ::testing::Values(
    WhileLoading{"the engine asks for the next track",
        [](RadioGenre& g) {
            SendMsg(g.Wnd().MsgTarget(), UWM_PLAYERNEXTFILE, reinterpret_cast<WParam>(&g.m_nextFile));
        },
        [](RadioGenre& g) {
            EXPECT_FALSE(g.m_nextFile.isEmpty()) << "answered from the rows shown then";
            EXPECT_EQ(g.Wnd().GetPlayer().prepared, nullptr)
                << "the row the answer named went with the refill";
            // The engine moves on to the file it was given: no row stands for it any more.
            SendMsg(g.Wnd().MsgTarget(), UWM_PLAYERTRACKEND, 0, 0);
            EXPECT_FALSE(g.Wnd().GetPlayer().playing);
            EXPECT_EQ(g.Wnd().GetList().Rows().Playing(), nullptr);
        },
        "60s"},
    WhileLoading{"a second genre is chosen",
        [](RadioGenre& g) { g.ClickGenre("70s"); },
        [](RadioGenre& g) { EXPECT_EQ(g.m_server.requests.size(), 2); },
        "70s"},
    WhileLoading{"the user steps through the list",
        [](RadioGenre& g) {
            CSkinList& list = g.Wnd().GetList();
            list.setFocus();
            QTest::keyClick(&list, Qt::Key_Down);
            EXPECT_EQ(session::TitleOf(list.Rows().Focus()), "Track 1") << "the list answered";
        },
        [](RadioGenre& g) { EXPECT_EQ(g.Wnd().GetList().Rows().Focus(), nullptr); },
        "60s"}));

} // namespace
