// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// "Skin.xml" through the skin loader with every control kind, then laid out, painted and clicked
// at a small size and at a size beyond its limits.
#include "CMoveResize.h"
#include "CSkinDraw.h"
#include "CreateSkinControl.h"
#include "FuzzSupport.h"

#include <QApplication>
#include <QDir>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QApplication app(*argc, *argv);
    QDir().mkpath(fuzz::Folder() + QStringLiteral("/Skin/F"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::WriteInput(fuzz::Folder() + QStringLiteral("/Skin/F/Skin.xml"), data, size);
    SkinPanels panels;
    CMoveResize mover;
    CSkinDraw draw;
    draw.SetPanels(&panels);
    draw.SetMover(&mover);
    draw.SetProgramFolder(fuzz::Folder());
    draw.SetControlFactory(&CreateSkinControl);
    if (!draw.LoadSkin(QStringLiteral("F")))
        return 0;
    draw.Layout(64, 48);
    for (const QPoint p : { QPoint(5, 5), QPoint(30, 20), QPoint(63, 47) }) {
        draw.OnMouseMove(p);
        draw.OnButtonDown(p);
        if (CSkinElement* c = draw.OnButtonUp(p)) {
            if (c->GetType() == static_cast<int>(SkinKind::Button)) {
                c->GetTrigger().Apply(panels);
                draw.FullRepaint();
            }
        }
    }
    draw.OnMouseLeave();
    draw.Layout(1, 1);
    return 0;
}
