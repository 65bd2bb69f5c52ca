// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SkinParts.h"

#include <QFileInfo>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace {

enum class Phase { Normal, Hover, Press };
constexpr Phase kPhases[] = { Phase::Normal, Phase::Hover, Phase::Press };

QString PhaseName(Phase phase)
{
    switch (phase) {
    case Phase::Normal:
        return QStringLiteral("normal");
    case Phase::Hover:
        return QStringLiteral("hover");
    case Phase::Press:
        return QStringLiteral("press");
    }
    return {};
}

QString TagOf(Phase phase)
{
    switch (phase) {
    case Phase::Normal:
        return QStringLiteral("Normal");
    case Phase::Hover:
        return QStringLiteral("Hover");
    case Phase::Press:
        return QStringLiteral("Press");
    }
    return {};
}

QColor Pick(Phase phase, const QColor& normal, const QColor& hover, const QColor& press)
{
    return phase == Phase::Normal ? normal : phase == Phase::Hover ? hover : press;
}

void DrawLook(QPainter& p, const Theme& t, QSize size, double iconSize, const Look& look,
    Phase phase)
{
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    const double d = std::min(size.width(), size.height());
    p.setPen(Qt::NoPen);
    QColor iconColour;
    if (look.disc) {
        p.setBrush(Pick(phase, t.accent, t.accentHover, t.accentPress));
        p.drawEllipse(c, d / 2, d / 2);
        iconColour = t.onAccent;
    } else {
        if (phase != Phase::Normal) {
            p.setBrush(phase == Phase::Hover ? t.hoverFill : t.pressFill);
            p.drawEllipse(c, d / 2, d / 2);
        }
        iconColour = look.accentIcon ? Pick(phase, t.accent, t.accentHover, t.accentPress)
                                     : Pick(phase, t.icon, t.iconHover, t.iconPress);
    }
    const double lift = look.dot ? 2 : 0;
    DrawIcon(p, look.icon, QRectF(c.x() - iconSize / 2, c.y() - iconSize / 2 - lift, iconSize,
                               iconSize),
        iconColour, look.disc ? t.stroke * 1.15 : t.stroke);
    if (look.dot) {
        p.setPen(Qt::NoPen);
        p.setBrush(iconColour);
        p.drawEllipse(QPointF(c.x(), c.y() + iconSize / 2 + 2), 1.5, 1.5);
    }
}

QString Colour(const QColor& c)
{
    return Hex6(c);
}

XmlNode Font(int points, bool bold, const QColor& colour, int align = 0)
{
    XmlNode font("Font");
    font.A("Size", points);
    if (bold)
        font.A("Bold", 1);
    if (align != 0)
        font.A("Align", align);
    font.A("Color", Colour(colour));
    return font;
}

XmlNode Fill(const QColor& colour)
{
    return XmlNode("Fill").A("Color", Colour(colour));
}

XmlNode Pos(std::initializer_list<std::pair<const char*, int>> values)
{
    XmlNode pos("Position");
    for (const auto& [name, value] : values)
        pos.A(QString::fromLatin1(name), value);
    return pos;
}

// A list or tree state filter: <State A="1" B="1"> with an optional own look.
XmlNode State(std::initializer_list<const char*> flags, std::optional<XmlNode> look = {})
{
    XmlNode state("State");
    for (const char* flag : flags)
        state.A(QString::fromLatin1(flag), 1);
    if (look)
        state.Add(*look);
    return state;
}

QString FileName(const QString& rel)
{
    return QFileInfo(rel).fileName();
}

} // namespace

int PointsToPixels(int points)
{
    return int(std::lround(points * 96.0 / 72.0));
}

CSkinParts::CSkinParts(const CArtWriter& skin, const Theme& theme) : m_skin(skin), m_theme(theme)
{
}

QString CSkinParts::Button(const QString& name, QSize size, double iconSize,
    const Look& look) const
{
    XmlNode root("Button");
    for (Phase phase : kPhases) {
        const QString png = "Controls/" + name + '-' + PhaseName(phase);
        m_skin.Png(png, size,
            [&](QPainter& p) { DrawLook(p, m_theme, size, iconSize, look, phase); });
        root.Add(XmlNode(TagOf(phase)).A("File", FileName(png) + ".png"));
    }
    const QString xml = "Controls/" + name + ".xml";
    m_skin.Xml(xml, root);
    return xml;
}

