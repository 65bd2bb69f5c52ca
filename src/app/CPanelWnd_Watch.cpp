// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The library following its folders while the window is up: the watch switched on and off,
// its quiet runs ordered with the other database jobs, and the tree and list brought up to date
// after a run that changed rows, with the tree's open nodes, selection and scroll kept.
#include "CPanelWnd.h"

#include "CLibraryFolders.h"

#include <QSet>

#include <utility>

namespace {

// The node's place in the tree as text: its category, then the key of each node down to it.
// It survives the tree being built again, where the node objects do not.
QString PlaceOf(const CSkinTreeNode* node)
{
    QString place;
    for (; node && node->m_parent; node = node->m_parent) {
        QString step;
        if (node->m_kind == CSkinTreeNode::kHead)
            step = QString::number(static_cast<int>(node->m_type));
        else if (node->m_albumLeaf)
            step = node->m_artist + QChar(0x1e) + node->m_album;
        else
            step = node->m_key;
        place.prepend(step).prepend(QChar(0x1f));
    }
    return place;
}

void CollectOpen(const CSkinTreeNode* node, QSet<QString>& open)
{
    for (const CSkinTreeNode* child : node->m_children) {
        if (child->m_expanded) {
            open.insert(PlaceOf(child));
            CollectOpen(child, open);
        }
    }
}

} // namespace

void CPanelWnd::SetUpFollow()
{
    m_follow.SetProfileFolder(m_profileFolder);
    m_follow.SetTagReader(&CPlayBass::ReadTags);
    // In the job queue a quiet run waits for a running job (a progress dialog) and holds
    // later ones until it is done, so two writers never meet on the library.
    m_follow.SetSchedule([this](CLibraryFollow::Job job) {
        m_jobs.Run([this, job = std::move(job)] {
            if (!m_shutDown)
                job();
        });
    });
    connect(&m_follow, &CLibraryFollow::Updated, this, &CPanelWnd::FollowUpdated);
    connect(&m_follow, &CLibraryFollow::LimitReached, this, [this] {
        if (std::exchange(m_watchLimitShown, true))
            return;
        ShowNote(tr("The library folders hold more folders than the system lets one user "
                    "watch. Changes to them are now taken into the library once a minute."));
    });
}

void CPanelWnd::StartFollowing()
{
    CLibraryFolders folders;
    // A list that cannot be read says nothing about the folders: it must not empty the library.
    if (m_shutDown || m_settings.GetWatchFolders() == 0 || !m_db.IsOpen(DbConn::Library)
        || !folders.Load(m_profileFolder)) {
        m_follow.Stop();
        return;
    }
    m_follow.Start(folders.Folders());
}

void CPanelWnd::OnWatchFolders()
{
    const bool on = m_settings.GetWatchFolders() == 0;
    m_settings.SetWatchFolders(on ? 1 : 0);
    m_menus.Check(CContextMenu::ID_WATCH_FOLDERS, on);
    if (on)
        StartFollowing();
    else
        m_follow.Stop();
}

void CPanelWnd::FollowUpdated(const UpdateStats& stats)
{
    if (m_shutDown || stats.inserted + stats.updated + stats.moved + stats.removed == 0)
        return;
    const CSettings::LibraryNode& shown = m_settings.GetLibraryNode();
    if (shown.node1Type >= static_cast<int>(NodeType::Artist)
        && shown.node1Type <= static_cast<int>(NodeType::Year) && !m_list.Rows().RadioMode())
        FillList(nullptr);
    RefreshTree();
}

void CPanelWnd::RefreshTree()
{
    TreeKeep keep;
    CTreeRows& rows = m_tree.Rows();
    CollectOpen(rows.Root(), keep.open);
    if (rows.Selection())
        keep.selected = PlaceOf(rows.Selection());
    keep.scroll = rows.Scroll().Pos();
    RebuildTree();
    m_tree.SetAutoLayout(false);
    Reopen(rows.Root(), keep.open, keep.selected);
    m_tree.SetAutoLayout(true);
    m_tree.RecalcLayout();
    rows.Scroll().ScrollTo(keep.scroll);
    m_tree.RecalcLayout();
    // The categories opened again read their children on the worker: what lies beneath them
    // is opened and selected when they arrive.
    keep.shownScroll = rows.Scroll().Pos();
    if (m_treeFill.IsRunning())
        m_treeKeep = std::move(keep);
}

void CPanelWnd::TreeChildrenRead(TreeKind kind, const CTreeFill::Children& children)
{
    CTreeRows& rows = m_tree.Rows();
    CSkinTreeNode* head = nullptr;
    for (CSkinTreeNode* node : rows.Root()->m_children) {
        if (node->m_kind == CSkinTreeNode::kHead && static_cast<TreeKind>(node->m_type) == kind)
            head = node;
    }
    // A category that has children already was answered otherwise; one closed again while
    // its children were read still takes them, as it would have kept them once shown.
    if (head && head->m_children.empty()) {
        m_tree.SetAutoLayout(false);
        rows.SetFillTarget(head);
        children.Replay(m_tree);
        rows.SetFillTarget(nullptr);
        // A node the user chose meanwhile stays chosen.
        if (m_treeKeep)
            Reopen(head, m_treeKeep->open, rows.Selection() ? QString() : m_treeKeep->selected);
        m_tree.SetAutoLayout(true);
        m_tree.RecalcLayout();
        // Unless the user scrolled meanwhile, the tree goes where it was before the refresh.
        if (m_treeKeep && rows.Scroll().Pos() == m_treeKeep->shownScroll) {
            rows.Scroll().ScrollTo(m_treeKeep->scroll);
            m_tree.RecalcLayout();
            m_treeKeep->shownScroll = rows.Scroll().Pos();
        }
    }
    if (!m_treeFill.IsRunning())
        m_treeKeep.reset();
}

void CPanelWnd::Reopen(CSkinTreeNode* node, const QSet<QString>& open, const QString& selected)
{
    // Children are copied first: expanding a node appends to its own children only.
    const std::vector<CSkinTreeNode*> children = node->m_children;
    for (CSkinTreeNode* child : children) {
        const QString place = PlaceOf(child);
        if (place == selected)
            m_tree.Rows().SetSelection(child);
        // The radio node's children come from the network: it stays closed until asked.
        if (!open.contains(place) || child->m_type == NodeType::Radio)
            continue;
        child->m_expanded = true;
        if (child->m_children.empty()) {
            m_tree.Rows().SetFillTarget(child);
            OnTreeExpand(reinterpret_cast<WParam>(child), 0);
            m_tree.Rows().SetFillTarget(nullptr);
        }
        Reopen(child, open, selected);
    }
}
