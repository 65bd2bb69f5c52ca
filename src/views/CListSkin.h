// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CListRows.h"
#include "CSkinListBack.h"
#include "CSkinListElement.h"

#include <vector>

// The list view's skin file ("Playlist" root): for each of Head, Song, Left and Right an
// element list and a background list with the part's height, the block geometry, and the
// window's background colour and image. UI thread only.
class CListSkin {
public:
    struct Part {
        int height = 0;
        int width = 0; // blocks only
        bool over = false;
        bool present = false;
        std::vector<CSkinListBack> backs;
        std::vector<CSkinListElement> elements;
    };

    // Reads the file (after Free). False, nothing read, when it cannot be read or parsed; a
    // file without a "Playlist" root loads and reads nothing. Pictures load for the device
    // pixel ratio dpr.
    bool Load(const QString& path, qreal dpr = 1.0);
    // Empties every list and number; the background becomes black.
    void Free();

    ListGeometry Geometry() const;
    // Kinds of the head's and song's elements that fill text slots, for the fillers.
    std::vector<int> HeadKinds() const { return Kinds(m_head); }
    std::vector<int> SongKinds() const { return Kinds(m_song); }
    QRgb Background() const { return m_background; }
    const CExImage& BackImage() const { return m_backImage; }

    // Draws a song row, head or block (backgrounds, then elements). Returns the rating stars'
    // rectangle; *coverSize gets the size a Cover element wants its covers loaded at.
    QRect DrawRow(QPainter& painter, const CSkinListNode& node, const QRect& r,
                  QSize* coverSize) const;

    const Part& Head() const { return m_head; }
    const Part& Song() const { return m_song; }

private:
    static std::vector<int> Kinds(const Part& part);
    void ReadPart(const tinyxml2::XMLElement* element, Part& part, const QString& folder,
                  viewskin::SecondaryFiles& files) const;

    Part m_head;
    Part m_song;
    Part m_left;
    Part m_right;
    QRgb m_background = 0xFFFFFFFF;
    CExImage m_backImage;
};
