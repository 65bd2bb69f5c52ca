// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinCover.h"

#include "CoverPicture.h"
#include "SkinXml.h"

#include <tinyxml2.h>

#include <algorithm>

namespace {

bool LoadChild(CExImage& image, const tinyxml2::XMLElement* root, const char* name,
    const QString& folder, qreal ratio)
{
    const QString file = skinxml::FilePath(folder, root->FirstChildElement(name));
    return !file.isEmpty() && image.LoadFile(file, ratio);
}

} // namespace

bool CSkinCover::LoadSkin(const QString& path)
{
    CSkinElement::LoadSkin(path);
    tinyxml2::XMLDocument doc;
    if (!skinxml::ReadDocument(path, doc))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Cover");
    if (root == nullptr)
        return true;
    const QString folder = skinxml::FolderOf(path);
    const qreal ratio = m_devicePixelRatio;
    // The mask decides whether the default cover gets a reflection, whatever the file order.
    m_mirror = LoadChild(m_mask, root, "Mirror", folder, ratio) ? 1 : 0;
    if (LoadChild(m_defaultCover, root, "Cover", folder, ratio) && m_mirror != 0)
        m_defaultReflection = m_defaultCover.Flipped();
    LoadChild(m_overlay, root, "Overlay", folder, ratio);
    LoadChild(m_shadow, root, "Shadow", folder, ratio);
    return true;
}

int CSkinCover::GetWidth() const
{
    return std::max(m_shadow.GetWidth(), m_defaultCover.GetWidth());
}

int CSkinCover::GetHeight() const
{
    const int below = m_mirror != 0 ? m_mask.GetHeight() : m_shadow.GetHeight() / 2;
    return m_defaultCover.GetHeight() + below;
}

QSize CSkinCover::GetCoverSize() const
{
    if (m_defaultCover.IsLoaded())
        return {m_defaultCover.GetWidth(), m_defaultCover.GetHeight()};
    return {m_rect.Width(), m_rect.Height()};
}

CExImage CSkinCover::PrepareCover(const QString& imageFile, const QImage& picture, QSize size,
    qreal devicePixelRatio)
{
    return PrepareCoverPicture(imageFile, picture, size, devicePixelRatio);
}

void CSkinCover::SetString(const QString& path)
{
    if (path.isEmpty()) {
        SetCover(CExImage());
        return;
    }
    SetCover(PrepareCover(path, QImage(), GetCoverSize(), m_devicePixelRatio));
}

void CSkinCover::SetCover(const CExImage& cover)
{
    m_cover = cover;
    m_reflection = m_mirror != 0 ? cover.Flipped() : CExImage();
}

void CSkinCover::Draw(QPainter& painter)
{
    if (!m_rect.InDrawingRange())
        return;
    const int coverWidth = m_defaultCover.GetWidth();
    const int coverHeight = m_defaultCover.GetHeight();
    const int shadowWidth = m_shadow.GetWidth();
    const int offset = shadowWidth > coverWidth ? (shadowWidth - coverWidth) / 2 : 0;
    const int x = m_rect.left + offset;
    if (m_mirror != 0) {
        const CExImage& reflection = m_cover.IsLoaded() ? m_reflection : m_defaultReflection;
        reflection.DrawClipped(painter, x, m_rect.top + coverHeight, m_mask.GetWidth(),
            m_mask.GetHeight());
        m_mask.DrawAt(painter, x, m_rect.top + coverHeight);
    }
    m_shadow.DrawAt(painter, m_rect.left, m_rect.top + coverHeight - m_shadow.GetHeight() / 2);
    if (m_cover.IsLoaded()) {
        m_cover.DrawAt(painter, x, m_rect.top);
        m_overlay.DrawAt(painter, x, m_rect.top);
    } else {
        m_defaultCover.DrawAt(painter, x, m_rect.top);
    }
}
