// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinListElement.h"

#include <QPainter>

#include <tinyxml2.h>

#include <cstring>
#include <utility>

using tinyxml2::XMLElement;

namespace {

constexpr int kStars = 5;

bool IsSlot(ListElementKind kind)
{
    const int k = static_cast<int>(kind);
    return k >= 0 && k < kListSlotCount;
}

} // namespace

ListElementKind CSkinListElement::KindOf(const char* tag)
{
    static const std::pair<const char*, ListElementKind> kTags[] = {
        {"Artist", ListElementKind::Artist},
        {"Album", ListElementKind::Album},
        {"Title", ListElementKind::Title},
        {"Year", ListElementKind::Year},
        {"Number", ListElementKind::Number},
        {"Time", ListElementKind::Time},
        {"Genre", ListElementKind::Genre},
        {"Index", ListElementKind::Index},
        {"ArtistTitle", ListElementKind::ArtistTitle},
        {"ArtistAlbum", ListElementKind::ArtistAlbum},
        {"Rating", ListElementKind::Rating},
        {"Cover", ListElementKind::Cover},
    };
    for (const auto& [name, kind] : kTags) {
        if (std::strcmp(name, tag) == 0) {
            return kind;
        }
    }
    return ListElementKind::Unknown;
}

bool CSkinListElement::DrawnIn(NodeKind part) const
{
    if (IsSlot(m_kind)) {
        return part != NodeKind::Root;
    }
    switch (part) {
    case NodeKind::Song:
        return m_kind == ListElementKind::ArtistTitle || m_kind == ListElementKind::Rating;
    case NodeKind::Head:
        return m_kind == ListElementKind::ArtistAlbum || m_kind == ListElementKind::Cover;
    case NodeKind::Left:
    case NodeKind::Right:
        return m_kind == ListElementKind::Cover;
    case NodeKind::Root:
        break;
    }
    return false;
}

bool CSkinListElement::ReadLook(const XMLElement* owner, const QString& folder,
                                viewskin::SecondaryFiles& files, structElm& look) const
{
    const XMLElement* skin = nullptr;
    if (!viewskin::ReadLookFont(owner, SkinRules::List, look, skin)) {
        return false;
    }
    if (skin != nullptr) {
        const QString path = viewskin::Path(folder, skin);
        if (m_kind == ListElementKind::Rating) {
            files.Read(path, "ListRate", {"Show", "Hide"}, {&look.starOn, &look.starOff});
        } else if (m_kind == ListElementKind::Cover) {
            files.Read(path, "ListCover", {"Cover", "Overlay"}, {&look.cover, &look.overlay});
        }
    }
    return true;
}

void CSkinListElement::Read(const XMLElement* element, const QString& folder,
                            viewskin::SecondaryFiles& files)
{
    m_kind = KindOf(element->Name());
    ReadLook(element, folder, files, m_look);
    m_position = viewskin::ReadElementPos(element->FirstChildElement("Position"));
    for (const XMLElement* state = element->FirstChildElement("State");
         state != nullptr && m_states.size() < viewskin::kMaxStates;
         state = state->NextSiblingElement("State")) {
        m_states.push_back(viewskin::ReadState(state, SkinRules::List));
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

CSkinListElement::Result CSkinListElement::Draw(QPainter& painter, const QRect& r,
                                                const DrawValues& v,
                                                const CSkinListNode& node) const
{
    const structElm* look = &m_look;
    const structPos* pos = &m_position;
    for (std::size_t i = 0; i < m_states.size(); ++i) {
        if (m_states[i].Matches(v.state, v.playState, v.line, v.source)) {
            look = &m_looks[i];
            pos = &m_positions[i];
            break;
        }
    }
    Result result;
    if (!look->present || !pos->present) {
        return result;
    }
    const ListTexts& texts = node.m_texts;
    switch (m_kind) {
    case ListElementKind::ArtistTitle:
        viewskin::DrawComposed(painter, r, *pos, *look, texts[0], texts[2]);
        break;
    case ListElementKind::ArtistAlbum:
        viewskin::DrawComposed(painter, r, *pos, *look, texts[0], texts[1]);
        break;
    case ListElementKind::Rating: {
        const CExImage& on = look->starOn;
        const QSize star(on.GetWidth(), on.GetHeight());
        if (star.isEmpty()) {
            break;
        }
        const QPoint at = viewskin::PlacePicture(*pos, r, QSize(kStars * star.width(),
                                                                star.height()));
        for (int i = 0; i < kStars; ++i) {
            (i < node.m_rating ? on : look->starOff).DrawAt(painter, at.x() + i * star.width(),
                                                            at.y());
        }
        result.rating = QRect(at, QSize(kStars * star.width(), star.height()));
        break;
    }
    case ListElementKind::Cover: {
        const QSize size(look->cover.GetWidth(), look->cover.GetHeight());
        const QPoint at = viewskin::PlacePicture(*pos, r, size);
        if (const CExImage* cover = node.Cover()) {
            cover->DrawAt(painter, at.x(), at.y());
            look->overlay.DrawAt(painter, at.x(), at.y());
        } else {
            look->cover.DrawAt(painter, at.x(), at.y());
        }
        result.coverSize = size;
        break;
    }
    case ListElementKind::Unknown:
        break;
    default:
        viewskin::DrawText(painter, r, *pos, *look, texts[static_cast<std::size_t>(m_kind)]);
        break;
    }
    return result;
}
