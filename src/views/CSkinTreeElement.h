// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinTreeNode.h"
#include "ViewSkin.h"

#include <vector>

enum class TreeElementKind : int { Text = 0, Expand = -1, Icon = -2, Unknown = -404 };

// One drawn element of a tree node: its label ("Text"), the expand button ("Expand") or the
// picture of its type ("Icon"). Looks and positions are chosen per draw by the first "State"
// whose state and line masks hold the node's values. UI thread only.
class CSkinTreeElement {
public:
    CSkinTreeElement() = default;
    virtual ~CSkinTreeElement() = default;
    CSkinTreeElement(const CSkinTreeElement&) = default;
    CSkinTreeElement& operator=(const CSkinTreeElement&) = default;

    void Read(const tinyxml2::XMLElement* element, const QString& folder,
              viewskin::SecondaryFiles& files);
    // Draws for node into r; returns the expand button's rectangle (full row height), empty
    // when no button was drawn.
    QRect Draw(QPainter& painter, const QRect& r, const CSkinTreeNode& node) const;

    TreeElementKind m_kind = TreeElementKind::Unknown;
    structPos m_position;
    structElm m_look;
    std::vector<structState> m_states;
    std::vector<structPos> m_positions;
    std::vector<structElm> m_looks;

private:
    bool ReadLook(const tinyxml2::XMLElement* owner, const QString& folder,
                  viewskin::SecondaryFiles& files, structElm& look) const;
};
