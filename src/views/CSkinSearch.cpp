// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinSearch.h"

#include "SkinXml.h"
#include "XmlText.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxFaceName = 31;
constexpr int kMaxPixelSize = 200;
constexpr int kMaxRadius = 100;
// Room between the box's edge and a picture, and between a picture and the text.
constexpr int kEdge = 8;
constexpr int kGap = 6;

qreal ScreenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}

QColor ColorOf(const tinyxml2::XMLElement* element, const char* name, const QColor& fallback)
{
    if (!skinxml::HasAttribute(element, name))
        return fallback;
    return QColor::fromRgba(skinxml::ColorAttribute(element, name, fallback.rgba()));
}

void LoadNamed(CExImage& image, const QString& folder, const tinyxml2::XMLElement* element,
    const char* attribute, qreal devicePixelRatio)
{
    image.Free();
    const QString path = skinxml::FilePath(folder, element, attribute);
    if (!path.isEmpty())
        image.LoadFile(path, devicePixelRatio);
}

} // namespace

CSkinSearch::CSkinSearch(QWidget* parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("SkinSearch"));
    setFrame(false);
    setMouseTracking(true);
    // A click or the window's keys (Ctrl+F, "/") bring the focus here, never the window's
    // activation: the player's own keys (Space, Delete) must work until the user asks.
    setFocusPolicy(Qt::ClickFocus);
    FreeSkin();
}

bool CSkinSearch::LoadSkin(const QString& path, qreal devicePixelRatio)
{
    FreeSkin();
    tinyxml2::XMLDocument doc;
    if (!skinxml::ReadDocument(path, doc))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Search");
    if (root == nullptr)
        return false;
    const QString folder = skinxml::FolderOf(path);

    if (const tinyxml2::XMLElement* font = root->FirstChildElement("Font")) {
        const QString face = xmltext::Attribute(font, "Name", kMaxFaceName);
        if (!face.isEmpty())
            m_font.setFamilies({face});
        const int points = skinxml::IntAttribute(font, "Size");
        if (points > 0) {
            const long long pixels = std::llround(points * ScreenDpi() / 72.0);
            m_font.setPixelSize(static_cast<int>(std::clamp(pixels, 1LL, 1LL * kMaxPixelSize)));
        }
        m_font.setWeight(skinxml::IntAttribute(font, "Bold") != 0 ? QFont::Bold : QFont::Normal);
        m_text = ColorOf(font, "Color", m_text);
    }
    m_placeholder = ColorOf(root->FirstChildElement("Placeholder"), "Color", m_placeholder);
    const tinyxml2::XMLElement* box = root->FirstChildElement("Box");
    m_box = ColorOf(box, "Color", m_box);
    m_border = ColorOf(box, "Border", m_border);
    m_focusBorder = ColorOf(box, "Focus", m_border);
    m_radius = std::clamp(skinxml::IntAttribute(box, "Radius"), 0, kMaxRadius);

    LoadNamed(m_icon, folder, root->FirstChildElement("Icon"), "File", devicePixelRatio);
    const tinyxml2::XMLElement* clear = root->FirstChildElement("Clear");
    LoadNamed(m_clear, folder, clear, "File", devicePixelRatio);
    LoadNamed(m_clearHover, folder, clear, "Hover", devicePixelRatio);
    ApplyLook();
    return true;
}

void CSkinSearch::FreeSkin()
{
    m_font = QGuiApplication::font();
    m_text = Qt::black;
    m_placeholder = Qt::gray;
    m_box = Qt::white;
    m_border = Qt::transparent;
    m_focusBorder = Qt::transparent;
    m_radius = 0;
    m_icon.Free();
    m_clear.Free();
    m_clearHover.Free();
    m_clearHovered = false;
    ApplyLook();
}

void CSkinSearch::ApplyLook()
{
    setFont(m_font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Text, m_text);
    palette.setColor(QPalette::PlaceholderText, m_placeholder);
    // The box is painted here, rounded; the field itself only draws text and cursor.
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Window, Qt::transparent);
    if (m_focusBorder.alpha() != 0)
        palette.setColor(QPalette::Highlight, m_focusBorder);
    palette.setColor(QPalette::HighlightedText, m_text);
    setPalette(palette);
    const int left = m_icon.IsLoaded() ? kEdge + m_icon.GetWidth() + kGap - 2 : kEdge - 2;
    const int right = m_clear.IsLoaded() ? kGap + m_clear.GetWidth() + 2 : kEdge - 2;
    setTextMargins(left, 0, right, 0);
    update();
}

void CSkinSearch::ClearQuietly()
{
    const QSignalBlocker quiet(this);
    clear();
    update();
}

QRect CSkinSearch::ClearButtonRect() const
{
    if (!m_clear.IsLoaded() || text().isEmpty())
        return {};
    const int w = m_clear.GetWidth();
    const int h = m_clear.GetHeight();
    return { width() - kGap - w, (height() - h) / 2, w, h };
}

void CSkinSearch::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor outline = hasFocus() ? m_focusBorder : m_border;
        if (outline.alpha() != 0)
            painter.setPen(QPen(outline, 1.0));
        else
            painter.setPen(Qt::NoPen);
        painter.setBrush(m_box);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.drawRoundedRect(box, m_radius, m_radius);
        if (m_icon.IsLoaded())
            m_icon.DrawAt(painter, kEdge, (height() - m_icon.GetHeight()) / 2);
        const QRect clear = ClearButtonRect();
        if (!clear.isEmpty()) {
            const CExImage& look = m_clearHovered && m_clearHover.IsLoaded() ? m_clearHover
                                                                             : m_clear;
            look.DrawAt(painter, clear.left(), clear.top());
        }
    }
    QLineEdit::paintEvent(event);
}

void CSkinSearch::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // A second Escape on the empty box gives the keys back to the player.
        if (text().isEmpty())
            clearFocus();
        else
            clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CSkinSearch::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton
        && ClearButtonRect().contains(event->position().toPoint())) {
        clear();
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void CSkinSearch::mouseMoveEvent(QMouseEvent* event)
{
    const bool over = ClearButtonRect().contains(event->position().toPoint());
    SetClearHovered(over);
    setCursor(over ? Qt::ArrowCursor : Qt::IBeamCursor);
    QLineEdit::mouseMoveEvent(event);
}

void CSkinSearch::leaveEvent(QEvent* event)
{
    SetClearHovered(false);
    QLineEdit::leaveEvent(event);
}

void CSkinSearch::SetClearHovered(bool hovered)
{
    if (hovered == m_clearHovered)
        return;
    m_clearHovered = hovered;
    update(ClearButtonRect());
}
