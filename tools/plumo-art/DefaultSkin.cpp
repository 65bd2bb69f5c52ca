// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// "Default": a dark window with rounded corners. Top to bottom: the title strip, the
// now-playing band (cover, texts, stars; transport and switches at the right), the track bar,
// and the body with the library beside the playlist. The library folds away from a button in
// the title strip; two playlist panels (narrow and wide) follow the fold.
#include "Skins.h"

#include "SkinParts.h"

namespace {

// Panel identifiers the fold triggers address.
constexpr int kLibraryShown = 2; // the library and the fold button
constexpr int kNarrowList = 3;   // the playlist beside the library
constexpr int kLibraryFolded = 4; // the wide playlist and the unfold button

constexpr int kTitleHeight = 32;
constexpr int kBandHeight = 96;
constexpr int kSeekHeight = 16;
constexpr int kBodyTop = kTitleHeight + kBandHeight + kSeekHeight;
constexpr int kLibraryWidth = 232;
constexpr int kSpectrumHeight = 24;
constexpr int kSearchHeight = 24;

Piece FillAll(const QColor& colour)
{
    Piece piece;
    piece.kind = Piece::Kind::Fill;
    piece.colour = colour;
    piece.pos = Anchor().L(0).R(0).T(0).B(0);
    return piece;
}

Piece ImageAt(const QString& file, const Anchor& pos)
{
    Piece piece;
    piece.kind = Piece::Kind::Image;
    piece.file = file;
    piece.pos = pos;
    return piece;
}

Element Control(const QString& tag, const QString& skin, const Anchor& pos, MockFn mock = {})
{
    Element e;
    e.tag = tag;
    e.skin = skin;
    e.pos = pos;
    e.mock = std::move(mock);
    return e;
}

struct Built {
    SkinModel model;
    QList<std::pair<int, int>> fold;
};

Built Build(const CSkinParts& parts)
{
    const Theme& t = parts.Colours();
    const CArtWriter& w = parts.Writer();
    const Look plain { Icon::Play, false, false, false };
    const auto icon = [&](Icon i) {
        Look look = plain;
        look.icon = i;
        return look;
    };
    const auto on = [&](Icon i) {
        Look look = icon(i);
        look.accentIcon = true;
        look.dot = true;
        return look;
    };
    const QSize button(32, 32);

    // Images of the title strip.
    w.Png("Images/Mark", QSize(16, 16), [&](QPainter& p) {
        DrawMark(p, QRectF(0, 0, 16, 16), t.accentHover, t.accentPress);
    });
    w.Png("Images/Wordmark", QSize(60, 20),
        [&](QPainter& p) { DrawWordmark(p, QPointF(1, 0), t.text); });

    const QString close = parts.Button("Close", button, 18, icon(Icon::Close));
    const QString minimize = parts.Button("Minimize", button, 18, icon(Icon::Minimize));
    const QString foldButton = parts.Button("Fold", button, 20, icon(Icon::SidebarOpen));
    const QString unfoldButton = parts.Button("Unfold", button, 20, icon(Icon::SidebarClosed));
    const QString previous = parts.Button("Previous", button, 20, icon(Icon::Previous));
    const QString next = parts.Button("Next", button, 20, icon(Icon::Next));
    const QString stop = parts.Button("Stop", button, 20, icon(Icon::Stop));
    const QString equalizer = parts.Button("Equalizer", button, 20, icon(Icon::Equalizer));
    Look disc = icon(Icon::Play);
    disc.disc = true;
    Look discPause = disc;
    discPause.icon = Icon::Pause;
    const QString play = parts.Button("Play", QSize(40, 40), 20, disc);
    const QString pause = parts.Button("Pause", QSize(40, 40), 20, discPause);
    const QString playPause = parts.Switch("PlayPause", QSize(40, 40), 20, disc, discPause);
    const QString shuffle = parts.Switch("Shuffle", button, 20, icon(Icon::Shuffle), on(Icon::Shuffle));
    const QString repeat = parts.Switch("Repeat", button, 20, icon(Icon::Repeat), on(Icon::Repeat));
    Look muted = icon(Icon::Muted);
    muted.accentIcon = true;
    const QString mute = parts.Switch("Mute", button, 20, icon(Icon::Volume), muted);
    const QString trackBar = parts.Slider("TrackBar", kSeekHeight, 2, 16);
    const QString volumeBar = parts.Slider("VolumeBar", 16, 2, 16);
    const QString rating = parts.Rating("Rating", 16, 13);
    const QString cover = parts.Cover("Cover", 72, 8, t.raised, false);
    const QString title = parts.Text("Title", t.titlePt, true, t.text);
    const QString artist = parts.Text("Artist", t.secondPt, false, t.text2);
    const QString album = parts.Text("Album", t.secondPt, false, t.text2);
    const QString time = parts.Text("Time", t.secondPt, false, t.text2, 1);
    const ListLayout listLayout;
    const QString list = parts.List(listLayout);
    const QString tree = parts.Tree();
    const QString spectrum = parts.Spectrum(kSpectrumHeight, t.raised);
    // Sunk into the strip: the body's colour, so it reads as a field, not a button.
    const QString search = parts.Search(kSearchHeight, t.window);

    const auto img = [&](const QString& xml, const QString& suffix) {
        QString png = xml;
        png.replace(QStringLiteral(".xml"), suffix);
        return parts.MockImage(png);
    };

    SkinModel m;
    m.minWidth = 480;
    m.minHeight = 360;
    // The window region's corners are ellipses of this width and height: twice the radius.
    m.corners = 2 * t.corner;

    Panel base;
    base.name = "Base";
    base.pos = Anchor().L(0).R(0).T(0).B(0);
    base.back = { FillAll(t.window) };
    m.panels.append(base);

    Panel titleStrip;
    titleStrip.name = "Title";
    titleStrip.note = "The whole strip drags the window; only its buttons take clicks.";
    titleStrip.pos = Anchor().L(0).R(0).T(0).H(kTitleHeight);
    titleStrip.back = { FillAll(t.raised), ImageAt("Images/Mark.png", Anchor::Box(14, 8, 16, 16)),
        ImageAt("Images/Wordmark.png", Anchor::Box(36, 6, 60, 20)) };
    // The search box sits in the strip at the right, above the list it fills; the strip
    // around it still drags the window.
    titleStrip.elements = {
        Control("Search", search, Anchor().R(80).T(4).W(200).H(kSearchHeight),
            parts.MockSearch(kSearchHeight, t.window, "Search the library")),
        Control("Minimize", minimize, Anchor().R(36).T(0).W(32).H(32), img(minimize, "-normal.png")),
        Control("Close", close, Anchor().R(4).T(0).W(32).H(32), img(close, "-normal.png")),
    };
    m.panels.append(titleStrip);

    Panel fold;
    fold.name = "FoldButton";
    fold.id = kLibraryShown;
    fold.pos = Anchor().L(100).T(0).W(32).H(32);
    Element foldElement = Control("Button", foldButton, Anchor::Box(0, 0, 32, 32),
        img(foldButton, "-normal.png"));
    foldElement.trigger = "Fold.xml";
    fold.elements = { foldElement };
    m.panels.append(fold);

    Panel unfold = fold;
    unfold.name = "UnfoldButton";
    unfold.id = kLibraryFolded;
    unfold.hide = 1;
    unfold.elements.first().skin = unfoldButton;
    unfold.elements.first().trigger = "Unfold.xml";
    unfold.elements.first().mock = img(unfoldButton, "-normal.png");
    m.panels.append(unfold);

    Panel band;
    band.name = "NowPlaying";
    band.pos = Anchor().L(0).R(0).T(kTitleHeight).H(kBandHeight);
    band.back = { FillAll(t.raised) };
    band.elements = {
        Control("Cover", cover, Anchor::Box(16, 12, 72, 72), parts.MockCover("Cover", false)),
        Control("Title", title, Anchor().L(104).R(264).T(12).H(22),
            parts.MockText("Paper Boats", t.titlePt, true, t.text)),
        Control("Artist", artist, Anchor().L(104).R(264).T(35).H(18),
            parts.MockText("Marisol Vega", t.secondPt, false, t.text2)),
        Control("Album", album, Anchor().L(104).R(264).T(53).H(18),
            parts.MockText("Harbour Lights", t.secondPt, false, t.text2)),
        Control("Rating", rating, Anchor().L(102).T(72).W(80).H(16), parts.MockRating("Rating", 4)),
        Control("Previous", previous, Anchor().R(216).T(16).W(32).H(32), img(previous, "-normal.png")),
        Control("PlayPause", playPause, Anchor().R(172).T(12).W(40).H(40),
            img(playPause, "-2-normal.png")),
        Control("Next", next, Anchor().R(136).T(16).W(32).H(32), img(next, "-normal.png")),
        Control("Stop", stop, Anchor().R(100).T(16).W(32).H(32), img(stop, "-normal.png")),
        Control("Shuffle", shuffle, Anchor().R(52).T(16).W(32).H(32), img(shuffle, "-2-normal.png")),
        Control("Repeat", repeat, Anchor().R(16).T(16).W(32).H(32), img(repeat, "-1-normal.png")),
        Control("Equalizer", equalizer, Anchor().R(216).T(56).W(32).H(32),
            img(equalizer, "-normal.png")),
        Control("Mute", mute, Anchor().R(176).T(56).W(32).H(32), img(mute, "-1-normal.png")),
        Control("VolumeBar", volumeBar, Anchor().R(92).T(64).W(80).H(16),
            parts.MockSlider("VolumeBar", 70, false)),
        Control("Spectrum", spectrum, Anchor().R(16).T(60).W(64).H(kSpectrumHeight),
            parts.MockSpectrum(kSpectrumHeight, t.raised)),
    };
    m.panels.append(band);

    Panel seek;
    seek.name = "Seek";
    seek.pos = Anchor().L(0).R(0).T(kTitleHeight + kBandHeight).H(kSeekHeight);
    seek.back = { FillAll(t.raised) };
    // The time closes the bar it measures, right-aligned so its end stays put while it counts.
    seek.elements = { Control("TrackBar", trackBar, Anchor().L(12).R(112).T(0).H(kSeekHeight),
                          parts.MockSlider("TrackBar", 36, true)),
        Control("Time", time, Anchor().R(12).W(96).T(0).H(kSeekHeight),
            parts.MockText("1:23 / 4:05", t.secondPt, false, t.text2, Qt::AlignRight)) };
    m.panels.append(seek);

    Panel library;
    library.name = "Library";
    library.id = kLibraryShown;
    library.pos = Anchor().L(0).T(kBodyTop).W(kLibraryWidth).B(0);
    Piece divider;
    divider.colour = t.divider;
    divider.pos = Anchor().R(0).W(1).T(12).B(12);
    library.back = { divider };
    library.elements = { Control("Library", tree, Anchor().L(0).R(1).T(6).B(10), parts.MockTree()) };

    // The wide playlist comes first: an engine that lets the last of several playlist places
    // decide still shows the list in the unfolded layout the skin opens with.
    Panel wide;
    wide.name = "PlaylistWide";
    wide.id = kLibraryFolded;
    wide.hide = 1;
    wide.pos = Anchor().L(0).T(kBodyTop).R(0).B(0);
    wide.elements = { Control("Playlist", list, Anchor().L(0).R(0).T(6).B(10),
        parts.MockList(listLayout)) };
    m.panels.append(wide);
    m.panels.append(library);

    Panel narrow = wide;
    narrow.name = "Playlist";
    narrow.id = kNarrowList;
    narrow.hide = 0;
    narrow.pos = Anchor().L(kLibraryWidth).T(kBodyTop).R(0).B(0);
    m.panels.append(narrow);

    Panel spare;
    spare.name = "SeparateTransport";
    spare.note = "Play and Pause as separate buttons, for layouts that want them instead of "
                 "PlayPause; no trigger shows this panel here.";
    spare.id = 9;
    spare.hide = 1;
    spare.pos = Anchor().L(0).R(0).T(kTitleHeight).H(kBandHeight);
    spare.elements = {
        Control("Play", play, Anchor().R(216).T(12).W(40).H(40)),
        Control("Pause", pause, Anchor().R(172).T(12).W(40).H(40)),
    };
    m.panels.append(spare);

    return { m, { { kLibraryShown, 1 }, { kNarrowList, 1 }, { kLibraryFolded, 0 } } };
}

XmlNode Trigger(const QList<std::pair<int, int>>& entries)
{
    XmlNode root("Trigger");
    for (const auto& [id, hide] : entries)
        root.Add(XmlNode("Panel").A("ID", id).A("Hide", hide));
    return root;
}

} // namespace

