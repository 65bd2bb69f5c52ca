// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Input where the window system meets the widgets, with both shipped skins: every event goes
// to the main window's QWindow, which routes it to the widget under the pointer as a user's
// click, wheel turn or key would be.
#include "CDlgHotKey.h"
#include "CDlgSkin.h"
#include "CPanelWnd.h"
#include "PlayerHome.h"
#include "TestProfile.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

class WindowInput : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        m_home.Write("data/Plumo/Settings.xml",
            QStringLiteral("<Settings><Skin ID=\"%1\"/></Settings>").arg(GetParam()).toUtf8());
    }

    static QWindow* Win(CPanelWnd& wnd) { return wnd.windowHandle(); }

    static std::vector<CSkinElement*> Controls(const CPanelWnd& wnd, SkinKind kind)
    {
        std::vector<CSkinElement*> found;
        for (const auto& panel : wnd.GetPanels()) {
            for (const CSkinPanelElement& e : panel->GetElements()) {
                if (e.GetControl()->GetKind() == kind && !e.GetControl()->IsHidden())
                    found.push_back(e.GetControl());
            }
        }
        return found;
    }
    static QPoint Centre(const CSkinElement* c) { return c->GetRect().ToQRect().center(); }

    static void Click(QWindow* win, QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseMove(win, p);
        QTest::mousePress(win, button, {}, p);
        QTest::mouseRelease(win, button, {}, p);
    }

    // Clicks the skin's trigger buttons until view is shown (Frost keeps the library behind
    // a tab).
    static void ShowView(CPanelWnd& wnd, QWidget& view)
    {
        for (CSkinElement* button : Controls(wnd, SkinKind::Button)) {
            if (view.isVisible())
                return;
            Click(Win(wnd), Centre(button));
        }
    }

    // A point of the skin's own surface: in the window's shape, over no child window.
    static QPoint SurfacePoint(CPanelWnd& wnd)
    {
        for (int y = 5; y < wnd.height(); y += 7) {
            for (int x = 5; x < wnd.width(); x += 7) {
                const QPoint p(x, y);
                if (wnd.childAt(p) == nullptr && (wnd.mask().isEmpty() || wnd.mask().contains(p)))
                    return p;
            }
        }
        return {};
    }

    static QPoint NodePoint(CSkinTree& tree, int category)
    {
        QImage image(tree.size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        tree.Render(painter);
        const CSkinTreeNode* node = tree.Rows().Root()->m_children[static_cast<std::size_t>(category)];
        return tree.mapTo(tree.window(), QPoint(tree.width() / 2, node->m_top + 3));
    }

    static void FillList(CSkinList& list, int songs)
    {
        list.BeginUpdate();
        for (int i = 0; i < songs; ++i)
            list.AddSong(0, false, QStringLiteral("/m/%1.mp3").arg(i), i + 1, 0, ListTexts{});
        list.EndUpdate();
    }

    static void SendWheel(QWindow* win, QPoint at, int delta)
    {
        QWheelEvent wheel(at, win->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(win, &wheel);
    }

    TestProfile m_home;
};

TEST_P(WindowInput, ARightClickOpensOnlyTheMenuOfWhatItHit)
{
    enum class Where { ListRows, TreePlaylists, TreeArtists, Surface };
    const struct {
        Where where;
        std::vector<CContextMenu::Menu> menus;
    } cases[] = {
        {Where::ListRows, {CContextMenu::Menu::LibraryList}},
        {Where::TreePlaylists, {CContextMenu::Menu::Playlists}},
        {Where::TreeArtists, {}},
        {Where::Surface, {CContextMenu::Menu::Main}},
    };
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    std::vector<const QMenu*> shown;
    wnd.GetMenus().SetRunner([&](QMenu& menu, QPoint) {
        shown.push_back(&menu);
        return 0; // as the user pressing Escape
    });
    for (const auto& c : cases) {
        QPoint at;
        switch (c.where) {
        case Where::ListRows:
            ShowView(wnd, wnd.GetList());
            ASSERT_TRUE(wnd.GetList().isVisible());
            at = wnd.GetList().geometry().center();
            break;
        case Where::TreePlaylists:
        case Where::TreeArtists:
            ShowView(wnd, wnd.GetTree());
            ASSERT_TRUE(wnd.GetTree().isVisible());
            at = NodePoint(wnd.GetTree(), c.where == Where::TreeArtists ? 0 : 5);
            break;
        case Where::Surface:
            at = SurfacePoint(wnd);
            ASSERT_FALSE(at.isNull());
            break;
        }
        shown.clear();
        Click(Win(wnd), at, Qt::RightButton);
        std::vector<const QMenu*> expected;
        for (CContextMenu::Menu m : c.menus)
            expected.push_back(wnd.GetMenus().Get(m));
        EXPECT_EQ(shown, expected) << "case " << static_cast<int>(c.where);
    }
    wnd.Shutdown();
}

TEST_P(WindowInput, TheViewsAnswerAgainAfterTheChooserSwitchesSkins)
{
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    const QString other = QString(GetParam()) == "Frost" ? "Default" : "Frost";
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CDlgSkin*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        auto* list = dlg->findChild<QTreeWidget*>(QString::number(CDlgSkin::kIdList));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(0) == other)
                list->setCurrentItem(list->topLevelItem(i));
        }
        dlg->findChild<QPushButton*>(QString::number(CDlgSkin::kIdApply))->click();
        dlg->reject();
    });
    wnd.OnCommand(CPanelWnd::ID_SKIN);
    ASSERT_EQ(wnd.GetSkinDraw().GetSkinName(), other);
    CSkinTree& tree = wnd.GetTree();
    ShowView(wnd, tree);
    ASSERT_TRUE(tree.isVisible());
    EXPECT_TRUE(tree.isEnabled());
    EXPECT_TRUE(wnd.GetList().isEnabled());
    for (const auto& vis : wnd.GetVisualisers())
        EXPECT_TRUE(vis->isEnabled());
    // A click on a category selects it, as before the change.
    CSkinTreeNode* albums = tree.Rows().Root()->m_children[2];
    Click(Win(wnd), NodePoint(tree, 2));
    EXPECT_EQ(albums->m_state, 4);
    wnd.Shutdown();
}

