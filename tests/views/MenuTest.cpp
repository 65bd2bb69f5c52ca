// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CContextMenu.h"
#include "TestProfile.h"
#include "settings/CLanguage.h"

#include <QAction>
#include <QDir>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

using Menu = CContextMenu::Menu;

// "text|id|flags" per entry: "-" for a separator, ">" marks a submenu, flags c (checkable),
// x (checked) and g (greyed).
QStringList Describe(const QMenu& menu)
{
    QStringList out;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            out << QStringLiteral("-");
            continue;
        }
        QString flags;
        flags += action->isCheckable() ? QStringLiteral("c") : QString();
        flags += action->isChecked() ? QStringLiteral("x") : QString();
        flags += action->isEnabled() ? QString() : QStringLiteral("g");
        out << (action->menu() != nullptr
                    ? QStringLiteral(">") + action->text()
                    : QStringLiteral("%1|%2|%3").arg(action->text()).arg(action->data().toInt())
                          .arg(flags));
    }
    return out;
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The shipped languages, from the source tree's data folder.
        language.SetProgramFolder(QStringLiteral(PLUMO_SOURCE_DATA));
        ASSERT_TRUE(language.Load(QStringLiteral("English")));
        menus.Build(language);
    }
    CLanguage language;
    std::vector<int> chosen;
    CContextMenu menus{[this](int id) { chosen.push_back(id); }};
};

TEST_F(MenuTest, MenusHoldTheirItemsInOrder)
{
    EXPECT_EQ(Describe(*menus.Get(Menu::Main)),
              QStringList({"Library Folders…|104|", "Skins…|112|", "-",
                           "Open Playlist File…|143|", ">Playback", "-", "Equalizer…|132|", "-",
                           ">Options", "Language…|117|", "-", "About Plumo…|126|"}));
    EXPECT_EQ(Describe(*menus.Get(Menu::Playback)),
              QStringList({"Play\t  Enter|105|", "Pause\t  Space|106|", "Stop\t  Ctrl+Space|107|",
                           "Next Track\t  Ctrl+Right|108|", "Previous Track\t  Ctrl+Left|109|", "-",
                           "Shuffle|114|c", "Repeat|115|c"}));
    EXPECT_EQ(Describe(*menus.Get(Menu::Options)),
              QStringList({"Hide in Notification Area When Minimized|113|c",
                           "Scrobble to Last.fm|133|c", "ListenBrainz…|157|", ">Loudness",
                           "Watch Library Folders|170|c", "-",
                           "Global Hotkeys…|140|", "-",
                           "Internet Radio from the Community Directory (Radio Browser)|144|c",
                           "Internet Radio from the Directory with a Developer ID…|145|c"}));
    EXPECT_EQ(Describe(*menus.Get(Menu::Loudness)),
              QStringList({"Off|150|c", "Track Gain|151|c", "Album Gain|152|c", "Automatic|153|c",
                           "-", "Prevent Clipping|154|c", "Preamp and Untagged Gain…|180|", "-",
                           "Analyse Library Loudness…|156|"}));
    EXPECT_EQ(Describe(*menus.Get(Menu::Tray)),
              QStringList({"Play|105|", "Pause|106|", "Stop|107|", "Next Track|108|",
                           "Previous Track|109|", "-", "Exit|110|"}));
    EXPECT_EQ(Describe(*menus.Get(Menu::LibraryList)),
              QStringList({"Play|137|", "Select All|138|", "-", ">Add to Playlist",
                           "Remove from Playlist|130|g", "-", "Analyse Loudness…|155|",
                           "Properties…|119|"}));
    EXPECT_EQ(Describe(*menus.Get(Menu::PlaylistList)),
              QStringList({"Play|137|", "Select All|138|", "-", ">Add",
                           "Remove from Playlist|130|", "-", "Analyse Loudness…|155|",
                           "Properties…|119|"}));
    EXPECT_EQ(Describe(*menus.Get(Menu::Add)),
              QStringList({"Add Files…|128|", "Add Folder…|129|", "Add Stream URL…|141|"}));
    EXPECT_EQ(Describe(*menus.Get(Menu::Playlists)),
              QStringList({"New Playlist|121|", "-", "Rename Playlist…|122|",
                           "Delete Playlist|123|"}));
    EXPECT_TRUE(menus.Get(Menu::AddToPlaylist)->actions().isEmpty());
}

