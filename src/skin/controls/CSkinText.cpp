// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinText.h"

#include "SkinXml.h"
#include "XmlText.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxFaceName = 31;
// Larger glyphs would only cost time to rasterise; no skin line is this tall.
constexpr int kMaxPixelSize = 1000;

qreal ScreenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

bool CSkinText::LoadSkin(const QString& path)
{
    CSkinElement::LoadSkin(path);
    tinyxml2::XMLDocument doc;
    if (!skinxml::ReadDocument(path, doc))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Text");
    if (root != nullptr)
        ReadFont(root->FirstChildElement("Font"));
    return true;
}

void CSkinText::ReadFont(const tinyxml2::XMLElement* font)
{
    if (font == nullptr)
        return;
    m_font = QGuiApplication::font();
    const QString face = xmltext::Attribute(font, "Name", kMaxFaceName);
    if (!face.isEmpty())
        m_font.setFamilies({face});
    const long long points = skinxml::IntAttribute(font, "Size");
    if (points > 0) {
        const long long pixels = std::llround(points * ScreenDpi() / 72.0);
        m_font.setPixelSize(static_cast<int>(std::clamp(pixels, 1LL, 1LL * kMaxPixelSize)));
    }
    m_font.setWeight(skinxml::IntAttribute(font, "Bold") != 0 ? QFont::Bold : QFont::Normal);
    m_font.setItalic(skinxml::IntAttribute(font, "Italic") != 0);
    const int align = skinxml::IntAttribute(font, "Align");
    m_align = align == 1 ? Align::Right : align == 2 ? Align::Centre : Align::Left;
    m_color = skinxml::ColorAttribute(font, "Color", 0xFF000000u);
    m_hasFont = true;
}

void CSkinText::SetString(const QString& text)
{
    m_text = text;
    for (QChar& c : m_text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
}

void CSkinText::Draw(QPainter& painter)
{
    if (m_text.isEmpty() || m_rect.Width() <= 0 || m_rect.Height() <= 0
        || !m_rect.InDrawingRange())
        return;
    painter.save();
    if (m_hasFont)
        painter.setFont(m_font);
    painter.setPen(QColor::fromRgba(m_color));
    const QRect rect = m_rect.ToQRect();
    const QString shown = painter.fontMetrics().elidedText(m_text, Qt::ElideRight, rect.width());
    Qt::Alignment align = Qt::AlignLeft;
    if (m_align == Align::Right)
        align = Qt::AlignRight;
    else if (m_align == Align::Centre)
        align = Qt::AlignHCenter;
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.drawText(rect, static_cast<int>(align | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    painter.restore();
}
