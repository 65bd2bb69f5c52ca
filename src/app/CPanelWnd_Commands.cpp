// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Command routing: one row per menu item or accelerator, each handler a few lines.
#include "CPanelWnd.h"

#include "CDlgAbout.h"
#include "CDlgEq.h"
#include "CDlgHotKey.h"
#include "CDlgLanguage.h"
#include "CDlgLibrary.h"
#include "CDlgOpenURL.h"
#include "CDlgProgress.h"
#include "CDlgProperties.h"
#include "CDlgRename.h"
#include "CLibraryFolders.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <algorithm>
#include <iterator>
#include <utility>

struct CPanelWnd::CommandRow {
    int id;
    void (CPanelWnd::*handler)();
};

const CPanelWnd::CommandRow CPanelWnd::kCommands[] = {
    {ID_LIBRARY_FOLDERS, &CPanelWnd::OnLibraryFolders},
    {CContextMenu::ID_PLAY, &CPanelWnd::Play},
    {CContextMenu::ID_PAUSE, &CPanelWnd::PlayPause},
    {ID_SPACE, &CPanelWnd::PlayPause},
    {CContextMenu::ID_STOP, &CPanelWnd::Stop},
    {ID_CTRL_SPACE, &CPanelWnd::Stop},
    {CContextMenu::ID_NEXT, &CPanelWnd::Next},
    {ID_CTRL_RIGHT, &CPanelWnd::Next},
    {CContextMenu::ID_PREV, &CPanelWnd::Previous},
    {ID_CTRL_LEFT, &CPanelWnd::Previous},
    {ID_EXIT, &CPanelWnd::OnExit},
    {ID_SKIN, &CPanelWnd::OnSkin},
    {ID_HIDE_IN_TRAY, &CPanelWnd::OnHideInTray},
    {ID_SHUFFLE, &CPanelWnd::OnShuffle},
    {ID_REPEAT, &CPanelWnd::OnRepeat},
    {ID_LANGUAGE, &CPanelWnd::OnLanguage},
    {CContextMenu::ID_PROPERTIES, &CPanelWnd::OnProperties},
    {CContextMenu::ID_NEW_PLAYLIST, &CPanelWnd::OnNewPlaylist},
    {CContextMenu::ID_RENAME_PLAYLIST, &CPanelWnd::OnRenamePlaylist},
    {CContextMenu::ID_DELETE_PLAYLIST, &CPanelWnd::OnDeletePlaylist},
    {CContextMenu::ID_ABOUT, &CPanelWnd::OnAbout},
    {CContextMenu::ID_ADD_FILES, &CPanelWnd::OnAddFiles},
    {CContextMenu::ID_ADD_FOLDER, &CPanelWnd::OnAddFolder},
    {CContextMenu::ID_REMOVE, &CPanelWnd::OnRemoveRows},
    {ID_DELETE, &CPanelWnd::OnRemoveRows},
    {CContextMenu::ID_EQUALIZER, &CPanelWnd::OnEqualizer},
    {CContextMenu::ID_LASTFM, &CPanelWnd::OnLastFM},
    {CContextMenu::ID_LOUDNESS_OFF, &CPanelWnd::OnLoudnessOff},
    {CContextMenu::ID_LOUDNESS_TRACK, &CPanelWnd::OnLoudnessTrack},
    {CContextMenu::ID_LOUDNESS_ALBUM, &CPanelWnd::OnLoudnessAlbum},
    {CContextMenu::ID_LOUDNESS_AUTO, &CPanelWnd::OnLoudnessAuto},
    {CContextMenu::ID_PREVENT_CLIPPING, &CPanelWnd::OnPreventClipping},
    {CContextMenu::ID_LOUDNESS_LEVELS, &CPanelWnd::OnLoudnessLevels},
    {CContextMenu::ID_ANALYSE_LOUDNESS, &CPanelWnd::OnAnalyseLoudness},
    {CContextMenu::ID_ANALYSE_LIBRARY, &CPanelWnd::OnAnalyseLibrary},
    {CContextMenu::ID_LISTENBRAINZ, &CPanelWnd::OnListenBrainz},
    {CContextMenu::ID_WATCH_FOLDERS, &CPanelWnd::OnWatchFolders},
    {CContextMenu::ID_PLAY_FOCUS, &CPanelWnd::PlayRow},
    {ID_ENTER, &CPanelWnd::PlayRow},
    {CContextMenu::ID_SELECT_ALL, &CPanelWnd::OnSelectAll},
    {CContextMenu::ID_HOTKEYS, &CPanelWnd::OnHotKeys},
    {CContextMenu::ID_ADD_STREAM, &CPanelWnd::OnOpenURL},
    {CContextMenu::ID_OPEN_PLAYLIST_FILE, &CPanelWnd::OnOpenPlaylistFile},
    {CContextMenu::ID_RADIO_BROWSER, &CPanelWnd::OnRadioBrowser},
    {CContextMenu::ID_RADIO_DEVELOPER_ID, &CPanelWnd::OnRadioDeveloperId},
    {ID_FIND, &CPanelWnd::OnFind},
    // The media keys drive the player as their symbols say.
    {ID_MEDIA_PLAYPAUSE, &CPanelWnd::PlayPause},
    {ID_MEDIA_STOP, &CPanelWnd::Stop},
    {ID_MEDIA_NEXT, &CPanelWnd::Next},
    {ID_MEDIA_PREV, &CPanelWnd::Previous},
};