TEST_P(WindowInput, HoverFollowsThePointerIntoTheViewsAndOutOfTheWindow)
{
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    // From a control straight into each child view: the control's hover look goes.
    const std::vector<CSkinElement*> plays = Controls(wnd, SkinKind::PlayPause).empty()
        ? Controls(wnd, SkinKind::Play)
        : Controls(wnd, SkinKind::PlayPause);
    ASSERT_FALSE(plays.empty());
    CSkinElement* play = plays.front();
    std::vector<QWidget*> views{&wnd.GetList()};
    for (const auto& vis : wnd.GetVisualisers())
        views.push_back(vis.get());
    for (QWidget* view : views) {
        if (!view->isVisible())
            continue;
        QTest::mouseMove(Win(wnd), Centre(play));
        ASSERT_TRUE(play->IsHovered());
        QTest::mouseMove(Win(wnd), view->geometry().center());
        EXPECT_FALSE(play->IsHovered()) << view->objectName().toStdString();
    }

    // A trigger button: the one that shows up under the pointer is lit at once, and leaving
    // the window leaves it drawn in its normal look.
    for (CSkinElement* button : Controls(wnd, SkinKind::Button)) {
        const QPoint at = Centre(button);
        Click(Win(wnd), at);
        CSkinElement* under = nullptr;
        for (CSkinElement* shown : Controls(wnd, SkinKind::Button)) {
            if (shown->GetRect().ToQRect().contains(at))
                under = shown;
        }
        if (under == nullptr)
            continue;
        EXPECT_TRUE(under->IsHovered());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(Win(wnd), &leave);
        EXPECT_FALSE(under->IsHovered());
        const QRect r = under->GetRect().ToQRect();
        const QImage afterLeave = wnd.GetSkinDraw().GetFrameBuffer().copy(r);
        wnd.GetSkinDraw().FullRepaint();
        EXPECT_EQ(afterLeave, wnd.GetSkinDraw().GetFrameBuffer().copy(r))
            << "the button under the pointer is drawn as a full repaint draws it";
    }
    wnd.Shutdown();
}

TEST_P(WindowInput, TheWheelTakesOneStepPerNotch)
{
    const struct {
        std::vector<int> deltas;
        int steps; // downward steps; negative for upward
    } cases[] = {
        {{-120}, 1},
        {{-240}, 2},
        {{-15, -15, -15, -15, -15, -15, -15, -15}, 1},
        {{-15, -15, -15, -15, -15, -15, -15}, 0},
        {{-60, 60}, 0}, // a turn back starts counting afresh
        {{-90, -90, -60}, 2},
    };
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    CSkinList& list = wnd.GetList();
    ShowView(wnd, list);
    ASSERT_TRUE(list.isVisible());
    FillList(list, 400);
    const int lineStep = QApplication::wheelScrollLines() * list.Skin().Geometry().songHeight;
    ASSERT_GT(lineStep, 0);
    const QPoint inList = list.geometry().center();
    const QPoint onSurface = SurfacePoint(wnd);
    for (const auto& c : cases) {
        list.Rows().Scroll().ScrollTo(lineStep * 10);
        const int pos = list.Rows().Scroll().Pos();
        for (int d : c.deltas)
            SendWheel(Win(wnd), inList, d);
        EXPECT_EQ(list.Rows().Scroll().Pos() - pos, c.steps * lineStep);
        // Over the skin the wheel is the volume: up for a positive turn.
        wnd.SetVolume(50000);
        for (int d : c.deltas)
            SendWheel(Win(wnd), onSurface, d);
        EXPECT_EQ(wnd.GetEngine().GetVolumeLevel(), 50000 - c.steps * 5000);
        // The remainder of one case does not spill into the next.
        SendWheel(Win(wnd), inList, 0);
        SendWheel(Win(wnd), onSurface, 0);
    }
    wnd.Shutdown();
}

