// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinRating.h"

#include "SkinXml.h"

#include <tinyxml2.h>

bool CSkinRating::LoadSkin(const QString& path)
{
    CSkinElement::LoadSkin(path);
    tinyxml2::XMLDocument doc;
    if (!skinxml::ReadDocument(path, doc))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Rating");
    if (root == nullptr)
        return true;
    const QString folder = skinxml::FolderOf(path);
    const struct {
        const char* name;
        CExImage& image;
    } stars[] = {{"Show", m_show}, {"Hide", m_hide}, {"ShowHover", m_showHover},
        {"HideHover", m_hideHover}};
    for (const auto& star : stars) {
        const QString file = skinxml::FilePath(folder, root->FirstChildElement(star.name));
        if (!file.isEmpty())
            star.image.LoadFile(file, m_devicePixelRatio);
    }
    return true;
}

int CSkinRating::GetWidth() const
{
    return kStars * m_show.GetWidth();
}

int CSkinRating::GetHeight() const
{
    return m_show.GetHeight();
}

void CSkinRating::SetState(int state)
{
    if (state < 0) {
        m_visible = 0;
        m_rating = 0;
        m_clickable = 0;
    } else if (state < kReadOnly) {
        m_visible = 1;
        m_rating = state;
        m_clickable = 1;
    } else {
        m_visible = 1;
        m_rating = state - kReadOnly;
        m_clickable = 0;
    }
    // Stars that stop taking the mouse while the pointer is over them would otherwise keep
    // their hover look until it leaves the window.
    if (m_clickable == 0)
        OnMouseLeave();
}

void CSkinRating::Draw(QPainter& painter)
{
    if (m_visible == 0 || !m_rect.InDrawingRange())
        return;
    const int width = m_show.GetWidth();
    for (int i = 0; i < kStars; ++i) {
        const CExImage* star = nullptr;
        if (IsHovered())
            star = i < m_hoverRating ? &m_showHover : &m_hideHover;
        else
            star = i < m_rating ? &m_show : &m_hide;
        star->DrawAt(painter, m_rect.left + i * width, m_rect.top);
    }
}

int CSkinRating::StarAt(int x) const
{
    const long long size = m_rect.Width() / kStars;
    const long long along = static_cast<long long>(x) - m_rect.left;
    for (int i = 1; i <= kStars; ++i) {
        if (i * size >= along)
            return i;
    }
    return 0;
}

CSkinElement* CSkinRating::OnMouseMove(QPoint point)
{
    if (m_clickable == 0)
        return nullptr;
    if (m_rect.Contains(point)) {
        m_hovered = 1;
        const int star = StarAt(point.x());
        if (star == 0 || star == m_hoverRating)
            return nullptr;
        m_hoverRating = star;
        if (star == m_heldStar)
            return nullptr;
        m_heldStar = 0;
        return this;
    }
    return OnMouseLeave();
}

CSkinElement* CSkinRating::OnMouseLeave()
{
    if (m_hovered == 0)
        return nullptr;
    m_hovered = 0;
    m_hoverRating = 0;
    m_heldStar = 0;
    return this;
}

CSkinElement* CSkinRating::OnButtonDown(QPoint point)
{
    if (m_clickable == 0 || !m_rect.Contains(point))
        return nullptr;
    m_pressed = 1;
    const int star = StarAt(point.x());
    if (star != 0 && star == m_rating) {
        m_heldStar = m_hoverRating;
        m_rating = 0;
        m_hoverRating = 0;
    } else if (star != 0) {
        m_rating = star;
    }
    return this;
}

CSkinElement* CSkinRating::OnButtonUp(QPoint /*point*/)
{
    return Release() ? this : nullptr;
}
