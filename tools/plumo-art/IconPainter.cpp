// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "IconPainter.h"

#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

namespace {

constexpr double kGrid = 24.0;

QPainterPath Polyline(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& p : points) {
        if (first)
            path.moveTo(p);
        else
            path.lineTo(p);
        first = false;
    }
    return path;
}

QPainterPath Closed(std::initializer_list<QPointF> points)
{
    QPainterPath path = Polyline(points);
    path.closeSubpath();
    return path;
}

// An arc of a circle around `centre`, from `fromDeg` sweeping `spanDeg` (Qt's angles:
// counter-clockwise from three o'clock).
QPainterPath Arc(QPointF centre, double radius, double fromDeg, double spanDeg)
{
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.arcMoveTo(box, fromDeg);
    path.arcTo(box, fromDeg, spanDeg);
    return path;
}

QPainterPath Circle(QPointF centre, double radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// Paths stroked and paths filled (filled ones also get the stroke, which rounds their corners).
struct Shape {
    QPainterPath stroked;
    QPainterPath filled;
};

Shape Build(Icon icon)
{
    Shape s;
    switch (icon) {
    case Icon::Play:
        s.filled = Closed({ { 8.5, 5.5 }, { 18.5, 12 }, { 8.5, 18.5 } });
        break;
    case Icon::Pause:
        s.filled.addRoundedRect(QRectF(7, 5.5, 3.5, 13), 1, 1);
        s.filled.addRoundedRect(QRectF(13.5, 5.5, 3.5, 13), 1, 1);
        break;
    case Icon::Stop:
        s.filled.addRoundedRect(QRectF(7, 7, 10, 10), 1.5, 1.5);
        break;
    case Icon::Previous:
        s.stroked = Polyline({ { 6.5, 6 }, { 6.5, 18 } });
        s.filled = Closed({ { 17.5, 6.5 }, { 9.5, 12 }, { 17.5, 17.5 } });
        break;
    case Icon::Next:
        s.stroked = Polyline({ { 17.5, 6 }, { 17.5, 18 } });
        s.filled = Closed({ { 6.5, 6.5 }, { 14.5, 12 }, { 6.5, 17.5 } });
        break;
    case Icon::Shuffle: {
        QPainterPath a;
        a.moveTo(3.5, 7.5);
        a.lineTo(6.5, 7.5);
        a.cubicTo(11.5, 7.5, 12.5, 16.5, 17.5, 16.5);
        a.lineTo(20, 16.5);
        QPainterPath b;
        b.moveTo(3.5, 16.5);
        b.lineTo(6.5, 16.5);
        b.cubicTo(11.5, 16.5, 12.5, 7.5, 17.5, 7.5);
        b.lineTo(20, 7.5);
        s.stroked = a;
        s.stroked.addPath(b);
        s.stroked.addPath(Polyline({ { 17.5, 4.5 }, { 20.5, 7.5 }, { 17.5, 10.5 } }));
        s.stroked.addPath(Polyline({ { 17.5, 13.5 }, { 20.5, 16.5 }, { 17.5, 19.5 } }));
        break;
    }
    case Icon::Repeat: {
        QPainterPath a;
        a.moveTo(4.5, 11.5);
        a.lineTo(4.5, 10.5);
        a.quadTo(4.5, 7.5, 7.5, 7.5);
        a.lineTo(19.5, 7.5);
        QPainterPath b;
        b.moveTo(19.5, 12.5);
        b.lineTo(19.5, 13.5);
        b.quadTo(19.5, 16.5, 16.5, 16.5);
        b.lineTo(4.5, 16.5);
        s.stroked = a;
        s.stroked.addPath(b);
        s.stroked.addPath(Polyline({ { 16.5, 4.5 }, { 19.5, 7.5 }, { 16.5, 10.5 } }));
        s.stroked.addPath(Polyline({ { 7.5, 13.5 }, { 4.5, 16.5 }, { 7.5, 19.5 } }));
        break;
    }
    case Icon::Volume:
    case Icon::Muted:
        s.filled = Closed({ { 4, 9.5 }, { 7.5, 9.5 }, { 12, 5.5 }, { 12, 18.5 }, { 7.5, 14.5 },
            { 4, 14.5 } });
        if (icon == Icon::Volume) {
            s.stroked = Arc({ 12, 12 }, 3.5, -50, 100);
            s.stroked.addPath(Arc({ 12, 12 }, 7.5, -50, 100));
        } else {
            s.stroked = Polyline({ { 15.5, 9.5 }, { 20.5, 14.5 } });
            s.stroked.addPath(Polyline({ { 20.5, 9.5 }, { 15.5, 14.5 } }));
        }
        break;
    case Icon::Equalizer:
        s.stroked = Polyline({ { 4, 7.5 }, { 20, 7.5 } });
        s.stroked.addPath(Polyline({ { 4, 12 }, { 20, 12 } }));
        s.stroked.addPath(Polyline({ { 4, 16.5 }, { 20, 16.5 } }));
        s.filled = Circle({ 15, 7.5 }, 2.2);
        s.filled.addPath(Circle({ 8.5, 12 }, 2.2));
        s.filled.addPath(Circle({ 13, 16.5 }, 2.2));
        break;
    case Icon::Close:
        s.stroked = Polyline({ { 7, 7 }, { 17, 17 } });
        s.stroked.addPath(Polyline({ { 17, 7 }, { 7, 17 } }));
        break;
    case Icon::Minimize:
        s.stroked = Polyline({ { 7, 12 }, { 17, 12 } });
        break;
    case Icon::Search:
        s.stroked.addEllipse(QPointF(10.5, 10.5), 5.5, 5.5);
        s.stroked.addPath(Polyline({ { 14.5, 14.5 }, { 19, 19 } }));
        break;
    case Icon::SidebarOpen:
    case Icon::SidebarClosed:
        s.stroked.addRoundedRect(QRectF(3.5, 5, 17, 14), 2.5, 2.5);
        s.stroked.addPath(Polyline({ { 9.5, 5 }, { 9.5, 19 } }));
        if (icon == Icon::SidebarOpen)
            s.filled.addRect(QRectF(4.5, 6, 5, 12));
        break;
    case Icon::Note:
        s.filled.addEllipse(QPointF(8.5, 17), 3.2, 2.6);
        s.stroked = Polyline({ { 11.5, 17 }, { 11.5, 5 } });
        s.stroked.addPath([] {
            QPainterPath flag;
            flag.moveTo(11.5, 5);
            flag.cubicTo(13.5, 7, 17.5, 7.5, 17.5, 11.5);
            return flag;
        }());
        break;
    case Icon::Artist: {
        s.stroked = Circle({ 12, 8.5 }, 3.5);
        QPainterPath body;
        body.moveTo(5, 19.5);
        body.cubicTo(5, 15.5, 8, 13.5, 12, 13.5);
        body.cubicTo(16, 13.5, 19, 15.5, 19, 19.5);
        s.stroked.addPath(body);
        break;
    }
    case Icon::Album:
        s.stroked = Circle({ 12, 12 }, 8);
        s.stroked.addPath(Circle({ 12, 12 }, 2.2));
        break;
    case Icon::Year:
        s.stroked.addRoundedRect(QRectF(4.5, 6, 15, 13.5), 2, 2);
        s.stroked.addPath(Polyline({ { 4.5, 10.5 }, { 19.5, 10.5 } }));
        s.stroked.addPath(Polyline({ { 8.5, 4 }, { 8.5, 7.5 } }));
        s.stroked.addPath(Polyline({ { 15.5, 4 }, { 15.5, 7.5 } }));
        break;
    case Icon::Genre:
        s.stroked = Closed({ { 4.5, 4.5 }, { 11.5, 4.5 }, { 19.5, 12.5 }, { 12.5, 19.5 },
            { 4.5, 11.5 } });
        s.filled = Circle({ 8.5, 8.5 }, 1.4);
        break;
    case Icon::Playlist:
        s.stroked = Polyline({ { 4, 7 }, { 15, 7 } });
        s.stroked.addPath(Polyline({ { 4, 12 }, { 15, 12 } }));
        s.stroked.addPath(Polyline({ { 4, 17 }, { 11, 17 } }));
        s.stroked.addPath(Polyline({ { 19.5, 17.5 }, { 19.5, 10 } }));
        s.filled = Circle({ 17.3, 17.5 }, 2.2);
        break;
    case Icon::Radio:
        s.filled = Circle({ 12, 12 }, 2);
        s.stroked = Arc({ 12, 12 }, 5.5, -45, 90);
        s.stroked.addPath(Arc({ 12, 12 }, 5.5, 135, 90));
        s.stroked.addPath(Arc({ 12, 12 }, 9, -40, 80));
        s.stroked.addPath(Arc({ 12, 12 }, 9, 140, 80));
        break;
    case Icon::ChevronRight:
        s.stroked = Polyline({ { 10, 7 }, { 15, 12 }, { 10, 17 } });
        break;
    case Icon::ChevronDown:
        s.stroked = Polyline({ { 7, 10 }, { 12, 15 }, { 17, 10 } });
        break;
    case Icon::Star:
        s.filled = StarPath(QRectF(2, 2, 20, 20));
        break;
    case Icon::StarOutline:
        s.stroked = StarPath(QRectF(2, 2, 20, 20));
        break;
    case Icon::Library:
        s.stroked = Polyline({ { 5, 5 }, { 5, 19 } });
        s.stroked.addPath(Polyline({ { 9.5, 5 }, { 9.5, 19 } }));
        s.stroked.addPath(Polyline({ { 13.5, 6 }, { 18.5, 18.5 } }));
        break;
    case Icon::Queue:
        s.stroked = Polyline({ { 4, 7 }, { 20, 7 } });
        s.stroked.addPath(Polyline({ { 4, 12 }, { 20, 12 } }));
        s.stroked.addPath(Polyline({ { 4, 17 }, { 20, 17 } }));
        break;
    }
    return s;
}

} // namespace

QPainterPath StarPath(const QRectF& box)
{
    QPainterPath path;
    const QPointF centre = box.center();
    const double outer = box.width() / 2;
    const double inner = outer * 0.45;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? outer : inner;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        // Lowered a little so the star's visual centre sits on the box's centre.
        const QPointF p(centre.x() + r * std::cos(angle),
            centre.y() + outer * 0.06 + r * std::sin(angle));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

void DrawIcon(QPainter& painter, Icon icon, const QRectF& box, const QColor& colour,
    double stroke)
{
    const Shape shape = Build(icon);
    const double unit = box.width() / kGrid;
    painter.save();
    painter.translate(box.topLeft());
    painter.scale(unit, unit);
    QPen pen(colour, stroke / unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (!shape.filled.isEmpty()) {
        painter.setPen(pen);
        painter.setBrush(colour);
        painter.drawPath(shape.filled);
    }
    if (!shape.stroked.isEmpty()) {
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shape.stroked);
    }
    painter.restore();
}
