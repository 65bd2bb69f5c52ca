// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CExImage.h"
#include "CSkinButton.h"
#include "CSkinElement.h"

// The horizontal slider of the skin (volume and track position): a value from 0 to
// kMaxValue, a bar drawn by cropping ("Back") or stretching ("Fill") an empty and a filled
// picture, and an optional knob with three looks. A press inside sets the value from the
// pointer at once; drags report only when the pixel offset moved.
//
// Skin file: root "Slider"; "Background" with optional "Back" and "Fill" ("File" the empty
// bar, "File2" the filled one; "Fill" is read last and wins, the cropping from "Back" stays),
// "Start" and "End" caps; "Button" with "Normal", "Hover", "Press" for the knob.
// User-interface thread.
class CSkinTrack : public CSkinElement {
public:
    static constexpr int kMaxValue = 100000;

    bool LoadSkin(const QString& path) override;
    void Draw(QPainter& painter) override;
    // Cropped bar: the bar picture's width; stretched: 100.
    int GetWidth() const override;
    // The bar picture's height.
    int GetHeight() const override;
    // While pressed, the value follows x and the control is returned when the pixel offset
    // changed; otherwise hover tracking, returned only when a knob shows it.
    CSkinElement* OnMouseMove(QPoint point) override;
    // Inside: pressed, value from x, returned.
    CSkinElement* OnButtonDown(QPoint point) override;
    CSkinElement* OnButtonUp(QPoint point) override;
    int GetState() const override { return m_value; }
    // Clamped to 0..kMaxValue.
    void SetState(int state) override;

    bool HasKnob() const { return m_hasKnob != 0; }
    // Knob or fill offset from the left edge for the value last set by the mouse.
    int GetPixelOffset() const { return m_pixelOffset; }
    // The value a press at pointer x would give (0..kMaxValue), without changing the control;
    // 0 for a rectangle too narrow for a scale.
    int ValueAt(int x) const;

private:
    // Sets value and pixel offset from a pointer x; a rectangle too narrow for a scale leaves
    // both unchanged.
    void ValueFromX(int x);
    // Pixel offset and value for pointer x; false for a rectangle too narrow for a scale.
    bool Scale(int x, int* offset, int* value) const;
    void DrawCropped(QPainter& painter, int fill) const;
    void DrawStretched(QPainter& painter, int fill) const;

    CExImage m_start;
    CExImage m_end;
    CExImage m_bar;
    CExImage m_filled;
    SkinLooks m_knob;
    int m_value = 0;
    int m_pixelOffset = 0;
    int m_lastPixelOffset = 0;
    int m_hasStart = 0;
    int m_hasEnd = 0;
    int m_croppedBar = 0;
    int m_hasKnob = 0;
};
