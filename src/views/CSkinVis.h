// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CExImage.h"

#include <QColor>
#include <QWidget>

#include <cstdint>
#include <span>
#include <vector>

// The spectrum visualiser: a row of bars drawn from a strip of pre-drawn frames (one frame per
// level, the emptiest first), with optional falling peak markers. Its look comes from its own
// skin file:
//   <Spectrum>
//     <Skin File="bars.png" BandSize="4"/>          the strip; one frame and one bar per BandSize
//     <Background File="back.png" Color="16181D"/>  optional picture, fill colour RRGGBB
//     <Peak File="peak.png" PeakStep="2"/>          peaks on; pixels per level for the marker
//   </Spectrum>
// The owner feeds it every 30 ms tick with the magnitudes of a 2048-sample FFT (Update). Bars
// jump up at once and fall one level a tick; peaks hold for kHoldTicks ticks, then sink one
// level a tick toward their bar. UI thread only.
class CSkinVis : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFftBins = 1024;
    static constexpr int kHoldTicks = 20;
    static constexpr int kFirstBin = 50;
    static constexpr int kLastBin = 1000; // bins from here on are never shown

    explicit CSkinVis(QWidget* parent = nullptr);

    // Reads the skin file and builds the frames; images are taken for devicePixelRatio (see
    // CExImage). False, with the defaults kept (white, no bars), when the file cannot be read or
    // parsed. Missing pictures leave their part out.
    bool LoadSkin(const QString& path, qreal devicePixelRatio = 1.0);

    // One tick. fft holds kFftBins magnitudes, or is empty while nothing feeds the bars (after a
    // pause or stop); playing is the owner's playing flag: without it the bars fall only when it
    // is false (stopped) and stay while paused. Does nothing while hidden or without bars or
    // levels.
    void Update(std::span<const float> fft, bool playing);

    // The bins of bar index among bars bars: [first, end). An empty range for a bar that gets no
    // bins: past bin kLastBin, or when there are so many bars that a bar's share of bins rounds
    // to none.
    static void BinRange(int index, int bars, int& first, int& end);

    int BarCount() const { return static_cast<int>(m_levels.size()); }
    int LevelCount() const { return static_cast<int>(m_frames.size()); }
    const std::vector<std::uint32_t>& Levels() const { return m_levels; }
    const std::vector<std::uint32_t>& Peaks() const { return m_peaks; }
    QColor BackgroundColor() const { return m_background; }

    // Draws the visualiser as it stands into painter, whose origin is the widget's top-left.
    void Render(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildFrames();
    void ResizeBars();
    void FeedBars(std::span<const float> fft);

    QColor m_background{Qt::white};
    int m_bandSize = 0; // pixels
    int m_peakStep = 0; // pixels per level
    bool m_peaksOn = false;
    CExImage m_strip;
    CExImage m_backImage;
    CExImage m_peak;
    std::vector<QRect> m_frames;
    std::vector<std::uint32_t> m_levels;
    std::vector<std::uint32_t> m_peaks;
    std::vector<std::uint32_t> m_holds;
};
