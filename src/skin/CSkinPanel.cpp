// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinPanel.h"

#include "XmlText.h"

#include <QPainter>

#include <tinyxml2.h>

void CSkinPanel::Load(const QString& skinFolder, const tinyxml2::XMLElement* panel,
    const SkinControlFactory& factory, qreal dpr)
{
    if (panel->Attribute("Name"))
        m_name = xmltext::Attribute(panel, "Name", kMaxNameLength);
    m_id = panel->IntAttribute("ID", 0);
    m_hidden = panel->IntAttribute("Hide", 0) != 0;
    ReadAnchor(panel->FirstChildElement("Position"));
    if (const tinyxml2::XMLElement* list = panel->FirstChildElement("Elements")) {
        for (const tinyxml2::XMLElement* e = list->FirstChildElement(); e;
             e = e->NextSiblingElement()) {
            m_elements.emplace_back();
            m_elements.back().Load(skinFolder, e, factory, m_hidden, dpr);
        }
    }
    ReadPieces(skinFolder, panel->FirstChildElement("Background"), dpr, m_background);
    ReadPieces(skinFolder, panel->FirstChildElement("Foreground"), dpr, m_foreground);
}

void CSkinPanel::ReadPieces(const QString& skinFolder, const tinyxml2::XMLElement* list,
    qreal dpr, std::vector<CSkinPanelBack>& pieces)
{
    if (!list)
        return;
    for (const tinyxml2::XMLElement* e = list->FirstChildElement(); e;
         e = e->NextSiblingElement()) {
        pieces.emplace_back();
        pieces.back().Load(skinFolder, e, dpr);
    }
}

void CSkinPanel::ReadAnchor(const tinyxml2::XMLElement* position)
{
    if (!position)
        return;
    Anchor& a = m_anchor;
    // Horizontal: from the left with a size or a distance from the right edge; else from the
    // right with a size; else from the left at 0. Vertical alike.
    a.width = kDefaultSize;
    a.widthIsSize = true;
    a.fromLeft = true;
    const bool hasWidth = ReadCoord(position, "Width", a.width);
    if (ReadCoord(position, "Left", a.x)) {
        if (!hasWidth && ReadCoord(position, "Right", a.width))
            a.widthIsSize = false;
    } else if (ReadCoord(position, "Right", a.x)) {
        a.fromLeft = false;
    }
    a.height = kDefaultSize;
    a.heightIsSize = true;
    a.fromTop = true;
    const bool hasHeight = ReadCoord(position, "Height", a.height);
    if (ReadCoord(position, "Top", a.y)) {
        if (!hasHeight && ReadCoord(position, "Bottom", a.height))
            a.heightIsSize = false;
    } else if (ReadCoord(position, "Bottom", a.y)) {
        a.fromTop = false;
    }
}

void CSkinPanel::Layout(int width, int height)
{
    const Anchor& a = m_anchor;
    if (a.fromLeft) {
        m_rect.left = a.x;
        m_rect.right = a.widthIsSize ? a.x + a.width : width - a.width;
    } else {
        m_rect.right = width - a.x;
        m_rect.left = m_rect.right - a.width;
    }
    if (a.fromTop) {
        m_rect.top = a.y;
        m_rect.bottom = a.heightIsSize ? a.y + a.height : height - a.height;
    } else {
        m_rect.bottom = height - a.y;
        m_rect.top = m_rect.bottom - a.height;
    }
}

void CSkinPanel::LayoutElements()
{
    for (CSkinPanelElement& e : m_elements)
        e.Layout(m_rect);
}

void CSkinPanel::DrawBackground(QPainter& painter) const
{
    if (m_background.empty())
        return;
    painter.save();
    painter.setClipRect(m_rect.ToQRect());
    for (const CSkinPanelBack& piece : m_background)
        piece.Draw(painter, m_rect);
    painter.restore();
}

void CSkinPanel::DrawElements(QPainter& painter) const
{
    for (const CSkinPanelElement& e : m_elements) {
        CSkinElement* control = e.GetControl();
        if (!control->IsHidden())
            control->Draw(painter);
    }
}

void CSkinPanel::DrawForeground(QPainter& painter, const SkinRect& clip) const
{
    if (m_foreground.empty() || m_hidden)
        return;
    painter.save();
    painter.setClipRect(m_rect.ToQRect().intersected(clip.ToQRect()));
    for (const CSkinPanelBack& piece : m_foreground)
        piece.Draw(painter, m_rect);
    painter.restore();
}

void CSkinPanel::SetHidden(bool hidden)
{
    m_hidden = hidden;
    for (CSkinPanelElement& e : m_elements)
        e.GetControl()->SetHidden(hidden);
}
