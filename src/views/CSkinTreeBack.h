// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinListBack.h"

// A background piece of a tree node: the list's piece read with the tree's rules (filters of
// two masks, state and line; colours of exactly six digits). UI thread only.
class CSkinTreeBack : public CSkinListBack {
public:
    void Read(const tinyxml2::XMLElement* piece, const QString& folder,
              viewskin::SecondaryFiles& files)
    {
        CSkinListBack::Read(piece, folder, SkinRules::Tree, files);
    }
    // The tree draws with a node's state and line; play state and source always match.
    void Draw(QPainter& painter, const QRect& r, int state, int line) const
    {
        CSkinListBack::Draw(painter, r, {state, 1, line, 1});
    }
};
