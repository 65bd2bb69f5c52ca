// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinDraw.h"

#include "CMoveResize.h"
#include "CSettings.h"
#include "XmlLimits.h"

#include <QPainter>

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>

namespace {

// Larger skin descriptions are refused unread.
constexpr qint64 kMaxSkinFileBytes = 4 * 1024 * 1024;
const QString kDefaultSkin = QStringLiteral("Default");

} // namespace

CSkinDraw::CSkinDraw()
    : m_context(std::make_unique<QObject>())
    , m_coverWorker(m_context.get())
{
}

CSkinDraw::~CSkinDraw() = default;

void CSkinDraw::SetProgramFolder(const QString& folder)
{
    m_programFolder = folder;
    if (!m_programFolder.isEmpty() && !m_programFolder.endsWith(QLatin1Char('/')))
        m_programFolder += QLatin1Char('/');
}

void CSkinDraw::SetDevicePixelRatio(qreal dpr)
{
    m_dpr = dpr > 0 ? dpr : 1.0;
}

QString CSkinDraw::SkinFolder(const QString& name) const
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
        || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QChar(0)))
        return QString();
    return m_programFolder + QStringLiteral("Skin/") + name + QLatin1Char('/');
}

bool CSkinDraw::LoadSkin(const QString& name)
{
    const QString folder = SkinFolder(name);
    return !folder.isEmpty() && LoadSkinFolder(folder, name);
}

bool CSkinDraw::LoadSkinFolder(const QString& folder, const QString& name)
{
    tinyxml2::XMLDocument doc;
    if (!xmllimits::ReadFile(folder + QStringLiteral("Skin.xml"), doc, kMaxSkinFileBytes))
        return false;
    int minW = 0, minH = 0, maxW = 0, maxH = 0, alpha = 0, radius = 0;
    if (const tinyxml2::XMLElement* window = doc.FirstChildElement("Window")) {
        if (const tinyxml2::XMLElement* size = window->FirstChildElement("Size")) {
            ReadCoord(size, "MinWidth", minW);
            ReadCoord(size, "MinHeight", minH);
            ReadCoord(size, "MaxWidth", maxW);
            ReadCoord(size, "MaxHeight", maxH);
        }
        if (m_panels && !LoadPanels(folder, window))
            return false;
        if (const tinyxml2::XMLElement* t = window->FirstChildElement("Transparent"))
            alpha = t->IntAttribute("AlphaBlend", 0);
        if (const tinyxml2::XMLElement* c = window->FirstChildElement("Corners"))
            ReadCoord(c, "All", radius);
    }
    if (m_mover)
        m_mover->SetLimits(minW, minH, maxW, maxH);
    m_layered = alpha != 0;
    if (m_window)
        m_window->SetSkinLayered(m_layered);
    // Layered windows take their shape from the buffer's alpha and have no region.
    m_cornerRadius = m_layered ? 0 : std::max(radius, 0);
    m_skinName = name;
    m_skinFolder = folder;
    if (m_settings)
        m_settings->SetSkin(name);
    return true;
}

bool CSkinDraw::LoadPanels(const QString& folder, const tinyxml2::XMLElement* window)
{
    m_imageBudget.Reset();
    const CImageBudget::Scope images(m_imageBudget);
    const std::size_t before = m_panels->size();
    for (const tinyxml2::XMLElement* p = window->FirstChildElement("Panel"); p;
         p = p->NextSiblingElement("Panel")) {
        m_panels->push_back(std::make_unique<CSkinPanel>());
        m_panels->back()->Load(folder, p, m_factory, m_dpr);
    }
    // A skin whose pictures would not fit in memory is refused whole rather than shown with
    // holes; the caller falls back to the default skin.
    if (m_imageBudget.Exceeded()) {
        m_panels->resize(before);
        return false;
    }
    return true;
}

bool CSkinDraw::ApplySkin(const QString& name)
{
    // The captured control dies with its panel; a cover found for the old controls is
    // looked up again for the new ones.
    m_captured = nullptr;
    const QString coverFile = m_coverFile;
    const QString coverAlbum = m_coverAlbum;
    const bool hadCover = !m_coverKey.isEmpty();
    ClearCover();
    if (m_panels)
        m_panels->clear();
    bool ok = LoadSkin(name);
    if (!ok) {
        if (m_panels)
            m_panels->clear();
        LoadSkin(kDefaultSkin);
    }
    if (hadCover)
        ShowCover(coverFile, coverAlbum);
    return ok;
}

