// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SkinFixture.h"

#include <QDir>
#include <QFile>

namespace skinfixture {

namespace {

void WriteText(const QString& path, const QString& text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.toUtf8());
    }
}

QString Hex(QRgb rgb)
{
    return QStringLiteral("%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}

QString FullFill(QRgb color, const QString& states = QString())
{
    return QStringLiteral("<Fill><Fill Color=\"%1\"/><Position Left=\"0\" Right=\"0\" Top=\"0\" "
                          "Bottom=\"0\"/>%2</Fill>")
        .arg(Hex(color), states);
}

} // namespace

void WriteImage(const QString& path, QSize size, QRgb color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    image.save(path);
}

QString WriteListSkin(const QString& folder, bool leftBlock)
{
    QDir().mkpath(folder + QStringLiteral("/parts"));
    WriteImage(folder + QStringLiteral("/parts/on.png"), {10, 10}, kStarOn);
    WriteImage(folder + QStringLiteral("/parts/off.png"), {10, 10}, kStarOff);
    WriteImage(folder + QStringLiteral("/parts/nocover.png"), {26, 26}, kNoCover);
    WriteText(folder + QStringLiteral("/parts/rate.xml"),
              QStringLiteral("<ListRate><Show File=\"on.png\"/><Hide File=\"off.png\"/></ListRate>"));
    WriteText(folder + QStringLiteral("/parts/cover.xml"),
              QStringLiteral("<ListCover><Cover File=\"nocover.png\"/><Overlay File=\"none.png\"/>"
                             "</ListCover>"));
    const QString songStates =
        QStringLiteral("<State Focus=\"1\"><Fill Color=\"%1\"/></State>"
                       "<State Select=\"1\"><Fill Color=\"%2\"/></State>"
                       "<State Play=\"1\"><Fill Color=\"%3\"/></State>"
                       "<State Line2=\"1\"><Fill Color=\"%4\"/></State>")
            .arg(Hex(kFocus), Hex(kSelect), Hex(kPlaying), Hex(kLine2));
    const QString block = leftBlock
        ? QStringLiteral("<Left Width=\"40\" Height=\"100\" Over=\"0\"><Background>%1</Background>"
                         "</Left>")
              .arg(FullFill(kBlock))
        : QString();
    const QString skin = QStringLiteral(
        "<?xml version=\"1.0\"?><Playlist>"
        "<Background Color=\"%1\"/>"
        "<Head Height=\"30\"><Elements>"
        "<Cover><Skin File=\"parts/cover.xml\"/><Position Left=\"2\" Top=\"2\"/></Cover>"
        "<ArtistAlbum><Font Size=\"9\" Color=\"FFFFFF\" Color2=\"AAAAAA\"/>"
        "<Position Left=\"40\" Right=\"10\" Top=\"8\"/></ArtistAlbum>"
        "</Elements><Background>%2</Background></Head>"
        "<Song Height=\"20\"><Elements>"
        "<Title><Font Size=\"9\" Color=\"FFFFFF\"/><Position Left=\"10\" Right=\"80\" Top=\"3\"/>"
        "</Title>"
        "<Rating><Skin File=\"parts/rate.xml\"/><Position Right=\"5\" Top=\"5\"/></Rating>"
        "<Bogus/>"
        "</Elements><Background>%3<Sparkle/></Background></Song>%4"
        "</Playlist>")
        .arg(Hex(kListBack), FullFill(kHeadFill), FullFill(kLine1, songStates), block);
    const QString path = folder + QStringLiteral("/List.xml");
    WriteText(path, skin);
    return path;
}

QString WriteTreeSkin(const QString& folder, bool withHead, const char* textColor)
{
    QDir().mkpath(folder);
    WriteImage(folder + QStringLiteral("/open.png"), {10, 20}, 0xFF000080);
    WriteImage(folder + QStringLiteral("/close.png"), {10, 20}, 0xFF800000);
    WriteImage(folder + QStringLiteral("/artist.png"), {16, 16}, 0xFF008000);
    WriteImage(folder + QStringLiteral("/playlist.png"), {18, 18}, 0xFF008080);
    WriteText(folder + QStringLiteral("/expand.xml"),
              QStringLiteral("<TreeExpand><Open File=\"open.png\"/><Close File=\"close.png\"/>"
                             "</TreeExpand>"));
    WriteText(folder + QStringLiteral("/icons.xml"),
              QStringLiteral("<TreeIcons><Artist File=\"artist.png\"/><Album File=\"artist.png\"/>"
                             "<Playlist File=\"playlist.png\"/></TreeIcons>"));
    const QString elements = QStringLiteral(
        "<Elements><Expand><Skin File=\"expand.xml\"/><Position Left=\"0\" Top=\"0\"/></Expand>"
        "<Text><Font Size=\"9\" Color=\"%1\"/><Position Left=\"30\" Right=\"4\" Top=\"3\"/></Text>"
        "<Icon><Skin File=\"icons.xml\"/><Position Left=\"12\" Top=\"2\"/></Icon></Elements>")
        .arg(QLatin1String(textColor));
    const QString nodeFill = FullFill(kTreeBack,
        QStringLiteral("<State Focus=\"1\"><Fill Color=\"%1\"/></State>").arg(Hex(kTreeFocus)));
    const QString head = withHead
        ? QStringLiteral("<Head Height=\"24\">%1<Background>%2</Background></Head>")
              .arg(elements, FullFill(kTreeHead))
        : QString();
    const QString skin = QStringLiteral("<?xml version=\"1.0\"?><Library>"
                                        "<Background Color=\"%1\"/>"
                                        "<Node Height=\"20\">%2<Background>%3</Background></Node>%4"
                                        "</Library>")
                             .arg(Hex(kTreeBack), elements, nodeFill, head);
    const QString path = folder + QStringLiteral("/Tree.xml");
    WriteText(path, skin);
    return path;
}

} // namespace skinfixture
