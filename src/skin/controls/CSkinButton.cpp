// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinButton.h"

#include "SkinXml.h"

#include <tinyxml2.h>

void SkinLooks::Load(const tinyxml2::XMLElement* parent, const QString& folder, qreal ratio)
{
    if (parent == nullptr)
        return;
    const struct {
        const char* name;
        CExImage& image;
    } looks[] = {{"Normal", normal}, {"Hover", hover}, {"Press", press}};
    for (const auto& look : looks) {
        const QString file = skinxml::FilePath(folder, parent->FirstChildElement(look.name));
        if (!file.isEmpty())
            look.image.LoadFile(file, ratio);
    }
}

const CExImage& SkinLooks::Choose(bool hovered, bool pressed) const
{
    if (!hovered)
        return normal;
    return pressed ? press : hover;
}

bool CSkinButton::LoadSkin(const QString& path)
{
    CSkinElement::LoadSkin(path);
    tinyxml2::XMLDocument doc;
    if (!skinxml::ReadDocument(path, doc))
        return false;
    m_looks.Load(doc.FirstChildElement("Button"), skinxml::FolderOf(path), m_devicePixelRatio);
    return true;
}

void CSkinButton::Draw(QPainter& painter)
{
    if (!m_rect.InDrawingRange())
        return;
    CurrentLooks().Choose(IsHovered(), IsPressed()).Draw(painter, m_rect.ToQRect());
}

int CSkinButton::GetWidth() const
{
    return m_looks.normal.GetWidth();
}

int CSkinButton::GetHeight() const
{
    return m_looks.normal.GetHeight();
}

CSkinElement* CSkinButton::OnMouseMove(QPoint point)
{
    return TrackHover(point) ? this : nullptr;
}

CSkinElement* CSkinButton::OnButtonDown(QPoint point)
{
    if (!m_rect.Contains(point))
        return nullptr;
    m_pressed = 1;
    return this;
}

CSkinElement* CSkinButton::OnButtonUp(QPoint /*point*/)
{
    return Release() ? this : nullptr;
}