bool CPanelWnd::HoldWhileFilling(int id)
{
    if (!m_listFill.IsRunning())
        return false;
    const auto row = std::find_if(std::begin(kCommands), std::end(kCommands),
        [id](const CommandRow& r) { return r.id == id; });
    if (row == std::end(kCommands))
        return false;
    // Pausing needs no rows; starting, choosing a row and stepping do. A play request from the
    // desktop right after start-up must find the restored list, not the empty one before it.
    // Once one command waits, the ones after it wait too: a stop must not overtake a play.
    const auto handler = row->handler;
    const bool needsRows = handler == &CPanelWnd::Play || handler == &CPanelWnd::PlayRow
        || handler == &CPanelWnd::Next || handler == &CPanelWnd::Previous
        || (handler == &CPanelWnd::PlayPause && !m_player.playing);
    if (!needsRows && m_held.empty())
        return false;
    m_held.push_back(id);
    return true;
}

void CPanelWnd::RunHeldCommands()
{
    if (m_listFill.IsRunning() || m_shutDown)
        return;
    const std::vector<int> held = std::exchange(m_held, {});
    for (int id : held)
        RunCommand(id);
}

void CPanelWnd::OnCommand(int id)
{
    Q_EMIT CommandRouted(id);
    if (!HoldWhileFilling(id))
        RunCommand(id);
}

void CPanelWnd::RunCommand(int id)
{
    if (id >= CContextMenu::ID_ADD_TO_PLAYLIST_FIRST && id <= CContextMenu::ID_ADD_TO_PLAYLIST_LAST) {
        OnAddToPlaylist(id - CContextMenu::ID_ADD_TO_PLAYLIST_FIRST);
        return;
    }
    for (const CommandRow& row : kCommands) {
        if (row.id == id) {
            (this->*row.handler)();
            return;
        }
    }
}

void CPanelWnd::OnExit()
{
    close();
}

void CPanelWnd::OnHideInTray()
{
    m_hideInTray = !m_hideInTray;
    m_menus.Check(ID_HIDE_IN_TRAY, m_hideInTray);
}

void CPanelWnd::OnShuffle()
{
    SetShuffle(m_settings.GetShuffle() == 0);
}

void CPanelWnd::OnRepeat()
{
    SetRepeat(m_settings.GetRepeat() == 0);
}

void CPanelWnd::OnLibraryFolders()
{
    QStringList folders;
    if (ChooseLibraryFolders(&folders))
        RunLibraryUpdate(folders);
}

bool CPanelWnd::ChooseLibraryFolders(QStringList* folders)
{
    bool saveFailed = false;
    {
        ModalBracket bracket(*this);
        CDlgLibrary dlg(m_language.Section(LangSection::LibraryDialog), m_profileFolder, this);
        if (!dlg.Run())
            return false;
        *folders = dlg.Folders();
        saveFailed = dlg.SaveFailed();
    }
    if (saveFailed)
        ReportFailure(tr("The library folders could not be saved to \"%1\"; the library is "
                         "updated from them now, but they will not be listed next time.")
                          .arg(QDir::toNativeSeparators(CLibraryFolders::FilePath(m_profileFolder))));
    return true;
}

void CPanelWnd::RunLibraryUpdate(const QStringList& folders)
{
    m_jobs.Run([this, folders] {
        if (!m_shutDown)
            RunLibraryUpdateNow(folders);
    });
}

void CPanelWnd::RunLibraryUpdateNow(const QStringList& folders)
{
    bool failed = false;
    {
        ModalBracket bracket(*this);
        CDlgProgress dlg(this);
        dlg.SetLines(m_language.Section(LangSection::ProcessDialog));
        dlg.SetDatabase(&m_db);
        dlg.SetTagReader(&CPlayBass::ReadTags);
        dlg.SetJob(ProgressJob::LibraryUpdate);
        dlg.SetPaths(folders);
        dlg.Run();
        failed = dlg.Failed();
    }
    if (m_shutDown)
        return;
    if (failed)
        ReportFailure(tr("The library update failed and was undone; the library is as it was."));
    if (!m_db.IsOpen(DbConn::Library)) {
        ModalBracket bracket(*this);
        QMessageBox::warning(this, QStringLiteral("Plumo"),
            tr("The library could not be updated: \"%1\" is not open.")
                .arg(m_profileFolder + "/Library.db"));
    }
    AfterLibraryUpdate();
    // The folders may have changed: the watch follows the list just saved.
    StartFollowing();
}

