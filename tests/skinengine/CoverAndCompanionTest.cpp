// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "BlockedOpen.h"
#include "CExImage.h"
#include "CMoveLayered.h"
#include "CTrigger.h"
#include "SkinTestKit.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

constexpr int kDeadlineMs = 20000;
constexpr QRgb kNone = 0;

// A cover control that records the colour of each picture it is given (kNone for none).
class RecordingCover : public CSkinElement {
public:
    QSize GetCoverSize() const override { return { 4, 4 }; }
    void SetCover(const CExImage& cover) override
    {
        shown << (cover.IsLoaded() ? cover.GetImage().pixel(0, 0) : kNone);
    }
    QList<QRgb> shown;
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
    QDeadlineTimer deadline(kDeadlineMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QByteArray PngBytes(Qt::GlobalColor color)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
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
        kit.WritePng("Music/B", "folder.png", 4, 4, Qt::blue);
        kit.Write("Music/C", "notes.txt", "no picture here");
        kit.draw.SetCoverListener([this](const QString& file) { files << file; });
        // The tracks' tags hold a green picture, seen only where the folder has none.
        kit.draw.SetPictureReader([](const QString&) { return PngBytes(Qt::green); });
    }
    QString Track(const QString& folder) const
    {
        return kit.ProgramFolder() + "/Skin/Music/" + folder + "/song.mp3";
    }
    RecordingCover* CoverAt(int i)
    {
        return static_cast<RecordingCover*>(FindControl(kit.panels, "Cover", i));
    }
    SkinTestKit kit;
    QStringList files;
};

TEST_F(Cover, EachAlbumShowsThePictureOfItsOwnFolderOrElseOfItsTags)
{
    struct Step {
        const char* folder;
        const char* album;
        QRgb shown;
        const char* file; // what the listener hears: the picture's file, "" for none
    };
    // B has the title of A but a folder of its own; C's folder has no picture.
    const Step steps[] = {
        { "A", "Album", qRgb(255, 0, 0), "/Music/A/front.jpg" },
        { "B", "Album", qRgb(0, 0, 255), "/Music/B/folder.png" },
        { "C", "Other", qRgb(0, 255, 0), "" },
        { "A", "Album", qRgb(255, 0, 0), "/Music/A/front.jpg" },
    };
    int count = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.folder);
        kit.draw.ShowCover(Track(step.folder), step.album);
        ++count;
        ASSERT_TRUE(WaitFor([&] { return CoverAt(1)->shown.size() == count; }));
        for (int i : { 0, 1 })
            EXPECT_EQ(CoverAt(i)->shown.last(), step.shown) << i;
        EXPECT_EQ(files.size(), count);
        EXPECT_TRUE(step.file[0] == 0 ? files.last().isEmpty() : files.last().endsWith(step.file))
            << files.last().toStdString();
    }
    // Another track of the album shown starts no search.
    kit.draw.ShowCover(kit.ProgramFolder() + "/Skin/Music/A/other.mp3", "Album");
    EXPECT_FALSE(kit.draw.IsCoverBusy());
}

TEST_F(Cover, AnswersOvertakenByANewerRequestAreDropped)
{
    kit.draw.ShowCover(Track("A"), "Album");
    kit.draw.ClearCover();
    ASSERT_EQ(CoverAt(0)->shown, QList<QRgb> { kNone });
    ASSERT_TRUE(WaitFor([&] { return !kit.draw.IsCoverBusy(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(CoverAt(0)->shown, QList<QRgb> { kNone }) << "the cleared search's answer is dropped";

    kit.draw.ShowCover(Track("A"), "Album");
    ASSERT_TRUE(kit.draw.ApplySkin("C")) << "a new skin looks the cover up again";
    ASSERT_TRUE(WaitFor([&] { return !CoverAt(0)->shown.isEmpty(); }));
    EXPECT_EQ(CoverAt(0)->shown.last(), qRgb(255, 0, 0));
}

TEST_F(Cover, APictureWhoseOpenHangsHoldsUpNeitherTheWindowNorTheNextCover)
{
    BlockedOpen stuck(kit.ProgramFolder() + "/Skin/Music/S/cover.jpg", PngBytes(Qt::yellow),
        kDeadlineMs);
    ASSERT_TRUE(stuck.IsHeld());
    kit.draw.ShowCover(Track("S"), "Stuck");
    ASSERT_TRUE(WaitFor([&] { return stuck.HasOpener(); })) << "the search opens the picture";
    // The stuck search may give up on the picture and answer with the tags' one before the
    // next request drops it; what counts is that the next cover arrives and the window runs.
    bool answered = false;
    QTimer::singleShot(0, [&] { answered = true; });
    kit.draw.ShowCover(Track("A"), "Album");
    ASSERT_TRUE(WaitFor([&] {
        return !CoverAt(0)->shown.isEmpty() && CoverAt(0)->shown.last() == qRgb(255, 0, 0);
    }));
    EXPECT_TRUE(answered);
    EXPECT_FALSE(stuck.Expired()) << "the window waited for the stuck search";
    stuck.Release();
    kit.draw.ClearCover();
    EXPECT_FALSE(stuck.Expired());
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
