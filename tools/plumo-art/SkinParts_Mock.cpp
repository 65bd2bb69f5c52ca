// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The previews: each element drawn roughly as the running player would show it, with made-up
// tracks, so that a skin can be judged (and shown in the skin chooser) without the player.
#include "SkinParts.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace {

int ScaleOf(const QPainter& p)
{
    return p.worldTransform().m11() > 1.5 ? 2 : 1;
}

QFont PixelFont(int points, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(PointsToPixels(points));
    font.setBold(bold);
    return font;
}

void DrawElided(QPainter& p, const QRect& box, const QString& text, const QFont& font,
    const QColor& colour, Qt::Alignment align = Qt::AlignLeft)
{
    p.setFont(font);
    p.setPen(colour);
    const QFontMetrics metrics(font);
    p.drawText(box, int(align | Qt::AlignVCenter),
        metrics.elidedText(text, Qt::ElideRight, box.width()));
}

// Made-up album art for the previews: a few soft shapes on a gradient, seeded by the index.
void FakeCover(QPainter& p, const QRectF& box, int seed, double radius)
{
    static const QColor kHues[][2] = {
        { QColor(0xF2, 0x8C, 0x6B), QColor(0x7A, 0x2E, 0x5E) },
        { QColor(0x5E, 0xC8, 0xD8), QColor(0x23, 0x3E, 0x8C) },
        { QColor(0xF5, 0xD0, 0x6F), QColor(0xD0, 0x5A, 0x3C) },
        { QColor(0x9B, 0xE0, 0x9A), QColor(0x1E, 0x5F, 0x5A) },
        { QColor(0xC3, 0xA6, 0xF0), QColor(0x35, 0x2A, 0x6E) },
    };
    const auto& hue = kHues[seed % 5];
    QPainterPath clip;
    clip.addRoundedRect(box, radius, radius);
    p.save();
    p.setClipPath(clip);
    QLinearGradient g(box.topLeft(), box.bottomRight());
    g.setColorAt(0, hue[0]);
    g.setColorAt(1, hue[1]);
    p.fillRect(box, g);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawEllipse(QPointF(box.left() + box.width() * (0.3 + 0.1 * (seed % 3)),
                      box.top() + box.height() * 0.62),
        box.width() * 0.32, box.width() * 0.32);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawEllipse(QPointF(box.right() - box.width() * 0.2, box.top() + box.height() * 0.25),
        box.width() * 0.18, box.width() * 0.18);
    p.restore();
}

struct FakeSong {
    const char* title;
    const char* time;
    int rating;
};

struct FakeAlbum {
    const char* artist;
    const char* album;
    const char* year;
    QList<FakeSong> songs;
};

const QList<FakeAlbum>& FakeAlbums()
{
    static const QList<FakeAlbum> albums = {
        { "Marisol Vega", "Harbour Lights", "2021",
            { { "Low Tide", "3:42", 4 }, { "Paper Boats", "4:05", 5 }, { "Salt and Glass", "3:18", 0 },
                { "Signal Fires", "5:01", 3 }, { "The Long Way Home", "4:27", 0 } } },
        { "The Quiet Hours", "Northern Static", "2019",
            { { "Aurora Drive", "3:55", 0 }, { "Static Bloom", "4:12", 4 }, { "Coldwater", "3:31", 0 },
                { "Polar Nights", "6:02", 2 }, { "Satellite Hearts", "3:47", 0 } } },
        { "Ada Linden", "Fieldnotes", "2023",
            { { "Morning Room", "2:58", 0 }, { "Lanterns", "3:33", 5 }, { "Tall Grass", "4:40", 0 } } },
    };
    return albums;
}

} // namespace

MockFn CSkinParts::MockImage(const QString& png) const
{
    return [this, png](QPainter& p, const QRect& r) {
        p.drawImage(QRectF(r), m_skin.Load(png, ScaleOf(p)));
    };
}

MockFn CSkinParts::MockSlider(const QString& name, int percent, bool hover) const
{
    return [this, name, percent, hover](QPainter& p, const QRect& r) {
        const int s = ScaleOf(p);
        const QString base = "Controls/" + name;
        const QImage knob = m_skin.Load(base + (hover ? "-knob-hover.png" : "-knob-normal.png"), s);
        const int k = int(knob.width() / knob.devicePixelRatio());
        const int d = (r.width() - k) * percent / 100;
        p.drawImage(QRectF(r.x(), r.y(), d, r.height()), m_skin.Load(base + "-fill.png", s));
        p.drawImage(QRectF(r.x() + d, r.y(), r.width() - d, r.height()),
            m_skin.Load(base + "-bar.png", s));
        p.drawImage(QPointF(r.x() + d, r.y()), knob);
    };
}

MockFn CSkinParts::MockText(const QString& sample, int points, bool bold,
    const QColor& colour, Qt::Alignment align) const
{
    return [=](QPainter& p, const QRect& r) {
        DrawElided(p, r, sample, PixelFont(points, bold), colour, align);
    };
}

