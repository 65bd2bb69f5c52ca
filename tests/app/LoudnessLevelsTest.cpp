// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The preamp and the untagged gain, chosen from the window's Options menu: the dialog shows what
// the settings file holds, and what the user confirms reaches the engine and the file.
#include "CDlgLoudness.h"
#include "CPanelWnd.h"
#include "PlayerHome.h"
#include "SessionSupport.h"
#include "TestProfile.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using Menu = CContextMenu::Menu;

class LoudnessLevels : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        m_home.Write("data/Plumo/Settings.xml",
            "<Settings><ReplayGain ID=\"1\"/><ReplayGainPreamp ID=\"200\"/>"
            "<ReplayGainUntagged ID=\"-150\"/></Settings>");
        m_wnd = std::make_unique<CPanelWnd>();
        ASSERT_TRUE(session::CreateAndRestore(*m_wnd));
    }

    // Chooses the levels item as the user does: Options, Loudness, then the item, which must be
    // in the submenu the main menu shows.
    void ChooseLevels()
    {
        CContextMenu& menus = m_wnd->GetMenus();
        menus.SetRunner([&](QMenu& menu, QPoint) {
            EXPECT_EQ(&menu, menus.Get(Menu::Main));
            for (QAction* action : menus.Get(Menu::Loudness)->actions()) {
                if (action->data().toInt() == CContextMenu::ID_LOUDNESS_LEVELS && action->isEnabled())
                    return CContextMenu::ID_LOUDNESS_LEVELS;
            }
            return 0;
        });
        EXPECT_EQ(menus.ShowMain({20, 20}), CContextMenu::ID_LOUDNESS_LEVELS);
    }

    QByteArray SavedSettings()
    {
        m_wnd->close();
        m_wnd.reset();
        return m_home.Read("data/Plumo/Settings.xml");
    }

    TestProfile m_home;
    std::unique_ptr<CPanelWnd> m_wnd;
};

template <typename T> T* Control(QDialog& dlg, int id)
{
    return dlg.findChild<T*>(QString::number(id));
}

TEST_F(LoudnessLevels, ConfirmedLevelsReachTheEngineAndTheSettingsFile)
{
    ASSERT_DOUBLE_EQ(m_wnd->GetEngine().GetLoudness().preampDb, 2.0);
    double shownPreamp = 0;
    double shownUntagged = 0;
    QString label;
    session::Answer<CDlgLoudness>(*m_wnd, [&](CDlgLoudness& dlg) {
        auto* preamp = Control<QDoubleSpinBox>(dlg, CDlgLoudness::kIdPreamp);
        auto* untagged = Control<QDoubleSpinBox>(dlg, CDlgLoudness::kIdUntagged);
        shownPreamp = preamp->value();
        shownUntagged = untagged->value();
        label = Control<QLabel>(dlg, CDlgLoudness::kIdPreampLabel)->text();
        preamp->setValue(-4.5);
        untagged->setValue(6.25);
        Control<QPushButton>(dlg, CDlgLoudness::kIdOk)->click();
    });
    ChooseLevels();
    EXPECT_DOUBLE_EQ(shownPreamp, 2.0);
    EXPECT_DOUBLE_EQ(shownUntagged, -1.5);
    EXPECT_EQ(label.toStdString(), "Preamp for files with stored gains:");
    const LoudnessSettings loudness = m_wnd->GetEngine().GetLoudness();
    EXPECT_DOUBLE_EQ(loudness.preampDb, -4.5);
    EXPECT_DOUBLE_EQ(loudness.untaggedDb, 6.25);
    EXPECT_EQ(loudness.mode, ReplayGainMode::Track) << "the mode stays as it was";
    const QByteArray saved = SavedSettings();
    EXPECT_TRUE(saved.contains("<ReplayGainPreamp ID=\"-450\"/>")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("<ReplayGainUntagged ID=\"625\"/>")) << saved.toStdString();
}

TEST_F(LoudnessLevels, CancelLeavesTheEngineAndTheFileAlone)
{
    session::Answer<CDlgLoudness>(*m_wnd, [](CDlgLoudness& dlg) {
        Control<QDoubleSpinBox>(dlg, CDlgLoudness::kIdPreamp)->setValue(12.0);
        Control<QPushButton>(dlg, CDlgLoudness::kIdCancel)->click();
    });
    ChooseLevels();
    const LoudnessSettings loudness = m_wnd->GetEngine().GetLoudness();
    EXPECT_DOUBLE_EQ(loudness.preampDb, 2.0);
    EXPECT_DOUBLE_EQ(loudness.untaggedDb, -1.5);
    const QByteArray saved = SavedSettings();
    EXPECT_TRUE(saved.contains("<ReplayGainPreamp ID=\"200\"/>")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("<ReplayGainUntagged ID=\"-150\"/>")) << saved.toStdString();
}

} // namespace
