// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinListBack.h"

#include <QPainter>

#include <tinyxml2.h>

#include <cstring>

using tinyxml2::XMLElement;

namespace {

// Lines and fills without a size are 20 x 2 pixels.
constexpr QSize kDefaultLineSize(20, 2);

} // namespace

bool CSkinListBack::ReadLook(const XMLElement* owner, const char* tag, const QString& folder,
                             SkinRules rules, viewskin::SecondaryFiles& files,
                             structElm& look) const
{
    const XMLElement* child = owner->FirstChildElement(tag);
    if (child == nullptr) {
        return false;
    }
    look.present = true;
    if (m_kind == Kind::Image) {
        look.image = files.Image(viewskin::Path(folder, child));
    } else {
        look.color = viewskin::Color(child->Attribute("Color"), rules);
    }
    return true;
}

QSize CSkinListBack::DefaultSize(const structElm& look) const
{
    return m_kind == Kind::Image ? QSize(look.image.GetWidth(), look.image.GetHeight())
                                 : kDefaultLineSize;
}

void CSkinListBack::Read(const XMLElement* piece, const QString& folder, SkinRules rules,
                         viewskin::SecondaryFiles& files)
{
    const char* tag = piece->Name();
    m_kind = std::strcmp(tag, "Image") == 0 ? Kind::Image
        : std::strcmp(tag, "Line") == 0     ? Kind::Line
        : std::strcmp(tag, "Fill") == 0     ? Kind::Fill
                                            : Kind::Other;
    ReadLook(piece, tag, folder, rules, files, m_look);
    m_position = viewskin::ReadBackPos(piece->FirstChildElement("Position"), DefaultSize(m_look));
    for (const XMLElement* state = piece->FirstChildElement("State");
         state != nullptr && m_states.size() < viewskin::kMaxStates;
         state = state->NextSiblingElement("State")) {
        m_states.push_back(viewskin::ReadState(state, rules));
        structElm look;
        if (!ReadLook(state, tag, folder, rules, files, look)) {
            look = m_look;
        }
        const XMLElement* position = state->FirstChildElement("Position");
        m_positions.push_back(position != nullptr
                                  ? viewskin::ReadBackPos(position, DefaultSize(look))
                                  : m_position);
        m_looks.push_back(std::move(look));
    }
}

void CSkinListBack::Draw(QPainter& painter, const QRect& r, const DrawValues& v) const
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
    if (!look->present || !pos->present) {
        return;
    }
    const QRect box = viewskin::PlaceBack(*pos, r);
    if (box.isEmpty()) {
        return;
    }
    const QColor color = QColor::fromRgba(look->color);
    switch (m_kind) {
    case Kind::Image:
        look->image.Draw(painter, box);
        break;
    case Kind::Line:
        painter.fillRect(box.left(), box.top(), box.width(), 1, color);
        painter.fillRect(box.left(), box.bottom(), box.width(), 1, color);
        painter.fillRect(box.left(), box.top(), 1, box.height(), color);
        painter.fillRect(box.right(), box.top(), 1, box.height(), color);
        break;
    case Kind::Fill:
        painter.fillRect(box, color);
        break;
    case Kind::Other:
        break;
    }
}
