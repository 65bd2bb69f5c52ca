// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// Every control of the shipped skins loaded by the real controls and drawn offscreen: each
// loads, is drawn at its own size (never stretched), shows its hover and press at a glance,
// switches look different in their two states, and the @2x pictures are the ones drawn on a
// double-density screen.
#include "SkinDataFixture.h"

#include "CSkinElement.h"
#include "CSkinText.h"
#include "CreateSkinControl.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <map>

using namespace skindata;

namespace {

int KindOf(const QString& tag)
{
    static const std::map<QString, int> kinds = {
        { "Play", 1 }, { "PlayPause", 2 }, { "Pause", 3 }, { "Stop", 4 }, { "Next", 5 },
        { "Previous", 6 }, { "VolumeBar", 7 }, { "TrackBar", 8 }, { "Mute", 9 }, { "Close", 10 },
        { "Minimize", 11 }, { "Library", 12 }, { "Playlist", 13 }, { "Button", 14 },
        { "Cover", 15 }, { "Spectrum", 16 }, { "Rating", 17 }, { "Title", 18 }, { "Artist", 19 },
        { "Repeat", 20 }, { "Shuffle", 21 }, { "Album", 22 }, { "Equalizer", 23 }, { "Time", 24 },
        { "Search", 25 },
    };
    const auto it = kinds.find(tag);
    return it == kinds.end() ? 0 : it->second;
}

struct Loaded {
    std::unique_ptr<CSkinElement> control;
    QSize size;
};

Loaded Load(const QString& skin, const PlacedElement& e, qreal ratio)
{
    Loaded loaded { CreateSkinControl(KindOf(e.tag)), e.rect.size() };
    loaded.control->SetDevicePixelRatio(ratio);
    EXPECT_TRUE(loaded.control->LoadSkin(SkinFolder(skin) + e.skinFile)) << e.skinFile.toStdString();
    loaded.control->SetRect(SkinRect { 0, 0, e.rect.width(), e.rect.height() });
    return loaded;
}

QImage Draw(CSkinElement& control, QSize size, qreal ratio = 1)
{
    QImage canvas(size * ratio, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    control.Draw(painter);
    painter.end();
    return canvas;
}

int Opaque(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0;
    return count;
}

class ShippedControls : public ::testing::TestWithParam<const char*> {
protected:
    QString Skin() const { return QString::fromLatin1(GetParam()); }
    QList<PlacedElement> Elements() const
    {
        QList<PlacedElement> all;
        for (const PlacedPanel& panel : Layout(Skin(), 600, 500))
            all += panel.elements;
        return all;
    }
};

TEST_P(ShippedControls, ButtonsAndSwitchesAreDrawnAtTheirOwnSizeWithDistinctStates)
{
    for (const PlacedElement& e : Elements()) {
        const int kind = KindOf(e.tag);
        const bool isSwitch = kind == 2 || kind == 9 || kind == 20 || kind == 21;
        const bool isButton = (kind >= 1 && kind <= 6 && kind != 2) || kind == 10 || kind == 11
            || kind == 14 || kind == 23;
        if (!isSwitch && !isButton)
            continue;
        const std::string name = e.tag.toStdString() + " " + e.skinFile.toStdString();
        Loaded c = Load(Skin(), e, 1);
        EXPECT_EQ(QSize(c.control->GetWidth(), c.control->GetHeight()), c.size)
            << name << ": the picture would be stretched";
        const QPoint centre(c.size.width() / 2, c.size.height() / 2);
        for (int state : isSwitch ? QList<int> { 0, 1 } : QList<int> { 0 }) {
            c.control->SetState(state);
            c.control->OnMouseLeave();
            const QImage normal = Draw(*c.control, c.size);
            c.control->OnMouseMove(centre);
            const QImage hover = Draw(*c.control, c.size);
            c.control->OnButtonDown(centre);
            const QImage press = Draw(*c.control, c.size);
            c.control->OnButtonUp(centre);
            EXPECT_GT(Opaque(normal), 8) << name << " state " << state;
            EXPECT_NE(normal, hover) << name << ": hover shows nothing new";
            EXPECT_NE(hover, press) << name << ": press shows nothing new";
        }
        if (isSwitch) {
            c.control->OnMouseLeave();
            c.control->SetState(0);
            const QImage off = Draw(*c.control, c.size);
            c.control->SetState(1);
            EXPECT_NE(off, Draw(*c.control, c.size)) << name << ": both states look alike";
        }
    }
}

TEST_P(ShippedControls, DoubleDensityScreensGetTheSharperPictures)
{
    for (const PlacedElement& e : Elements()) {
        const int kind = KindOf(e.tag);
        if (kind != 4 && kind != 5 && kind != 10 && kind != 17)
            continue;
        Loaded one = Load(Skin(), e, 1);
        Loaded two = Load(Skin(), e, 2);
        if (kind == 17) {
            one.control->SetState(3);
            two.control->SetState(3);
        }
        // The 1x drawing enlarged by pixel doubling is what a missing @2x picture would give.
        const QImage doubled = Draw(*one.control, one.size).scaled(one.size * 2);
        const QImage sharp = Draw(*two.control, two.size, 2);
        EXPECT_EQ(sharp.size(), doubled.size());
        EXPECT_NE(sharp, doubled) << e.tag.toStdString() << " draws its 1x picture enlarged";
        EXPECT_GT(2 * Opaque(sharp), 5 * Opaque(Draw(*one.control, one.size))) << e.tag.toStdString();
    }
}

TEST_P(ShippedControls, SlidersShowTheReachedPartAndRatingsTheirStars)
{
    for (const PlacedElement& e : Elements()) {
        const int kind = KindOf(e.tag);
        if (kind == 7 || kind == 8) {
            Loaded c = Load(Skin(), e, 1);
            EXPECT_EQ(c.control->GetHeight(), c.size.height()) << e.tag.toStdString();
            c.control->SetState(50000);
            const QImage half = Draw(*c.control, c.size);
            const int y = c.size.height() / 2;
            const QRgb reached = half.pixel(2, y);
            const QRgb ahead = half.pixel(c.size.width() - 3, y);
            EXPECT_GT(qAlpha(reached), 200);
            EXPECT_GT(qAlpha(ahead), 200);
            EXPECT_NE(reached, ahead) << e.tag.toStdString() << ": reached part not told apart";
            // The knob appears while the pointer is over the bar.
            c.control->OnMouseMove(QPoint(5, y));
            EXPECT_NE(Draw(*c.control, c.size), half) << e.tag.toStdString();
        }
        if (kind == 17) {
            Loaded c = Load(Skin(), e, 1);
            EXPECT_EQ(QSize(c.control->GetWidth(), c.control->GetHeight()), c.size);
            c.control->SetState(3);
            const QImage three = Draw(*c.control, c.size);
            const int star = c.size.width() / 5;
            const QPoint centre(star / 2, c.size.height() / 2);
            EXPECT_EQ(three.pixel(centre), three.pixel(centre + QPoint(2 * star, 0)));
            EXPECT_NE(three.pixel(centre + QPoint(2 * star, 0)), three.pixel(centre + QPoint(3 * star, 0)))
                << "the third and fourth stars look alike at rating 3";
            c.control->SetState(-1);
            EXPECT_EQ(Opaque(Draw(*c.control, c.size)), 0);
        }
    }
}

TEST_P(ShippedControls, TextsFillTheirPlaceAndTheCoverShowsItsPlaceholder)
{
    int texts = 0;
    for (const PlacedElement& e : Elements()) {
        const int kind = KindOf(e.tag);
        if (kind == 18 || kind == 19 || kind == 22) {
            Loaded c = Load(Skin(), e, 1);
            c.control->SetString(QStringLiteral("A title long enough to run past the edge of its place "
                                                "in the window, so that it must be cut"));
            const QImage text = Draw(*c.control, c.size);
            EXPECT_GT(Opaque(text), 30) << e.tag.toStdString();
            // The line fills its place to the right end (cut with an ellipsis), not beyond.
            int rightmost = 0;
            for (int x = 0; x < text.width(); ++x)
                for (int y = 0; y < text.height(); ++y)
                    if (qAlpha(text.pixel(x, y)) > 0)
                        rightmost = std::max(rightmost, x);
            EXPECT_GT(rightmost, c.size.width() - 24) << e.tag.toStdString();
            ++texts;
        }
        if (kind == 15) {
            Loaded c = Load(Skin(), e, 1);
            EXPECT_EQ(QSize(c.control->GetWidth(), c.control->GetHeight()), c.size);
            const QImage none = Draw(*c.control, c.size);
            EXPECT_EQ(qAlpha(none.pixel(c.size.width() / 2, c.size.width() / 3)), 255)
                << "the cover without a picture shows the placeholder";
        }
    }
    EXPECT_EQ(texts, 3);
}

TEST_P(ShippedControls, TheTimeShowsWholeBesideTheTrackBarEvenAtTheSmallestWindow)
{
    const auto doc = Parse(SkinFolder(Skin()) + "Skin.xml");
    ASSERT_TRUE(doc);
    const tinyxml2::XMLElement* size = doc->FirstChildElement("Window")->FirstChildElement("Size");
    const int minWidth = size->IntAttribute("MinWidth");
    const int minHeight = size->IntAttribute("MinHeight");
    int times = 0;
    for (const PlacedPanel& panel : Layout(Skin(), minWidth, minHeight)) {
        std::optional<QRect> bar;
        for (const PlacedElement& e : panel.elements)
            if (e.tag == "TrackBar")
                bar = e.rect;
        for (const PlacedElement& e : panel.elements) {
            if (e.tag != "Time")
                continue;
            ++times;
            EXPECT_FALSE(panel.hidden);
            ASSERT_TRUE(bar.has_value()) << "the time sits with the bar it measures";
            EXPECT_FALSE(e.rect.intersects(*bar));
            for (const qreal ratio : {1.0, 2.0}) {
                Loaded c = Load(Skin(), e, ratio);
                // The longest time of a track under an hour, counted down.
                const QString longest = QStringLiteral("-59:58 / 59:59");
                c.control->SetString(longest);
                const QImage text = Draw(*c.control, c.size, ratio);
                const auto* control = static_cast<const CSkinText*>(c.control.get());
                EXPECT_LE(QFontMetrics(control->GetFont()).horizontalAdvance(longest),
                    e.rect.width());
                // Right-aligned: the last digit touches the right end, whatever the length.
                int rightmost = 0;
                for (int x = 0; x < text.width(); ++x)
                    for (int y = 0; y < text.height(); ++y)
                        if (qAlpha(text.pixel(x, y)) > 0)
                            rightmost = std::max(rightmost, x);
                EXPECT_GT(rightmost, text.width() - 4 * ratio);
            }
        }
    }
    EXPECT_EQ(times, 1);
}

INSTANTIATE_TEST_SUITE_P(Skins, ShippedControls, ::testing::Values("Default", "Frost"));

} // namespace
