// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CExImage.h"

#include "CImageBudget.h"
#include "settings/SafeFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// What a picture of the declared size takes once decoded and enlarged by factor: refused (0)
// when the header gives no size, above the per-picture limit, or beyond the budget of the
// load's scope (which is then charged).
qint64 Admit(QSize declared, int factor)
{
    if (!declared.isValid() || declared.isEmpty())
        return 0;
    const qint64 pixels = static_cast<qint64>(declared.width()) * declared.height();
    if (pixels > CExImage::kMaxPixels)
        return 0;
    const qint64 enlarged = pixels * factor * factor;
    const qint64 held = enlarged <= CExImage::kMaxPixels ? enlarged : pixels;
    CImageBudget* budget = CImageBudget::Current();
    return budget == nullptr || budget->Charge(held) ? held : 0;
}

// Decodes from device, refusing before any pixel is read a picture that Admit refuses. Qt's
// own allocation guard stays on, at the size of the largest picture admitted, as a second
// line behind the declared size. A reader that stops early (truncated data) yields nothing
// rather than a half-grey picture.
QImage DecodeLimited(QIODevice& device, bool& hadAlpha, int factor = 1)
{
    QImageReader reader(&device);
    if (Admit(reader.size(), factor) == 0)
        return {};
    reader.setAllocationLimit(CExImage::kAllocationLimitMb);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return {};
    hadAlpha = image.hasAlphaChannel();
    return image;
}

QImage DecodeFile(const QString& path, bool& hadAlpha, int factor = 1)
{
    // Pictures are plain files; a pipe or device named by a skin could block or never end.
    QFile file;
    if (safefile::OpenRegular(path, std::numeric_limits<qint64>::max(), file)
        != safefile::ReadStatus::Ok)
        return {};
    return DecodeLimited(file, hadAlpha, factor);
}

// "dir/name.png" -> "dir/name@2x.png"; a name without a suffix gets "@2x" appended.
QString HighDensityName(const QString& path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString dir = path.left(path.size() - info.fileName().size());
    if (suffix.isEmpty())
        return path + QStringLiteral("@2x");
    return dir + info.completeBaseName() + QStringLiteral("@2x.") + suffix;
}

int WholeFactor(qreal devicePixelRatio)
{
    if (!(devicePixelRatio >= 1.5))
        return 1;
    return static_cast<int>(std::lround(std::min<qreal>(devicePixelRatio, 8.0)));
}

} // namespace

bool CExImage::Adopt(QImage image, bool hadAlpha, int width, int height)
{
    if (image.isNull() || width <= 0 || height <= 0)
        return false;
    // In place where the depth allows, so a large picture is not held twice.
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return false;
    m_image = std::move(image);
    m_width = width;
    m_height = height;
    m_hasAlpha = hadAlpha;
    return true;
}

void CExImage::Free()
{
    m_image = QImage();
    m_width = 0;
    m_height = 0;
    m_hasAlpha = false;
}

bool CExImage::LoadFile(const QString& path, qreal devicePixelRatio)
{
    Free();
    bool hadAlpha = false;
    const int factor = WholeFactor(devicePixelRatio);
    if (factor > 1) {
        QImage dense = DecodeFile(HighDensityName(path), hadAlpha);
        if (!dense.isNull()) {
            dense.setDevicePixelRatio(2.0);
            const int width = (dense.width() + 1) / 2;
            const int height = (dense.height() + 1) / 2;
            return Adopt(std::move(dense), hadAlpha, width, height);
        }
    }
    QImage image = DecodeFile(path, hadAlpha, factor);
    if (image.isNull())
        return false;
    const int width = image.width();
    const int height = image.height();
    const qint64 enlarged = static_cast<qint64>(width) * height * factor * factor;
    if (factor > 1 && enlarged <= kMaxPixels) {
        image = image.scaled(width * factor, height * factor, Qt::IgnoreAspectRatio,
            Qt::FastTransformation);
        image.setDevicePixelRatio(factor);
    }
    return Adopt(std::move(image), hadAlpha, width, height);
}

