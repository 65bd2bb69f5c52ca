// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinList.h"
#include "CSkinTree.h"
#include "SkinFixture.h"
#include "TestProfile.h"
#include "platform/CMsgTarget.h"

#include <QApplication>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

Q_DECLARE_METATYPE(CSkinTreeNode*)

using namespace skinfixture;

namespace {

// Drag and drop events go straight to the widget: the application drops them when no real
// drag is in progress.
void Deliver(QWidget& widget, QEvent& event)
{
    static_cast<QObject&>(widget).event(&event);
}

// Answers expansions by adding two albums through the tree's sink, and records the rest.
class Owner : public CMsgTarget {
public:
    LResult OnUserMessage(unsigned msg, WParam wParam, LParam lParam) override
    {
        messages.push_back(msg);
        if (msg == UWM_TREEEXPAND && tree != nullptr) {
            tree->AddAlbumNode(QStringLiteral("First"), QStringLiteral("A"), QStringLiteral("First"));
            tree->AddAlbumNode(QStringLiteral("Second"), QStringLiteral("A"), QStringLiteral("Second"));
        }
        last = wParam;
        lastParam = lParam;
        return 0;
    }
    int Count(unsigned msg) const
    {
        return static_cast<int>(std::count(messages.begin(), messages.end(), msg));
    }
    CSkinTree* tree = nullptr;
    std::vector<unsigned> messages;
    WParam last = 0;
    LParam lastParam = 0;
};

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner.tree = &tree;
        tree.Create(nullptr, &owner);
        tree.resize(200, 300);
        ASSERT_TRUE(tree.LoadSkin(WriteTreeSkin(profile.Path() + QStringLiteral("/skin"))));
        tree.SetAutoLayout(false);
        artists = tree.AddCategory(NodeType::Artist, QStringLiteral("Artists"));
        artists->m_expanded = true;
        artist = tree.AddValueNode(artists, QStringLiteral("A"), QStringLiteral("A"));
        playlists = tree.AddCategory(NodeType::Playlist, QStringLiteral("Playlists"));
        playlists->m_expanded = true;
        tree.AddPlaylistNode(QStringLiteral("One"), QStringLiteral("1.db"));
        tree.AddPlaylistNode(QStringLiteral("Two"), QStringLiteral("2.db"));
        tree.SetAutoLayout(true);
        tree.RecalcLayout();
        Paint();
    }
    QImage Paint()
    {
        QImage image(tree.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        tree.Render(painter);
        return image;
    }
    QPoint Label(const CSkinTreeNode* node) const { return {150, node->m_top + 10}; }

    TestProfile profile;
    Owner owner;
    CSkinTree tree;
    CSkinTreeNode* artists = nullptr;
    CSkinTreeNode* artist = nullptr;
    CSkinTreeNode* playlists = nullptr;
};

TEST_F(TreeViewTest, ExpandButtonFillsTheNodeWithoutSelecting)
{
    // The button of a value node sits at the indented element box's left (x 12).
    QTest::mouseClick(&tree, Qt::LeftButton, Qt::NoModifier, QPoint(14, artist->m_top + 5));
    EXPECT_EQ(owner.Count(UWM_TREEEXPAND), 1);
    ASSERT_EQ(artist->m_children.size(), 2u);
    EXPECT_EQ(artist->m_children[1]->m_album, QStringLiteral("Second"));
    EXPECT_EQ(owner.Count(UWM_TREESELECT), 0);
    EXPECT_EQ(tree.Rows().Selection(), nullptr);
    const QImage image = Paint();
    EXPECT_EQ(image.pixel(14, artist->m_top + 5), 0xFF000080u); // the open picture
    // Album leaves have no button: the same place selects.
    const CSkinTreeNode* leaf = artist->m_children[0];
    QTest::mouseClick(&tree, Qt::LeftButton, Qt::NoModifier, QPoint(26, leaf->m_top + 5));
    EXPECT_EQ(owner.Count(UWM_TREESELECT), 1);
    EXPECT_EQ(owner.last, reinterpret_cast<WParam>(leaf));
    EXPECT_EQ(Paint().pixel(100, leaf->m_top + 1), kTreeFocus);
}

