// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// "Frost": a light card on a soft shadow, drawn with per-pixel alpha so the rounded corners and
// the shadow show the desktop through. Compact and stacked: a frosted header, the player (a
// floating cover, texts, a spectrum), the track bar over centred transport, and one pane that
// shows the playlist or the library, switched by two tabs.
#include "Skins.h"

#include "SkinParts.h"

#include <QPainterPath>

#include <cmath>

namespace {

constexpr int kPlaylistShown = 3;
constexpr int kLibraryShown = 2;

constexpr int kHeaderHeight = 40;
constexpr int kPlayerHeight = 124;
constexpr int kTransportHeight = 72;
constexpr int kTabsHeight = 36;
constexpr int kSpectrumHeight = 40;
constexpr int kSearchHeight = 28;

// Blurs the alpha of a premultiplied black image with three box passes each way (close to a
// Gaussian of the given radius).
void BlurAlpha(QImage& image, int radius)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<int> alpha(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            alpha[size_t(y) * w + x] = qAlpha(image.pixel(x, y));
    const int r = std::max(1, radius * 2 / 5);
    std::vector<int> line;
    const auto pass = [&](int count, int length, auto at) {
        line.resize(size_t(length));
        for (int i = 0; i < count; ++i) {
            for (int k = 0; k < length; ++k)
                line[size_t(k)] = at(i, k);
            int sum = 0;
            for (int k = -r; k <= r; ++k)
                sum += line[size_t(std::clamp(k, 0, length - 1))];
            for (int k = 0; k < length; ++k) {
                at(i, k) = sum / (2 * r + 1);
                sum += line[size_t(std::clamp(k + r + 1, 0, length - 1))]
                    - line[size_t(std::clamp(k - r, 0, length - 1))];
            }
        }
    };
    for (int round = 0; round < 3; ++round) {
        pass(h, w, [&](int y, int x) -> int& { return alpha[size_t(y) * w + x]; });
        pass(w, h, [&](int x, int y) -> int& { return alpha[size_t(y) * w + x]; });
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgba(0, 0, 0, alpha[size_t(y) * w + x]));
}

// The card with its shadow at a reference size, from which the frame pieces are cut.
QImage FrameImage(const Theme& t, QSize size, int scale)
{
    const int m = t.shadow;
    const QRectF card(m, m, size.width() - 2 * m, size.height() - 2 * m);
    QImage shadow(size * scale, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter p(&shadow);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, t.shadowAlpha));
        // Light from above: the shadow sits a little lower than the card.
        p.drawRoundedRect(card.translated(0, 4), t.corner, t.corner);
    }
    BlurAlpha(shadow, (m - 4) * scale);
    QPainter p(&shadow);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    QPainterPath shape;
    shape.addRoundedRect(card, t.corner, t.corner);
    p.setClipPath(shape);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(card, t.window);
    p.fillRect(QRectF(card.left(), card.top(), card.width(), kHeaderHeight), t.header);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.fillRect(QRectF(card.left(), card.top() + kHeaderHeight, card.width(), 1), t.divider);
    // A hairline just inside the edge keeps the card crisp on light desktops.
    p.setClipping(false);
    p.setPen(QPen(QColor(0, 0, 0, 28), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), t.corner - 0.5, t.corner - 0.5);
    p.end();
    shadow.setDevicePixelRatio(scale);
    return shadow;
}

Piece ImagePiece(const QString& file, const Anchor& pos)
{
    Piece piece;
    piece.kind = Piece::Kind::Image;
    piece.file = file;
    piece.pos = pos;
    return piece;
}