bool CExImage::LoadThumbnail(const QString& path, int width, int height, qreal devicePixelRatio)
{
    Free();
    if (width <= 0 || height <= 0)
        return false;
    bool hadAlpha = false;
    QImage image = DecodeFile(path, hadAlpha);
    if (image.isNull() || !Adopt(std::move(image), hadAlpha, width, height))
        return false;
    m_image.setDevicePixelRatio(devicePixelRatio >= 1.0 ? devicePixelRatio : 1.0);
    if (!ScaleTo(width, height)) {
        Free();
        return false;
    }
    return true;
}

bool CExImage::LoadBytes(const QByteArray& bytes)
{
    Free();
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return false;
    bool hadAlpha = false;
    QImage image = DecodeLimited(buffer, hadAlpha);
    if (image.isNull())
        return false;
    const int width = image.width();
    const int height = image.height();
    return Adopt(std::move(image), hadAlpha, width, height);
}

bool CExImage::LoadImage(const QImage& image)
{
    Free();
    if (image.isNull()
        || static_cast<qint64>(image.width()) * image.height() > kMaxPixels)
        return false;
    const qreal ratio = image.devicePixelRatio();
    const int width = static_cast<int>(std::ceil(image.width() / ratio));
    const int height = static_cast<int>(std::ceil(image.height() / ratio));
    return Adopt(image, image.hasAlphaChannel(), width, height);
}

bool CExImage::ScaleTo(int width, int height)
{
    if (!IsLoaded() || width <= 0 || height <= 0)
        return false;
    const qreal ratio = m_image.devicePixelRatio();
    const qint64 pixelWidth = std::max<qint64>(1, std::llround(width * ratio));
    const qint64 pixelHeight = std::max<qint64>(1, std::llround(height * ratio));
    if (pixelWidth * pixelHeight > kMaxPixels)
        return false;
    QImage scaled = m_image.scaled(static_cast<int>(pixelWidth), static_cast<int>(pixelHeight),
        Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (scaled.isNull())
        return false;
    scaled.setDevicePixelRatio(ratio);
    return Adopt(std::move(scaled), m_hasAlpha, width, height);
}

CExImage CExImage::Flipped() const
{
    CExImage copy;
    if (!IsLoaded())
        return copy;
    QImage flipped = m_image.mirrored(false, true);
    flipped.setDevicePixelRatio(m_image.devicePixelRatio());
    copy.Adopt(std::move(flipped), m_hasAlpha, m_width, m_height);
    return copy;
}

void CExImage::Blit(QPainter& painter, const QRectF& target, const QRect& source) const
{
    // The source rectangle of drawImage counts image pixels, not logical ones.
    const qreal ratio = m_image.devicePixelRatio();
    const QRectF pixels(source.x() * ratio, source.y() * ratio, source.width() * ratio,
        source.height() * ratio);
    painter.drawImage(target, m_image, pixels.intersected(QRectF(m_image.rect())));
}

void CExImage::Draw(QPainter& painter, const QRect& target) const
{
    if (!IsLoaded() || target.width() <= 0 || target.height() <= 0)
        return;
    painter.drawImage(QRectF(target), m_image, QRectF(QPointF(0, 0), QSizeF(m_image.size())));
}

void CExImage::DrawAt(QPainter& painter, int x, int y) const
{
    if (IsLoaded())
        Blit(painter, QRectF(x, y, m_width, m_height), QRect(0, 0, m_width, m_height));
}

void CExImage::DrawClipped(QPainter& painter, int x, int y, int width, int height) const
{
    DrawPart(painter, QRect(0, 0, std::min(width, m_width), std::min(height, m_height)), x, y);
}

void CExImage::DrawPart(QPainter& painter, const QRect& source, int x, int y) const
{
    if (!IsLoaded() || source.width() <= 0 || source.height() <= 0)
        return;
    const QRect part = source.intersected(QRect(0, 0, m_width, m_height));
    if (part.isEmpty())
        return;
    const QRectF target(x + (part.x() - source.x()), y + (part.y() - source.y()), part.width(),
        part.height());
    Blit(painter, target, part);
}
