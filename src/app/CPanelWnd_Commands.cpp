// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Command routing: one row per command id, each handler a few lines.
#include "CPanelWnd.h"

#include "CDlgLanguage.h"
#include "CDlgLibrary.h"
#include "CDlgProgress.h"
#include "CLibraryFolders.h"

struct CPanelWnd::CommandRow {
    int id;
    void (CPanelWnd::*handler)();
};

const CPanelWnd::CommandRow CPanelWnd::kCommands[] = {
    {ID_LIBRARY_FOLDERS, &CPanelWnd::OnLibraryFolders},
    {ID_EXIT, &CPanelWnd::OnExit},
    {ID_HIDE_IN_TRAY, &CPanelWnd::OnHideInTray},
    {ID_SHUFFLE, &CPanelWnd::OnShuffle},
    {ID_REPEAT, &CPanelWnd::OnRepeat},
    {ID_LANGUAGE, &CPanelWnd::OnLanguage},
    {ID_SKIN, &CPanelWnd::OnSkin},
};

void CPanelWnd::OnCommand(int id)
{
    Q_EMIT CommandRouted(id);
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
}

void CPanelWnd::OnShuffle()
{
    m_settings.SetShuffle(m_settings.GetShuffle() ? 0 : 1);
}

void CPanelWnd::OnRepeat()
{
    m_settings.SetRepeat(m_settings.GetRepeat() ? 0 : 1);
}

void CPanelWnd::OnLibraryFolders()
{
    if (ChooseLibraryFolders())
        RunLibraryUpdate();
}

bool CPanelWnd::ChooseLibraryFolders()
{
    ModalBracket bracket(*this);
    CDlgLibrary dlg(m_language.Section(LangSection::LibraryDialog), m_profileFolder, this);
    return dlg.Run();
}

void CPanelWnd::RunLibraryUpdate()
{
    CLibraryFolders folders;
    folders.Load(m_profileFolder);
    ModalBracket bracket(*this);
    CDlgProgress dlg(this);
    dlg.SetLines(m_language.Section(LangSection::ProcessDialog));
    dlg.SetDatabase(&m_db);
    dlg.SetTagReader(&CPlayBass::ReadTags);
    dlg.SetJob(ProgressJob::LibraryUpdate);
    dlg.SetPaths(folders.Folders());
    dlg.Run();
    // The tree is rebuilt from the library here once the tree view exists.
}

void CPanelWnd::OnLanguage()
{
    ModalBracket bracket(*this);
    if (CDlgLanguage::Run(this, m_language, m_settings.GetDefaultLanguage())) {
        // Menus are rebuilt with their check marks (113, 114, 115, 133) and the tree rebuilt
        // here once menus and tree exist.
    }
}