// Nine-slice pieces of the frame: fixed corners, edges stretched along one axis (their
// images are one pixel long that way), and a plain fill in the middle.
QList<Piece> FramePieces(const CArtWriter& w, const Theme& t)
{
    const int m = t.shadow;
    const int c = m + t.corner;   // corner box width and bottom corner height
    const int top = m + kHeaderHeight + 1; // the top band holds the header and its divider
    const QSize reference(2 * c + 8, top + 8 + c);
    for (int scale : { 1, 2 }) {
        const QImage frame = FrameImage(t, reference, scale);
        const auto cut = [&](const QString& name, QRect logical) {
            QImage part = frame.copy(QRect(logical.topLeft() * scale, logical.size() * scale));
            part.setDevicePixelRatio(1);
            w.Image("Images/" + name + (scale == 2 ? "@2x.png" : ".png"), part);
        };
        const int rw = reference.width(), rh = reference.height();
        cut("Frame-top-left", QRect(0, 0, c, top));
        cut("Frame-top", QRect(c, 0, 1, top));
        cut("Frame-top-right", QRect(rw - c, 0, c, top));
        cut("Frame-left", QRect(0, top, c, 1));
        cut("Frame-right", QRect(rw - c, top, c, 1));
        cut("Frame-bottom-left", QRect(0, rh - c, c, c));
        cut("Frame-bottom", QRect(c, rh - c, 1, c));
        cut("Frame-bottom-right", QRect(rw - c, rh - c, c, c));
    }
    Piece middle;
    middle.colour = t.window;
    middle.pos = Anchor().L(c).R(c).T(top).B(c);
    return {
        ImagePiece("Images/Frame-top-left.png", Anchor::Box(0, 0, c, top)),
        ImagePiece("Images/Frame-top.png", Anchor().L(c).R(c).T(0).H(top)),
        ImagePiece("Images/Frame-top-right.png", Anchor().R(0).W(c).T(0).H(top)),
        ImagePiece("Images/Frame-left.png", Anchor().L(0).W(c).T(top).B(c)),
        middle,
        ImagePiece("Images/Frame-right.png", Anchor().R(0).W(c).T(top).B(c)),
        ImagePiece("Images/Frame-bottom-left.png", Anchor().L(0).W(c).B(0).H(c)),
        ImagePiece("Images/Frame-bottom.png", Anchor().L(c).R(c).B(0).H(c)),
        ImagePiece("Images/Frame-bottom-right.png", Anchor().R(0).W(c).B(0).H(c)),
    };
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

// A tab: an icon and a label, quiet at rest; a soft pill under the pointer, a deeper one while
// pressed.
QString Tab(const CSkinParts& parts, const QString& name, Icon icon, const QString& label)
{
    const Theme& t = parts.Colours();
    const QSize size(96, 28);
    XmlNode root("Button");
    const struct {
        const char* tag;
        const char* suffix;
        QColor colour;
        QColor pill;
    } looks[] = { { "Normal", "normal", t.text2, Qt::transparent },
        { "Hover", "hover", t.text, t.hoverFill }, { "Press", "press", t.text, t.pressFill } };
    for (const auto& look : looks) {
        const QString png = "Controls/" + name + '-' + QLatin1String(look.suffix);
        parts.Writer().Png(png, size, [&](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(look.pill);
            p.drawRoundedRect(QRectF(0, 0, size.width(), size.height()), 14, 14);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(12);
            font.setBold(true);
            p.setFont(font);
            const int textWidth = QFontMetrics(font).horizontalAdvance(label);
            const double left = (size.width() - (16 + 6 + textWidth)) / 2.0;
            DrawIcon(p, icon, QRectF(left, 6, 16, 16), look.colour, t.stroke * 0.9);
            p.setPen(look.colour);
            p.drawText(QRectF(left + 22, 0, textWidth + 2, size.height()),
                Qt::AlignLeft | Qt::AlignVCenter, label);
        });
        root.Add(XmlNode(QString::fromLatin1(look.tag)).A("File", name + '-' + look.suffix + ".png"));
    }
    parts.Writer().Xml("Controls/" + name + ".xml", root);
    return "Controls/" + name + ".xml";
}

XmlNode Trigger(const QList<std::pair<int, int>>& entries)
{
    XmlNode root("Trigger");
    for (const auto& [id, hide] : entries)
        root.Add(XmlNode("Panel").A("ID", id).A("Hide", hide));
    return root;
}

} // namespace

