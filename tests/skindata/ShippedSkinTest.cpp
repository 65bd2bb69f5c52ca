// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The shipped skins as data: every file they name is there (with its @2x twin), every control
// file suits its keyword, nothing overlaps from the smallest window to 4K, the triggers leave
// at most one list and one tree on screen, and row text stays readable.
#include "SkinDataFixture.h"

#include <QFileInfo>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <map>

using namespace skindata;

namespace {

struct Walk {
    QSet<QString> xml;
    QSet<QString> images;
};

// Follows every "File", "File2", "Trigger" and "Skin"/"File" reference from `path`; files named
// inside a description resolve against that description's folder.
void Follow(const QString& path, Walk& walk)
{
    if (walk.xml.contains(path))
        return;
    walk.xml.insert(path);
    const auto doc = Parse(path);
    if (!doc)
        return;
    const QString folder = QFileInfo(path).absolutePath() + '/';
    QList<const tinyxml2::XMLElement*> stack { doc->RootElement() };
    while (!stack.isEmpty()) {
        const tinyxml2::XMLElement* e = stack.takeLast();
        for (const tinyxml2::XMLAttribute* a = e->FirstAttribute(); a != nullptr; a = a->Next()) {
            const QString name = QString::fromUtf8(a->Name());
            if (name != "File" && name != "File2" && name != "Trigger")
                continue;
            const QString target = folder + QString::fromUtf8(a->Value());
            if (target.endsWith(".xml"))
                Follow(target, walk);
            else
                walk.images.insert(target);
        }
        for (const tinyxml2::XMLElement* k = e->FirstChildElement(); k != nullptr;
             k = k->NextSiblingElement())
            stack.append(k);
    }
}

QString Twin(const QString& png)
{
    QString twin = png;
    return twin.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
}

const std::map<QString, const char*>& RootOfKeyword()
{
    static const std::map<QString, const char*> roots = {
        { "Play", "Button" }, { "Pause", "Button" }, { "Stop", "Button" }, { "Next", "Button" },
        { "Previous", "Button" }, { "Close", "Button" }, { "Minimize", "Button" },
        { "Button", "Button" }, { "Equalizer", "Button" }, { "PlayPause", "Switch" },
        { "Mute", "Switch" }, { "Repeat", "Switch" }, { "Shuffle", "Switch" },
        { "VolumeBar", "Slider" }, { "TrackBar", "Slider" }, { "Rating", "Rating" },
        { "Title", "Text" }, { "Artist", "Text" }, { "Album", "Text" }, { "Time", "Text" },
        { "Cover", "Cover" },
        { "Spectrum", "Spectrum" }, { "Playlist", "Playlist" }, { "Library", "Library" },
        { "Search", "Search" },
    };
    return roots;
}

// Window sizes every layout must hold at: the skin's minimum, the first-start size, a laptop
// screen and a 4K one.
QList<QSize> Sizes(const QString& skin)
{
    const auto doc = Parse(SkinFolder(skin) + "Skin.xml");
    const tinyxml2::XMLElement* size = doc ? doc->FirstChildElement("Window")->FirstChildElement("Size") : nullptr;
    const int minW = size ? size->IntAttribute("MinWidth") : 0;
    const int minH = size ? size->IntAttribute("MinHeight") : 0;
    return { QSize(minW, minH), QSize(600, 500), QSize(1280, 800), QSize(3840, 2160) };
}

// The hidden states a user can reach: as shipped, and after each trigger button once.
QList<QStringList> States(const QString& skin)
{
    QList<QStringList> states { {} };
    for (const PlacedPanel& panel : Layout(skin, 600, 500))
        for (const PlacedElement& e : panel.elements)
            if (!e.trigger.isEmpty())
                states.append({ e.trigger });
    return states;
}

class ShippedSkin : public ::testing::TestWithParam<const char*> {
protected:
    QString Skin() const { return QString::fromLatin1(GetParam()); }
};

TEST_P(ShippedSkin, EveryNamedFileLoadsWithItsDoubleSizeTwin)
{
    Walk walk;
    Follow(SkinFolder(Skin()) + "Skin.xml", walk);
    Follow(SkinFolder(Skin()) + "SkinInfo.xml", walk);
    EXPECT_GT(walk.xml.size(), 20);
    EXPECT_GT(walk.images.size(), 50);
    for (const QString& png : walk.images) {
        const QImage one(png);
        ASSERT_FALSE(one.isNull()) << png.toStdString();
        if (png.endsWith("Preview.png"))
            continue; // the chooser scales the preview to its own area
        const QImage two(Twin(png));
        ASSERT_FALSE(two.isNull()) << Twin(png).toStdString();
        EXPECT_EQ(two.size(), one.size() * 2) << png.toStdString();
        EXPECT_TRUE(one.hasAlphaChannel()) << png.toStdString();
    }
}

TEST_P(ShippedSkin, EachElementNamesAControlFileOfItsKind)
{
    for (const PlacedPanel& panel : Layout(Skin(), 600, 500)) {
        for (const PlacedElement& e : panel.elements) {
            const auto root = RootOfKeyword().find(e.tag);
            ASSERT_NE(root, RootOfKeyword().end()) << "not a keyword: " << e.tag.toStdString();
            ASSERT_FALSE(e.skinFile.isEmpty()) << e.tag.toStdString();
            const auto doc = Parse(SkinFolder(Skin()) + e.skinFile);
            ASSERT_TRUE(doc);
            const tinyxml2::XMLElement* top = doc->RootElement();
            EXPECT_STREQ(top->Name(), root->second) << e.skinFile.toStdString();
            // Buttons need all three looks, switches all three in both states, or a state
            // shows nothing at all.
            const auto looks = [](const tinyxml2::XMLElement* parent) {
                for (const char* look : { "Normal", "Hover", "Press" })
                    if (parent == nullptr || parent->FirstChildElement(look) == nullptr)
                        return false;
                return true;
            };
            if (std::strcmp(root->second, "Button") == 0) {
                EXPECT_TRUE(looks(top)) << e.skinFile.toStdString();
            }
            if (std::strcmp(root->second, "Switch") == 0) {
                EXPECT_TRUE(looks(top->FirstChildElement("State1"))) << e.skinFile.toStdString();
                EXPECT_TRUE(looks(top->FirstChildElement("State2"))) << e.skinFile.toStdString();
            }
            if (e.tag == "Button") {
                EXPECT_FALSE(e.trigger.isEmpty()) << "a Button without a trigger does nothing";
            }
        }
    }
}

TEST_P(ShippedSkin, ElementsStayInsideTheWindowAndApartAtEverySize)
{
    for (const QSize& size : Sizes(Skin())) {
        for (const QStringList& state : States(Skin())) {
            QList<PlacedElement> shown;
            for (const PlacedPanel& panel : Layout(Skin(), size.width(), size.height(), state))
                if (!panel.hidden)
                    shown += panel.elements;
            const QRect window(0, 0, size.width(), size.height());
            for (int i = 0; i < shown.size(); ++i) {
                const QString where = QStringLiteral("%1 at %2x%3 after [%4]")
                                          .arg(shown[i].tag)
                                          .arg(size.width())
                                          .arg(size.height())
                                          .arg(state.join(','));
                EXPECT_TRUE(window.contains(shown[i].rect)) << where.toStdString();
                EXPECT_GE(shown[i].rect.width(), 16) << where.toStdString();
                EXPECT_GE(shown[i].rect.height(), 16) << where.toStdString();
                for (int j = i + 1; j < shown.size(); ++j)
                    EXPECT_FALSE(shown[i].rect.intersects(shown[j].rect))
                        << where.toStdString() << " overlaps " << shown[j].tag.toStdString();
            }
        }
    }
}

TEST_P(ShippedSkin, EveryReachableStateShowsAtMostOneListAndOneTree)
{
    for (const QStringList& state : States(Skin())) {
        int lists = 0;
        int trees = 0;
        for (const PlacedPanel& panel : Layout(Skin(), 600, 500, state)) {
            for (const PlacedElement& e : panel.elements) {
                lists += !panel.hidden && e.tag == "Playlist";
                trees += !panel.hidden && e.tag == "Library";
            }
        }
        // One list window and one tree window serve the whole skin: two visible places for
        // either would fight over it.
        EXPECT_LE(lists, 1) << state.join(',').toStdString();
        EXPECT_LE(trees, 1) << state.join(',').toStdString();
        EXPECT_GE(lists + trees, 1) << state.join(',').toStdString();
    }
    // Every panel a trigger addresses exists, or the button would fold nothing.
    QSet<int> ids;
    for (const PlacedPanel& panel : Layout(Skin(), 600, 500))
        ids.insert(panel.id);
    for (const QStringList& state : States(Skin())) {
        for (const QString& trigger : state) {
            const auto doc = Parse(SkinFolder(Skin()) + trigger);
            ASSERT_TRUE(doc);
            for (const tinyxml2::XMLElement* e = doc->FirstChildElement("Trigger")->FirstChildElement();
                 e != nullptr; e = e->NextSiblingElement())
                EXPECT_TRUE(ids.contains(e->IntAttribute("ID"))) << trigger.toStdString();
        }
    }
}

// Every text colour of a list or tree row against every fill the row can have.
void ExpectReadableRows(const QString& file)
{
    const auto doc = Parse(file);
    ASSERT_TRUE(doc);
    const tinyxml2::XMLElement* root = doc->RootElement();
    const auto window = Colour(root->FirstChildElement("Background")->Attribute("Color"));
    ASSERT_TRUE(window);
    QList<QColor> fills { *window };
    QList<QColor> texts;
    const auto collect = [](const tinyxml2::XMLElement* top, const char* tag, const char* attr,
                             QList<QColor>& into) {
        QList<const tinyxml2::XMLElement*> stack { top };
        while (!stack.isEmpty()) {
            const tinyxml2::XMLElement* e = stack.takeLast();
            if (std::strcmp(e->Name(), tag) == 0)
                if (const auto c = Colour(e->Attribute(attr)))
                    into.append(*c);
            for (const tinyxml2::XMLElement* k = e->FirstChildElement(); k; k = k->NextSiblingElement())
                stack.append(k);
        }
    };
    for (const tinyxml2::XMLElement* part = root->FirstChildElement(); part != nullptr;
         part = part->NextSiblingElement()) {
        if (const tinyxml2::XMLElement* elements = part->FirstChildElement("Elements")) {
            collect(elements, "Font", "Color", texts);
            collect(elements, "Font", "Color2", texts);
        }
        const tinyxml2::XMLElement* back = part->FirstChildElement("Background");
        for (const tinyxml2::XMLElement* piece = back ? back->FirstChildElement() : nullptr; piece;
             piece = piece->NextSiblingElement()) {
            // The thin accent edge of the playing row carries no text.
            const tinyxml2::XMLElement* pos = piece->FirstChildElement("Position");
            if (std::strcmp(piece->Name(), "Fill") == 0
                && (pos == nullptr || pos->IntAttribute("Width", 100) > 8))
                collect(piece, "Fill", "Color", fills);
        }
    }
    ASSERT_FALSE(texts.isEmpty()) << file.toStdString();
    ASSERT_GT(fills.size(), 1) << file.toStdString();
    for (const QColor& text : texts)
        for (const QColor& fill : fills)
            EXPECT_GE(Contrast(text, fill), 4.5)
                << file.toStdString() << ": " << text.name().toStdString() << " on "
                << fill.name().toStdString();
}

TEST_P(ShippedSkin, RowTextKeepsBodyTextContrastOnEveryRowFill)
{
    ExpectReadableRows(SkinFolder(Skin()) + "List/List.xml");
    ExpectReadableRows(SkinFolder(Skin()) + "Tree/Tree.xml");
}

TEST_P(ShippedSkin, SpectrumStripCutsIntoWholeBandsAsTallAsItsArea)
{
    const auto doc = Parse(SkinFolder(Skin()) + "Visualiser/Visualiser.xml");
    ASSERT_TRUE(doc);
    const tinyxml2::XMLElement* skin = doc->FirstChildElement("Spectrum")->FirstChildElement("Skin");
    const int band = skin->IntAttribute("BandSize");
    ASSERT_GT(band, 0);
    const QImage strip(SkinFolder(Skin()) + "Visualiser/" + QString::fromUtf8(skin->Attribute("File")));
    ASSERT_FALSE(strip.isNull());
    EXPECT_EQ(strip.width() % band, 0);
    EXPECT_GE(strip.width() / band, 8) << "too few levels to move smoothly";
    const QImage peak(SkinFolder(Skin()) + "Visualiser/Peak.png");
    EXPECT_LE(peak.width(), band);
    for (const PlacedPanel& panel : Layout(Skin(), 600, 500))
        for (const PlacedElement& e : panel.elements)
            if (e.tag == "Spectrum") {
                EXPECT_EQ(e.rect.height(), strip.height());
                EXPECT_EQ(e.rect.width() % band, 0) << "a partial bar at the right edge";
            }
}

TEST_P(ShippedSkin, SkinInfoNamesTheEngineAndAPreview)
{
    const auto doc = Parse(SkinFolder(Skin()) + "SkinInfo.xml");
    ASSERT_TRUE(doc);
    const tinyxml2::XMLElement* info = doc->FirstChildElement("SkinInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->Attribute("SkinEngine"), "1.5");
    for (const char* line : { "Author", "Version", "Info" })
        EXPECT_NE(info->FirstChildElement(line)->Attribute("Line"), nullptr) << line;
    const QImage preview(SkinFolder(Skin()) + info->FirstChildElement("Preview")->Attribute("File"));
    EXPECT_GE(preview.width(), 200);
}

INSTANTIATE_TEST_SUITE_P(Skins, ShippedSkin, ::testing::Values("Default", "Frost"));

TEST(DefaultSkin, IsARoundedWindowWithEveryKeywordAndALibraryThatFolds)
{
    const auto doc = Parse(SkinFolder("Default") + "Skin.xml");
    ASSERT_TRUE(doc);
    const tinyxml2::XMLElement* window = doc->FirstChildElement("Window");
    EXPECT_EQ(window->FirstChildElement("Transparent"), nullptr);
    // The corners are ellipses of this size: a radius of 8 px, as windows round them today.
    EXPECT_EQ(window->FirstChildElement("Corners")->IntAttribute("All"), 16);
    EXPECT_EQ(window->FirstChildElement("Size")->IntAttribute("MinWidth"), 480);
    EXPECT_EQ(window->FirstChildElement("Size")->IntAttribute("MinHeight"), 360);

    QSet<QString> tags;
    for (const PlacedPanel& panel : Layout("Default", 600, 500))
        for (const PlacedElement& e : panel.elements)
            tags.insert(e.tag);
    for (const auto& [keyword, root] : RootOfKeyword())
        EXPECT_TRUE(tags.contains(keyword)) << keyword.toStdString();

    const auto listWidth = [](const QStringList& triggers) {
        for (const PlacedPanel& panel : Layout("Default", 600, 500, triggers))
            for (const PlacedElement& e : panel.elements)
                if (!panel.hidden && e.tag == "Playlist")
                    return e.rect.width();
        return 0;
    };
    const auto treeShown = [](const QStringList& triggers) {
        for (const PlacedPanel& panel : Layout("Default", 600, 500, triggers))
            for (const PlacedElement& e : panel.elements)
                if (!panel.hidden && e.tag == "Library")
                    return true;
        return false;
    };
    EXPECT_TRUE(treeShown({}));
    EXPECT_FALSE(treeShown({ "Fold.xml" }));
    EXPECT_EQ(listWidth({ "Fold.xml" }), 600);
    EXPECT_TRUE(treeShown({ "Fold.xml", "Unfold.xml" }));
    EXPECT_EQ(listWidth({ "Fold.xml", "Unfold.xml" }), listWidth({}));
    EXPECT_LT(listWidth({}), 450);
}

TEST(FrostSkin, FrameIsLayeredWithClearCornersAndASoftShadow)
{
    const auto doc = Parse(SkinFolder("Frost") + "Skin.xml");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->FirstChildElement("Window")->FirstChildElement("Transparent")->IntAttribute("AlphaBlend"), 1);
    for (const char* name : { "Frame-top-left.png", "Frame-top-left@2x.png" }) {
        const QImage corner(SkinFolder("Frost") + "Images/" + name);
        ASSERT_FALSE(corner.isNull());
        // The outermost pixel shows the desktop; the card's inside is opaque; the shadow on
        // the way between them is soft, never darker than a light veil.
        EXPECT_EQ(qAlpha(corner.pixel(0, 0)), 0) << name;
        EXPECT_EQ(qAlpha(corner.pixel(corner.width() - 1, corner.height() - 1)), 255) << name;
        int darkest = 0;
        for (int x = 0; x < corner.width() / 2; ++x)
            darkest = std::max(darkest, qAlpha(corner.pixel(x, corner.height() - 1)));
        EXPECT_GT(darkest, 8) << name;
        EXPECT_LT(darkest, 128) << name;
    }
}

} // namespace
