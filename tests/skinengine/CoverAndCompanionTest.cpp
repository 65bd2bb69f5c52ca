// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMoveLayered.h"
#include "CTrigger.h"
#include "SkinTestKit.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A cover control that records the picture files it is given.
class RecordingCover : public CSkinElement {
public:
    void SetString(const QString& text) override { files << text; }
    QStringList files;
};

std::unique_ptr<CSkinElement> RecordingFactory(int kind)
{
    if (kind == static_cast<int>(SkinKind::Cover))
        return std::make_unique<RecordingCover>();
    return std::make_unique<CSkinElement>();
}

// Runs the event loop until done() holds; a generous deadline only turns a hang into a failure.
bool WaitFor(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(20000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class Cover : public ::testing::Test {
protected:
    void SetUp() override
    {
        kit.draw.SetControlFactory(RecordingFactory);
        kit.WriteSkin("C", R"(<Panel><Position Left="0" Top="0" Right="0" Bottom="0"/><Elements>
            <Cover><Skin File="none.xml"/></Cover><Cover><Skin File="none.xml"/></Cover>
            </Elements></Panel>)");
        ASSERT_TRUE(kit.Load("C", 100, 100));
        kit.WritePng("Music/A", "front.jpg", 4, 4, Qt::red);
        kit.WritePng("Music/B", "x.txt", 1, 1, Qt::red);
        trackA = kit.ProgramFolder() + "/Skin/Music/A/song.mp3";
        trackB = kit.ProgramFolder() + "/Skin/Music/B/song.mp3";
    }
    RecordingCover* CoverAt(int i)
    {
        return static_cast<RecordingCover*>(FindControl(kit.panels, "Cover", i));
    }
    SkinTestKit kit;
    QString trackA;
    QString trackB;
};

TEST_F(Cover, EveryCoverControlGetsTheFoundPictureOnceForAKey)
{
    kit.draw.ShowCover(trackA, "A");
    ASSERT_TRUE(WaitFor([&] { return CoverAt(1)->files.size() == 1; }));
    for (int i : { 0, 1 })
        EXPECT_TRUE(CoverAt(i)->files.at(0).endsWith("/Music/A/front.jpg")) << i;
    kit.draw.ShowCover(trackA, "A");
    EXPECT_FALSE(kit.draw.IsCoverBusy()) << "the same key starts no search";

    kit.draw.ShowCover(trackB, "B");
    ASSERT_TRUE(WaitFor([&] { return CoverAt(0)->files.size() == 2; }));
    EXPECT_EQ(CoverAt(0)->files.at(1), "") << "no picture in the folder: no cover";
}

TEST_F(Cover, AnswersOvertakenByANewerRequestAreDropped)
{
    kit.draw.ShowCover(trackA, "A");
    kit.draw.ClearCover(); // waits for the search; its answer is still queued
    ASSERT_EQ(CoverAt(0)->files, QStringList { "" });
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(CoverAt(0)->files, QStringList { "" }) << "the cleared search's answer is dropped";

    kit.draw.ShowCover(trackA, "A");
    ASSERT_TRUE(kit.draw.ApplySkin("C")) << "a new skin looks the cover up again";
    ASSERT_TRUE(WaitFor([&] { return !CoverAt(0)->files.isEmpty(); }));
    EXPECT_TRUE(CoverAt(0)->files.last().endsWith("front.jpg"));
}

TEST(Companions, FollowTheirElementsThroughATrigger)
{
    SkinTestKit kit;
    kit.WriteSkin("L", R"(<Transparent AlphaBlend="1"/>
        <Panel ID="1"><Position Left="0" Top="0" Width="60" Height="50"/><Elements>
          <Library><Skin File="tree.xml"/><Position Left="5" Top="5" Right="5" Bottom="5"/></Library>
        </Elements></Panel>
        <Panel ID="2" Hide="1"><Position Left="60" Top="0" Right="0" Bottom="0"/><Elements>
          <Playlist><Skin File="list.xml"/></Playlist></Elements></Panel>)");
    kit.draw.SetControlFactory(RecordingFactory);
    ASSERT_TRUE(kit.Load("L", 200, 100));
    QWidget window;
    window.resize(200, 100);
    auto* tree = new QWidget(&window);
    auto* list = new QWidget(&window);
    window.show();
    CMoveLayered composer;
    composer.Add(tree, FindControl(kit.panels, "Library"));
    composer.Add(list, FindControl(kit.panels, "Playlist"));
    composer.Show();
    composer.Place(false);
    EXPECT_TRUE(tree->isVisible());
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(tree->geometry(), QRect(5, 5, 50, 40));

    CTrigger trigger;
    kit.Write("L", "swap.xml", R"(<Trigger><a ID="1" Hide="1"/><b ID="2" Hide="0"/></Trigger>)");
    ASSERT_TRUE(trigger.Load(kit.ProgramFolder() + "/Skin/L/swap.xml"));
    trigger.Apply(kit.panels);
    kit.draw.FullRepaint();
    composer.Show();
    composer.Place(true);
    EXPECT_FALSE(tree->isVisible()) << "a hidden panel hides the tree placed in it";
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->geometry(), QRect(60, 0, 140, 100));

    kit.draw.Layout(300, 120);
    composer.Place(false);
    EXPECT_EQ(list->geometry(), QRect(60, 0, 240, 120)) << "rectangles are read at each use";
    composer.Clear();
    EXPECT_EQ(composer.GetCount(), 0);
}

TEST(Companions, NonLayeredChildWindowsMoveWithLayout)
{
    SkinTestKit kit;
    kit.WriteSkin("N", R"(<Panel ID="4"><Position Left="10" Top="10" Right="10" Bottom="10"/>
        <Elements><Spectrum><Skin File="vis.xml"/><Position Left="0" Top="0" Width="30" Height="20"/>
        </Spectrum></Elements></Panel>)");
    kit.draw.SetControlFactory(RecordingFactory);
    ASSERT_TRUE(kit.Load("N", 100, 100));
    QWidget window;
    auto* vis = new QWidget(&window);
    window.show();
    CSkinElement* element = FindControl(kit.panels, "Spectrum");
    element->SetWindow(vis);
    kit.draw.FullRepaint();
    EXPECT_EQ(vis->geometry(), QRect(10, 10, 30, 20));
    EXPECT_TRUE(vis->isVisible());
    kit.panels[0]->SetHidden(true);
    kit.draw.FullRepaint();
    EXPECT_FALSE(vis->isVisible()) << "laid out but hidden with its panel";
}

} // namespace
