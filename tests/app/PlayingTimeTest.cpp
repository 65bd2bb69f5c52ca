// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The skin's Time text in the real window playing a real file: it counts, a click turns it
// into the time left (kept in the settings), a seek shows the new place at once, a stop
// clears it; and the track bar tells the time under the pointer.
#include "AudioFixture.h"
#include "CPanelWnd.h"
#include "CSkinTrack.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QDir>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

constexpr int kDeadlineMs = 20000;
constexpr int kSeconds = 10;

class PlayingTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("SDL_AUDIODRIVER", "dummy");
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }

    // One track of kSeconds in the library, listed at start-up.
    void MakeLibrary()
    {
        CDBase db;
        db.SetFolder(Profile());
        QDir().mkpath(Profile());
        db.OpenLibrary();
        const QString path = m_home.File("music/long.mp3");
        QDir().mkpath(m_home.File("music"));
        fixture::Tone tone;
        tone.seconds = kSeconds;
        ASSERT_TRUE(fixture::MakeTone(path, tone));
        TrackRecord r;
        r.title = "Long";
        r.artist = "Artist";
        r.album = "Album";
        r.time = kSeconds;
        r.type = 1;
        ASSERT_TRUE(db.InsertLibraryRow(path.toStdString(), CDBase::NowText(), r));
        CSettings settings;
        CSettings::LibraryNode node;
        node.node1Type = 2;
        node.node2String = "Artist";
        node.node2This = 1;
        settings.SetLibraryNode(node);
        ASSERT_TRUE(settings.Save(Profile()));
    }

    CPanelWnd& Start()
    {
        m_wnd = std::make_unique<CPanelWnd>();
        EXPECT_TRUE(session::CreateAndRestore(*m_wnd));
        return *m_wnd;
    }

    CSkinElement* Shown(SkinKind kind) const
    {
        CSkinElement* found = nullptr;
        m_wnd->GetSkinDraw().ForEachControl([&](const CSkinPanel& panel, CSkinElement* c) {
            if (found == nullptr && c->GetKind() == kind && !panel.IsHidden() && !c->IsHidden())
                found = c;
        });
        return found;
    }
    QString Time() const
    {
        const CSkinElement* time = Shown(SkinKind::Time);
        return time ? time->GetText() : QStringLiteral("<no Time element>");
    }
    static QPoint Centre(const CSkinElement* c)
    {
        const SkinRect& r = c->GetRect();
        return QPoint(r.left + r.Width() / 2, r.top + r.Height() / 2);
    }

    TestProfile m_home;
    std::unique_ptr<CPanelWnd> m_wnd;
};

TEST_F(PlayingTime, CountsWhileAFilePlaysAndAClickCountsWhatIsLeft)
{
    MakeLibrary();
    CPanelWnd& wnd = Start();
    ASSERT_NE(Shown(SkinKind::Time), nullptr) << "the shipped skin shows the time";
    EXPECT_EQ(Time(), "");
    wnd.PlayRow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return wnd.GetPlayer().playing; }, kDeadlineMs));
    EXPECT_TRUE(Time().endsWith(" / 0:10")) << Time().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Time() == "0:02 / 0:10"; }, kDeadlineMs))
        << Time().toStdString();

    const QPoint time = Centre(Shown(SkinKind::Time));
    QTest::mouseMove(&wnd, time);
    QTest::mousePress(&wnd, Qt::LeftButton, {}, time);
    QTest::mouseRelease(&wnd, Qt::LeftButton, {}, time);
    EXPECT_EQ(wnd.GetSettings().GetTimeRemaining(), 1);
    EXPECT_TRUE(Time().startsWith("-0:0")) << Time().toStdString();
    EXPECT_FALSE(wnd.GetMover().IsDragging()) << "a press on the time does not move the window";

    // A seek shows where it goes before the file is open there again.
    wnd.Seek(CPlayBass::kMaxLevel / 2);
    EXPECT_EQ(Time(), "-0:05 / 0:10");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Time() == "-0:03 / 0:10"; }, kDeadlineMs))
        << Time().toStdString();

    wnd.Stop();
    EXPECT_EQ(Time(), "");
    wnd.Shutdown();
    EXPECT_NE(m_home.Read("data/Plumo/Settings.xml").indexOf("<TimeRemaining ID=\"1\"/>"), -1);
}

TEST_F(PlayingTime, TheTrackBarTellsTheTimeUnderThePointer)
{
    MakeLibrary();
    CPanelWnd& wnd = Start();
    wnd.show();
    const CSkinElement* bar = Shown(SkinKind::TrackBar);
    ASSERT_NE(bar, nullptr);
    const SkinRect& r = bar->GetRect();
    const QPoint end(r.right - 1, r.top + r.Height() / 2);
    QTest::mouseMove(&wnd, end);
    EXPECT_FALSE(QToolTip::isVisible()) << "nothing plays: no time to tell";

    wnd.PlayRow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return wnd.GetPlayer().playing; }, kDeadlineMs));
    const QPoint start(r.left, end.y());
    QTest::mouseMove(&wnd, start);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, kDeadlineMs));
    EXPECT_EQ(QToolTip::text(), "0:00");
    QTest::mouseMove(&wnd, end);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::text() == "0:10"; }, kDeadlineMs))
        << QToolTip::text().toStdString();
}

} // namespace