TEST_F(MenuTest, ChecksSurviveUntilARebuildInAnotherLanguage)
{
    menus.Check(CContextMenu::ID_SHUFFLE, true);
    menus.Check(CContextMenu::ID_LASTFM, true);
    menus.Check(CContextMenu::ID_LASTFM, false);
    EXPECT_EQ(Describe(*menus.Get(Menu::Playback)).at(6), QStringLiteral("Shuffle|114|cx"));
    EXPECT_EQ(Describe(*menus.Get(Menu::Options)).at(1), QStringLiteral("Scrobble to Last.fm|133|c"));
    ASSERT_TRUE(language.Load(QStringLiteral("German")));
    menus.Rebuild(language);
    EXPECT_FALSE(menus.Get(Menu::Playback)->actions().at(6)->isChecked());
    EXPECT_NE(menus.Get(Menu::Tray)->actions().at(0)->text(), QStringLiteral("Play"));
    EXPECT_TRUE(menus.Get(Menu::Playback)->actions().at(0)->text().endsWith(
        QStringLiteral("\t  Enter")));
}

TEST_F(MenuTest, AddToPlaylistIsFilledForOneShowingOnly)
{
    QStringList seen;
    menus.SetRunner([&](QMenu& menu, QPoint) {
        EXPECT_EQ(&menu, menus.Get(Menu::LibraryList));
        seen = Describe(*menus.Get(Menu::AddToPlaylist));
        return CContextMenu::ID_ADD_TO_PLAYLIST_FIRST + 1;
    });
    const QStringList names{"Road", "Work"};
    EXPECT_EQ(menus.ShowList({10, 10}, &names), 10001);
    EXPECT_EQ(seen, QStringList({"Road|10000|", "Work|10001|"}));
    EXPECT_EQ(chosen, std::vector<int>{10001});
    EXPECT_TRUE(menus.Get(Menu::AddToPlaylist)->actions().isEmpty());

    const QStringList none;
    menus.ShowList({10, 10}, &none);
    EXPECT_TRUE(seen.isEmpty());
    // More playlists than reserved ids: the ids stop at the last one.
    const QStringList many(3000, QStringLiteral("p"));
    menus.ShowList({10, 10}, &many);
    EXPECT_EQ(seen.size(), 2001);
    EXPECT_EQ(seen.last(), QStringLiteral("p|12000|"));

    QMenu* shown = nullptr;
    menus.SetRunner([&](QMenu& menu, QPoint) {
        shown = &menu;
        return 0;
    });
    EXPECT_EQ(menus.ShowList({10, 10}, nullptr), 0);
    EXPECT_EQ(shown, menus.Get(Menu::PlaylistList));
    EXPECT_EQ(chosen.size(), 3u); // nothing chosen this time
}

TEST_F(MenuTest, PlaylistMenuGreysRenameAndDeleteForTheCategory)
{
    QStringList seen;
    menus.SetRunner([&](QMenu& menu, QPoint) {
        seen = Describe(menu);
        return 0;
    });
    menus.ShowPlaylist({0, 0}, false);
    EXPECT_EQ(seen.mid(2), QStringList({"Rename Playlist…|122|g", "Delete Playlist|123|g"}));
    menus.ShowPlaylist({0, 0}, true);
    EXPECT_EQ(seen.mid(2), QStringList({"Rename Playlist…|122|", "Delete Playlist|123|"}));
    EXPECT_EQ(Describe(*menus.Get(Menu::Playlists)).at(2), QStringLiteral("Rename Playlist…|122|"));
}

} // namespace
