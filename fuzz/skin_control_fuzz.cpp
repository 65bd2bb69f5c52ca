// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A control's skin file read by every kind of skin control, each then drawn and driven by the
// mouse. The file may name the small pictures made beside it ("a.png", "b.png" with "@2x").
#include "CreateSkinControl.h"
#include "FuzzSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace {

void Setup(const QString& folder)
{
    static int argc = 1;
    static char name[] = "fuzz_skin_control";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    QImage a(6, 4, QImage::Format_ARGB32);
    a.fill(qRgba(255, 0, 0, 128));
    a.save(folder + QStringLiteral("/a.png"));
    a.scaled(12, 8).save(folder + QStringLiteral("/a@2x.png"));
    QImage b(1, 9, QImage::Format_RGB32);
    b.fill(Qt::blue);
    b.save(folder + QStringLiteral("/b.png"));
}

constexpr int kKinds[] = {1, 2, 7, 15, 17, 18};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzz::Folder();
    static const bool ready = (Setup(folder), true);
    (void)ready;
    const QString path = folder + QStringLiteral("/Control.xml");
    fuzz::WriteInput(path, data, size);
    QImage canvas(64, 32, QImage::Format_ARGB32_Premultiplied);
    for (int kind : kKinds) {
        for (qreal ratio : {1.0, 2.0}) {
            std::unique_ptr<CSkinElement> control = CreateSkinControl(kind);
            control->SetDevicePixelRatio(ratio);
            control->LoadSkin(path);
            control->SetRect({2, 2, 2 + control->GetWidth() % 200, 2 + control->GetHeight() % 100});
            control->SetState(2);
            control->SetString(QStringLiteral("A title that is longer than the control"));
            canvas.fill(Qt::transparent);
            QPainter painter(&canvas);
            control->OnMouseMove({5, 5});
            control->OnButtonDown({5, 5});
            control->OnMouseMove({40, 5});
            control->Draw(painter);
            control->OnButtonUp({40, 5});
            control->OnMouseLeave();
            control->Draw(painter);
        }
    }
    return 0;
}
