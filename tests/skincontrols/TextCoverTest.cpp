// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinCover.h"
#include "CSkinText.h"

#include "ControlFixture.h"

#include <QDir>
#include <QFontMetrics>

namespace {

constexpr QRgb kClear = 0x00000000;

// The most opaque pixel of box, not premultiplied.
QRgb Strongest(const QImage& image, const QRect& box)
{
    QRgb strongest = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb c = qUnpremultiply(image.pixel(x, y));
            if (qAlpha(c) > qAlpha(strongest))
                strongest = c;
        }
    }
    return strongest;
}

class TextTest : public ControlTest {
protected:
    // A text control on the row 0..30 between x 10 and 190 with the given Font attributes.
    CSkinText& Make(const QByteArray& fontAttributes, const QString& text)
    {
        m_text = std::make_unique<CSkinText>();
        EXPECT_TRUE(m_text->LoadSkin(File("Title.xml",
            "<Text><Font Name=\"DejaVu Sans\" " + fontAttributes + "/></Text>")));
        m_text->SetRect({10, 0, 190, 30});
        m_text->SetString(text);
        return *m_text;
    }
    QRect Inked(CSkinElement& element) { return skintest::Changed(Render(element, {200, 30}, kClear), kClear); }

    std::unique_ptr<CSkinText> m_text;
};

TEST_F(TextTest, AlignedLeftRightOrCentredAndCentredVertically)
{
    struct Case {
        const char* align;
        int expectedCentre;
    };
    for (const Case& c : {Case{"0", -1}, {"1", -2}, {"2", 100}, {"7", -1}}) {
        const QRect ink = Inked(Make(QByteArray("Size=\"12\" Color=\"FFFFFF\" Align=\"") + c.align + "\"", "Hi"));
        ASSERT_FALSE(ink.isEmpty()) << c.align;
        if (c.expectedCentre == -1) { // left
            EXPECT_NEAR(ink.left(), 10, 3) << c.align;
        } else if (c.expectedCentre == -2) {
            EXPECT_NEAR(ink.right(), 189, 3) << c.align;
        } else {
            EXPECT_NEAR(ink.center().x(), c.expectedCentre, 3) << c.align;
        }
        EXPECT_NEAR(ink.center().y(), 15, 3) << c.align;
    }
}

TEST_F(TextTest, LongTextEndsInAnEllipsisOnOneLine)
{
    const QString title = QString("A title far longer than the rectangle it is shown in ").repeated(3);
    CSkinText& text = Make("Size=\"12\" Color=\"FFFFFF\"", title);
    text.SetRect({10, 0, 90, 30});
    const QRect ink = Inked(text);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 10);
    EXPECT_LE(ink.right(), 89);
    EXPECT_GT(ink.width(), 50) << "the line is filled, not dropped";
    const QFontMetrics metrics(text.GetFont());
    EXPECT_LT(ink.height(), 2 * metrics.height()) << "never wraps";
    // The line ends in the ellipsis: three dots on the baseline, far lower than any letter.
    const QImage out = Render(text, {200, 30}, kClear);
    const QRect tail = skintest::Changed(out.copy(ink.right() - 2, 0, 3, 30), kClear);
    ASSERT_FALSE(tail.isEmpty());
    EXPECT_LT(tail.height(), metrics.height() / 3);
    // Line breaks in a title are shown as spaces rather than starting a second line.
    text.SetRect({10, 0, 190, 30});
    text.SetString("One\nTwo");
    EXPECT_LT(Inked(text).height(), 2 * metrics.height());
}

TEST_F(TextTest, ColourAndSizeComeFromTheFile)
{
    const QRect small = Inked(Make("Size=\"8\" Color=\"00FF00\"", "HHH"));
    QImage out = Render(*m_text, {200, 30}, kClear);
    const QRgb solid = Strongest(out, small);
    EXPECT_GT(qAlpha(solid), 0xE0);
    EXPECT_GT(qGreen(solid), 0xF0);
    EXPECT_LT(qRed(solid) + qBlue(solid), 16);

    const QRect big = Inked(Make("Size=\"16\" Bold=\"1\" Color=\"00FF0080\"", "HHH"));
    EXPECT_GT(big.height(), small.height());
    EXPECT_TRUE(m_text->GetFont().bold());
    out = Render(*m_text, {200, 30}, kClear);
    const QRgb half = Strongest(out, big);
    EXPECT_NEAR(qAlpha(half), 0x80, 2) << "green at half opacity";
    EXPECT_GT(qGreen(half), 0xF0);
    EXPECT_LT(qRed(half) + qBlue(half), 16);
}

TEST_F(TextTest, WithoutAFontFileTheTextIsBlackInThePaintersFont)
{
    for (const QByteArray& xml : {QByteArray("<Text/>"), QByteArray("<Text><Font Color=\"ABC\"/></Text>")}) {
        CSkinText text;
        text.LoadSkin(File("Title.xml", xml));
        text.SetRect({0, 0, 200, 30});
        text.SetString("Ink");
        EXPECT_EQ(text.GetColor(), kBlack);
        const QImage out = Render(text, {200, 30}, kWhite);
        EXPECT_FALSE(skintest::Changed(out, kWhite).isEmpty()) << xml.constData();
        text.SetString(QString());
        EXPECT_TRUE(skintest::Changed(Render(text, {200, 30}, kWhite), kWhite).isEmpty());
    }
}