TEST_P(WindowInput, TheCompositorIsToldTheSkinsSizeLimits)
{
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    const auto expectLimits = [&] {
        const CMoveResize& mover = wnd.GetMover();
        QWindow* win = Win(wnd);
        EXPECT_EQ(win->minimumSize(), QSize(mover.GetMinWidth(), mover.GetMinHeight()));
        const int maxW = mover.GetMaxWidth() > 0 ? mover.GetMaxWidth() : QWIDGETSIZE_MAX;
        const int maxH = mover.GetMaxHeight() > 0 ? mover.GetMaxHeight() : QWIDGETSIZE_MAX;
        EXPECT_EQ(win->maximumSize(), QSize(maxW, maxH));
    };
    ASSERT_GT(wnd.GetMover().GetMinWidth(), 0);
    expectLimits();
    const QString other = QString(GetParam()) == "Frost" ? "Default" : "Frost";
    SendMsg(wnd.MsgTarget(), UWM_SKINAPPLY, reinterpret_cast<WParam>(&other));
    expectLimits();
    wnd.Shutdown();
}

TEST_P(WindowInput, AHeldVolumeKeyStepsOnEveryRepeatAndAToggleOnce)
{
    // Keys pressed in the player's own window, as the hook sees them without an X display.
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    if (!display.isEmpty())
        qputenv("DISPLAY", display);
    wnd.SetVolume(50000);
    wnd.activateWindow();
    const struct {
        Qt::Key key;
        int repeats;
        int level;
    } cases[] = {
        {Qt::Key_VolumeUp, 0, 55000},
        {Qt::Key_VolumeUp, 3, 75000}, // the press and three repeats
        {Qt::Key_VolumeDown, 2, 60000},
    };
    int level = 0;
    for (const auto& c : cases) {
        for (int i = 0; i <= c.repeats; ++i) {
            QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, QString(), i > 0);
            QCoreApplication::sendEvent(Win(wnd), &press);
        }
        QKeyEvent release(QEvent::KeyRelease, c.key, Qt::NoModifier);
        QCoreApplication::sendEvent(Win(wnd), &release);
        level = c.level;
        ASSERT_TRUE(QTest::qWaitFor([&] { return wnd.GetEngine().GetVolumeLevel() == level; },
            5000))
            << "level " << wnd.GetEngine().GetVolumeLevel() << ", expected " << level;
    }
    // A toggle acts once per press, however long the key is held.
    ASSERT_FALSE(wnd.GetEngine().IsMute());
    for (bool repeat : {false, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_VolumeMute, Qt::NoModifier, QString(), repeat);
        QCoreApplication::sendEvent(Win(wnd), &press);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_VolumeMute, Qt::NoModifier);
    QCoreApplication::sendEvent(Win(wnd), &release);
    ASSERT_TRUE(QTest::qWaitFor([&] { return wnd.GetEngine().IsMute(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(wnd.GetEngine().IsMute());
    wnd.Shutdown();
}

TEST_P(WindowInput, TheWindowAndItsDialogsCarryTheProgramIcon)
{
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    EXPECT_FALSE(Win(wnd)->icon().isNull());
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull()) << "dialogs without a parent too";
    // The desktop matches the window to the installed desktop file by this name.
    EXPECT_TRUE(QFile::exists(QStringLiteral(PLUMO_TEST_SOURCE_DIR "/dist/")
        + QGuiApplication::desktopFileName() + ".desktop"))
        << QGuiApplication::desktopFileName().toStdString();
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CDlgHotKey*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        EXPECT_FALSE(dlg->windowHandle()->icon().isNull());
        auto* rows = dlg->findChild<QTreeWidget*>();
        ASSERT_NE(rows, nullptr);
        ASSERT_GT(rows->topLevelItemCount(), 0);
        EXPECT_FALSE(rows->topLevelItem(0)->icon(0).isNull());
        checked = true;
        dlg->reject();
    });
    wnd.OnCommand(CContextMenu::ID_HOTKEYS);
    EXPECT_TRUE(checked);
    wnd.Shutdown();
}

INSTANTIATE_TEST_SUITE_P(Skins, WindowInput, ::testing::Values("Default", "Frost"));

} // namespace