void BuildFrostSkin(const CArtWriter& w, const CArtWriter* mocks)
{
    const Theme t = FrostTheme();
    const CSkinParts parts(w, t);
    const int m = t.shadow;
    const auto icon = [](Icon i) {
        Look look;
        look.icon = i;
        return look;
    };
    const auto on = [&](Icon i) {
        Look look = icon(i);
        look.accentIcon = true;
        look.dot = true;
        return look;
    };
    const auto img = [&](const QString& xml, const QString& suffix) {
        QString png = xml;
        png.replace(QStringLiteral(".xml"), suffix);
        return parts.MockImage(png);
    };
    const QSize button(32, 32);

    w.Png("Images/Mark", QSize(16, 16),
        [&](QPainter& p) { DrawMark(p, QRectF(0, 0, 16, 16), t.accentHover, t.accentPress); });
    w.Png("Images/Wordmark", QSize(60, 20),
        [&](QPainter& p) { DrawWordmark(p, QPointF(1, 0), t.text); });
    w.Png("Images/Tab-on", QSize(96, 28), [&](QPainter& p) {
        QColor tint = t.accent;
        tint.setAlpha(28);
        p.setPen(Qt::NoPen);
        p.setBrush(tint);
        p.drawRoundedRect(QRectF(0, 0, 96, 28), 14, 14);
    });

    const QString close = parts.Button("Close", button, 18, icon(Icon::Close));
    const QString minimize = parts.Button("Minimize", button, 18, icon(Icon::Minimize));
    const QString previous = parts.Button("Previous", button, 20, icon(Icon::Previous));
    const QString next = parts.Button("Next", button, 20, icon(Icon::Next));
    const QString stop = parts.Button("Stop", button, 20, icon(Icon::Stop));
    const QString equalizer = parts.Button("Equalizer", button, 20, icon(Icon::Equalizer));
    Look disc = icon(Icon::Play);
    disc.disc = true;
    Look discPause = disc;
    discPause.icon = Icon::Pause;
    const QString playPause = parts.Switch("PlayPause", QSize(44, 44), 22, disc, discPause);
    const QString shuffle = parts.Switch("Shuffle", button, 20, icon(Icon::Shuffle), on(Icon::Shuffle));
    const QString repeat = parts.Switch("Repeat", button, 20, icon(Icon::Repeat), on(Icon::Repeat));
    Look muted = icon(Icon::Muted);
    muted.accentIcon = true;
    const QString mute = parts.Switch("Mute", button, 20, icon(Icon::Volume), muted);
    const QString trackBar = parts.Slider("TrackBar", 16, 3, 16);
    const QString volumeBar = parts.Slider("VolumeBar", 16, 3, 16);
    const QString rating = parts.Rating("Rating", 18, 14);
    const QString cover = parts.Cover("Cover", 96, 12, t.window, true);
    const QString title = parts.Text("Title", t.titlePt + 1, true, t.text);
    const QString artist = parts.Text("Artist", t.secondPt + 1, false, t.text2);
    const QString album = parts.Text("Album", t.secondPt, false, t.text2);
    const QString time = parts.Text("Time", t.secondPt, false, t.text2, 1);
    ListLayout listLayout;
    listLayout.headCover = false;
    const QString list = parts.List(listLayout);
    const QString tree = parts.Tree();
    const QString spectrum = parts.Spectrum(kSpectrumHeight, t.window);
    const QColor field(Qt::white);
    const QString search = parts.Search(kSearchHeight, field);
    const QString playlistTab = Tab(parts, "PlaylistTab", Icon::Queue, "Playlist");
    const QString libraryTab = Tab(parts, "LibraryTab", Icon::Library, "Library");

    SkinModel model;
    model.layered = true;
    model.minWidth = 520;
    model.minHeight = 460;

    Panel frame;
    frame.name = "Frame";
    frame.note = "The card and its shadow; the margin around the card is the shadow, not window.";
    frame.pos = Anchor().L(0).R(0).T(0).B(0);
    frame.back = FramePieces(w, t);
    model.panels.append(frame);

    const int headerTop = m;
    const int playerTop = headerTop + kHeaderHeight;
    const int transportTop = playerTop + kPlayerHeight;
    const int tabsTop = transportTop + kTransportHeight;
    const int paneTop = tabsTop + kTabsHeight;

    Panel header;
    header.name = "Header";
    header.pos = Anchor().L(m).R(m).T(headerTop).H(kHeaderHeight);
    header.back = { ImagePiece("Images/Mark.png", Anchor::Box(16, 12, 16, 16)),
        ImagePiece("Images/Wordmark.png", Anchor::Box(38, 10, 60, 20)) };
    header.elements = {
        Control("Minimize", minimize, Anchor().R(40).T(4).W(32).H(32), img(minimize, "-normal.png")),
        Control("Close", close, Anchor().R(8).T(4).W(32).H(32), img(close, "-normal.png")),
    };
    model.panels.append(header);

    Panel player;
    player.name = "Player";
    player.pos = Anchor().L(m).R(m).T(playerTop).H(kPlayerHeight);
    player.elements = {
        Control("Cover", cover, Anchor::Box(12, 14, 112, 110), parts.MockCover("Cover", true)),
        Control("Title", title, Anchor().L(140).R(132).T(22).H(24),
            parts.MockText("Paper Boats", t.titlePt + 1, true, t.text)),
        Control("Artist", artist, Anchor().L(140).R(132).T(48).H(18),
            parts.MockText("Marisol Vega", t.secondPt + 1, false, t.text2)),
        Control("Album", album, Anchor().L(140).R(132).T(67).H(18),
            parts.MockText("Harbour Lights", t.secondPt, false, t.text2)),
        Control("Rating", rating, Anchor().L(137).T(92).W(90).H(18), parts.MockRating("Rating", 4)),
        Control("Spectrum", spectrum, Anchor().R(20).T(28).W(96).H(kSpectrumHeight),
            parts.MockSpectrum(kSpectrumHeight, t.window)),
    };
    model.panels.append(player);

    Panel transport;
    transport.name = "Transport";
    transport.pos = Anchor().L(m).R(m).T(transportTop).H(kTransportHeight);
    transport.elements = {
        Control("TrackBar", trackBar, Anchor().L(20).R(120).T(4).H(16),
            parts.MockSlider("TrackBar", 36, false)),
        Control("Time", time, Anchor().R(20).W(96).T(4).H(16),
            parts.MockText("1:23 / 4:05", t.secondPt, false, t.text2, Qt::AlignRight)),
        Control("Shuffle", shuffle, Anchor().CX(-96).T(30).W(32).H(32), img(shuffle, "-1-normal.png")),
        Control("Previous", previous, Anchor().CX(-52).T(30).W(32).H(32), img(previous, "-normal.png")),
        Control("PlayPause", playPause, Anchor().CX(0).T(24).W(44).H(44),
            img(playPause, "-2-normal.png")),
        Control("Next", next, Anchor().CX(52).T(30).W(32).H(32), img(next, "-normal.png")),
        Control("Repeat", repeat, Anchor().CX(96).T(30).W(32).H(32), img(repeat, "-2-normal.png")),
        Control("Equalizer", equalizer, Anchor().L(16).T(30).W(32).H(32), img(equalizer, "-normal.png")),
        Control("Stop", stop, Anchor().L(52).T(30).W(32).H(32), img(stop, "-normal.png")),
        Control("Mute", mute, Anchor().R(88).T(30).W(32).H(32), img(mute, "-1-normal.png")),
        Control("VolumeBar", volumeBar, Anchor().R(20).T(38).W(64).H(16),
            parts.MockSlider("VolumeBar", 65, false)),
    };
    model.panels.append(transport);

    // The highlight behind the active tab: panels that share the pane's ID follow it.
    Panel playlistOn;
    playlistOn.name = "PlaylistTabOn";
    playlistOn.id = kPlaylistShown;
    playlistOn.pos = Anchor().L(m + 12).T(tabsTop + 4).W(96).H(28);
    playlistOn.back = { ImagePiece("Images/Tab-on.png", Anchor::Box(0, 0, 96, 28)) };
    model.panels.append(playlistOn);
    Panel libraryOn = playlistOn;
    libraryOn.name = "LibraryTabOn";
    libraryOn.id = kLibraryShown;
    libraryOn.hide = 1;
    libraryOn.pos = Anchor().L(m + 112).T(tabsTop + 4).W(96).H(28);
    model.panels.append(libraryOn);

    Panel tabs;
    tabs.name = "Tabs";
    tabs.pos = Anchor().L(m).R(m).T(tabsTop).H(kTabsHeight);
    Element showList = Control("Button", playlistTab, Anchor::Box(12, 4, 96, 28),
        img(playlistTab, "-normal.png"));
    showList.trigger = "ShowPlaylist.xml";
    Element showLibrary = Control("Button", libraryTab, Anchor::Box(112, 4, 96, 28),
        img(libraryTab, "-normal.png"));
    showLibrary.trigger = "ShowLibrary.xml";
    // Beside the tabs, over the pane whose list it fills.
    tabs.elements = { showList, showLibrary,
        Control("Search", search, Anchor().R(12).T(4).W(200).H(kSearchHeight),
            parts.MockSearch(kSearchHeight, field, "Search the library")) };
    model.panels.append(tabs);

    Panel library;
    library.name = "Library";
    library.id = kLibraryShown;
    library.hide = 1;
    library.pos = Anchor().L(m).R(m).T(paneTop).B(m);
    library.elements = { Control("Library", tree, Anchor().L(8).R(8).T(0).B(14), parts.MockTree()) };
    model.panels.append(library);

    Panel playlist;
    playlist.name = "Playlist";
    playlist.id = kPlaylistShown;
    playlist.pos = library.pos;
    playlist.elements = { Control("Playlist", list, Anchor().L(8).R(8).T(0).B(14),
        parts.MockList(listLayout)) };
    model.panels.append(playlist);

    const QList<std::pair<int, int>> showLibraryEntries = { { kLibraryShown, 0 },
        { kPlaylistShown, 1 } };
    w.Xml("ShowPlaylist.xml", Trigger({ { kPlaylistShown, 0 }, { kLibraryShown, 1 } }));
    w.Xml("ShowLibrary.xml", Trigger(showLibraryEntries));
    w.Xml("Skin.xml", model.ToXml());

    const QColor desk(0x3A, 0x4A, 0x5C);
    const QImage preview = ComposeMock(model, w, QSize(600, 500), 1, desk);
    w.Image("Preview.png", preview.scaled(300, 250, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    w.Xml("SkinInfo.xml",
        XmlNode("SkinInfo")
            .A("SkinEngine", "1.5")
            .Add(XmlNode("Author").A("Line", "The Plumo developers"))
            .Add(XmlNode("Version").A("Line", "1.0"))
            .Add(XmlNode("Info").A("Line",
                "A light frosted card on a soft shadow: floating cover, centred transport, and "
                "tabs that switch between the playlist and the library. Coral accent."))
            .Add(XmlNode("Preview").A("File", "Preview.png"))
            .Add(PaletteNode(t)));
    if (!mocks)
        return;
    const QColor light(0xC9, 0xD3, 0xDD);
    mocks->Image("Frost-600x500.png", ComposeMock(model, w, { 600, 500 }, 1, desk));
    mocks->Image("Frost-600x500-light.png", ComposeMock(model, w, { 600, 500 }, 1, light));
    mocks->Image("Frost-600x500@2x.png", ComposeMock(model, w, { 600, 500 }, 2, desk));
    mocks->Image("Frost-520x460.png", ComposeMock(model, w, { 520, 460 }, 1, desk));
    mocks->Image("Frost-1280x800.png", ComposeMock(model, w, { 1280, 800 }, 1, desk));
    mocks->Image("Frost-library.png",
        ComposeMock(model.WithHidden(showLibraryEntries), w, { 600, 500 }, 1, desk));
}