void BuildDefaultSkin(const CArtWriter& skin, const CArtWriter* mocks)
{
    const Theme theme = DarkTheme();
    const CSkinParts parts(skin, theme);
    const Built built = Build(parts);
    skin.Xml("Skin.xml", built.model.ToXml());
    skin.Xml("Fold.xml", Trigger(built.fold));
    QList<std::pair<int, int>> unfold;
    for (const auto& [id, hide] : built.fold)
        unfold.append({ id, hide ? 0 : 1 });
    skin.Xml("Unfold.xml", Trigger(unfold));

    const QColor desk(0x3A, 0x4A, 0x5C);
    const QImage preview = ComposeMock(built.model, skin, QSize(600, 500), 1, desk);
    skin.Image("Preview.png",
        preview.scaled(300, 250, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    skin.Xml("SkinInfo.xml",
        XmlNode("SkinInfo")
            .A("SkinEngine", "1.5")
            .Add(XmlNode("Author").A("Line", "The Plumo developers"))
            .Add(XmlNode("Version").A("Line", "1.0"))
            .Add(XmlNode("Info").A("Line",
                "Dark and calm, with rounded corners: the library beside the playlist (fold it "
                "away from the title strip), large cover, blue accent."))
            .Add(XmlNode("Preview").A("File", "Preview.png"))
            .Add(PaletteNode(theme)));
    if (!mocks)
        return;
    mocks->Image("Default-600x500.png", ComposeMock(built.model, skin, { 600, 500 }, 1, desk));
    mocks->Image("Default-600x500@2x.png", ComposeMock(built.model, skin, { 600, 500 }, 2, desk));
    mocks->Image("Default-480x360.png", ComposeMock(built.model, skin, { 480, 360 }, 1, desk));
    mocks->Image("Default-1280x800.png", ComposeMock(built.model, skin, { 1280, 800 }, 1, desk));
    mocks->Image("Default-folded.png",
        ComposeMock(built.model.WithHidden(built.fold), skin, { 600, 500 }, 1, desk));
}
