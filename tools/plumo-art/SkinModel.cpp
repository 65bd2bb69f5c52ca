// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SkinModel.h"

#include <QPainterPath>

Anchor Anchor::Box(int l, int t, int w, int h)
{
    Anchor a;
    a.left = l;
    a.top = t;
    a.width = w;
    a.height = h;
    return a;
}

namespace {

XmlNode PositionXml(const Anchor& a)
{
    XmlNode pos("Position");
    const auto put = [&pos](const char* name, const std::optional<int>& v) {
        if (v)
            pos.A(QString::fromLatin1(name), *v);
    };
    put("Left", a.left);
    put("Right", a.right);
    put("LeftRight", a.centreX);
    put("Width", a.width);
    put("Top", a.top);
    put("Bottom", a.bottom);
    put("TopBottom", a.centreY);
    put("Height", a.height);
    return pos;
}

XmlNode PieceXml(const Piece& piece)
{
    const QString tag = piece.kind == Piece::Kind::Image ? QStringLiteral("Image")
        : piece.kind == Piece::Kind::Rect                ? QStringLiteral("Rect")
                                                         : QStringLiteral("Fill");
    XmlNode content(tag);
    if (piece.kind == Piece::Kind::Image)
        content.A("File", piece.file);
    else
        content.A("Color", piece.colour.alpha() == 255 ? Hex6(piece.colour) : Hex8(piece.colour));
    XmlNode node(tag);
    node.Add(content);
    node.Add(PositionXml(piece.pos));
    return node;
}

// One axis of the piece and element rule: start, else end, else centre, else start at 0;
// a start accepts the end as the extent when no size is given.
std::pair<int, int> Axis(std::optional<int> start, std::optional<int> end,
    std::optional<int> centre, std::optional<int> size, int from, int to, int fallback)
{
    if (start) {
        const int a = from + *start;
        return { a, size ? a + *size : end ? to - *end : a + fallback };
    }
    const int extent = size ? *size : fallback;
    if (end)
        return { to - *end - extent, to - *end };
    if (centre) {
        const int a = from + (to - from) / 2 + *centre - extent / 2;
        return { a, a + extent };
    }
    return { from, from + extent };
}

} // namespace

XmlNode SkinModel::ToXml() const
{
    XmlNode window("Window");
    XmlNode size("Size");
    size.A("MinWidth", minWidth).A("MinHeight", minHeight);
    window.Add(size);
    if (layered)
        window.Add(XmlNode("Transparent").A("AlphaBlend", 1));
    else
        window.Add(XmlNode("Corners").A("All", corners));
    for (const Panel& panel : panels) {
        XmlNode p("Panel");
        p.A("Name", panel.name);
        if (panel.id != 0)
            p.A("ID", panel.id);
        if (panel.hide != 0)
            p.A("Hide", panel.hide);
        p.Note(panel.note);
        p.Add(PositionXml(panel.pos));
        if (!panel.back.isEmpty()) {
            XmlNode back("Background");
            for (const Piece& piece : panel.back)
                back.Add(PieceXml(piece));
            p.Add(back);
        }
        if (!panel.elements.isEmpty()) {
            XmlNode elements("Elements");
            for (const Element& e : panel.elements) {
                XmlNode node(e.tag);
                if (!e.trigger.isEmpty())
                    node.A("Trigger", e.trigger);
                if (!e.skin.isEmpty())
                    node.Add(XmlNode("Skin").A("File", e.skin));
                node.Add(PositionXml(e.pos));
                elements.Add(node);
            }
            p.Add(elements);
        }
        window.Add(p);
    }
    return window;
}

SkinModel SkinModel::WithHidden(const QList<std::pair<int, int>>& idHide) const
{
    SkinModel copy = *this;
    for (Panel& panel : copy.panels)
        for (const auto& [id, hide] : idHide)
            if (panel.id == id) {
                panel.hide = hide;
                break;
            }
    return copy;
}

QRect PlacePanel(const Anchor& a, int width, int height)
{
    const auto axis = [](std::optional<int> start, std::optional<int> end, std::optional<int> size,
                          int total) -> std::pair<int, int> {
        if (start)
            return { *start, size ? *start + *size : end ? total - *end : *start + 40 };
        if (end)
            return { total - *end - size.value_or(40), total - *end };
        return { 0, size.value_or(40) };
    };
    const auto [x1, x2] = axis(a.left, a.right, a.width, width);
    const auto [y1, y2] = axis(a.top, a.bottom, a.height, height);
    return QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1));
}

QRect PlaceInside(const Anchor& a, const QRect& panel)
{
    const int right = panel.x() + panel.width();
    const int bottom = panel.y() + panel.height();
    const auto [x1, x2] = Axis(a.left, a.right, a.centreX, a.width, panel.x(), right, 20);
    const auto [y1, y2] = Axis(a.top, a.bottom, a.centreY, a.height, panel.y(), bottom, 2);
    return QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1));
}

QImage ComposeMock(const SkinModel& model, const CArtWriter& skin, QSize size, int scale,
    const QColor& backdrop)
{
    QImage canvas(size * scale, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(backdrop);
    QImage window(size * scale, QImage::Format_ARGB32_Premultiplied);
    window.fill(model.layered ? Qt::transparent : Qt::white);
    {
        QPainter p(&window);
        p.scale(scale, scale);
        for (const Panel& panel : model.panels) {
            if (panel.hide)
                continue;
            const QRect box = PlacePanel(panel.pos, size.width(), size.height());
            p.save();
            p.setClipRect(box);
            for (const Piece& piece : panel.back) {
                const QRect r = PlaceInside(piece.pos, box);
                if (piece.kind == Piece::Kind::Image) {
                    p.drawImage(r, skin.Load(piece.file, scale));
                } else if (piece.kind == Piece::Kind::Fill) {
                    p.fillRect(r, piece.colour);
                } else {
                    p.setPen(piece.colour);
                    p.setBrush(Qt::NoBrush);
                    p.drawRect(r.adjusted(0, 0, -1, -1));
                }
            }
            p.restore();
        }
        for (const Panel& panel : model.panels) {
            if (panel.hide)
                continue;
            const QRect box = PlacePanel(panel.pos, size.width(), size.height());
            for (const Element& e : panel.elements)
                if (e.mock)
                    e.mock(p, PlaceInside(e.pos, box));
        }
    }
    QPainter p(&canvas);
    if (!model.layered && model.corners > 0) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(0, 0, size.width() * scale, size.height() * scale),
            model.corners * scale, model.corners * scale);
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipPath(clip);
    }
    p.drawImage(0, 0, window);
    return canvas;
}
