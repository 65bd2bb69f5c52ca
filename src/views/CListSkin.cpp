// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CListSkin.h"

#include "settings/XmlLimits.h"

#include <tinyxml2.h>

#include <cstring>

using tinyxml2::XMLElement;

void CListSkin::Free()
{
    m_head = {};
    m_song = {};
    m_left = {};
    m_right = {};
    m_background = 0xFF000000;
    m_backImage.Free();
}

void CListSkin::ReadPart(const XMLElement* element, Part& part, const QString& folder,
                         viewskin::SecondaryFiles& files) const
{
    if (element == nullptr) {
        return;
    }
    part.present = true;
    part.height = viewskin::RowSize(element, "Height");
    part.width = viewskin::RowSize(element, "Width");
    part.over = viewskin::Int(element, "Over").value_or(0) == 1;
    if (const XMLElement* list = element->FirstChildElement("Elements")) {
        for (const XMLElement* e = list->FirstChildElement();
             e != nullptr && part.elements.size() < viewskin::kMaxPieces;
             e = e->NextSiblingElement()) {
            part.elements.emplace_back().Read(e, folder, files);
        }
    }
    if (const XMLElement* list = element->FirstChildElement("Background")) {
        for (const XMLElement* e = list->FirstChildElement();
             e != nullptr && part.backs.size() < viewskin::kMaxPieces;
             e = e->NextSiblingElement()) {
            part.backs.emplace_back().Read(e, folder, SkinRules::List, files);
        }
    }
}

bool CListSkin::Load(const QString& path, qreal dpr)
{
    tinyxml2::XMLDocument doc;
    if (!xmllimits::ReadFile(path, doc)) {
        return false;
    }
    const XMLElement* root = doc.FirstChildElement("Playlist");
    if (root == nullptr) {
        return true;
    }
    const QString folder = viewskin::Folder(path);
    viewskin::SecondaryFiles files(dpr);
    ReadPart(root->FirstChildElement("Head"), m_head, folder, files);
    ReadPart(root->FirstChildElement("Song"), m_song, folder, files);
    ReadPart(root->FirstChildElement("Left"), m_left, folder, files);
    ReadPart(root->FirstChildElement("Right"), m_right, folder, files);
    if (const XMLElement* back = root->FirstChildElement("Background")) {
        const char* color = back->Attribute("Color");
        m_background = color != nullptr && std::strlen(color) == 6
            ? viewskin::Color(color, SkinRules::Tree)
            : 0xFF000000;
        m_backImage = files.Image(viewskin::Path(folder, back));
    }
    return true;
}

ListGeometry CListSkin::Geometry() const
{
    return {.songHeight = m_song.height,
            .headHeight = m_head.height,
            .hasLeft = m_left.present,
            .hasRight = m_right.present,
            .leftWidth = m_left.width,
            .leftHeight = m_left.height,
            .rightWidth = m_right.width,
            .rightHeight = m_right.height,
            .leftOver = m_left.over,
            .rightOver = m_right.over};
}

std::vector<int> CListSkin::Kinds(const Part& part)
{
    std::vector<int> kinds;
    for (const CSkinListElement& e : part.elements) {
        const int kind = static_cast<int>(e.m_kind);
        if ((kind >= 0 && kind < kListSlotCount) || kind == kKindArtistAlbum
            || kind == kKindArtistTitle) {
            kinds.push_back(kind);
        }
    }
    return kinds;
}

QRect CListSkin::DrawRow(QPainter& painter, const CSkinListNode& node, const QRect& r,
                         QSize* coverSize) const
{
    const Part* part = nullptr;
    DrawValues values;
    switch (node.m_kind) {
    case NodeKind::Song:
        part = &m_song;
        values = {static_cast<int>(node.m_state), static_cast<int>(node.m_playState),
                  node.m_line, node.m_source};
        break;
    case NodeKind::Head:
        part = &m_head;
        values = {static_cast<int>(node.m_state), static_cast<int>(node.m_playState), 0, 0};
        break;
    case NodeKind::Left:
    case NodeKind::Right: {
        part = node.m_kind == NodeKind::Left ? &m_left : &m_right;
        const CSkinListNode& head = *node.m_parent;
        values = {static_cast<int>(head.m_state), static_cast<int>(head.m_playState), 0, 0};
        break;
    }
    case NodeKind::Root:
        return {};
    }
    for (const CSkinListBack& back : part->backs) {
        back.Draw(painter, r, values);
    }
    QRect rating;
    for (const CSkinListElement& element : part->elements) {
        if (!element.DrawnIn(node.m_kind)) {
            continue;
        }
        const CSkinListElement::Result result = element.Draw(painter, r, values, node);
        if (!result.rating.isEmpty()) {
            rating = result.rating;
        }
        if (coverSize != nullptr && !result.coverSize.isEmpty()) {
            *coverSize = result.coverSize;
        }
    }
    return rating;
}
