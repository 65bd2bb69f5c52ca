// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "ViewSkin.h"

#include "settings/XmlLimits.h"
#include "settings/XmlText.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>

using tinyxml2::XMLElement;

namespace {

// Longer texts are cut before they are measured: nothing past this many characters can show
// on any screen, and measuring a 10,000-character title on every paint would stall scrolling.
constexpr int kMaxDrawnChars = 1024;
constexpr int kMaxFaceName = 31;
constexpr QRgb kBlack = 0xFF000000;

qreal ScreenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
}

int RightOf(const QRect& r)
{
    return r.left() + r.width();
}

int BottomOf(const QRect& r)
{
    return r.top() + r.height();
}

// Draws text from x on the line whose top is top, cut to [clipLeft, clipRight).
void DrawLine(QPainter& painter, const structElm& look, QRgb color, int x, int top,
              const QString& text, int clipLeft, int clipRight)
{
    if (text.isEmpty() || clipRight <= clipLeft) {
        return;
    }
    const QFontMetrics& fm = *look.metrics;
    const bool clip = x < clipLeft || x + fm.horizontalAdvance(text) > clipRight;
    if (clip) {
        painter.save();
        painter.setClipRect(QRect(clipLeft, top, clipRight - clipLeft, fm.height()),
                            Qt::IntersectClip);
    }
    painter.setPen(QColor::fromRgba(color));
    painter.drawText(QPoint(x, top + fm.ascent()), text);
    if (clip) {
        painter.restore();
    }
}

struct TextBox {
    int left;
    int right;
    int top;
};

TextBox PlaceText(const QRect& r, const structPos& pos, int tw, int th)
{
    TextBox box{};
    if (pos.fromLeft) {
        box.left = r.left() + pos.x;
        box.right = pos.fixedWidth ? box.left + (pos.w > 0 ? pos.w : tw) : RightOf(r) - pos.w;
    } else {
        box.right = RightOf(r) - pos.x;
        box.left = box.right - tw;
    }
    box.top = pos.fromTop ? r.top() + pos.y : BottomOf(r) - pos.y - th;
    return box;
}

} // namespace

