// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinPanelBack.h"

#include "SkinXml.h"
#include "XmlText.h"

#include <QPainter>

#include <tinyxml2.h>

#include <cstring>

QRgb CSkinPanelBack::ParseColor(const char* text)
{
    return skinxml::ParseColor(text, 0xFFFFFFFF);
}

void CSkinPanelBack::Load(const QString& skinFolder, const tinyxml2::XMLElement* piece, qreal dpr)
{
    const char* tag = piece->Name();
    m_kind = std::strcmp(tag, "Image") == 0 ? Kind::Image
        : std::strcmp(tag, "Rect") == 0     ? Kind::Rect
        : std::strcmp(tag, "Fill") == 0     ? Kind::Fill
                                            : Kind::Unknown;
    int defaultWidth = kDefaultWidth;
    int defaultHeight = kDefaultHeight;
    if (m_kind != Kind::Unknown) {
        const tinyxml2::XMLElement* content = piece->FirstChildElement(tag);
        m_hasContent = content != nullptr;
        if (content && m_kind == Kind::Image) {
            const QString file = xmltext::Attribute(content, "File", kMaxFileLength);
            if (!file.isEmpty())
                m_image.LoadFile(skinFolder + file, dpr);
            defaultWidth = m_image.GetWidth();
            defaultHeight = m_image.GetHeight();
        } else if (content) {
            m_color = ParseColor(content->Attribute("Color"));
        }
    }
    m_position = SkinPosition::Read(piece, defaultWidth, defaultHeight);
}

void CSkinPanelBack::Draw(QPainter& painter, const SkinRect& panel) const
{
    if (m_kind == Kind::Unknown || !m_position.present || !m_hasContent)
        return;
    const SkinRect r = m_position.Place(panel);
    const int w = r.Width();
    const int h = r.Height();
    switch (m_kind) {
    case Kind::Image:
        m_image.Draw(painter, r.ToQRect());
        break;
    case Kind::Fill:
        if (w > 0 && h > 0)
            painter.fillRect(QRect(r.left, r.top, w, h), QColor::fromRgba(m_color));
        break;
    case Kind::Rect: {
        // The outline covers exactly the piece's pixels, as a one-pixel pen around a rectangle
        // one smaller does; drawn as four strips so that no pixel is blended twice and the
        // lines stay whole device pixels at any scale.
        if (w <= 0 || h <= 0)
            break;
        const QColor c = QColor::fromRgba(m_color);
        painter.fillRect(QRect(r.left, r.top, w, 1), c);
        if (h > 1)
            painter.fillRect(QRect(r.left, r.bottom - 1, w, 1), c);
        if (h > 2) {
            painter.fillRect(QRect(r.left, r.top + 1, 1, h - 2), c);
            if (w > 1)
                painter.fillRect(QRect(r.right - 1, r.top + 1, 1, h - 2), c);
        }
        break;
    }
    case Kind::Unknown:
        break;
    }
}
