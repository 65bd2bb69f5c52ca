// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SkinTestImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace skintest {

QImage SolidPng(const QString& path, QSize size, QRgb color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(color));
    QDir().mkpath(QFileInfo(path).path());
    image.save(path, "PNG");
    return image;
}

QImage Canvas(QSize size, QRgb color)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(QColor::fromRgba(color));
    return canvas;
}

QRgb PixelAt(const QImage& image, int x, int y)
{
    return image.pixel(x, y);
}

QRect Changed(const QImage& image, QRgb background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

bool WriteText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace skintest
