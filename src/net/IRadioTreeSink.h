// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

// What the radio directory adds to the tree view when its radio node is expanded for the first
// time: one leaf per genre, and folders of more leaves. The tree view implements it; the
// station rows go to the list view through IListSink. UI thread only.
class IRadioTreeSink {
public:
    virtual ~IRadioTreeSink() = default;

    // Stops recalculating the layout per added node, until EndUpdate.
    virtual void BeginUpdate() = 0;
    // Recalculates the layout once and repaints.
    virtual void EndUpdate() = 0;
    // A genre leaf (node type Radio, not expandable) under the radio node: label is what the
    // tree shows, key what is sent to the directory when the leaf is selected.
    virtual void AddRadioNode(const QString& label, const QString& key) = 0;
    // Like AddRadioNode, but the node expands: its children (more radio nodes) are added when
    // it is first opened.
    virtual void AddRadioFolder(const QString& label, const QString& key) = 0;
};