void CPanelWnd::OnLanguage()
{
    ModalBracket bracket(*this);
    if (!CDlgLanguage::Run(this, m_language, m_settings.GetDefaultLanguage()))
        return;
    m_menus.Rebuild(m_language);
    m_tray.SetMenu(m_menus.Get(CContextMenu::Menu::Tray));
    CheckMenus();
    RebuildTree();
    m_search.setPlaceholderText(m_language.Line(LangSection::Library, kSearchLine));
}

void CPanelWnd::OnEqualizer()
{
    ModalBracket bracket(*this);
    CDlgEq dlg(m_language, m_engine, m_programFolder, this);
    dlg.exec();
}

void CPanelWnd::OnLastFM()
{
    if (m_settings.GetLastFm()) {
        m_lastFm.SendStop();
        m_lastFm.SwitchOff();
        m_settings.SetLastFm(0);
        m_menus.Check(CContextMenu::ID_LASTFM, false);
        return;
    }
    const bool started = m_lastFm.Start();
    m_settings.SetLastFm(started ? 1 : 0);
    m_menus.Check(CContextMenu::ID_LASTFM, started);
    if (!started)
        Warn(7, 1);
}

void CPanelWnd::OnHotKeys()
{
    ModalBracket bracket(*this);
    CDlgHotKey::Run(this, m_language, m_hotKeys, m_keyHook && m_keyHook->IsGlobal());
    UpdateMediaAccelerators();
}

void CPanelWnd::OnOpenURL()
{
    ModalBracket bracket(*this);
    CDlgOpenURL dlg(this);
    dlg.SetLines(m_language.Section(LangSection::OpenURLDialog));
    if (dlg.exec() != QDialog::Accepted)
        return;
    // What the user typed is never dropped without a word: the list may have stopped showing
    // a playlist while the dialog was up, and the playlist file may refuse the row.
    if (!m_db.IsOpen(DbConn::Viewed)) {
        Warn(4, 2, QMessageBox::Information);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_player.prepared = nullptr;
    const bool stored = m_playlists.AppendStream(dlg.Address(), dlg.Name(), m_list);
    if (stored)
        m_list.ScrollToEnd();
    QApplication::restoreOverrideCursor();
    if (!stored) {
        ShowNote(tr("The stream \"%1\" could not be added to the playlist: its file \"%2\" "
                    "cannot be written.")
                     .arg(dlg.Address(), m_db.PlaylistFile(DbConn::Viewed)));
    }
}

void CPanelWnd::OnProperties()
{
    CSkinListNode* row = m_list.Rows().Focus();
    if (!row || !row->IsSong())
        return;
    ModalBracket bracket(*this);
    const bool stream = CPlayBass::IsStreamAddress(row->m_file);
    CDlgProperties dlg(m_language.Section(LangSection::PropertiesDialog), stream ? nullptr : &m_db,
        row->m_libraryId, row->m_playlistId, row->m_file, this);
    dlg.exec();
}

void CPanelWnd::OnAbout()
{
    ModalBracket bracket(*this);
    CDlgAbout dlg(m_language.Section(LangSection::AboutDialog),
        CTrayIcon::ProgramIcon(m_programFolder), this);
    dlg.exec();
}

void CPanelWnd::OnSelectAll()
{
    m_list.SelectAllSongs();
    m_list.update();
}

void CPanelWnd::OnRemoveRows()
{
    // Delete acts on the list after a click on it, wherever the keyboard focus went since;
    // after a click on the tree it removes nothing.
    if (m_lastClickedView != &m_list || !m_db.IsOpen(DbConn::Viewed))
        return;
    std::vector<int> ids;
    for (CSkinListNode* row : m_list.Rows().Selection()) {
        if (row->IsSong())
            ids.push_back(row->m_playlistId);
    }
    if (ids.empty())
        return;
    if (!m_playlists.DeleteRows(ids)) {
        ReportFailure(tr("The rows could not be removed: the playlist file is locked or "
                         "read-only."));
        return;
    }
    // Only the deleted rows go: the rest keep their place on screen and the playing mark.
    m_player.prepared = nullptr;
    m_list.DeleteSelected();
    m_playlists.Renumber(m_list);
}
