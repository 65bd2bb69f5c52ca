// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// plumo-skin SKIN_FOLDER WIDTH HEIGHT OUT.png [EVENT...]
// Loads a skin as the main window does (without a window), lays it out at WIDTH × HEIGHT,
// routes the mouse events (move:X,Y down:X,Y up:X,Y in client coordinates; trigger buttons
// act, a click on a Time text switches it to the remaining time), plays a track to a position
// (pos:SECONDS/LENGTH for a file, pos:SECONDS for a stream: the Time texts show it),
// repaints everything, writes the frame buffer with its alpha to OUT.png and prints one
// tab-separated line per element: panel index, panel name, element tag, kind, hidden, left,
// top, right, bottom, state (a Time text's state is "text=" and what it shows). Exit status 1
// when "Skin.xml" cannot be read, 2 on bad arguments.
#include "CSkinDraw.h"
#include "CMoveResize.h"
#include "CreateSkinControl.h"
#include "CSkinText.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace {

int Usage()
{
    std::fputs("usage: plumo-skin SKIN_FOLDER WIDTH HEIGHT OUT.png "
               "[move:X,Y|down:X,Y|up:X,Y|pos:SECONDS[/LENGTH]...]\n",
        stderr);
    return 2;
}

// The track the Time texts tell about: none until a pos: event.
struct PlayedTime {
    bool playing = false;
    qint64 position = 0;
    qint64 length = 0;
    bool remaining = false;

    void Show(CSkinDraw& draw) const
    {
        draw.SetTime(CSkinText::TimeText(playing, position, length, remaining));
    }
};

bool ParsePosition(const QString& text, PlayedTime& time)
{
    if (!text.startsWith(QLatin1String("pos:")))
        return false;
    const QStringList parts = text.mid(4).split(QLatin1Char('/'));
    if (parts.size() > 2)
        return false;
    bool okPos = false;
    bool okLength = true;
    const qint64 position = parts[0].toLongLong(&okPos);
    const qint64 length = parts.size() == 2 ? parts[1].toLongLong(&okLength) : 0;
    if (!okPos || !okLength || position < 0 || length < 0)
        return false;
    time.playing = true;
    time.position = position;
    time.length = length;
    return true;
}

bool ParseEvent(const QString& text, QString& verb, QPoint& point)
{
    const int colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    verb = text.left(colon);
    const QStringList xy = text.mid(colon + 1).split(QLatin1Char(','));
    if (xy.size() != 2)
        return false;
    bool okX = false, okY = false;
    point = QPoint(xy[0].toInt(&okX), xy[1].toInt(&okY));
    return okX && okY
        && (verb == QLatin1String("move") || verb == QLatin1String("down")
            || verb == QLatin1String("up"));
}

void Route(CSkinDraw& draw, SkinPanels& panels, const QString& verb, QPoint point,
    PlayedTime& time)
{
    if (verb == QLatin1String("move")) {
        draw.OnMouseMove(point);
    } else if (verb == QLatin1String("down")) {
        draw.OnButtonDown(point);
    } else if (CSkinElement* control = draw.OnButtonUp(point)) {
        if (control->GetType() == static_cast<int>(SkinKind::Button)) {
            control->GetTrigger().Apply(panels);
            draw.FullRepaint();
        } else if (control->GetKind() == SkinKind::Time) {
            time.remaining = !time.remaining;
            time.Show(draw);
        }
    }
}

QString StateText(const CSkinElement* c)
{
    switch (static_cast<SkinKind>(c->GetType())) {
    case SkinKind::VolumeBar:
    case SkinKind::TrackBar:
        return QStringLiteral("value=%1").arg(c->GetState());
    case SkinKind::PlayPause:
    case SkinKind::Mute:
    case SkinKind::Repeat:
    case SkinKind::Shuffle:
        return QStringLiteral("state=%1").arg(c->GetState());
    case SkinKind::Rating:
        return QStringLiteral("rating=%1").arg(c->GetState());
    case SkinKind::Time:
        return QStringLiteral("text=") + c->GetText();
    default:
        return QStringLiteral("-");
    }
}

void PrintElements(const SkinPanels& panels)
{
    QTextStream out(stdout);
    for (std::size_t i = 0; i < panels.size(); ++i) {
        const CSkinPanel& panel = *panels[i];
        for (const CSkinPanelElement& e : panel.GetElements()) {
            const CSkinElement* c = e.GetControl();
            const SkinRect& r = c->GetRect();
            out << i << '\t' << panel.GetName() << '\t' << e.GetTag() << '\t' << c->GetType()
                << '\t' << (c->IsHidden() ? 1 : 0) << '\t' << r.left << '\t' << r.top << '\t'
                << r.right << '\t' << r.bottom << '\t' << StateText(c) << '\n';
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    // A renderer for scripts: no display needed unless one is named.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5)
        return Usage();
    bool okW = false, okH = false;
    const int width = args[2].toInt(&okW);
    const int height = args[3].toInt(&okH);
    if (!okW || !okH || width <= 0 || height <= 0 || width > kMaxCoord || height > kMaxCoord)
        return Usage();

    // The skin's folder is found as a skin name under its parent folder's parent, the way the
    // program folder holds "Skin/<name>".
    const QFileInfo folder(args[1]);
    const QString name = folder.fileName().isEmpty() ? QDir(args[1]).dirName() : folder.fileName();
    SkinPanels panels;
    CMoveResize mover;
    CSkinDraw draw;
    draw.SetPanels(&panels);
    draw.SetMover(&mover);
    draw.SetControlFactory(&CreateSkinControl);
    const qreal dpr = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
        ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
        : 1.0;
    draw.SetDevicePixelRatio(dpr > 0 ? dpr : 1.0);
    if (!draw.LoadSkinFolder(QDir(folder.absoluteFilePath()).absolutePath() + QLatin1Char('/'), name)) {
        std::fprintf(stderr, "plumo-skin: cannot read %s/Skin.xml\n", qPrintable(args[1]));
        return 1;
    }
    draw.Layout(width, height);
    PlayedTime time;
    for (int i = 5; i < args.size(); ++i) {
        if (ParsePosition(args[i], time)) {
            time.Show(draw);
            continue;
        }
        QString verb;
        QPoint point;
        if (!ParseEvent(args[i], verb, point)) {
            std::fprintf(stderr, "plumo-skin: bad event %s\n", qPrintable(args[i]));
            return 2;
        }
        Route(draw, panels, verb, point, time);
    }
    draw.FullRepaint();
    if (!draw.GetFrameBuffer().save(args[4], "PNG")) {
        std::fprintf(stderr, "plumo-skin: cannot write %s\n", qPrintable(args[4]));
        return 1;
    }
    PrintElements(panels);
    return 0;
}
