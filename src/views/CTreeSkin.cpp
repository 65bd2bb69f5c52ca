// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTreeSkin.h"

#include "settings/XmlLimits.h"

#include <tinyxml2.h>

#include <cstring>

using tinyxml2::XMLElement;

void CTreeSkin::Free()
{
    m_node = {};
    m_head = {};
    m_background = 0xFFFFFFFF;
    m_backImage.Free();
}

void CTreeSkin::ReadPart(const XMLElement* element, Part& part, const QString& folder,
                         viewskin::SecondaryFiles& files) const
{
    if (element == nullptr) {
        return;
    }
    part.height = viewskin::RowSize(element, "Height");
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
            part.backs.emplace_back().Read(e, folder, files);
        }
    }
}

bool CTreeSkin::Load(const QString& path, qreal dpr)
{
    tinyxml2::XMLDocument doc;
    if (!xmllimits::ReadFile(path, doc)) {
        return false;
    }
    const XMLElement* root = doc.FirstChildElement("Library");
    if (root == nullptr) {
        return true;
    }
    const QString folder = viewskin::Folder(path);
    viewskin::SecondaryFiles files(dpr);
    const XMLElement* node = root->FirstChildElement("Node");
    const XMLElement* head = root->FirstChildElement("Head");
    ReadPart(node, m_node, folder, files);
    ReadPart(head != nullptr ? head : node, m_head, folder, files);
    if (const XMLElement* back = root->FirstChildElement("Background")) {
        m_background = viewskin::Color(back->Attribute("Color"), SkinRules::Tree);
        m_backImage = files.Image(viewskin::Path(folder, back));
    }
    return true;
}

QRect CTreeSkin::DrawNode(QPainter& painter, const CSkinTreeNode& node, const QRect& back,
                          const QRect& elements) const
{
    const Part& part = node.m_kind == CSkinTreeNode::kHead ? m_head : m_node;
    for (const CSkinTreeBack& piece : part.backs) {
        piece.Draw(painter, back, node.m_state, node.m_line);
    }
    QRect expand;
    for (const CSkinTreeElement& element : part.elements) {
        const QRect r = element.Draw(painter, elements, node);
        if (!r.isEmpty()) {
            expand = r;
        }
    }
    return expand;
}
