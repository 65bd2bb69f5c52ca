// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// plumo-bench-skin SKIN_FOLDER: prints, as "name: value unit" with the skin's folder name in
// each name, the median time to load the skin, to repaint it whole at 600 × 500 and at
// 1920 × 1080, and to repaint one button after the pointer moved onto it.
#include "CMoveResize.h"
#include "CSkinDraw.h"
#include "CreateSkinControl.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Median of runs timings of f, in nanoseconds.
double MedianNs(int runs, const std::function<void()>& f)
{
    std::vector<qint64> ns;
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        t.start();
        f();
        ns.push_back(t.nsecsElapsed());
    }
    std::sort(ns.begin(), ns.end());
    return static_cast<double>(ns[ns.size() / 2]);
}

struct Loaded {
    SkinPanels panels;
    CMoveResize mover;
    CSkinDraw draw;
};

bool Load(Loaded& s, const QString& folder, const QString& name)
{
    s.draw.SetPanels(&s.panels);
    s.draw.SetMover(&s.mover);
    s.draw.SetControlFactory(&CreateSkinControl);
    return s.draw.LoadSkinFolder(folder, name);
}

bool IsButton(int kind)
{
    switch (static_cast<SkinKind>(kind)) {
    case SkinKind::Play:
    case SkinKind::Pause:
    case SkinKind::Stop:
    case SkinKind::Next:
    case SkinKind::Previous:
    case SkinKind::Close:
    case SkinKind::Minimize:
    case SkinKind::Button:
    case SkinKind::Equalizer:
        return true;
    default:
        return false;
    }
}

CSkinElement* FirstVisibleButton(const CSkinDraw& draw)
{
    CSkinElement* found = nullptr;
    draw.ForEachControl([&](const CSkinPanel& panel, CSkinElement* c) {
        if (!found && !panel.IsHidden() && !c->IsHidden() && IsButton(c->GetType())
            && c->GetRect().Width() > 0)
            found = c;
    });
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: plumo-bench-skin SKIN_FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + '/';
    const QString name = QDir(folder).dirName();
    const QByteArray tag = name.toLower().toUtf8();

    const double loadNs = MedianNs(21, [&] {
        Loaded s;
        Load(s, folder, name);
    });
    std::printf("skin_load_ms_%s: %.2f ms\n", tag.constData(), loadNs / 1e6);

    Loaded s;
    if (!Load(s, folder, name)) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    for (const QSize size : { QSize(600, 500), QSize(1920, 1080) }) {
        s.draw.Layout(size.width(), size.height());
        const double ns = MedianNs(41, [&] { s.draw.FullRepaint(); });
        std::printf("full_repaint_ms_%dx%d_%s: %.2f ms\n", size.width(), size.height(),
            tag.constData(), ns / 1e6);
    }
    s.draw.Layout(600, 500);
    CSkinElement* button = FirstVisibleButton(s.draw);
    if (!button) {
        std::fprintf(stderr, "%s has no visible button\n", argv[1]);
        return 1;
    }
    const SkinRect r = button->GetRect();
    s.draw.OnMouseMove(QPoint(r.left + r.Width() / 2, r.top + r.Height() / 2));
    const double ns = MedianNs(501, [&] { s.draw.RepaintControl(button); });
    std::printf("control_repaint_us_%s: %.1f us\n", tag.constData(), ns / 1e3);
    return 0;
}