QString CSkinParts::Switch(const QString& name, QSize size, double iconSize, const Look& off,
    const Look& on) const
{
    XmlNode root("Switch");
    for (int state = 1; state <= 2; ++state) {
        XmlNode node(QStringLiteral("State%1").arg(state));
        for (Phase phase : kPhases) {
            const QString png = QStringLiteral("Controls/%1-%2-%3").arg(name).arg(state).arg(
                PhaseName(phase));
            const Look& look = state == 1 ? off : on;
            m_skin.Png(png, size,
                [&](QPainter& p) { DrawLook(p, m_theme, size, iconSize, look, phase); });
            node.Add(XmlNode(TagOf(phase)).A("File", FileName(png) + ".png"));
        }
        root.Add(node);
    }
    const QString xml = "Controls/" + name + ".xml";
    m_skin.Xml(xml, root);
    return xml;
}

QString CSkinParts::Slider(const QString& name, int height, double line, int knob) const
{
    const QString base = "Controls/" + name;
    const double top = (height - line) / 2.0;
    const auto bar = [&](const QColor& colour) {
        return [=](QPainter& p) { p.fillRect(QRectF(0, top, 1, line), colour); };
    };
    m_skin.Png(base + "-bar", QSize(1, height), bar(m_theme.track));
    m_skin.Png(base + "-fill", QSize(1, height), bar(m_theme.accent));

    // The knob box covers the bar under it, so it carries the line itself: reached colour on
    // its left half, the rest on its right half. The knob's centre travels from half a box in
    // to half a box short of the end, so at rest a small dot marks it (the reached stub at 0
    // reads as a knob, not a stray pixel); under the pointer the line thickens around a full
    // knob.
    const QSize box(knob, height);
    const auto knobLook = [&](Phase phase) {
        return [=, this](QPainter& p) {
            const double w = phase == Phase::Normal ? line : line + 2;
            const double y = (height - w) / 2.0;
            p.fillRect(QRectF(0, y, knob / 2.0, w), m_theme.accent);
            p.fillRect(QRectF(knob / 2.0, y, knob / 2.0, w), m_theme.track);
            const QPointF c(knob / 2.0, height / 2.0);
            if (phase == Phase::Normal) {
                p.setPen(Qt::NoPen);
                p.setBrush(m_theme.accent);
                p.drawEllipse(c, line + 1.0, line + 1.0);
                return;
            }
            const double r = knob * 0.375;
            p.setPen(Qt::NoPen);
            if (phase == Phase::Press) {
                QColor halo = m_theme.accent;
                halo.setAlpha(70);
                p.setBrush(halo);
                p.drawEllipse(c, knob / 2.0, knob / 2.0);
            }
            p.setBrush(QColor(0, 0, 0, 50));
            p.drawEllipse(c + QPointF(0, 0.5), r + 0.5, r + 0.5);
            p.setBrush(phase == Phase::Press ? m_theme.accentHover : m_theme.knob);
            p.drawEllipse(c, r, r);
        };
    };
    XmlNode button("Button");
    for (Phase phase : kPhases) {
        const QString png = base + "-knob-" + PhaseName(phase);
        m_skin.Png(png, box, knobLook(phase));
        button.Add(XmlNode(TagOf(phase)).A("File", FileName(png) + ".png"));
    }
    XmlNode root("Slider");
    root.Add(XmlNode("Background")
                 .Add(XmlNode("Fill")
                          .A("File", FileName(base) + "-bar.png")
                          .A("File2", FileName(base) + "-fill.png")));
    root.Add(button);
    m_skin.Xml(base + ".xml", root);
    return base + ".xml";
}

QString CSkinParts::Rating(const QString& name, int cell, double star) const
{
    const QString base = "Controls/" + name;
    const QRectF box((cell - star) / 2.0, (cell - star) / 2.0, star, star);
    const auto starImage = [&](const QString& suffix, const QColor& colour) {
        m_skin.Png(base + '-' + suffix, QSize(cell, cell), [&](QPainter& p) {
            p.setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(colour);
            p.drawPath(StarPath(box));
        });
        return FileName(base) + '-' + suffix + ".png";
    };
    XmlNode root("Rating");
    root.Add(XmlNode("Show").A("File", starImage("show", m_theme.starOn)));
    root.Add(XmlNode("Hide").A("File", starImage("hide", m_theme.starOff)));
    root.Add(XmlNode("ShowHover").A("File", starImage("show-hover", m_theme.accent)));
    root.Add(XmlNode("HideHover").A("File", starImage("hide-hover", m_theme.starOff)));
    m_skin.Xml(base + ".xml", root);
    return base + ".xml";
}