QRegion CSkinDraw::Region(int width, int height) const
{
    if (m_layered || m_cornerRadius <= 0 || width <= 0 || height <= 0)
        return QRegion();
    // Corner ellipses of r × r: a pixel belongs to the window when its centre lies inside the
    // rounded rectangle over the client area. Built row by row, since a polygon's conversion
    // to a region does not follow pixel centres.
    const double radius = std::min({ m_cornerRadius / 2.0, width / 2.0, height / 2.0 });
    QRegion region(0, 0, width, height);
    const int rows = static_cast<int>(std::ceil(radius));
    for (int i = 0; i < rows; ++i) {
        const double dy = radius - (i + 0.5);
        const double span = dy > 0 ? std::sqrt(radius * radius - dy * dy) : radius;
        const int cut = std::max(0, static_cast<int>(std::ceil(radius - span - 0.5)));
        if (cut == 0)
            continue;
        for (const int y : { i, height - 1 - i }) {
            region -= QRect(0, y, cut, 1);
            region -= QRect(width - cut, y, cut, 1);
        }
    }
    return region;
}

void CSkinDraw::Layout(int width, int height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    if (m_mover)
        m_mover->SetClientSize(m_width, m_height);
    if (m_panels) {
        for (const auto& panel : *m_panels)
            panel->Layout(m_width, m_height);
    }
    if (m_window)
        m_window->SetSkinRegion(Region(m_width, m_height));
    FullRepaint();
}

void CSkinDraw::EnsureBuffers()
{
    const QSize device(static_cast<int>(std::ceil(m_width * m_dpr)),
        static_cast<int>(std::ceil(m_height * m_dpr)));
    // Kept while the size stays: a repaint fills them anew, which costs far less than
    // allocating two window-sized images each time.
    if (m_frame.size() != device || m_frame.devicePixelRatio() != m_dpr) {
        m_frame = QImage(device, QImage::Format_ARGB32_Premultiplied);
        m_scratch = QImage(device, QImage::Format_ARGB32_Premultiplied);
        m_frame.setDevicePixelRatio(m_dpr);
        m_scratch.setDevicePixelRatio(m_dpr);
    }
    const QColor fill = m_layered ? QColor(Qt::transparent) : QColor(Qt::white);
    m_frame.fill(fill);
    m_scratch.fill(fill);
}

void CSkinDraw::CopyScratch(QPainter& frame, const SkinRect& box) const
{
    const QRect r = box.ToQRect().intersected(QRect(0, 0, m_width, m_height));
    if (r.isEmpty())
        return;
    const QRectF source(r.x() * m_dpr, r.y() * m_dpr, r.width() * m_dpr, r.height() * m_dpr);
    frame.setCompositionMode(QPainter::CompositionMode_Source);
    frame.drawImage(QRectF(r), m_scratch, source);
    frame.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CSkinDraw::FullRepaint()
{
    EnsureBuffers();
    if (m_frame.isNull())
        return;
    const SkinRect all{0, 0, m_width, m_height};
    {
        QPainter scratch(&m_scratch);
        QPainter frame(&m_frame);
        scratch.setRenderHint(QPainter::SmoothPixmapTransform, false);
        frame.setRenderHint(QPainter::SmoothPixmapTransform, false);
        if (m_panels) {
            for (const auto& panel : *m_panels) {
                if (!panel->IsHidden()) {
                    panel->DrawBackground(scratch);
                    CopyScratch(frame, panel->GetRect());
                }
                panel->LayoutElements();
                panel->DrawElements(frame);
                panel->DrawForeground(frame, all);
            }
        }
    }
    if (m_window)
        m_window->InvalidateSkin(QRect(0, 0, m_width, m_height));
}

void CSkinDraw::RepaintControl(CSkinElement* control)
{
    if (!control || m_frame.isNull())
        return;
    const SkinRect& box = control->GetRect();
    const QRect r = box.ToQRect().intersected(QRect(0, 0, m_width, m_height));
    if (r.isEmpty())
        return;
    {
        QPainter frame(&m_frame);
        frame.setRenderHint(QPainter::SmoothPixmapTransform, false);
        CopyScratch(frame, box);
        // A control draws only inside its own rectangle here, or what it spills would pile up
        // over the old pixels with every repaint.
        frame.setClipRect(r);
        // Every shown control over the rectangle is drawn again, in panel order: a button of
        // a folded panel shares its place with the one that replaced it, and repainting the
        // hidden one alone would wipe the shown one.
        ForEachControl([&](const CSkinPanel&, CSkinElement* c) {
            if (!c->IsHidden() && c->GetRect().ToQRect().intersects(r))
                c->Draw(frame);
        });
        if (m_panels) {
            for (const auto& panel : *m_panels)
                panel->DrawForeground(frame, box);
        }
    }
    if (m_window)
        m_window->InvalidateSkin(r);
}

void CSkinDraw::Paint(QPainter& painter, const QRect& rect) const
{
    const QRect r = rect.intersected(QRect(0, 0, m_width, m_height));
    if (m_frame.isNull() || r.isEmpty())
        return;
    const QRectF source(r.x() * m_dpr, r.y() * m_dpr, r.width() * m_dpr, r.height() * m_dpr);
    const QPainter::CompositionMode old = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(r), m_frame, source);
    painter.setCompositionMode(old);
}
