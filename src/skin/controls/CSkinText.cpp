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

CSkinElement* CSkinText::OnMouseMove(QPoint point)
{
    if (!IsClickable())
        return nullptr;
    return TrackHover(point) ? this : nullptr;
}

CSkinElement* CSkinText::OnButtonDown(QPoint point)
{
    if (!IsClickable() || !m_rect.Contains(point))
        return nullptr;
    // A press without a move before it (a touch, a synthetic click) still counts as over it.
    m_hovered = 1;
    m_pressed = 1;
    return this;
}

CSkinElement* CSkinText::OnButtonUp(QPoint point)
{
    if (!IsClickable() || !Release())
        return nullptr;
    m_hovered = m_rect.Contains(point) ? 1 : 0;
    return this;
}

QString CSkinText::Duration(qint64 seconds)
{
    const qint64 s = std::max<qint64>(seconds, 0);
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString CSkinText::TimeText(bool playing, qint64 positionSeconds, qint64 lengthSeconds,
    bool remaining)
{
    if (!playing)
        return {};
    if (lengthSeconds <= 0)
        return Duration(positionSeconds);
    const qint64 position = std::clamp<qint64>(positionSeconds, 0, lengthSeconds);
    const QString length = Duration(lengthSeconds);
    if (remaining)
        return QStringLiteral("-") + Duration(lengthSeconds - position) + QStringLiteral(" / ")
            + length;
    return Duration(position) + QStringLiteral(" / ") + length;
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
