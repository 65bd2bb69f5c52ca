// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinTreeElement.h"

#include <QPainter>

#include <tinyxml2.h>

#include <cstring>

using tinyxml2::XMLElement;

namespace {

const CExImage* IconOf(const structElm& look, NodeType type)
{
    const auto at = [&](IconSlot slot) { return &look.icons[static_cast<std::size_t>(slot)]; };
    switch (type) {
    case NodeType::Playlist:
        return at(IconSlot::Playlist);
    case NodeType::Artist:
        return at(IconSlot::Artist);
    case NodeType::Album:
        return at(IconSlot::Album);
    case NodeType::Genre:
        return at(IconSlot::Genre);
    case NodeType::Year:
        return at(IconSlot::Year);
    case NodeType::Radio:
        return at(IconSlot::Radio);
    case NodeType::None:
        break;
    }
    return nullptr;
}

} // namespace

bool CSkinTreeElement::ReadLook(const XMLElement* owner, const QString& folder,
                                viewskin::SecondaryFiles& files, structElm& look) const
{
    const XMLElement* skin = nullptr;
    if (!viewskin::ReadLookFont(owner, SkinRules::Tree, look, skin)) {
        return false;
    }
    if (skin != nullptr) {
        const QString path = viewskin::Path(folder, skin);
        if (m_kind == TreeElementKind::Expand) {
            files.Read(path, "TreeExpand", {"Open", "Close"}, {&look.open, &look.close});
        } else if (m_kind == TreeElementKind::Icon) {
            auto& i = look.icons;
            files.Read(path, "TreeIcons", {"Artist", "Album", "Year", "Genre", "Playlist", "Radio"},
                       {&i[0], &i[1], &i[2], &i[3], &i[4], &i[5]});
        }
    }
    return true;
}

void CSkinTreeElement::Read(const XMLElement* element, const QString& folder,
                            viewskin::SecondaryFiles& files)
{
    const char* tag = element->Name();
    m_kind = std::strcmp(tag, "Text") == 0 ? TreeElementKind::Text
        : std::strcmp(tag, "Expand") == 0  ? TreeElementKind::Expand
        : std::strcmp(tag, "Icon") == 0    ? TreeElementKind::Icon
                                           : TreeElementKind::Unknown;
    ReadLook(element, folder, files, m_look);
    m_position = viewskin::ReadElementPos(element->FirstChildElement("Position"));
    for (const XMLElement* state = element->FirstChildElement("State");
         state != nullptr && m_states.size() < viewskin::kMaxStates;
         state = state->NextSiblingElement("State")) {
        m_states.push_back(viewskin::ReadState(state, SkinRules::Tree));
        structElm look;
        if (!ReadLook(state, folder, files, look)) {
            look = m_look;
        }
        m_looks.push_back(std::move(look));
        const XMLElement* position = state->FirstChildElement("Position");
        m_positions.push_back(position != nullptr ? viewskin::ReadElementPos(position)
                                                  : m_position);
    }
}

QRect CSkinTreeElement::Draw(QPainter& painter, const QRect& r, const CSkinTreeNode& node) const
{
    const structElm* look = &m_look;
    const structPos* pos = &m_position;
    for (std::size_t i = 0; i < m_states.size(); ++i) {
        if (m_states[i].Matches(node.m_state, 1, node.m_line, 1)) {
            look = &m_looks[i];
            pos = &m_positions[i];
            break;
        }
    }
    if (!look->present || !pos->present) {
        return {};
    }
    switch (m_kind) {
    case TreeElementKind::Text:
        viewskin::DrawText(painter, r, *pos, *look, node.m_text);
        break;
    case TreeElementKind::Expand: {
        if (!node.m_expandable) {
            break;
        }
        const QSize size(look->open.GetWidth(), look->open.GetHeight());
        const QPoint at = viewskin::PlacePicture(*pos, r, size);
        (node.m_expanded ? look->open : look->close).DrawAt(painter, at.x(), at.y());
        return {at.x(), r.top(), size.width(), r.height()};
    }
    case TreeElementKind::Icon: {
        const CExImage& artist = look->icons[static_cast<std::size_t>(IconSlot::Artist)];
        const QPoint at = viewskin::PlacePicture(*pos, r, {artist.GetWidth(), artist.GetHeight()});
        if (const CExImage* icon = IconOf(*look, node.m_type)) {
            icon->DrawAt(painter, at.x(), at.y());
        }
        break;
    }
    case TreeElementKind::Unknown:
        break;
    }
    return {};
}
