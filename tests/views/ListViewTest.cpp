// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioFixture.h"
#include "BlockedOpen.h"
#include "CSkinList.h"
#include "CSkinTree.h"
#include "SkinFixture.h"
#include "TestProfile.h"
#include "platform/CMsgTarget.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace skinfixture;

namespace {

// Drag and drop events go straight to the widget: the application drops them when no real
// drag is in progress.
void Deliver(QWidget& widget, QEvent& event)
{
    static_cast<QObject&>(widget).event(&event);
}

// Records the private messages a view sends.
class Recorder : public CMsgTarget {
public:
    LResult OnUserMessage(unsigned msg, WParam wParam, LParam lParam) override
    {
        messages.push_back({msg, wParam, lParam});
        return 0;
    }
    struct Message {
        unsigned msg;
        WParam wParam;
        LParam lParam;
    };
    std::vector<Message> messages;
    int Count(unsigned msg) const
    {
        return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                              [&](const Message& m) { return m.msg == msg; }));
    }
};

// Waits for condition with the event loop running; the deadline only turns a hang into a
// failure.
template <typename F>
bool WaitFor(F condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 20000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.Create(nullptr, &owner);
        list.resize(300, 200);
        ASSERT_TRUE(list.LoadSkin(WriteListSkin(profile.Path() + QStringLiteral("/skin"))));
    }
    // Groups of songs; each song titled "Song n".
    void Fill(std::initializer_list<int> groups, bool playlist = false)
    {
        list.BeginUpdate();
        int n = 1;
        for (const int count : groups) {
            ListTexts head;
            head[0] = QStringLiteral("Artist");
            head[1] = QStringLiteral("Album %1").arg(n);
            list.AddHead(profile.Path() + QStringLiteral("/none/x.mp3"), head);
            for (int i = 0; i < count; ++i, ++n) {
                ListTexts texts;
                texts[2] = QStringLiteral("Song %1").arg(n);
                list.AddSong(playlist ? n : 0, true, QStringLiteral("/m/%1.mp3").arg(n),
                             playlist ? 0 : n, 0, texts);
            }
        }
        list.EndUpdate();
        Paint();
    }
    QImage Paint()
    {
        QImage image(list.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        list.Render(painter);
        return image;
    }
    CSkinListNode* Song(int n) { return list.Rows().FindSongByIndex(n); }
    QPoint Middle(const CSkinListNode* row) const
    {
        return {150, row->m_top - list.Rows().Scroll().Pos() + row->Height() / 2};
    }
    QRgb Pixel(const CSkinListNode* row, int x = 5)
    {
        return Paint().pixel(x, row->m_top - list.Rows().Scroll().Pos() + 1);
    }

    TestProfile profile;
    Recorder owner;
    CSkinList list;
};

TEST_F(ListViewTest, RowsShowStripesSelectionAndPlayState)
{
    Fill({3, 3});
    EXPECT_EQ(Pixel(Song(0)), kLine1);
    EXPECT_EQ(Pixel(Song(1)), kLine2);
    EXPECT_EQ(Pixel(Song(3)), kLine1); // stripes restart in the second group
    QTest::mouseClick(&list, Qt::LeftButton, Qt::NoModifier, Middle(Song(0)));
    QTest::mouseClick(&list, Qt::LeftButton, Qt::ShiftModifier, Middle(Song(2)));
    EXPECT_EQ(Pixel(Song(0)), kSelect);
    EXPECT_EQ(Pixel(Song(1)), kSelect);
    EXPECT_EQ(Pixel(Song(2)), kFocus);
    // A double click arrives after the press and release of its first click.
    QTest::mouseClick(&list, Qt::LeftButton, Qt::NoModifier, Middle(Song(4)));
    QTest::mouseDClick(&list, Qt::LeftButton, Qt::NoModifier, Middle(Song(4)));
    ASSERT_EQ(owner.Count(UWM_LISTPLAY), 1);
    EXPECT_EQ(owner.messages.back().wParam, reinterpret_cast<WParam>(Song(4)));
    list.SetPlayNode(nullptr);
    EXPECT_EQ(Pixel(Song(4)), kFocus);
    list.Rows().ClearSelection();
    list.SetPlayNode(Song(5));
    list.Rows().ClearSelection();
    EXPECT_EQ(Pixel(Song(5)), kPlaying);
    // Heads use their defaults only and show the default cover.
    const QImage image = Paint();
    EXPECT_EQ(image.pixel(1, 1), kHeadFill);
    EXPECT_EQ(image.pixel(10, 10), kNoCover);
    // Below the last row the window's background colour shows.
    EXPECT_EQ(image.pixel(5, 195), kListBack);
}

