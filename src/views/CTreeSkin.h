// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinTreeBack.h"
#include "CSkinTreeElement.h"

#include <vector>

// The tree view's skin file ("Library" root): the Node and Head parts (a file without "Head"
// draws heads as nodes) and the window's background colour and image. UI thread only.
class CTreeSkin {
public:
    struct Part {
        int height = 0;
        std::vector<CSkinTreeBack> backs;
        std::vector<CSkinTreeElement> elements;
    };

    // Reads the file (after Free). False, nothing read, when it cannot be read or parsed; a
    // file without a "Library" root loads and reads nothing.
    bool Load(const QString& path, qreal dpr = 1.0);
    // Empties both parts; the background becomes white.
    void Free();

    int NodeHeight() const { return m_node.height; }
    int HeadHeight() const { return m_head.height; }
    QRgb Background() const { return m_background; }
    const CExImage& BackImage() const { return m_backImage; }

    // Backgrounds into back (full width), elements into elements (indented). Returns the
    // expand button's rectangle, empty when none was drawn.
    QRect DrawNode(QPainter& painter, const CSkinTreeNode& node, const QRect& back,
                   const QRect& elements) const;

private:
    void ReadPart(const tinyxml2::XMLElement* element, Part& part, const QString& folder,
                  viewskin::SecondaryFiles& files) const;

    Part m_node;
    Part m_head;
    QRgb m_background = 0xFFFFFFFF;
    CExImage m_backImage;
};
