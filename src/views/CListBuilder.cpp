// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CListBuilder.h"

#include "CListRows.h"
#include "CSkinList.h"
#include "CSkinListNode.h"

#include <utility>

// The nodes of one fill under a root of their own, in list order: the songs before the first
// head (they go under the list's last head), then the heads with their songs and blocks.
// Whatever the list has not taken when the batch goes is deleted with it.
class CListBuilder::Batch : public IListBatch {
public:
    Batch(CSkinList& list, ListTree tree)
        : m_list(list)
        , m_tree(std::move(tree))
    {
    }

    void AddToSink() override { m_list.AddTree(std::move(m_tree)); }

private:
    CSkinList& m_list;
    ListTree m_tree;
};

CListBuilder::CListBuilder(CSkinList& list, const ListGeometry& geometry)
    : m_list(&list)
    , m_geometry(geometry)
{
}

std::unique_ptr<IListBatch> CListBuilder::Build(std::vector<ListRow>& rows) const
{
    ListTree made;
    made.root = std::make_unique<CSkinListNode>();
    made.geometry = m_geometry;
    CSkinListNode* const tree = made.root.get();
    // The root holds the heads and the songs before the first of them.
    std::size_t top = 0;
    bool headSeen = false;
    for (const ListRow& row : rows) {
        headSeen = headSeen || row.head;
        top += row.head || !headSeen ? 1 : 0;
    }
    tree->m_children.reserve(top);
    CSkinListNode* parent = tree;
    for (ListRow& row : rows) {
        // A node is owned here until it is linked in: running out of memory half way leaks
        // nothing, the tree deletes what it holds.
        std::unique_ptr<CSkinListNode> node;
        if (row.head) {
            node.reset(CListRows::NewHead(row.file, m_geometry.hasLeft, m_geometry.hasRight));
        } else {
            node.reset(CListRows::NewSong(0, QString(), row.libraryId, row.rating));
            node->m_file = std::move(row.file);
        }
        node->m_texts = std::move(row.texts);
        CSkinListNode* const added = node.get();
        CListRows::Append(added, added->IsHead() ? tree : parent);
        node.release();
        if (added->IsHead()) {
            parent = added;
        }
    }
    CListRows::Layout(made);
    return std::make_unique<Batch>(*m_list, std::move(made));
}