TEST_F(ListViewTest, StarsAreClickedAndReported)
{
    Fill({2});
    const CSkinListNode* row = Song(1);
    // Stars: 5 from the right edge, 10 pixels each: x 245..295.
    const int y = row->m_top + 8;
    QTest::mouseClick(&list, Qt::LeftButton, Qt::NoModifier, QPoint(268, y));
    EXPECT_EQ(row->m_rating, 3);
    ASSERT_EQ(owner.Count(UWM_LISTRATING), 1);
    const QImage image = Paint();
    EXPECT_EQ(image.pixel(266, y), kStarOn);
    EXPECT_EQ(image.pixel(276, y), kStarOff);
    QTest::mouseClick(&list, Qt::LeftButton, Qt::NoModifier, QPoint(268, y));
    EXPECT_EQ(row->m_rating, 2);
    EXPECT_FALSE(row->m_selected);
}

TEST_F(ListViewTest, KeysWheelAndScrollBarOnALongList)
{
    Fill({40});
    QScrollBar* bar = list.findChild<QScrollBar*>(QStringLiteral("7001"));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisibleTo(&list));
    EXPECT_EQ(bar->maximum(), 30 + 40 * 20 - 200);
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(list.Rows().Focus(), Song(39));
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(Paint().pixel(5, 190), kFocus); // the last row at the bottom
    QTest::keyClick(&list, Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&list, &wheel);
    EXPECT_EQ(list.Rows().Scroll().Pos(), QApplication::wheelScrollLines() * 20);
    EXPECT_EQ(bar->value(), list.Rows().Scroll().Pos());
    bar->setValue(100);
    EXPECT_EQ(list.Rows().Scroll().Pos(), 100);
}

TEST_F(ListViewTest, RightClickSendsTheMenuPointAndDragOutAsksTheOwner)
{
    Fill({3});
    QTest::mousePress(&list, Qt::RightButton, Qt::NoModifier, Middle(Song(1)));
    ASSERT_EQ(owner.Count(UWM_LISTMENU), 1);
    const QPoint screen = list.mapToGlobal(Middle(Song(1)));
    EXPECT_EQ(owner.messages.back().wParam, static_cast<WParam>(screen.x()));
    EXPECT_EQ(owner.messages.back().lParam, screen.y());
    EXPECT_TRUE(Song(1)->m_selected);

    QTest::mousePress(&list, Qt::LeftButton, Qt::NoModifier, Middle(Song(0)));
    QMouseEvent move(QEvent::MouseMove, Middle(Song(0)) + QPoint(0, 20),
                     list.mapToGlobal(Middle(Song(0)) + QPoint(0, 20)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&list, &move);
    EXPECT_EQ(owner.Count(UWM_LISTDRAG), 1);
    QTest::mouseRelease(&list, Qt::LeftButton, Qt::NoModifier, Middle(Song(0)));
    std::unique_ptr<QMimeData> mime(list.SelectionMimeData());
    EXPECT_EQ(mime->urls(), QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/m/1.mp3"))});
}

TEST_F(ListViewTest, DroppedFilesReachTheOwnerButOwnRowsDoNot)
{
    QSignalSpy dropped(&list, &CSkinList::FilesDropped);
    QMimeData files;
    QList<QUrl> urls;
    for (int i = 0; i < 10000; ++i) {
        urls << QUrl::fromLocalFile(QStringLiteral("/music/%1.txt").arg(i));
    }
    urls << QUrl(QStringLiteral("http://radio.example/stream"));
    files.setUrls(urls);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    Deliver(list, drop);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).toStringList().size(), 10000);

    Fill({1});
    list.Rows().SelectAllSongs();
    std::unique_ptr<QMimeData> own(list.SelectionMimeData());
    QDropEvent back(QPointF(10, 10), Qt::CopyAction, own.get(), Qt::LeftButton, Qt::NoModifier);
    Deliver(list, back);
    EXPECT_EQ(dropped.count(), 1);
}

