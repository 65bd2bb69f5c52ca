// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinListNode.h"
#include "ViewSkin.h"

#include <vector>

// Element kinds of the list skin: text slots 0..7 and the kinds below.
enum class ListElementKind : int {
    Artist = 0,
    Album = 1,
    Title = 2,
    Year = 3,
    Number = 4,
    Time = 5,
    Genre = 6,
    Index = 7,
    ArtistTitle = -101,
    ArtistAlbum = -100,
    Rating = -1,
    Cover = -2,
    Unknown = -404,
};

// One drawn element of a list row, head or block: a text slot, a composed "A - B" text, the
// rating stars or the group's cover. Looks and positions are chosen per draw by the first
// matching "State", as for background pieces. UI thread only.
class CSkinListElement {
public:
    CSkinListElement() = default;
    virtual ~CSkinListElement() = default;
    CSkinListElement(const CSkinListElement&) = default;
    CSkinListElement& operator=(const CSkinListElement&) = default;

    static ListElementKind KindOf(const char* tag);
    // True for the kinds a part draws (songs: texts, ArtistTitle, Rating; heads: texts,
    // ArtistAlbum, Cover; blocks: texts and Cover).
    bool DrawnIn(NodeKind part) const;

    void Read(const tinyxml2::XMLElement* element, const QString& folder,
              viewskin::SecondaryFiles& files);

    struct Result {
        QRect rating;    // the stars drawn, for clicks
        QSize coverSize; // the size covers are to be loaded at
    };
    // Draws for node into r. Texts come from node's slots; a cover element draws node's
    // loaded cover (and the overlay), else the default picture.
    Result Draw(QPainter& painter, const QRect& r, const DrawValues& values,
                const CSkinListNode& node) const;

    ListElementKind m_kind = ListElementKind::Unknown;
    structPos m_position;
    structElm m_look;
    QString m_separator = QStringLiteral(" - ");
    std::vector<structState> m_states;
    std::vector<structPos> m_positions;
    std::vector<structElm> m_looks;

private:
    bool ReadLook(const tinyxml2::XMLElement* owner, const QString& folder,
                  viewskin::SecondaryFiles& files, structElm& look) const;
};
