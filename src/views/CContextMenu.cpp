// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CContextMenu.h"

#include "settings/CLanguage.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace {

// One row of a menu table: a language line and a command id; id 0 is a separator, a negative
// id names the submenu (-1 - Menu) placed there.
struct Item {
    int line;
    int id;
    const char* key = nullptr; // key name appended after a tab and two blanks
};

constexpr int Sub(CContextMenu::Menu menu)
{
    return -1 - static_cast<int>(menu);
}

using M = CContextMenu;

const Item kMain[] = {
    {0, M::ID_LIBRARY},   {1, M::ID_SKIN},      {0, 0},
    {2, M::ID_OPEN_PLAYLIST_FILE}, {3, Sub(M::Menu::Playback)}, {0, 0},
    {11, M::ID_EQUALIZER}, {0, 0},              {12, Sub(M::Menu::Options)},
    {16, M::ID_LANGUAGE}, {0, 0},               {17, M::ID_ABOUT},
};
const Item kPlayback[] = {
    {4, M::ID_PLAY, "Enter"},        {5, M::ID_PAUSE, "Space"},
    {6, M::ID_STOP, "Ctrl+Space"},   {7, M::ID_NEXT, "Ctrl+Right"},
    {8, M::ID_PREV, "Ctrl+Left"},    {0, 0},
    {9, M::ID_SHUFFLE},              {10, M::ID_REPEAT},
};
const Item kOptions[] = {{13, M::ID_HIDE_IN_TRAY}, {14, M::ID_LASTFM}, {25, M::ID_LISTENBRAINZ},
                         {18, Sub(M::Menu::Loudness)}, {32, M::ID_WATCH_FOLDERS}, {0, 0},
                         {15, M::ID_HOTKEYS},
                         {0, 0}, {26, M::ID_RADIO_BROWSER}, {27, M::ID_RADIO_DEVELOPER_ID}};
const Item kLoudness[] = {{19, M::ID_LOUDNESS_OFF},  {20, M::ID_LOUDNESS_TRACK},
                          {21, M::ID_LOUDNESS_ALBUM}, {22, M::ID_LOUDNESS_AUTO},
                          {0, 0},                     {23, M::ID_PREVENT_CLIPPING},
                          {28, M::ID_LOUDNESS_LEVELS},
                          {0, 0},                     {24, M::ID_ANALYSE_LIBRARY}};
const Item kTray[] = {{0, M::ID_PLAY}, {1, M::ID_PAUSE}, {2, M::ID_STOP}, {3, M::ID_NEXT},
                      {4, M::ID_PREV}, {0, 0},           {5, M::ID_EXIT}};
const Item kLibraryList[] = {{0, M::ID_PLAY_FOCUS}, {4, M::ID_SELECT_ALL}, {0, 0},
                             {3, Sub(M::Menu::AddToPlaylist)}, {2, M::ID_REMOVE}, {0, 0},
                             {9, M::ID_ANALYSE_LOUDNESS}, {1, M::ID_PROPERTIES}};
const Item kPlaylistList[] = {{0, M::ID_PLAY_FOCUS}, {4, M::ID_SELECT_ALL}, {0, 0},
                              {5, Sub(M::Menu::Add)}, {2, M::ID_REMOVE}, {0, 0},
                              {9, M::ID_ANALYSE_LOUDNESS}, {1, M::ID_PROPERTIES}};
const Item kAdd[] = {{6, M::ID_ADD_FILES}, {7, M::ID_ADD_FOLDER}, {8, M::ID_ADD_STREAM}};
const Item kPlaylists[] = {{0, M::ID_NEW_PLAYLIST}, {0, 0}, {1, M::ID_RENAME_PLAYLIST},
                           {2, M::ID_DELETE_PLAYLIST}};

constexpr int kCheckable[] = {M::ID_HIDE_IN_TRAY,     M::ID_SHUFFLE,          M::ID_REPEAT,
                              M::ID_LASTFM,          M::ID_LOUDNESS_OFF,     M::ID_LOUDNESS_TRACK,
                              M::ID_LOUDNESS_ALBUM,   M::ID_LOUDNESS_AUTO,    M::ID_PREVENT_CLIPPING,
                              M::ID_RADIO_BROWSER,   M::ID_RADIO_DEVELOPER_ID,
                              M::ID_WATCH_FOLDERS};

QAction* AddItem(QMenu& menu, const QString& text, int id)
{
    QAction* action = menu.addAction(text);
    action->setData(id);
    for (const int checkable : kCheckable) {
        action->setCheckable(action->isCheckable() || id == checkable);
    }
    return action;
}