TEST_F(TreeViewTest, HeadsIconsAndTextColours)
{
    QImage image = Paint();
    EXPECT_EQ(image.pixel(100, artists->m_top + 1), kTreeHead);
    EXPECT_EQ(image.pixel(100, artist->m_top + 1), kTreeBack);
    // Icons are placed by the artist picture's size; the larger playlist one grows from there.
    const CSkinTreeNode* one = playlists->m_children[0];
    EXPECT_EQ(image.pixel(12 + 12 + 17, one->m_top + 2 + 17), 0xFF008080u);
    EXPECT_EQ(image.pixel(12 + 12 + 1, artist->m_top + 2 + 1), 0xFF008000u);

    // Without "Head", heads are drawn as nodes; "F00" is not a colour here.
    CSkinTree plain;
    plain.resize(200, 100);
    ASSERT_TRUE(plain.LoadSkin(WriteTreeSkin(profile.Path() + QStringLiteral("/p"), false, "F00")));
    CSkinTreeNode* head = plain.AddCategory(NodeType::Artist, QStringLiteral("WWWWWWWW"));
    EXPECT_EQ(head->Height(), 20);
    QImage other(plain.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&other);
    plain.Render(painter);
    EXPECT_EQ(other.pixel(100, 1), kTreeBack);
    bool red = false;
    bool dark = false;
    for (int x = 30; x < 120; ++x) {
        for (int y = 3; y < 18; ++y) {
            const QColor c = QColor::fromRgb(other.pixel(x, y));
            red = red || (c.red() > 128 && c.green() < 64);
            dark = dark || c.lightness() < 60;
        }
    }
    EXPECT_FALSE(red);
    EXPECT_TRUE(dark);
}

TEST_F(TreeViewTest, RepeatedKeysAreIgnoredAndRightClicksOnlyOnPlaylists)
{
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_EQ(tree.Rows().Selection(), artists);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&tree, &repeat);
    EXPECT_EQ(tree.Rows().Selection(), artists);
    EXPECT_EQ(owner.Count(UWM_TREEKEYSELECT), 1);

    QTest::mousePress(&tree, Qt::RightButton, Qt::NoModifier, Label(artist));
    EXPECT_EQ(owner.Count(UWM_TREEMENU), 0);
    EXPECT_EQ(tree.Rows().Selection(), artists);
    QTest::mousePress(&tree, Qt::RightButton, Qt::NoModifier, Label(playlists->m_children[1]));
    ASSERT_EQ(owner.Count(UWM_TREEMENU), 1);
    const QPoint screen = tree.mapToGlobal(Label(playlists->m_children[1]));
    EXPECT_EQ(owner.lastParam & 0xFFFF, screen.x() & 0xFFFF);
    EXPECT_EQ((owner.lastParam >> 16) & 0xFFFF, screen.y() & 0xFFFF);
}

TEST_F(TreeViewTest, DraggedRowsLightAPlaylistAndDropOnIt)
{
    QSignalSpy dropped(&tree, &CSkinTree::DroppedOnPlaylist);
    CSkinList list;
    list.AddSong(0, nullptr, QStringLiteral("/m/1.mp3"), 1, 0);
    list.SelectAllSongs();
    std::unique_ptr<QMimeData> rows(list.SelectionMimeData());
    CSkinTreeNode* two = playlists->m_children[1];
    QDragMoveEvent over(Label(two), Qt::CopyAction, rows.get(), Qt::LeftButton, Qt::NoModifier);
    Deliver(tree, over);
    EXPECT_EQ(tree.Rows().DropHighlight(), two);
    EXPECT_EQ(Paint().pixel(100, two->m_top + 1), kTreeFocus);
    QDragLeaveEvent leave;
    Deliver(tree, leave);
    EXPECT_EQ(Paint().pixel(100, two->m_top + 1), kTreeBack);

    Deliver(tree, over);
    QDropEvent drop(Label(two), Qt::CopyAction, rows.get(), Qt::LeftButton, Qt::NoModifier);
    Deliver(tree, drop);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).value<CSkinTreeNode*>(), two);
    EXPECT_TRUE(dropped.at(0).at(1).toBool());
    EXPECT_EQ(tree.Rows().DropHighlight(), nullptr);
}

TEST_F(TreeViewTest, PlaylistsSwapWhileDraggedAndTheOrderIsReportedOnce)
{
    CSkinTreeNode* one = playlists->m_children[0];
    CSkinTreeNode* two = playlists->m_children[1];
    QTest::mousePress(&tree, Qt::LeftButton, Qt::NoModifier, Label(one));
    QMouseEvent move(QEvent::MouseMove, Label(two), tree.mapToGlobal(Label(two)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&tree, &move);
    EXPECT_EQ(playlists->m_children[0], two);
    QTest::mouseRelease(&tree, Qt::LeftButton, Qt::NoModifier, Label(two));
    EXPECT_EQ(owner.Count(UWM_TREEREORDER), 1);
    EXPECT_EQ(owner.Count(UWM_TREESELECT), 1);
}

} // namespace

TEST_F(TreeViewTest, TheScrollBarTakesTheSkinsColours)
{
    for (int i = 0; i < 40; ++i)
        tree.AddValueNode(artists, QStringLiteral("V%1").arg(i), QStringLiteral("V%1").arg(i));
    tree.show();
    ASSERT_TRUE(tree.Rows().Scroll().Shown());
    const int width = tree.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QImage image = tree.grab().toImage();
    const int x = tree.width() - width / 2 - 1;
    // At position 0 the handle is at the top; the groove below it is the skin's background.
    EXPECT_EQ(image.pixel(x, tree.height() - 2), kTreeBack);
    EXPECT_LT(QColor::fromRgb(image.pixel(x, 20)).lightness(),
              QColor::fromRgb(kTreeBack).lightness() - 20);
}
