// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QPoint>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class CLanguage;
class QMenu;
class QWidget;

// The program's popup menus, their command ids and their texts from the language. Choosing an
// item hands its id to the command function given at construction (the main window's
// OnCommand). Built once, rebuilt after a language change (check marks are then the caller's
// to restore). UI thread only.
class CContextMenu {
public:
    enum class Menu : int {
        Main,
        Playback,
        Options,
        LibraryList,
        Playlists,
        Tray,
        AddToPlaylist,
        PlaylistList,
        Add,
        Loudness,
        Count,
    };

    // Command ids.
    static constexpr int ID_LIBRARY = 104;
    static constexpr int ID_PLAY = 105;
    static constexpr int ID_PAUSE = 106;
    static constexpr int ID_STOP = 107;
    static constexpr int ID_NEXT = 108;
    static constexpr int ID_PREV = 109;
    static constexpr int ID_EXIT = 110;
    static constexpr int ID_SKIN = 112;
    static constexpr int ID_HIDE_IN_TRAY = 113;
    static constexpr int ID_SHUFFLE = 114;
    static constexpr int ID_REPEAT = 115;
    static constexpr int ID_LANGUAGE = 117;
    static constexpr int ID_PROPERTIES = 119;
    static constexpr int ID_NEW_PLAYLIST = 121;
    static constexpr int ID_RENAME_PLAYLIST = 122;
    static constexpr int ID_DELETE_PLAYLIST = 123;
    static constexpr int ID_ABOUT = 126;
    static constexpr int ID_ADD_FILES = 128;
    static constexpr int ID_ADD_FOLDER = 129;
    static constexpr int ID_REMOVE = 130;
    static constexpr int ID_EQUALIZER = 132;
    static constexpr int ID_LASTFM = 133;
    static constexpr int ID_PLAY_FOCUS = 137;
    static constexpr int ID_SELECT_ALL = 138;
    static constexpr int ID_HOTKEYS = 140;
    static constexpr int ID_ADD_STREAM = 141;
    static constexpr int ID_OPEN_PLAYLIST_FILE = 143;
    // Loudness submenu: the four modes in their stored order (off, track, album, auto), then
    // clipping prevention.
    static constexpr int ID_LOUDNESS_OFF = 150;
    static constexpr int ID_LOUDNESS_TRACK = 151;
    static constexpr int ID_LOUDNESS_ALBUM = 152;
    static constexpr int ID_LOUDNESS_AUTO = 153;
    static constexpr int ID_PREVENT_CLIPPING = 154;
    // Measures the loudness of the selected rows (list menus) or of the whole library.
    static constexpr int ID_ANALYSE_LOUDNESS = 155;
    static constexpr int ID_ANALYSE_LIBRARY = 156;
    static constexpr int ID_LISTENBRAINZ = 157;
    // Opens the dialog for the preamp and the gain of untagged files.
    static constexpr int ID_LOUDNESS_LEVELS = 180;
    // Following the library folders while the program runs, on or off.
    static constexpr int ID_WATCH_FOLDERS = 170;
    // The radio node's source: one of the two is checked.
    static constexpr int ID_RADIO_BROWSER = 144;
    static constexpr int ID_RADIO_DEVELOPER_ID = 145;
    // Add-to-playlist items: first id + index of the playlist, up to the last id.
    static constexpr int ID_ADD_TO_PLAYLIST_FIRST = 10000;
    static constexpr int ID_ADD_TO_PLAYLIST_LAST = 12000;

    explicit CContextMenu(std::function<void(int)> command);
    ~CContextMenu();
    CContextMenu(const CContextMenu&) = delete;
    CContextMenu& operator=(const CContextMenu&) = delete;

    // Makes the ten menus and fills them from the language's MainMenu, TrayMenu, ListMenu and
    // TreeMenu groups (missing lines give empty texts).
    void Build(const CLanguage& language);
    // Destroys every menu and builds them again.
    void Rebuild(const CLanguage& language);
    // Checks or unchecks 113, 114, 115, 133, 144, 145, 150..154 or 170 in the main menu's
    // submenus.
    void Check(int id, bool on);

    // Each Show runs the menu at a screen point and returns the chosen id (0 when none), after
    // handing it to the command function.
    int ShowMain(QPoint screen);
    // Raises window first, then shows the tray menu at the cursor.
    int ShowTray(QWidget* window);
    // With names (the list shows library rows or radio stations): the library list menu, its
    // add-to-playlist submenu filled with the names for this showing only. Without: the
    // playlist list menu.
    int ShowList(QPoint screen, const QStringList* names);
    // isPlaylist false (the playlists category itself): rename and delete are greyed for this
    // showing.
    int ShowPlaylist(QPoint screen, bool isPlaylist);

    QMenu* Get(Menu menu) const { return m_menus[static_cast<std::size_t>(menu)].get(); }

    // Runs a menu; replaced by tests, which cannot answer a real popup.
    using Runner = std::function<int(QMenu&, QPoint)>;
    void SetRunner(Runner runner) { m_runner = std::move(runner); }

private:
    void Destroy();
    int Run(Menu menu, QPoint screen);

    std::function<void(int)> m_command;
    Runner m_runner;
    std::array<std::unique_ptr<QMenu>, static_cast<std::size_t>(Menu::Count)> m_menus;
};
