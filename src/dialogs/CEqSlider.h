// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QSlider>

class QStyleOptionSlider;

// A vertical equalizer slider whose groove is filled from the 0 dB line to the knob, so a
// boost fills upwards and a cut downwards; a slider at 0 dB shows an empty groove with the
// zero mark. The range must hold 0. The knob and the mouse handling stay the style's own;
// only the groove is drawn here, in the palette's colours (the fill in Highlight).
// UI thread.
class CEqSlider : public QSlider {
    Q_OBJECT
public:
    explicit CEqSlider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The vertical centre of the knob when the slider shows position.
    int KnobCentre(const QStyleOptionSlider& option, int position) const;
};
