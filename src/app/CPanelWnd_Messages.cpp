// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Private messages from the views, the engine, the skin chooser, the key hook and the tray:
// one row per message, each handler a few lines.
#include "CPanelWnd.h"

#include <QContextMenuEvent>
#include <QWheelEvent>

struct CPanelWnd::MessageRow {
    unsigned msg;
    LResult (CPanelWnd::*handler)(WParam, LParam);
};

const CPanelWnd::MessageRow CPanelWnd::kMessages[] = {
    {UWM_TREEEXPAND, &CPanelWnd::OnTreeExpand},
    {UWM_TREESELECT, &CPanelWnd::OnTreeSelect},
    {UWM_LISTPLAY, &CPanelWnd::OnListPlay},
    {UWM_PLAYERNEXTFILE, &CPanelWnd::OnNextFile},
    {UWM_PLAYERTRACKEND, &CPanelWnd::OnTrackEnd},
    {UWM_LISTRATING, &CPanelWnd::OnListRating},
    {UWM_SKINAPPLY, &CPanelWnd::OnSkinApply},
    {UWM_LISTMENU, &CPanelWnd::OnListMenu},
    {UWM_TREEMENU, &CPanelWnd::OnTreeMenu},
    {UWM_TREEREORDER, &CPanelWnd::OnTreeReorder},
    {UWM_LISTREORDER, &CPanelWnd::OnListReorder},
    {UWM_LISTDRAG, &CPanelWnd::OnListDrag},
    {UWM_TREEKEYSELECT, &CPanelWnd::OnTreeSelect},
    {UWM_PLAYERMETA, &CPanelWnd::OnPlayerMeta},
    {UWM_PLAYERCONNECT, &CPanelWnd::OnPlayerConnect},
    {UWM_HOOKKEYDOWN, &CPanelWnd::OnHookKeyDown},
    {UWM_TRAYNOTIFY, &CPanelWnd::OnTrayNotify},
};

LResult CPanelWnd::OnUserMessage(unsigned msg, WParam wParam, LParam lParam)
{
    // After shut-down only the engine's question is answered (with nothing), so a track
    // ending while the window goes down cannot start another.
    if (m_shutDown && msg != UWM_PLAYERNEXTFILE)
        return 0;
    for (const MessageRow& row : kMessages) {
        if (row.msg == msg)
            return (this->*row.handler)(wParam, lParam);
    }
    return 0;
}

LResult CPanelWnd::OnListPlay(WParam, LParam)
{
    PlayRow();
    return 0;
}

LResult CPanelWnd::OnNextFile(WParam wParam, LParam)
{
    auto* answer = reinterpret_cast<QString*>(wParam);
    const QString next = m_shutDown ? QString() : PrepareNext();
    if (answer)
        *answer = next;
    return 0;
}

LResult CPanelWnd::OnTrackEnd(WParam wParam, LParam lParam)
{
    TrackEnded(wParam != 0, lParam != 0);
    return 0;
}

LResult CPanelWnd::OnListRating(WParam wParam, LParam)
{
    auto* row = reinterpret_cast<CSkinListNode*>(wParam);
    if (!row)
        return 0;
    if (!m_db.SetRating(row->m_libraryId, row->m_playlistId, row->m_rating)) {
        ShowStoredRating(row);
        return 0;
    }
    if (row == m_list.Rows().Playing())
        m_skinDraw.SetRating(row->m_rating);
    return 0;
}

LResult CPanelWnd::OnSkinApply(WParam wParam, LParam)
{
    if (!wParam)
        return 0;
    return ApplySkin(*reinterpret_cast<const QString*>(wParam)) ? 1 : 0;
}

LResult CPanelWnd::OnListMenu(WParam wParam, LParam lParam)
{
    const QPoint at(static_cast<int>(wParam), static_cast<int>(lParam));
    if (!m_db.IsOpen(DbConn::Viewed) || m_list.Rows().RadioMode()) {
        QStringList names;
        for (const PlaylistEntry& e : m_playlists.Entries())
            names << e.name;
        m_menus.ShowList(at, &names);
    } else {
        m_menus.ShowList(at, nullptr);
    }
    return 0;
}

LResult CPanelWnd::OnTreeMenu(WParam wParam, LParam lParam)
{
    const auto* node = reinterpret_cast<const CSkinTreeNode*>(wParam);
    const QPoint at(static_cast<qint16>(lParam & 0xFFFF), static_cast<qint16>((lParam >> 16) & 0xFFFF));
    m_menus.ShowPlaylist(at, node && node->m_type == NodeType::Playlist);
    return 0;
}

LResult CPanelWnd::OnPlayerMeta(WParam, LParam)
{
    StreamTitleChanged();
    return 0;
}

LResult CPanelWnd::OnPlayerConnect(WParam wParam, LParam lParam)
{
    OpenFinished(static_cast<int>(wParam), lParam);
    return 0;
}

LResult CPanelWnd::OnHookKeyDown(WParam wParam, LParam lParam)
{
    const int action = m_hotKeys.LookupMessage(static_cast<int>(wParam), static_cast<int>(lParam));
    if ((lParam & CHotKey::kBitRepeat) != 0 && !CHotKey::RepeatsWhileHeld(action))
        return 1;
    switch (action) {
    // Routed as the menu's commands, so a key pressed while the list fills waits for its rows.
    case CHotKey::ActionPlay: OnCommand(CContextMenu::ID_PLAY); break;
    case CHotKey::ActionPlayPause: OnCommand(CContextMenu::ID_PAUSE); break;
    case CHotKey::ActionStop: OnCommand(CContextMenu::ID_STOP); break;
    case CHotKey::ActionNext: OnCommand(CContextMenu::ID_NEXT); break;
    case CHotKey::ActionPrevious: OnCommand(CContextMenu::ID_PREV); break;
    case CHotKey::ActionMute: SetMute(m_settings.GetMute() == 0); break;
    case CHotKey::ActionVolumeUp: VolumeUp(); break;
    case CHotKey::ActionVolumeDown: VolumeDown(); break;
    default:
        if (action >= CHotKey::ActionRate1 && action <= CHotKey::ActionRate5)
            RateTrack(action - CHotKey::ActionRate1 + 1, false);
        break;
    }
    return 1;
}

LResult CPanelWnd::OnTrayNotify(WParam, LParam lParam)
{
    switch (static_cast<long>(lParam)) {
    case CTrayIcon::kRButtonUp:
    case CTrayIcon::kContextMenu:
        m_menus.ShowTray(this);
        break;
    case CTrayIcon::kLButtonDown:
        if (isMinimized() || !isVisible())
            CTrayIcon::RestoreWindow(this);
        else
            CTrayIcon::MinimizeWindow(this);
        break;
    default:
        break;
    }
    return 0;
}

void CPanelWnd::wheelEvent(QWheelEvent* event)
{
    // One volume step per notch, however finely the device reports the turn.
    const int steps = m_wheel.Add(event->angleDelta().y());
    for (int i = 0; i < steps; ++i)
        VolumeUp();
    for (int i = 0; i > steps; --i)
        VolumeDown();
    event->accept();
}

void CPanelWnd::contextMenuEvent(QContextMenuEvent* event)
{
    m_menus.ShowMain(event->globalPos());
}
