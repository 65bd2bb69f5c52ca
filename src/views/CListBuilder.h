// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CListRows.h"
#include "library/IListSink.h"

#include <memory>
#include <vector>

class CSkinList;

// Turns a fill's rows into the list view's nodes on the fill's worker and lays them out, so
// that the window only links the finished tree in: making and laying out a quarter of a
// million nodes on its thread would keep it busy for tens of milliseconds. It keeps the
// loaded skin's geometry of when the list made it; the list fixes up heads made for a skin
// that was replaced meanwhile and lays them out anew.
//
// Threads: made on the UI thread; Build runs on any thread, and never touches the list. The
// batches it makes add their nodes to the list on the UI thread.
class CListBuilder : public IListBuilder {
public:
    CListBuilder(CSkinList& list, const ListGeometry& geometry);

    std::unique_ptr<IListBatch> Build(std::vector<ListRow>& rows) const override;

private:
    class Batch;

    CSkinList* m_list; // UI thread only, through the batches
    ListGeometry m_geometry;
};