class CoverTest : public ControlTest {
protected:
    void SetUp() override
    {
        Png("default.png", {20, 20}, kGreen);
        Png("shadow.png", {30, 10}, kBlack);
        Png("mask.png", {20, 8}, 0x40FFFFFF);
        QImage overlay(20, 20, QImage::Format_ARGB32);
        overlay.fill(Qt::transparent);
        overlay.setPixel(0, 0, kYellow);
        overlay.save(Path("overlay.png"));
        // The album picture: top half red, bottom half blue, so the reflection shows blue first.
        QImage album(40, 40, QImage::Format_ARGB32);
        album.fill(kRed);
        for (int y = 20; y < 40; ++y) {
            for (int x = 0; x < 40; ++x)
                album.setPixel(x, y, kBlue);
        }
        QDir().mkpath(Path("album"));
        album.save(Path("album/front.png"));
    }
    CSkinCover& Make(const QByteArray& children)
    {
        m_cover = std::make_unique<CSkinCover>();
        EXPECT_TRUE(m_cover->LoadSkin(File("Cover.xml", "<Cover>" + children + "</Cover>")));
        m_cover->SetRect({0, 0, m_cover->GetWidth(), m_cover->GetHeight()});
        return *m_cover;
    }

    std::unique_ptr<CSkinCover> m_cover;
};

TEST_F(CoverTest, DefaultCoverWithShadowAndReflection)
{
    // The mask is read first whatever the order, so the default cover gets its reflection.
    CSkinCover& cover = Make("<Cover File=\"default.png\"/><Shadow File=\"shadow.png\"/>"
                             "<Overlay File=\"overlay.png\"/><Mirror File=\"mask.png\"/>");
    EXPECT_TRUE(cover.HasMirror());
    EXPECT_EQ(cover.GetWidth(), 30);
    EXPECT_EQ(cover.GetHeight(), 28);
    const QImage out = Render(cover, {40, 40});
    EXPECT_EQ(out.pixel(5, 0), kGreen) << "centred over the wider shadow";
    EXPECT_EQ(out.pixel(24, 19), kGreen);
    EXPECT_EQ(out.pixel(4, 10), kBack);
    EXPECT_EQ(out.pixel(2, 16), kBlack) << "shadow from ch - sh/2";
    EXPECT_EQ(out.pixel(2, 24), kBlack);
    EXPECT_EQ(out.pixel(2, 25), kBack);
    EXPECT_EQ(out.pixel(5, 0), kGreen) << "no overlay on the default cover";
    // Reflection under the cover, faded by the mask; the shadow lies over its first rows.
    const QRgb reflected = out.pixel(10, 25);
    EXPECT_GT(qGreen(reflected), 150);
    EXPECT_GT(qRed(reflected), 40);
    EXPECT_EQ(out.pixel(10, 28), kBack) << "no more than the mask's height";
}

TEST_F(CoverTest, AlbumPictureAtTheDefaultSizeWithOverlay)
{
    CSkinCover& cover = Make("<Mirror File=\"mask.png\"/><Cover File=\"default.png\"/>"
                             "<Overlay File=\"overlay.png\"/>");
    cover.SetString(Path("album/front.png"));
    ASSERT_TRUE(cover.HasCover());
    QImage out = Render(cover, {40, 40});
    EXPECT_EQ(out.pixel(0, 0), kYellow) << "overlay over a real cover";
    EXPECT_EQ(out.pixel(10, 2), kRed);
    EXPECT_EQ(out.pixel(10, 17), kBlue);
    EXPECT_EQ(out.pixel(19, 19), kBlue);
    EXPECT_EQ(out.pixel(20, 10), kBack) << "scaled to 20 x 20";
    EXPECT_GT(qBlue(out.pixel(10, 20)), 150) << "reflection starts with the bottom";
    EXPECT_LT(qRed(out.pixel(10, 20)), 120);

    for (const QString& gone : {QString(), Path("album/missing.png"), Path("Cover.xml")}) {
        cover.SetString(Path("album/front.png"));
        cover.SetString(gone);
        EXPECT_FALSE(cover.HasCover());
        out = Render(cover, {40, 40});
        EXPECT_EQ(out.pixel(10, 2), kGreen) << "default cover again";
        EXPECT_EQ(out.pixel(0, 0), kGreen) << "without overlay";
    }
}

TEST_F(CoverTest, WithoutMaskNoReflectionAndTheShadowGivesTheHeight)
{
    CSkinCover& cover = Make("<Cover File=\"default.png\"/><Shadow File=\"shadow.png\"/>");
    EXPECT_FALSE(cover.HasMirror());
    EXPECT_EQ(cover.GetHeight(), 25);
    cover.SetString(Path("album/front.png"));
    const QImage out = Render(cover, {40, 40});
    EXPECT_EQ(out.pixel(10, 22), kBlack);
    EXPECT_EQ(out.pixel(10, 26), kBack);
}

TEST_F(CoverTest, CoversPreparedOffTheWindowThread)
{
    CSkinCover& cover = Make("<Cover File=\"default.png\"/>");
    QImage tagPicture(8, 8, QImage::Format_RGB32);
    tagPicture.fill(kBlue);
    const CExImage fromTag = CSkinCover::PrepareCover({}, tagPicture, cover.GetCoverSize(), 2.0);
    ASSERT_TRUE(fromTag.IsLoaded());
    EXPECT_EQ(fromTag.GetWidth(), 20);
    EXPECT_EQ(fromTag.GetImage().size(), QSize(40, 40));
    cover.SetCover(fromTag);
    EXPECT_EQ(Render(cover, {40, 40}).pixel(10, 10), kBlue);
    EXPECT_FALSE(CSkinCover::PrepareCover({}, QImage(), {20, 20}, 1.0).IsLoaded());
    EXPECT_FALSE(CSkinCover::PrepareCover(Path("album/front.png"), {}, {0, 20}, 1.0).IsLoaded());
}

} // namespace