TEST_F(ListViewTest, LeftBlocksWidenGroupsAndNarrowRows)
{
    CSkinList blocks;
    blocks.resize(300, 300);
    ASSERT_TRUE(blocks.LoadSkin(WriteListSkin(profile.Path() + QStringLiteral("/b"), true)));
    blocks.AddHead(QStringLiteral("/m/a.mp3"));
    blocks.AddSong(0, blocks.Rows().Root()->m_children[0], QStringLiteral("/m/a.mp3"), 1, 0);
    blocks.AddHead(QStringLiteral("/m/b.mp3"));
    EXPECT_EQ(blocks.Rows().Root()->m_children[1]->m_top, 30 + 100);
    QImage image(blocks.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    blocks.Render(painter);
    EXPECT_EQ(image.pixel(5, 35), kBlock);
    EXPECT_EQ(image.pixel(45, 35), kLine1); // the song starts right of the block
    EXPECT_EQ(image.pixel(100, 135), kHeadFill);
}

TEST_F(ListViewTest, CoversLoadInTheBackgroundFromFolderOrTags)
{
    const QString folder = profile.Path() + QStringLiteral("/album/");
    QDir().mkpath(folder);
    WriteImage(folder + QStringLiteral("front.png"), {64, 64}, 0xFFAA5500);
    const QString tagged = profile.Path() + QStringLiteral("/tagged/t.mp3");
    QDir().mkpath(profile.Path() + QStringLiteral("/tagged"));
    ASSERT_TRUE(fixture::MakeTone(tagged, {.seconds = 0.2}));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(0xFF0055AA);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    ASSERT_TRUE(fixture::WriteCover(tagged, png));
    // A cover that is not an image falls back to the default picture.
    QDir().mkpath(profile.Path() + QStringLiteral("/broken"));
    QFile broken(profile.Path() + QStringLiteral("/broken/cover.jpg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();

    CSkinListNode* a = list.AddHead(folder + QStringLiteral("a.mp3"));
    list.AddSong(0, a, folder + QStringLiteral("a.mp3"), 1, 0);
    CSkinListNode* b = list.AddHead(tagged);
    list.AddSong(0, b, tagged, 2, 0);
    CSkinListNode* c = list.AddHead(profile.Path() + QStringLiteral("/broken/c.mp3"));
    list.AddSong(0, c, profile.Path() + QStringLiteral("/broken/c.mp3"), 3, 0);
    Paint();
    ASSERT_TRUE(WaitFor([&] { return a->Cover() != nullptr && b->Cover() != nullptr
                                     && !list.Worker().IsBusy(); }));
    EXPECT_EQ(a->Cover()->GetWidth(), 26);
    EXPECT_EQ(c->Cover(), nullptr);
    EXPECT_TRUE(c->m_coverQueued);
    const QImage image = Paint();
    EXPECT_EQ(image.pixel(10, a->m_top + 10), 0xFFAA5500u);
    EXPECT_EQ(image.pixel(10, b->m_top + 10), 0xFF0055AAu);
    EXPECT_EQ(image.pixel(10, c->m_top + 10), kNoCover);
    // Deleting everything while covers are queued stops and restarts the worker.
    list.DeleteAll();
    CSkinListNode* d = list.AddHead(folder + QStringLiteral("d.mp3"));
    Paint();
    EXPECT_TRUE(WaitFor([&] { return d->Cover() != nullptr; }));
}

TEST_F(ListViewTest, ARefillNeverWaitsForACoverWhoseOpenHangs)
{
    const QString stuckFolder = profile.Path() + QStringLiteral("/stuck/");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(0xFF00AA55);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    BlockedOpen stuck(stuckFolder + QStringLiteral("cover.png"), png, 20000);
    ASSERT_TRUE(stuck.IsHeld());
    const QString folder = profile.Path() + QStringLiteral("/album/");
    QDir().mkpath(folder);
    WriteImage(folder + QStringLiteral("front.png"), {64, 64}, 0xFFAA5500);

    list.AddHead(stuckFolder + QStringLiteral("s.mp3"));
    Paint();
    ASSERT_TRUE(WaitFor([&] { return stuck.HasOpener(); })) << "the worker opens the picture";
    // The refill: the stuck row goes, the new row's cover comes while the open still hangs.
    list.DeleteAll();
    CSkinListNode* fresh = list.AddHead(folder + QStringLiteral("f.mp3"));
    Paint();
    EXPECT_TRUE(WaitFor([&] { return fresh->Cover() != nullptr; }));
    EXPECT_FALSE(stuck.Expired()) << "the refill waited for the stuck worker";
    stuck.Release();
}

TEST_F(ListViewTest, BadSkinsAndBadRowsDoNotBreakTheList)
{
    const QString dir = profile.Path();
    EXPECT_FALSE(list.LoadSkin(dir + QStringLiteral("/missing.xml")));
    profile.Write(QStringLiteral("bad.xml"), "<Playlist><Song Height=\"20\">");
    CSkinList other;
    other.resize(200, 100);
    EXPECT_FALSE(other.LoadSkin(dir + QStringLiteral("/bad.xml")));
    profile.Write(QStringLiteral("other.xml"), "<Something/>");
    EXPECT_TRUE(other.LoadSkin(dir + QStringLiteral("/other.xml")));
    other.AddSong(0, nullptr, QString(), 1, 0);
    EXPECT_EQ(other.Rows().Scroll().ContentHeight(), 0);
    QTest::keyClick(&other, Qt::Key_Down);

    // Long, empty and right-to-left texts paint without trouble.
    ListTexts texts;
    texts[2] = QString(10000, QLatin1Char('W'));
    list.AddSong(0, nullptr, QStringLiteral("/m/1.mp3"), 1, 0)->m_texts = texts;
    texts[2] = QString::fromUtf8("\u05e9\u05dc\u05d5\u05dd \u0645\u0631\u062d\u0628\u0627");
    list.AddSong(0, nullptr, QStringLiteral("/m/2.mp3"), 2, 0)->m_texts = texts;
    list.AddSong(0, nullptr, QStringLiteral("/m/3.mp3"), 3, 0);
    const QImage image = Paint();
    // The long title is cut before the stars' column (80 from the right edge).
    EXPECT_EQ(image.pixel(300 - 80 + 2, 10), kLine1);
}

} // namespace

namespace {

class ShippedSkinTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedSkinTest, ListAndTreeSkinsLoadAndDrawRows)
{
    const QString folder = QStringLiteral(PLUMO_SOURCE_DATA "/Skin/") + QLatin1String(GetParam());
    CSkinList list;
    list.resize(400, 300);
    ASSERT_TRUE(list.LoadSkin(folder + QStringLiteral("/List/List.xml")));
    EXPECT_GT(list.Rows().Geometry().songHeight, 0);
    EXPECT_FALSE(list.SongKinds().empty());
    CSkinListNode* head = list.AddHead(QStringLiteral("/m/a.mp3"));
    head->m_texts[0] = QStringLiteral("Artist");
    head->m_texts[1] = QStringLiteral("Album");
    for (int i = 0; i < 3; ++i) {
        list.AddSong(0, head, QStringLiteral("/m/a.mp3"), i + 1, i)->m_texts[2] =
            QStringLiteral("Title %1").arg(i);
    }
    QImage image(list.size(), QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        list.Render(painter);
    }
    EXPECT_EQ(list.Rows().VisibleRows().size(), 4u);
    EXPECT_FALSE(list.Rows().RatingRects()[1].isEmpty());
    // The title of the first song shows in a colour other than the row's.
    const CSkinListNode* song = head->m_children[0];
    const QRgb back = image.pixel(list.width() / 2, song->m_top + 1);
    bool text = false;
    for (int x = 0; x < list.width() / 2 && !text; ++x) {
        for (int y = song->m_top; y < song->m_bottom && !text; ++y) {
            text = image.pixel(x, y) != back;
        }
    }
    EXPECT_TRUE(text);

    CSkinTree tree;
    tree.resize(200, 300);
    ASSERT_TRUE(tree.LoadSkin(folder + QStringLiteral("/Tree/Tree.xml")));
    tree.AddCategory(NodeType::Artist, QStringLiteral("Artists"));
    tree.AddCategory(NodeType::Playlist, QStringLiteral("Playlists"));
    tree.AddPlaylistNode(QStringLiteral("Mine"), QStringLiteral("1.db"));
    QImage treeImage(tree.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&treeImage);
    tree.Render(painter);
    EXPECT_EQ(tree.Rows().VisibleNodes().size(), 2u); // the playlists head starts collapsed
    EXPECT_FALSE(tree.Rows().ExpandRects()[0].isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedSkinTest, ::testing::Values("Default", "Frost"));

} // namespace
