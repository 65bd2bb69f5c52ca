// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The main window with the shipped "Default" skin: loading, painting, and the controls that
// act on the window itself.
#include "CDlgSkin.h"
#include "CPanelWnd.h"
#include "PlayerHome.h"
#include "TestProfile.h"

#include <QApplication>
#include <QSignalSpy>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class PanelWndSkin : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        // Not a first run, and a skin that does not exist.
        m_home.Write("data/Plumo/Settings.xml",
            "<Settings><Skin ID=\"Gone\"/><Shuffle ID=\"1\"/></Settings>");
    }

    static CSkinElement* Find(const CPanelWnd& wnd, SkinKind kind, int* panelId = nullptr)
    {
        for (const auto& panel : wnd.GetPanels()) {
            for (const CSkinPanelElement& e : panel->GetElements()) {
                if (e.GetControl()->GetType() == static_cast<int>(kind) && !panel->IsHidden()) {
                    if (panelId)
                        *panelId = panel->GetId();
                    return e.GetControl();
                }
            }
        }
        return nullptr;
    }
    static QPoint Centre(const CSkinElement* c)
    {
        const SkinRect& r = c->GetRect();
        return QPoint(r.left + r.Width() / 2, r.top + r.Height() / 2);
    }
    static void Click(CPanelWnd& wnd, QPoint p)
    {
        QTest::mouseMove(&wnd, p);
        QTest::mousePress(&wnd, Qt::LeftButton, {}, p);
        QTest::mouseRelease(&wnd, Qt::LeftButton, {}, p);
    }

    TestProfile m_home;
};

TEST_F(PanelWndSkin, MissingSkinStartsWithDefaultPaintedAndClipped)
{
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(wnd.GetSettings().GetSkin(), "Default");
    EXPECT_EQ(wnd.GetSkinDraw().GetSkinName(), "Default");
    ASSERT_FALSE(wnd.GetPanels().empty());
    EXPECT_FALSE(wnd.GetSkinDraw().IsLayered());
    EXPECT_GT(wnd.GetMover().GetMinWidth(), 0);
    // Rounded corners clip the window; inside it the skin is drawn opaque.
    EXPECT_FALSE(wnd.mask().isEmpty());
    EXPECT_FALSE(wnd.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(wnd.mask().contains(QPoint(wnd.width() / 2, wnd.height() / 2)));
    const QImage shot = wnd.grab().toImage();
    EXPECT_EQ(qAlpha(shot.pixel(shot.width() / 2, shot.height() / 2)), 255);
    // The stored shuffle state reached the skin's switch.
    if (const CSkinElement* shuffle = Find(wnd, SkinKind::Shuffle)) {
        EXPECT_EQ(shuffle->GetState(), 1);
    }
    wnd.close();
    EXPECT_NE(m_home.Read("data/Plumo/Settings.xml").indexOf("<Skin ID=\"Default\"/>"), -1);
}

TEST_F(PanelWndSkin, TriggerButtonFoldsPanelsAndCloseEndsTheProgram)
{
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    QSignalSpy clicks(&wnd, &CPanelWnd::SkinControlClicked);
    int panelId = 0;
    const CSkinElement* fold = Find(wnd, SkinKind::Button, &panelId);
    ASSERT_NE(fold, nullptr) << "the shipped skin folds its library away";
    Click(wnd, Centre(fold));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), static_cast<int>(SkinKind::Button));
    bool anyHidden = false;
    for (const auto& panel : wnd.GetPanels())
        anyHidden |= panel->GetId() == panelId && panel->IsHidden();
    EXPECT_TRUE(anyHidden) << "the button's own panel is folded away";

    const CSkinElement* close = Find(wnd, SkinKind::Close);
    ASSERT_NE(close, nullptr);
    Click(wnd, Centre(close));
    EXPECT_TRUE(wnd.IsShutDown());
}

TEST_F(PanelWndSkin, ApplyingASkinKeepsTheCornerAndFitsTheLimits)
{
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.setGeometry(210, 130, 200, 100); // below the shipped skin's minimum
    const QString name = "Gone";
    EXPECT_EQ(SendMsg(wnd.MsgTarget(), UWM_SKINAPPLY, reinterpret_cast<WParam>(&name)), 0)
        << "a fall-back to Default is reported";
    EXPECT_EQ(wnd.GetSkinDraw().GetSkinName(), "Default");
    EXPECT_EQ(wnd.pos(), QPoint(210, 130));
    EXPECT_EQ(wnd.width(), wnd.GetMover().GetMinWidth());
    EXPECT_EQ(wnd.height(), wnd.GetMover().GetMinHeight());
    const QString def = "Default";
    EXPECT_EQ(SendMsg(wnd.MsgTarget(), UWM_SKINAPPLY, reinterpret_cast<WParam>(&def)), 1);
    wnd.close();
}

TEST_F(PanelWndSkin, TheChooserAppliesALayeredSkinAndStaysOpen)
{
    CPanelWnd wnd;
    ASSERT_TRUE(wnd.Create());
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CDlgSkin*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        auto* list = dlg->findChild<QTreeWidget*>(QString::number(CDlgSkin::kIdList));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(0) == "Frost")
                list->setCurrentItem(list->topLevelItem(i));
        }
        dlg->findChild<QPushButton*>(QString::number(CDlgSkin::kIdApply))->click();
        stayedOpen = dlg->isVisible();
        dlg->reject();
    });
    wnd.OnCommand(CPanelWnd::ID_SKIN);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(wnd.GetSkinDraw().GetSkinName(), "Frost");
    EXPECT_EQ(wnd.GetSettings().GetSkin(), "Frost") << "the applied skin is the one saved";
    EXPECT_TRUE(wnd.GetSkinDraw().IsLayered());
    EXPECT_TRUE(wnd.mask().isEmpty()) << "a layered window takes its shape from alpha";
    const QImage& frame = wnd.GetSkinDraw().GetFrameBuffer();
    EXPECT_LT(qAlpha(frame.pixel(0, 0)), 255) << "the corner lets the desktop through";
    wnd.close();
}

} // namespace
