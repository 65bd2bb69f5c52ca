// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinElement.h"

CSkinElement::~CSkinElement() = default;

bool CSkinElement::LoadSkin(const QString& path)
{
    m_skinPath = path;
    return true;
}

void CSkinElement::Draw(QPainter& /*painter*/) {}

int CSkinElement::GetWidth() const
{
    return 10;
}

int CSkinElement::GetHeight() const
{
    return 10;
}

CSkinElement* CSkinElement::OnMouseMove(QPoint /*point*/)
{
    return nullptr;
}

CSkinElement* CSkinElement::OnButtonDown(QPoint /*point*/)
{
    return nullptr;
}

CSkinElement* CSkinElement::OnButtonUp(QPoint /*point*/)
{
    return nullptr;
}

CSkinElement* CSkinElement::OnMouseLeave()
{
    if (m_hovered == 0)
        return nullptr;
    m_hovered = 0;
    return this;
}

int CSkinElement::GetState() const
{
    return 0;
}

void CSkinElement::SetState(int /*state*/) {}

void CSkinElement::SetString(const QString& /*text*/) {}

QString CSkinElement::GetText() const
{
    return {};
}

QSize CSkinElement::GetCoverSize() const
{
    return {};
}

void CSkinElement::SetCover(const CExImage& /*cover*/) {}

SkinKind CSkinElement::GetKind() const
{
    return m_type >= 0 && m_type <= static_cast<int>(SkinKind::Search)
        ? static_cast<SkinKind>(m_type)
        : SkinKind::None;
}

bool CSkinElement::TrackHover(QPoint point)
{
    const bool inside = m_rect.Contains(point);
    if (inside == (m_hovered != 0))
        return false;
    m_hovered = inside ? 1 : 0;
    return true;
}

bool CSkinElement::Release()
{
    if (m_pressed == 0)
        return false;
    m_pressed = 0;
    return true;
}