MockFn CSkinParts::MockSearch(int height, const QColor& fill, const QString& placeholder) const
{
    return [this, height, fill, placeholder](QPainter& p, const QRect& r) {
        const Theme& t = m_theme;
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(t.divider, 1.0));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), height / 2.0, height / 2.0);
        p.restore();
        const QImage icon = m_skin.Load("Controls/Search-icon.png", ScaleOf(p));
        const int iconSize = int(icon.width() / icon.devicePixelRatio());
        p.drawImage(QPointF(r.x() + 8, r.y() + (r.height() - iconSize) / 2), icon);
        const QRect text = r.adjusted(8 + iconSize + 6, 0, -8, 0);
        DrawElided(p, text, placeholder, PixelFont(t.secondPt, false), t.text2, Qt::AlignLeft);
    };
}

MockFn CSkinParts::MockRating(const QString& name, int stars) const
{
    return [this, name, stars](QPainter& p, const QRect& r) {
        const int s = ScaleOf(p);
        const QImage on = m_skin.Load("Controls/" + name + "-show.png", s);
        const QImage off = m_skin.Load("Controls/" + name + "-hide.png", s);
        const int w = int(on.width() / on.devicePixelRatio());
        for (int i = 0; i < 5; ++i)
            p.drawImage(QPointF(r.x() + i * w, r.y()), i < stars ? on : off);
    };
}

MockFn CSkinParts::MockCover(const QString& name, bool shadow) const
{
    return [this, name, shadow](QPainter& p, const QRect& r) {
        const int s = ScaleOf(p);
        const QImage overlay = m_skin.Load("Controls/" + name + "-overlay.png", s);
        const int cw = int(overlay.width() / overlay.devicePixelRatio());
        int c = 0;
        if (shadow) {
            const QImage sh = m_skin.Load("Controls/" + name + "-shadow.png", s);
            const int sw = int(sh.width() / sh.devicePixelRatio());
            const int shh = int(sh.height() / sh.devicePixelRatio());
            c = (sw - cw) / 2;
            p.drawImage(QPointF(r.x(), r.y() + cw - shh / 2), sh);
        }
        FakeCover(p, QRectF(r.x() + c, r.y(), cw, cw), 0, 0);
        p.drawImage(QPointF(r.x() + c, r.y()), overlay);
    };
}

MockFn CSkinParts::MockSpectrum(int height, const QColor& behind) const
{
    return [this, height, behind](QPainter& p, const QRect& r) {
        p.fillRect(r, behind);
        const int s = ScaleOf(p);
        const QImage bars = m_skin.Load("Visualiser/Bars.png", s);
        const QImage peak = m_skin.Load("Visualiser/Peak.png", s);
        const int levels = height / 2 + 1;
        const int count = r.width() / 4;
        for (int i = 0; i < count; ++i) {
            // A plausible moment of music: strong lows, a bump in the mids, quiet highs.
            const double x = double(i) / std::max(1, count - 1);
            const double v = 0.85 * std::exp(-3.2 * x) + 0.35 * std::exp(-std::pow((x - 0.45) / 0.12, 2))
                + 0.08 * std::abs(std::sin(i * 1.7));
            const int level = std::clamp(int(v * (levels - 1)), 0, levels - 1);
            const int top = std::clamp(level + 1 + (i % 3), 0, levels - 1);
            p.drawImage(QRectF(r.x() + 4 * i, r.bottom() + 1 - height, 4, height), bars,
                QRectF(4 * level * s, 0, 4 * s, height * s));
            p.drawImage(QPointF(r.x() + 4 * i, r.bottom() + 1 - 2 * top), peak);
        }
    };
}