QAction* FindAction(const QMenu& menu, int id)
{
    for (QAction* action : menu.actions()) {
        if (action->menu() == nullptr && !action->isSeparator() && action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}

int RunMenu(QMenu& menu, QPoint screen)
{
    const QAction* chosen = menu.exec(screen);
    return chosen != nullptr ? chosen->data().toInt() : 0;
}

} // namespace

CContextMenu::CContextMenu(std::function<void(int)> command)
    : m_command(std::move(command)), m_runner(&RunMenu)
{
}

CContextMenu::~CContextMenu()
{
    Destroy();
}

void CContextMenu::Destroy()
{
    // Submenus go before the menus that show them.
    for (auto it = m_menus.rbegin(); it != m_menus.rend(); ++it) {
        it->reset();
    }
}

void CContextMenu::Build(const CLanguage& language)
{
    Destroy();
    for (auto& menu : m_menus) {
        menu = std::make_unique<QMenu>();
    }
    const auto fill = [&](Menu which, LangSection section, const auto& items) {
        QMenu& menu = *Get(which);
        for (const Item& item : items) {
            const QString text = language.Line(section, item.line);
            if (item.id == 0) {
                menu.addSeparator();
            } else if (item.id < 0) {
                QMenu* sub = Get(static_cast<Menu>(-1 - item.id));
                sub->setTitle(text);
                menu.addMenu(sub);
            } else if (item.key != nullptr) {
                AddItem(menu, text + QStringLiteral("\t  ") + QLatin1String(item.key), item.id);
            } else {
                AddItem(menu, text, item.id);
            }
        }
    };
    fill(Menu::Playback, LangSection::MainMenu, kPlayback);
    fill(Menu::Loudness, LangSection::MainMenu, kLoudness);
    fill(Menu::Options, LangSection::MainMenu, kOptions);
    fill(Menu::Main, LangSection::MainMenu, kMain);
    fill(Menu::Tray, LangSection::TrayMenu, kTray);
    fill(Menu::LibraryList, LangSection::ListMenu, kLibraryList);
    fill(Menu::Add, LangSection::ListMenu, kAdd);
    fill(Menu::PlaylistList, LangSection::ListMenu, kPlaylistList);
    fill(Menu::Playlists, LangSection::TreeMenu, kPlaylists);
    // Remove is never offered for library rows.
    FindAction(*Get(Menu::LibraryList), ID_REMOVE)->setEnabled(false);
}

void CContextMenu::Rebuild(const CLanguage& language)
{
    Build(language);
}

void CContextMenu::Check(int id, bool on)
{
    for (const Menu menu : {Menu::Main, Menu::Playback, Menu::Options, Menu::Loudness}) {
        if (Get(menu) == nullptr) {
            return;
        }
        if (QAction* action = FindAction(*Get(menu), id)) {
            action->setChecked(on);
        }
    }
}

int CContextMenu::Run(Menu menu, QPoint screen)
{
    if (Get(menu) == nullptr) {
        return 0;
    }
    const int id = m_runner(*Get(menu), screen);
    if (id != 0 && m_command) {
        m_command(id);
    }
    return id;
}

int CContextMenu::ShowMain(QPoint screen)
{
    return Run(Menu::Main, screen);
}

int CContextMenu::ShowTray(QWidget* window)
{
    if (window != nullptr) {
        window->raise();
        window->activateWindow();
    }
    return Run(Menu::Tray, QCursor::pos());
}

int CContextMenu::ShowList(QPoint screen, const QStringList* names)
{
    if (names == nullptr) {
        return Run(Menu::PlaylistList, screen);
    }
    QMenu* sub = Get(Menu::AddToPlaylist);
    if (sub == nullptr) {
        return 0;
    }
    // Ids stop at the last reserved one, so more playlists than ids are not offered.
    const int count = std::min<int>(static_cast<int>(names->size()),
                                    ID_ADD_TO_PLAYLIST_LAST - ID_ADD_TO_PLAYLIST_FIRST + 1);
    for (int i = 0; i < count; ++i) {
        AddItem(*sub, names->at(i), ID_ADD_TO_PLAYLIST_FIRST + i);
    }
    const int id = Run(Menu::LibraryList, screen);
    // The menu outlives the showing, its items do not.
    while (!sub->actions().isEmpty()) {
        QAction* action = sub->actions().constFirst();
        sub->removeAction(action);
        delete action;
    }
    return id;
}

int CContextMenu::ShowPlaylist(QPoint screen, bool isPlaylist)
{
    QMenu* menu = Get(Menu::Playlists);
    if (menu == nullptr) {
        return 0;
    }
    QAction* rename = FindAction(*menu, ID_RENAME_PLAYLIST);
    QAction* remove = FindAction(*menu, ID_DELETE_PLAYLIST);
    rename->setEnabled(isPlaylist);
    remove->setEnabled(isPlaylist);
    const int id = Run(Menu::Playlists, screen);
    rename->setEnabled(true);
    remove->setEnabled(true);
    return id;
}
