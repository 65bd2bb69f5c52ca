// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The library tree and the now-playing list: placed over the skin's Library and Playlist
// elements, the tree's categories at start-up, and the browsing queries behind expanding and
// selecting a node.
#include "CPanelWnd.h"

#include "library/CLibraryQuery.h"
#include "library/CPlaylistStore.h"

namespace {

// Library lines of the category labels, in the order the categories are shown.
struct Category {
    NodeType type;
    int line;
};
constexpr Category kCategories[] = {
    {NodeType::Artist, 4}, {NodeType::Album, 5}, {NodeType::Year, 6},
    {NodeType::Genre, 7},  {NodeType::Radio, 8}, {NodeType::Playlist, 1},
};

// The tree types of the library's categories share their numbers with the query kinds.
TreeKind KindOf(NodeType type)
{
    return static_cast<TreeKind>(static_cast<int>(type));
}

CSkinTreeNode* CategoryOf(CSkinTreeNode* node)
{
    while (node != nullptr && !node->m_categoryHead)
        node = node->m_parent;
    return node;
}

} // namespace

void CPanelWnd::CreateViews()
{
    const QString folder = m_skinDraw.GetLoadedFolder();
    const qreal dpr = m_skinDraw.GetDevicePixelRatio();
    m_composer.Clear();
    m_tree.FreeSkin();
    m_list.FreeSkin();
    m_tree.Create(this, MsgTarget());
    m_list.Create(this, MsgTarget());
    m_tree.hide();
    m_list.hide();
    for (const auto& panel : m_panels) {
        for (const CSkinPanelElement& element : panel->GetElements()) {
            const int kind = element.GetControl()->GetType();
            const QString file = folder + element.GetSkinFile();
            if (kind == static_cast<int>(SkinKind::Library)) {
                m_tree.LoadSkin(file, dpr);
                m_composer.Add(&m_tree, element.GetControl());
            } else if (kind == static_cast<int>(SkinKind::Playlist)) {
                m_list.LoadSkin(file, dpr);
                m_composer.Add(&m_list, element.GetControl());
            }
        }
    }
}

void CPanelWnd::PlaceViews()
{
    m_composer.Place(false);
    m_composer.Show();
}

void CPanelWnd::FillTreeCategories()
{
    m_tree.SetAutoLayout(false);
    m_tree.DeleteAll();
    for (const Category& category : kCategories) {
        CSkinTreeNode* node = m_tree.AddCategory(category.type,
                                                 m_language.Line(LangSection::Library, category.line));
        node->m_expanded = category.type == NodeType::Playlist;
    }
    CPlaylistStore store(m_db);
    store.LoadRegistry(&m_tree);
    m_tree.SetAutoLayout(true);
    m_tree.RecalcLayout();
}

void CPanelWnd::OnTreeExpand(CSkinTreeNode* node)
{
    const CSkinTreeNode* category = CategoryOf(node);
    if (node == nullptr || category == nullptr || category->m_type == NodeType::Radio
        || category->m_type == NodeType::Playlist)
        return;
    CLibraryQuery query(m_db);
    if (node == category)
        query.FillRoot(KindOf(node->m_type), m_tree);
    else
        query.FillValue(KindOf(category->m_type), node->m_key, m_tree);
}

void CPanelWnd::OnTreeSelect(CSkinTreeNode* node)
{
    const CSkinTreeNode* category = CategoryOf(node);
    if (node == nullptr || category == nullptr || node == category)
        return;
    if (category->m_type == NodeType::Playlist) {
        if (m_db.OpenPlaylist(DbConn::Viewed, node->m_key))
            CPlaylistStore(m_db).FillList(m_list);
        return;
    }
    if (category->m_type == NodeType::Radio)
        return;
    CLibraryQuery query(m_db);
    const TreeKind kind = KindOf(category->m_type);
    if (!node->m_albumLeaf)
        query.ListValue(kind, node->m_key, m_list);
    else if (node->m_parent == category)
        query.ListAlbum(kind, QString(), node->m_artist, node->m_album, m_list);
    else
        query.ListAlbum(kind, node->m_parent->m_key, node->m_artist, node->m_album, m_list);
}
