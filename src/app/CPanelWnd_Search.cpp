// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The search box: the keys that reach it, and the list of what its words find.
#include "CPanelWnd.h"

#include "CLibraryQuery.h"

void CPanelWnd::SetUpSearch()
{
    m_search.setParent(this);
    m_search.hide();
    connect(&m_search, &QLineEdit::textChanged, this, [this] { OnSearchChanged(); });
}

void CPanelWnd::OnFind()
{
    if (!m_search.isVisible())
        return;
    m_search.setFocus(Qt::ShortcutFocusReason);
    m_search.selectAll();
}

void CPanelWnd::OnSearchChanged()
{
    const ListQuery query = CLibraryQuery::SearchList(m_search.text());
    if (!query.sql.empty()) {
        ShowSearch(query);
        return;
    }
    if (!m_searchShown)
        return;
    m_searchShown = false;
    // The list the search replaced: a radio list comes from its node, which stays selected;
    // every other list from the node kept in the settings.
    CSkinTreeNode* selected = m_tree.Rows().Selection();
    FillList(selected && selected->m_type == NodeType::Radio ? selected : nullptr);
}

void CPanelWnd::ShowSearch(const ListQuery& query)
{
    m_searchShown = true;
    m_player.prepared = nullptr;
    m_stationLoad.Cancel();
    m_radioBrowser.Cancel();
    CloseViewedList();
    m_list.SetRadioMode(false);
    CLibraryQuery library(m_db);
    // Each key starts a fill on the worker; the one before it is dropped unseen, so typing
    // never waits for a list it has already moved past.
    if (m_db.IsOpen(DbConn::Library))
        m_listFill.Start(m_db.LibraryPath(), query, library.ShapeOf(m_list), m_list);
    else
        library.RunList(query, m_list);
}

void CPanelWnd::DropSearch()
{
    m_searchShown = false;
    m_search.ClearQuietly();
}