MockFn CSkinParts::MockList(const ListLayout& layout) const
{
    return [this, layout](QPainter& p, const QRect& r) {
        const Theme& t = m_theme;
        p.save();
        p.setClipRect(r);
        p.fillRect(r, t.window);
        const int pad = 12;
        const int cover = layout.headCover ? layout.headCoverSize : layout.blockCover;
        const QFont row = PixelFont(t.rowPt, false);
        const QFont rowBold = PixelFont(t.rowPt, true);
        const QFont head = PixelFont(t.headPt, true);
        const int s = ScaleOf(p);
        const QImage starOn = m_skin.Load("List/Star-on.png", s);
        const QImage starOff = m_skin.Load("List/Star-off.png", s);
        int y = r.y();
        int seed = 1;
        int line = 0;
        for (const FakeAlbum& album : FakeAlbums()) {
            const int headTop = y;
            p.fillRect(QRect(r.x() + pad, y, r.width() - 2 * pad, 1), t.headLine);
            const int textLeft = layout.headCover ? pad + cover + 12 : pad;
            const int top = layout.headCover ? (t.headHeight - cover) / 2 : 10;
            if (layout.headCover)
                FakeCover(p, QRectF(r.x() + pad, y + top, cover, cover), seed, cover / 8.0);
            const QString artist = QString::fromUtf8(album.artist);
            const int wa = QFontMetrics(head).horizontalAdvance(artist + " - ");
            DrawElided(p, QRect(r.x() + textLeft, y + top + 1, r.width(), 17), artist + " - ", head, t.text);
            DrawElided(p, QRect(r.x() + textLeft + wa, y + top + 1, r.width() - textLeft - wa - pad, 17),
                QString::fromUtf8(album.album), head, t.text2);
            if (layout.headCover)
                DrawElided(p, QRect(r.x() + textLeft, y + top + 19, 80, 16),
                    QString::fromUtf8(album.year), row, t.text2);
            y += t.headHeight;
            const int songLeft = layout.headCover ? r.x() : r.x() + layout.blockWidth;
            const int songWidth = r.right() + 1 - songLeft;
            if (!layout.headCover)
                FakeCover(p, QRectF(r.x() + pad, y + 8, cover, cover), seed, cover / 8.0);
            int number = 1;
            for (const FakeSong& song : album.songs) {
                const QRect box(songLeft, y, songWidth, t.rowHeight);
                ++line;
                const bool playing = seed == 1 && number == 2;
                const bool selected = seed == 2 && number == 3;
                p.fillRect(box, selected ? t.selected
                        : playing        ? t.playingRow
                        : line % 2 == 0  ? t.stripe
                                         : t.window);
                if (playing)
                    p.fillRect(QRect(box.x(), box.y(), 3, box.height()), t.accent);
                DrawElided(p, QRect(box.x() + 8, y, 24, t.rowHeight), QString::number(number), row,
                    t.text2, Qt::AlignRight);
                DrawElided(p, QRect(box.x() + 44, y, box.width() - 44 - 136, t.rowHeight),
                    QString::fromUtf8(song.title), playing ? rowBold : row,
                    playing ? t.accentText : t.text);
                const int starsLeft = box.right() + 1 - 64 - 60;
                for (int i = 0; i < 5; ++i)
                    p.drawImage(QPointF(starsLeft + 12 * i, y + (t.rowHeight - 12) / 2),
                        i < song.rating ? starOn : starOff);
                DrawElided(p, QRect(box.right() + 1 - 16 - 40, y, 40, t.rowHeight),
                    QString::fromUtf8(song.time), row, t.text2, Qt::AlignRight);
                y += t.rowHeight;
                ++number;
            }
            if (!layout.headCover)
                y = std::max(y, headTop + t.headHeight + layout.blockCover + 16);
            ++seed;
        }
        p.restore();
    };
}

MockFn CSkinParts::MockTree() const
{
    return [this](QPainter& p, const QRect& r) {
        const Theme& t = m_theme;
        p.save();
        p.setClipRect(r);
        p.fillRect(r, t.window);
        const QFont row = PixelFont(t.rowPt, false);
        const QFont bold = PixelFont(t.rowPt, true);
        struct Item {
            int depth;
            const char* label;
            int icon; // -1 none
            bool open;
            bool expandable;
            bool focus;
        };
        const Icon icons[] = { Icon::Playlist, Icon::Artist, Icon::Album, Icon::Genre, Icon::Year,
            Icon::Radio };
        const Item items[] = {
            { 0, "Playlists", 0, true, true, false },
            { 1, "My Playlist", -1, false, false, false },
            { 1, "Evening", -1, false, false, false },
            { 0, "Artists", 1, true, true, false },
            { 1, "Ada Linden", -1, false, true, false },
            { 1, "Marisol Vega", -1, true, true, false },
            { 2, "Harbour Lights", -1, false, false, true },
            { 2, "Tidewater", -1, false, false, false },
            { 1, "The Quiet Hours", -1, false, true, false },
            { 0, "Albums", 2, false, true, false },
            { 0, "Genres", 3, false, true, false },
            { 0, "Years", 4, false, true, false },
            { 0, "Radio", 5, false, true, false },
        };
        int y = r.y() + 4;
        for (const Item& item : items) {
            const bool head = item.depth == 0;
            const int h = head ? t.treeHeadHeight : t.treeRowHeight;
            const int indent = r.x() + 16 * std::max(0, item.depth - 1) + (head ? 0 : 12);
            if (item.focus)
                p.fillRect(QRect(r.x() + 6, y + 1, r.width() - 12, h - 2), t.selected);
            if (item.expandable)
                DrawIcon(p, item.open ? Icon::ChevronDown : Icon::ChevronRight,
                    QRectF(indent + 4, y + (h - 16) / 2 + (head ? 1 : 0), 16, 16), t.text2, t.stroke);
            int textLeft = indent + 22;
            if (item.icon >= 0) {
                DrawIcon(p, icons[item.icon], QRectF(indent + 22, y + (h - 16) / 2 + 1, 16, 16),
                    t.text2, t.stroke * 0.9);
                textLeft = indent + 46;
            }
            DrawElided(p, QRect(textLeft, y + (head ? 1 : 0), r.right() - 10 - textLeft, h),
                QString::fromUtf8(item.label), head ? bold : row,
                head || item.focus ? t.text : t.text2);
            y += h;
        }
        p.restore();
    };
}