namespace viewskin {

std::optional<int> Int(const XMLElement* element, const char* name)
{
    int value = 0;
    if (element == nullptr || element->QueryIntAttribute(name, &value) != tinyxml2::XML_SUCCESS) {
        return std::nullopt;
    }
    return std::clamp(value, -kMaxNumber, kMaxNumber);
}

int RowSize(const XMLElement* element, const char* name)
{
    return std::clamp(Int(element, name).value_or(0), 0, kMaxRowHeight);
}

QRgb Color(const char* text, SkinRules rules)
{
    if (text == nullptr) {
        return kBlack;
    }
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > 8 || (rules == SkinRules::Tree && length != 6)) {
        return kBlack;
    }
    unsigned value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const int digit = QChar::fromLatin1(text[i]).isDigit() ? text[i] - '0'
            : (text[i] | 0x20) >= 'a' && (text[i] | 0x20) <= 'f' ? (text[i] | 0x20) - 'a' + 10
                                                                 : -1;
        if (digit < 0) {
            return kBlack;
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return 0xFF000000u | (value & 0xFFFFFFu);
}

QString Folder(const QString& filePath)
{
    const int slash = filePath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : filePath.left(slash + 1);
}

QString Path(const QString& folder, const XMLElement* element)
{
    if (element == nullptr) {
        return {};
    }
    const QString name = xmltext::Attribute(element, "File", 259);
    return name.isEmpty() ? QString() : folder + name;
}

structState ReadState(const XMLElement* state, SkinRules rules)
{
    structState filter;
    const auto mask = [&](std::initializer_list<std::pair<const char*, int>> bits) {
        int m = 0;
        for (const auto& [name, bit] : bits) {
            m |= Int(state, name).value_or(0) == 1 ? bit : 0;
        }
        return m;
    };
    const int s = mask({{"Normal", 1}, {"Select", 2}, {"Focus", 4}});
    const int l = mask({{"Line1", 1}, {"Line2", 2}});
    filter.state = s != 0 ? s : 7;
    filter.line = l != 0 ? l : 3;
    if (rules == SkinRules::List) {
        const int p = mask({{"Stop", 1}, {"Play", 2}, {"Pause", 4}});
        const int src = mask({{"Library", 1}, {"Playlist", 2}});
        filter.playState = p != 0 ? p : 7;
        filter.source = src != 0 ? src : 3;
    }
    return filter;
}

structPos ReadBackPos(const XMLElement* position, QSize defaultSize)
{
    structPos pos;
    if (position == nullptr) {
        return pos;
    }
    pos.present = true;
    const auto axis = [&](const char* nearName, const char* sizeName, const char* farName,
                          int defaultLength, int& offset, int& length, bool& fromNear,
                          bool& fixed) {
        const auto nearValue = Int(position, nearName);
        const auto size = Int(position, sizeName);
        const auto farValue = Int(position, farName);
        fromNear = nearValue.has_value() || !farValue.has_value();
        offset = nearValue ? *nearValue : farValue.value_or(0);
        fixed = !(nearValue && !size && farValue);
        length = fixed ? size.value_or(defaultLength) : *farValue;
    };
    axis("Left", "Width", "Right", defaultSize.width(), pos.x, pos.w, pos.fromLeft,
         pos.fixedWidth);
    axis("Top", "Height", "Bottom", defaultSize.height(), pos.y, pos.h, pos.fromTop,
         pos.fixedHeight);
    return pos;
}

structPos ReadElementPos(const XMLElement* position)
{
    structPos pos;
    if (position == nullptr) {
        return pos;
    }
    pos.present = true;
    const auto left = Int(position, "Left");
    const auto width = Int(position, "Width");
    const auto right = Int(position, "Right");
    if (left) {
        pos.x = *left;
        pos.fixedWidth = width.has_value() || !right.has_value();
        pos.w = width ? *width : right.value_or(0);
    } else if (right) {
        pos.fromLeft = false;
        pos.x = *right;
        pos.w = width.value_or(0);
    }
    const auto top = Int(position, "Top");
    const auto bottom = Int(position, "Bottom");
    pos.fromTop = top.has_value() || !bottom.has_value();
    pos.y = top ? *top : bottom.value_or(0);
    return pos;
}

bool ReadLookFont(const XMLElement* owner, SkinRules rules, structElm& look,
                  const XMLElement*& skin)
{
    const XMLElement* font = owner->FirstChildElement("Font");
    skin = owner->FirstChildElement("Skin");
    if (font == nullptr && skin == nullptr) {
        return false;
    }
    look.present = true;
    if (font != nullptr) {
        ReadFont(font, rules, look);
    }
    return true;
}

void ReadFont(const XMLElement* font, SkinRules rules, structElm& look)
{
    look.fontPresent = true;
    look.font = QGuiApplication::font();
    const QString face = xmltext::Attribute(font, "Name", kMaxFaceName);
    if (!face.isEmpty()) {
        look.font.setFamily(face);
    }
    const int size = std::min(Int(font, "Size").value_or(0), kMaxFontSize);
    if (size > 0) {
        look.font.setPixelSize(std::max(1, qRound(size * ScreenDpi() / 72.0)));
    }
    look.font.setWeight(Int(font, "Bold").value_or(0) != 0 ? QFont::Bold : QFont::Normal);
    look.font.setItalic(Int(font, "Italic").value_or(0) != 0);
    look.align = Int(font, "Align").value_or(0);
    look.color = Color(font->Attribute("Color"), rules);
    look.color2 = rules == SkinRules::List && font->Attribute("Color2") != nullptr
        ? Color(font->Attribute("Color2"), rules)
        : look.color;
    look.metrics.emplace(look.font);
}

CExImage SecondaryFiles::Image(const QString& path)
{
    if (path.isEmpty()) {
        return {};
    }
    const auto it = m_images.find(path);
    if (it != m_images.end()) {
        return it->second;
    }
    CExImage image;
    image.LoadFile(path, m_dpr);
    m_images.emplace(path, image);
    return image;
}

void SecondaryFiles::Read(const QString& path, const char* root,
                          std::initializer_list<const char*> names,
                          std::initializer_list<CExImage*> out)
{
    tinyxml2::XMLDocument doc;
    if (path.isEmpty() || !xmllimits::ReadFile(path, doc)) {
        return;
    }
    const XMLElement* top = doc.FirstChildElement(root);
    if (top == nullptr) {
        return;
    }
    const QString folder = Folder(path);
    auto target = out.begin();
    for (const char* name : names) {
        **target = Image(Path(folder, top->FirstChildElement(name)));
        ++target;
    }
}

QRect PlaceBack(const structPos& pos, const QRect& r)
{
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    if (pos.fromLeft) {
        left = r.left() + pos.x;
        right = pos.fixedWidth ? left + pos.w : RightOf(r) - pos.w;
    } else {
        left = RightOf(r) - pos.x - pos.w;
        right = left + pos.w;
    }
    if (pos.fromTop) {
        top = r.top() + pos.y;
        bottom = pos.fixedHeight ? top + pos.h : BottomOf(r) - pos.h;
    } else {
        top = BottomOf(r) - pos.y - pos.h;
        bottom = top + pos.h;
    }
    return {left, top, right - left, bottom - top};
}

QPoint PlacePicture(const structPos& pos, const QRect& r, QSize size)
{
    const int x = pos.fromLeft ? r.left() + pos.x : RightOf(r) - size.width() - pos.x;
    const int y = pos.fromTop ? r.top() + pos.y : BottomOf(r) - pos.y - size.height();
    return {x, y};
}

void DrawText(QPainter& painter, const QRect& r, const structPos& pos, const structElm& look,
              const QString& full)
{
    if (full.isEmpty() || !look.metrics) {
        return;
    }
    const QString text = full.left(kMaxDrawnChars);
    const QFontMetrics& fm = *look.metrics;
    const int tw = fm.horizontalAdvance(text);
    const TextBox box = PlaceText(r, pos, tw, fm.height());
    painter.setFont(look.font);
    if (pos.w < 1) {
        DrawLine(painter, look, look.color, box.left, box.top, text, box.left, box.right);
        return;
    }
    const int width = box.right - box.left;
    const QString shown = tw > width ? fm.elidedText(text, Qt::ElideRight, width) : text;
    const int sw = fm.horizontalAdvance(shown);
    const int x = look.align == 1 ? box.right - sw
        : look.align == 2         ? box.left + (width - sw) / 2
                                  : box.left;
    DrawLine(painter, look, look.color, x, box.top, shown, box.left, box.right);
}

void DrawComposed(QPainter& painter, const QRect& r, const structPos& pos, const structElm& look,
                  const QString& fullA, const QString& fullB)
{
    static const QString kSeparator = QStringLiteral(" - ");
    if (fullB.isEmpty() || !look.metrics) {
        return;
    }
    const QString a = fullA.left(kMaxDrawnChars);
    const QString b = fullB.left(kMaxDrawnChars);
    const QFontMetrics& fm = *look.metrics;
    const int wa = fm.horizontalAdvance(a);
    const int ws = a.isEmpty() ? 0 : fm.horizontalAdvance(kSeparator);
    // Without a width the box holds the whole composed text, not only its second part.
    const TextBox box = PlaceText(r, pos, wa + ws + fm.horizontalAdvance(b), fm.height());
    painter.setFont(look.font);
    const bool elide = pos.w >= 1;
    const auto part = [&](const QString& text, QRgb color, int left, int right) {
        const bool cut = elide && fm.horizontalAdvance(text) > right - left;
        const QString shown = cut ? fm.elidedText(text, Qt::ElideRight, right - left) : text;
        DrawLine(painter, look, color, left, box.top, shown, left, right);
    };
    if (a.isEmpty()) {
        part(b, look.color2, box.left, box.right);
        return;
    }
    part(a, look.color, box.left, box.right);
    const int sepLeft = box.left + wa;
    if (elide && sepLeft + ws >= box.right) {
        return;
    }
    // The separator is never cut to an ellipsis of its own: it shows whole or clipped.
    DrawLine(painter, look, look.color, sepLeft, box.top, kSeparator, sepLeft,
             std::min(sepLeft + ws, box.right));
    part(b, look.color2, sepLeft + ws, box.right);
}

} // namespace viewskin
