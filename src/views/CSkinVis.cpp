// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinVis.h"

#include "SkinXml.h"

#include <QPaintEvent>
#include <QPainter>

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Loads the picture an element names, if it names one.
void LoadNamed(CExImage& image, const QString& folder, const tinyxml2::XMLElement* element,
    qreal devicePixelRatio)
{
    image.Free();
    const QString path = skinxml::FilePath(folder, element);
    if (!path.isEmpty())
        image.LoadFile(path, devicePixelRatio);
}

} // namespace

CSkinVis::CSkinVis(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("SkinVis"));
    // Every pixel is painted each tick, so nothing beneath needs repainting first: a tick
    // redraws this rectangle only, never the skin around it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CSkinVis::LoadSkin(const QString& path, qreal devicePixelRatio)
{
    tinyxml2::XMLDocument doc;
    if (!skinxml::ReadDocument(path, doc))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Spectrum");
    if (root == nullptr)
        return false;
    const QString folder = skinxml::FolderOf(path);

    const tinyxml2::XMLElement* skin = root->FirstChildElement("Skin");
    m_bandSize = std::max(0, skinxml::IntAttribute(skin, "BandSize"));
    LoadNamed(m_strip, folder, skin, devicePixelRatio);

    const tinyxml2::XMLElement* back = root->FirstChildElement("Background");
    LoadNamed(m_backImage, folder, back, devicePixelRatio);
    if (back != nullptr) {
        const char* color = back->Attribute("Color");
        // Only RRGGBB is a colour here; anything else keeps white.
        if (color != nullptr && std::strlen(color) == 6)
            m_background = QColor::fromRgb(skinxml::ParseColor(color, m_background.rgb()));
    }

    const tinyxml2::XMLElement* peak = root->FirstChildElement("Peak");
    m_peaksOn = peak != nullptr;
    LoadNamed(m_peak, folder, peak, devicePixelRatio);
    if (peak != nullptr) {
        m_peakStep = skinxml::IntAttribute(peak, "PeakStep");
    }
    BuildFrames();
    // Bars and peaks outlive a skin change; they must stay within the new strip.
    const auto top = static_cast<std::uint32_t>(std::max(0, LevelCount() - 1));
    for (auto* values : {&m_levels, &m_peaks})
        for (auto& value : *values)
            value = std::min(value, top);
    ResizeBars();
    update();
    return true;
}

void CSkinVis::BuildFrames()
{
    m_frames.clear();
    if (m_bandSize <= 0 || !m_strip.IsLoaded())
        return;
    const int height = m_strip.GetHeight();
    for (int k = 0; (k + 1) * m_bandSize <= m_strip.GetWidth(); ++k)
        m_frames.emplace_back(k * m_bandSize, 0, m_bandSize, height);
}

void CSkinVis::ResizeBars()
{
    if (m_bandSize <= 0)
        return;
    const auto bars = static_cast<std::size_t>(std::max(0, width() / m_bandSize));
    m_levels.resize(bars, 0);
    m_peaks.resize(bars, 0);
    m_holds.resize(bars, 0);
}

void CSkinVis::BinRange(int index, int bars, int& first, int& end)
{
    first = end = 0;
    if (bars <= 0 || index < 0 || index >= bars)
        return;
    const int share = (kFftBins / bars) / 5;
    if (share <= 0)
        return; // more than 204 bars: every bar is silent rather than dividing by zero
    const int s = kFirstBin + index * share;
    if (s + share > kLastBin)
        return;
    first = s;
    end = s + share;
}

void CSkinVis::Update(std::span<const float> fft, bool playing)
{
    const int levels = LevelCount();
    if (!isVisible() || m_levels.empty() || levels < 1)
        return;
    const bool fed = fft.size() >= static_cast<std::size_t>(kFftBins);
    if (fed || !playing)
        for (auto& level : m_levels)
            level = level > 0 ? level - 1 : 0;
    if (m_peaksOn) {
        for (std::size_t i = 0; i < m_levels.size(); ++i) {
            if (m_holds[i] > 0)
                --m_holds[i];
            if (m_levels[i] < m_peaks[i] && m_holds[i] == 0)
                --m_peaks[i];
        }
    }
    if (fed)
        FeedBars(fft);
    update();
}

void CSkinVis::FeedBars(std::span<const float> fft)
{
    const int levels = LevelCount();
    const int bars = BarCount();
    for (int i = 0; i < bars; ++i) {
        int first = 0;
        int end = 0;
        BinRange(i, bars, first, end);
        if (first == end)
            break; // the following bars lie further up the spectrum still
        long long sum = 0;
        for (int j = first; j < end; ++j) {
            const float magnitude = std::max(0.0f, fft[static_cast<std::size_t>(j)]);
            // Clamped before truncation: a level far above the top says no more than the top.
            const double scaled = std::min(1e9, std::sqrt(static_cast<double>(magnitude)) * 5.0 * levels);
            sum += std::isfinite(scaled) ? static_cast<long long>(scaled) : 0;
        }
        const auto value = static_cast<std::uint32_t>(
            std::min<long long>(sum / (end - first), levels - 1));
        const auto bar = static_cast<std::size_t>(i);
        if (value > m_levels[bar])
            m_levels[bar] = value;
        if (m_peaksOn && value > m_peaks[bar]) {
            m_peaks[bar] = value;
            m_holds[bar] = kHoldTicks;
        }
    }
}

void CSkinVis::Render(QPainter& painter) const
{
    const int w = width();
    const int h = height();
    painter.fillRect(QRect(0, 0, w, h), m_background);
    if (m_backImage.IsLoaded())
        m_backImage.DrawClipped(painter, 0, 0, w, h);
    if (!m_frames.empty() && m_strip.IsLoaded()) {
        const int y = h - m_strip.GetHeight();
        for (std::size_t i = 0; i < m_levels.size(); ++i)
            m_strip.DrawPart(painter, m_frames[m_levels[i]], static_cast<int>(i) * m_bandSize, y);
    }
    if (m_peaksOn && m_peak.IsLoaded()) {
        for (std::size_t i = 0; i < m_peaks.size(); ++i)
            m_peak.DrawAt(painter, static_cast<int>(i) * m_bandSize,
                h - m_peakStep * static_cast<int>(m_peaks[i]));
    }
}

void CSkinVis::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Render(painter);
}

void CSkinVis::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ResizeBars();
}
