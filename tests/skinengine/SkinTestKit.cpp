// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SkinTestKit.h"

#include "CreateSkinControl.h"

#include <QDir>
#include <QFileInfo>

SkinTestKit::SkinTestKit()
{
    draw.SetPanels(&panels);
    draw.SetMover(&mover);
    draw.SetProgramFolder(ProgramFolder());
    draw.SetControlFactory(CreateSkinControl);
}

QString SkinTestKit::Write(const QString& skin, const QString& file, const QByteArray& text) const
{
    return m_folder.Write("Skin/" + skin + "/" + file, text);
}

QString SkinTestKit::WritePng(const QString& skin, const QString& file, int width, int height,
    QColor color) const
{
    const QString path = m_folder.File("Skin/" + skin + "/" + file);
    QDir().mkpath(QFileInfo(path).path());
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    image.save(path, "PNG");
    return path;
}

void SkinTestKit::WriteButton(const QString& skin, const QString& stem, int width, int height,
    QColor normal, QColor hover, QColor press) const
{
    WritePng(skin, stem + "_n.png", width, height, normal);
    WritePng(skin, stem + "_h.png", width, height, hover);
    WritePng(skin, stem + "_p.png", width, height, press);
    Write(skin, stem + ".xml",
        QString("<Button><Normal File=\"%1_n.png\"/><Hover File=\"%1_h.png\"/>"
                "<Press File=\"%1_p.png\"/></Button>")
            .arg(stem)
            .toUtf8());
}

void SkinTestKit::WriteSkin(const QString& skin, const QByteArray& body) const
{
    Write(skin, "Skin.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Window>" + body
            + "</Window>\n");
}

bool SkinTestKit::Load(const QString& skin, int width, int height)
{
    panels.clear();
    if (!draw.LoadSkin(skin))
        return false;
    draw.Layout(width, height);
    return true;
}

QColor PixelAt(const CSkinDraw& draw, int x, int y)
{
    const QImage& frame = draw.GetFrameBuffer();
    const qreal dpr = frame.devicePixelRatio();
    return frame.pixelColor(static_cast<int>(x * dpr), static_cast<int>(y * dpr));
}

CSkinElement* FindControl(const SkinPanels& panels, const QString& tag, int index)
{
    for (const auto& panel : panels) {
        for (const CSkinPanelElement& e : panel->GetElements()) {
            if (e.GetTag() == tag && index-- == 0)
                return e.GetControl();
        }
    }
    return nullptr;
}
