// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "ViewSkin.h"

#include <vector>

// One background piece of a list (or tree) row: an "Image" stretched into its box, a "Line"
// frame or a "Fill", with a default look and position and, per "State" child, a filter with
// its own look and position. A piece with an unknown tag stays in its list but draws nothing.
// UI thread only.
class CSkinListBack {
public:
    enum class Kind : int { Image = 0, Line = 1, Fill = 2, Other = -1 };

    CSkinListBack() = default;
    virtual ~CSkinListBack() = default;
    CSkinListBack(const CSkinListBack&) = default;
    CSkinListBack& operator=(const CSkinListBack&) = default;

    // Reads the piece element; folder is that of the skin file.
    void Read(const tinyxml2::XMLElement* piece, const QString& folder, SkinRules rules,
              viewskin::SecondaryFiles& files);
    // Draws into the row rectangle r with the look of the first matching "State", else the
    // defaults; nothing when the chosen look or position is missing.
    void Draw(QPainter& painter, const QRect& r, const DrawValues& values) const;

    Kind m_kind = Kind::Other;
    structPos m_position;
    structElm m_look;
    std::vector<structState> m_states;
    std::vector<structPos> m_positions;
    std::vector<structElm> m_looks;

private:
    bool ReadLook(const tinyxml2::XMLElement* owner, const char* tag, const QString& folder,
                  SkinRules rules, viewskin::SecondaryFiles& files, structElm& look) const;
    QSize DefaultSize(const structElm& look) const;
};