QString CSkinParts::Cover(const QString& name, int size, double radius, const QColor& behind,
    bool shadow) const
{
    const QString base = "Controls/" + name;
    const QRectF box(0, 0, size, size);
    const bool dark = m_theme.window.lightness() < 128;
    m_skin.Png(base + "-none", QSize(size, size), [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        QLinearGradient g(0, 0, 0, size);
        g.setColorAt(0, m_theme.coverBack.lighter(dark ? 112 : 102));
        g.setColorAt(1, m_theme.coverBack);
        p.setBrush(g);
        p.drawRoundedRect(box, radius, radius);
        const double glyph = size * 0.42;
        DrawIcon(p, Icon::Note,
            QRectF((size - glyph) / 2, (size - glyph) / 2, glyph, glyph), m_theme.coverGlyph,
            m_theme.stroke * size / 48.0);
    });
    m_skin.Png(base + "-overlay", QSize(size, size), [&](QPainter& p) {
        QPainterPath corners;
        corners.addRect(box.adjusted(-1, -1, 1, 1));
        QPainterPath inside;
        inside.addRoundedRect(box, radius, radius);
        p.fillPath(corners.subtracted(inside), behind);
        p.setPen(QPen(dark ? QColor(255, 255, 255, 20) : QColor(0, 0, 0, 24), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    });
    XmlNode root("Cover");
    root.Add(XmlNode("Cover").A("File", FileName(base) + "-none.png"));
    root.Add(XmlNode("Overlay").A("File", FileName(base) + "-overlay.png"));
    if (shadow) {
        // Drawn behind the cover's lower edge, half above and half below it: the cover seems
        // to float over the card.
        const QSize s(size + 16, 28);
        m_skin.Png(base + "-shadow", s, [&](QPainter& p) {
            // A soft blob under the middle of the cover, fading well before its corners.
            const double rx = size * 0.48;
            QRadialGradient g(QPointF(0, 0), 1.0);
            g.setColorAt(0, QColor(0, 0, 0, 46));
            g.setColorAt(0.6, QColor(0, 0, 0, 18));
            g.setColorAt(1, QColor(0, 0, 0, 0));
            p.save();
            p.translate(s.width() / 2.0, s.height() / 2.0);
            p.scale(rx, s.height() / 2.0);
            p.fillRect(QRectF(-1, -1, 2, 2), g);
            p.restore();
        });
        root.Add(XmlNode("Shadow").A("File", FileName(base) + "-shadow.png"));
    }
    m_skin.Xml(base + ".xml", root);
    return base + ".xml";
}

QString CSkinParts::Text(const QString& name, int points, bool bold, const QColor& colour,
    int align) const
{
    const QString xml = "Controls/" + name + ".xml";
    m_skin.Xml(xml, XmlNode("Text").Add(Font(points, bold, colour, align)));
    return xml;
}

QString CSkinParts::Search(int height, const QColor& fill) const
{
    const Theme& t = m_theme;
    constexpr int kIcon = 16;
    m_skin.Png("Controls/Search-icon", QSize(kIcon, kIcon), [&](QPainter& p) {
        DrawIcon(p, Icon::Search, QRectF(0, 0, kIcon, kIcon), t.text2, t.stroke * 0.9);
    });
    const auto clear = [&](const QString& suffix, const QColor& circle) {
        m_skin.Png("Controls/Search-clear" + suffix, QSize(kIcon, kIcon), [&](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(circle);
            p.drawEllipse(QRectF(1, 1, kIcon - 2, kIcon - 2));
            DrawIcon(p, Icon::Close, QRectF(3, 3, kIcon - 6, kIcon - 6), t.text, t.stroke * 0.9);
        });
        return "Search-clear" + suffix + ".png";
    };
    QColor stronger = t.hoverFill;
    stronger.setAlpha(std::min(255, stronger.alpha() * 2));
    const QString xml = "Controls/Search.xml";
    m_skin.Xml(xml,
        XmlNode("Search")
            .Add(Font(t.secondPt, false, t.text))
            .Add(XmlNode("Placeholder").A("Color", Colour(t.text2)))
            .Add(XmlNode("Box")
                     .A("Color", Colour(fill))
                     .A("Border", Colour(t.divider))
                     .A("Focus", Colour(t.accent))
                     .A("Radius", height / 2))
            .Add(XmlNode("Icon").A("File", "Search-icon.png"))
            .Add(XmlNode("Clear")
                     .A("File", clear("", t.hoverFill))
                     .A("Hover", clear("-hover", stronger))));
    return xml;
}

QString CSkinParts::List(const ListLayout& layout) const
{
    const Theme& t = m_theme;
    // Stars and covers of the rows.
    const auto rowStar = [&](const QString& suffix, const QColor& colour) {
        m_skin.Png("List/Star-" + suffix, QSize(12, 12), [&](QPainter& p) {
            p.setPen(QPen(colour, 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(colour);
            p.drawPath(StarPath(QRectF(1, 1, 10, 10)));
        });
        return "Star-" + suffix + ".png";
    };
    m_skin.Xml("List/ListRate.xml",
        XmlNode("ListRate")
            .Add(XmlNode("Show").A("File", rowStar("on", t.text2)))
            .Add(XmlNode("Hide").A("File", rowStar("off", t.rowStarOff))));
    const int cover = layout.headCover ? layout.headCoverSize : layout.blockCover;
    const double radius = cover / 8.0;
    const QRectF box(0, 0, cover, cover);
    m_skin.Png("List/Cover-none", QSize(cover, cover), [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(t.coverBack);
        p.drawRoundedRect(box, radius, radius);
        const double glyph = cover * 0.5;
        DrawIcon(p, Icon::Note, QRectF((cover - glyph) / 2, (cover - glyph) / 2, glyph, glyph),
            t.coverGlyph, t.stroke);
    });
    m_skin.Png("List/Cover-overlay", QSize(cover, cover), [&](QPainter& p) {
        QPainterPath corners;
        corners.addRect(box.adjusted(-1, -1, 1, 1));
        QPainterPath inside;
        inside.addRoundedRect(box, radius, radius);
        p.fillPath(corners.subtracted(inside), t.window);
    });
    m_skin.Xml("List/ListCover.xml",
        XmlNode("ListCover")
            .Add(XmlNode("Cover").A("File", "Cover-none.png"))
            .Add(XmlNode("Overlay").A("File", "Cover-overlay.png")));

    const int pad = 12;
    XmlNode root("Playlist");
    root.Add(XmlNode("Background").A("Color", Colour(t.window)));

    // Group head: a quiet rule, the cover, "Artist - Album" and the year.
    XmlNode head("Head");
    head.A("Height", t.headHeight);
    const int textLeft = layout.headCover ? pad + cover + 12 : pad;
    const int headTop = layout.headCover ? (t.headHeight - cover) / 2 : 10;
    {
        XmlNode back("Background");
        back.Add(XmlNode("Fill").Add(Fill(t.window)).Add(
            Pos({ { "Left", 0 }, { "Right", 0 }, { "Top", 0 }, { "Bottom", 0 } })));
        back.Add(XmlNode("Fill").Add(Fill(t.headLine)).Add(
            Pos({ { "Left", pad }, { "Right", pad }, { "Top", 0 }, { "Height", 1 } })));
        head.Add(back);
        XmlNode elements("Elements");
        if (layout.headCover)
            elements.Add(XmlNode("Cover")
                             .Add(XmlNode("Skin").A("File", "ListCover.xml"))
                             .Add(Pos({ { "Left", pad }, { "Top", headTop } })));
        XmlNode artistAlbum("ArtistAlbum");
        artistAlbum.Add(Font(t.headPt, true, t.text).A("Color2", Colour(t.text2)));
        artistAlbum.Add(Pos({ { "Left", textLeft }, { "Right", pad },
            { "Top", layout.headCover ? headTop + 1 : 10 } }));
        elements.Add(artistAlbum);
        if (layout.headCover)
            elements.Add(XmlNode("Year")
                             .Add(Font(t.rowPt, false, t.text2))
                             .Add(Pos({ { "Left", textLeft }, { "Top", headTop + 19 } })));
        head.Add(elements);
    }
    root.Add(head);

    // Song rows: stripes, selection, the playing row tinted with an accent edge.
    const int textTop = (t.rowHeight - 15) / 2;
    XmlNode song("Song");
    song.A("Height", t.rowHeight);
    {
        const auto whole = [] {
            return Pos({ { "Left", 0 }, { "Right", 0 }, { "Top", 0 }, { "Bottom", 0 } });
        };
        XmlNode back("Background");
        back.Add(XmlNode("Fill")
                     .Add(Fill(t.window))
                     .Add(whole())
                     .Add(State({ "Select" }, Fill(t.selected)))
                     .Add(State({ "Play" }, Fill(t.playingRow)))
                     .Add(State({ "Pause" }, Fill(t.playingRow)))
                     .Add(State({ "Line2" }, Fill(t.stripe))));
        back.Add(XmlNode("Fill")
                     .Add(Pos({ { "Left", 0 }, { "Width", 3 }, { "Top", 0 }, { "Bottom", 0 } }))
                     .Add(State({ "Play" }, Fill(t.accent)))
                     .Add(State({ "Pause" }, Fill(t.accent))));
        back.Add(XmlNode("Line").Add(whole()).Add(
            State({ "Focus" }, XmlNode("Line").A("Color", Colour(t.focusLine)))));
        song.Add(back);

        XmlNode elements("Elements");
        elements.Add(XmlNode("Number")
                         .Add(Font(t.rowPt, false, t.text2, 1))
                         .Add(Pos({ { "Left", 8 }, { "Width", 24 }, { "Top", textTop } })));
        elements.Add(XmlNode("Title")
                         .Add(Font(t.rowPt, false, t.text))
                         .Add(Pos({ { "Left", 44 }, { "Right", 136 }, { "Top", textTop } }))
                         .Add(State({ "Play" }, Font(t.rowPt, true, t.accentText)))
                         .Add(State({ "Pause" }, Font(t.rowPt, true, t.accentText))));
        elements.Add(XmlNode("Rating")
                         .Add(XmlNode("Skin").A("File", "ListRate.xml"))
                         .Add(Pos({ { "Right", 64 }, { "Top", (t.rowHeight - 12) / 2 } })));
        elements.Add(XmlNode("Time")
                         .Add(Font(t.rowPt, false, t.text2, 1))
                         .Add(Pos({ { "Right", 16 }, { "Top", textTop } })));
        song.Add(elements);
    }
    root.Add(song);

    if (!layout.headCover) {
        // The group's cover stands beside its songs instead of in the head.
        XmlNode left("Left");
        left.A("Width", layout.blockWidth).A("Height", layout.blockCover + 16).A("Over", 0);
        left.Add(XmlNode("Elements").Add(XmlNode("Cover")
                                             .Add(XmlNode("Skin").A("File", "ListCover.xml"))
                                             .Add(Pos({ { "Left", pad }, { "Top", 8 } }))));
        root.Add(left);
    }
    m_skin.Xml("List/List.xml", root);
    return QStringLiteral("List/List.xml");
}

QString CSkinParts::Tree() const
{
    const Theme& t = m_theme;
    XmlNode expand("TreeExpand");
    for (const auto& [tag, icon] :
        { std::pair { "Open", Icon::ChevronDown }, std::pair { "Close", Icon::ChevronRight } }) {
        const QString png = "Tree/Expand-" + QString::fromLatin1(tag).toLower();
        m_skin.Png(png, QSize(16, 16),
            [&](QPainter& p) { DrawIcon(p, icon, QRectF(0, 0, 16, 16), t.text2, t.stroke); });
        expand.Add(XmlNode(QString::fromLatin1(tag)).A("File", FileName(png) + ".png"));
    }
    m_skin.Xml("Tree/TreeExpand.xml", expand);

    XmlNode icons("TreeIcons");
    for (const auto& [tag, icon] : { std::pair { "Artist", Icon::Artist },
             std::pair { "Album", Icon::Album }, std::pair { "Year", Icon::Year },
             std::pair { "Genre", Icon::Genre }, std::pair { "Playlist", Icon::Playlist },
             std::pair { "Radio", Icon::Radio } }) {
        const QString png = "Tree/Icon-" + QString::fromLatin1(tag).toLower();
        m_skin.Png(png, QSize(16, 16),
            [&](QPainter& p) { DrawIcon(p, icon, QRectF(0, 0, 16, 16), t.text2, t.stroke * 0.9); });
        icons.Add(XmlNode(QString::fromLatin1(tag)).A("File", FileName(png) + ".png"));
    }
    m_skin.Xml("Tree/TreeIcons.xml", icons);

    const int textTop = (t.treeRowHeight - 15) / 2;
    const int iconTop = (t.treeRowHeight - 16) / 2;
    XmlNode root("Library");
    root.Add(XmlNode("Background").A("Color", Colour(t.window)));
    const auto selection = [&] {
        return XmlNode("Background").Add(
            XmlNode("Fill")
                .Add(Pos({ { "Left", 6 }, { "Right", 6 }, { "Top", 1 }, { "Bottom", 1 } }))
                .Add(State({ "Focus" }, Fill(t.selected))));
    };
    XmlNode node("Node");
    node.A("Height", t.treeRowHeight);
    node.Add(selection());
    node.Add(XmlNode("Elements")
                 .Add(XmlNode("Expand")
                          .Add(XmlNode("Skin").A("File", "TreeExpand.xml"))
                          .Add(Pos({ { "Left", 4 }, { "Top", iconTop } })))
                 .Add(XmlNode("Text")
                          .Add(Font(t.rowPt, false, t.text2))
                          .Add(Pos({ { "Left", 22 }, { "Right", 10 }, { "Top", textTop } }))
                          .Add(State({ "Focus" }, Font(t.rowPt, false, t.text)))));
    root.Add(node);

    const int headTextTop = (t.treeHeadHeight - 15) / 2 + 1;
    const int headIconTop = (t.treeHeadHeight - 16) / 2 + 1;
    XmlNode head("Head");
    head.A("Height", t.treeHeadHeight);
    head.Add(selection());
    head.Add(XmlNode("Elements")
                 .Add(XmlNode("Expand")
                          .Add(XmlNode("Skin").A("File", "TreeExpand.xml"))
                          .Add(Pos({ { "Left", 4 }, { "Top", headIconTop } })))
                 .Add(XmlNode("Icon")
                          .Add(XmlNode("Skin").A("File", "TreeIcons.xml"))
                          .Add(Pos({ { "Left", 22 }, { "Top", headIconTop } })))
                 .Add(XmlNode("Text")
                          .Add(Font(t.rowPt, true, t.text))
                          .Add(Pos({ { "Left", 46 }, { "Right", 10 }, { "Top", headTextTop } }))));
    root.Add(head);
    m_skin.Xml("Tree/Tree.xml", root);
    return QStringLiteral("Tree/Tree.xml");
}

QString CSkinParts::Spectrum(int height, const QColor& behind) const
{
    const Theme& t = m_theme;
    const int levels = height / 2 + 1;
    // Frame k holds a bar 2k - 1 px high, so the peak's row sits just above a bar of its level.
    m_skin.Png("Visualiser/Bars", QSize(4 * levels, height), [&](QPainter& p) {
        for (int k = 1; k < levels; ++k) {
            const int h = 2 * k - 1;
            QLinearGradient g(0, height, 0, 0);
            QColor low = t.accent;
            low.setAlpha(150);
            g.setColorAt(0, low);
            g.setColorAt(1, t.accent);
            p.fillRect(QRectF(4 * k, height - h, 3, h), g);
        }
    });
    m_skin.Png("Visualiser/Peak", QSize(3, 1), [&](QPainter& p) {
        p.fillRect(QRectF(0, 0, 3, 1), t.accentHover.lighter(115));
    });
    m_skin.Xml("Visualiser/Visualiser.xml",
        XmlNode("Spectrum")
            .Add(XmlNode("Skin").A("File", "Bars.png").A("BandSize", 4))
            .Add(XmlNode("Background").A("Color", Colour(behind)))
            .Add(XmlNode("Peak").A("File", "Peak.png").A("PeakStep", 2)));
    return QStringLiteral("Visualiser/Visualiser.xml");
}

XmlNode PaletteNode(const Theme& t)
{
    return XmlNode("Palette")
        .A("Window", Hex6(t.dialog))
        .A("Base", Hex6(t.field))
        .A("AlternateBase", Hex6(t.stripe))
        .A("Text", Hex6(t.text))
        .A("Button", Hex6(t.control))
        .A("ButtonText", Hex6(t.text))
        .A("Highlight", Hex6(t.selection))
        .A("HighlightedText", Hex6(t.onAccent))
        .A("Link", Hex6(t.link))
        .A("DisabledText", Hex6(t.disabledText));
}
