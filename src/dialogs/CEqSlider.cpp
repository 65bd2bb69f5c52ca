// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CEqSlider.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

namespace {

// Groove and fill width, and the zero mark's length, in logical pixels.
constexpr qreal kGrooveWidth = 4.0;
constexpr int kZeroMark = 12;

QColor Blend(const QColor& a, const QColor& b, qreal amountOfB)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * amountOfB,
        a.greenF() + (b.greenF() - a.greenF()) * amountOfB,
        a.blueF() + (b.blueF() - a.blueF()) * amountOfB);
}

} // namespace

CEqSlider::CEqSlider(QWidget* parent)
    : QSlider(Qt::Vertical, parent)
{
}

int CEqSlider::KnobCentre(const QStyleOptionSlider& option, int position) const
{
    QStyleOptionSlider at = option;
    at.sliderPosition = position;
    at.sliderValue = position;
    const QRect knob
        = style()->subControlRect(QStyle::CC_Slider, &at, QStyle::SC_SliderHandle, this);
    return knob.center().y();
}

void CEqSlider::paintEvent(QPaintEvent* /*event*/)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove
        = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const qreal x = groove.center().x() + 0.5 - kGrooveWidth / 2;
    const int zero = KnobCentre(option, std::clamp(0, minimum(), maximum()));
    const int knob = KnobCentre(option, option.sliderPosition);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QPalette& colours = palette();
    const QColor text = colours.color(QPalette::WindowText);
    const QColor back = colours.color(QPalette::Window);
    // The groove is a quiet step between the dialog's background and its text.
    painter.setBrush(Blend(back, text, 0.22));
    painter.drawRoundedRect(QRectF(x, groove.top(), kGrooveWidth, groove.height()),
        kGrooveWidth / 2, kGrooveWidth / 2);
    painter.setBrush(Blend(back, text, 0.5));
    painter.drawRect(
        QRectF(groove.center().x() + 0.5 - kZeroMark / 2.0, zero - 0.5, kZeroMark, 1.0));
    if (knob != zero) {
        painter.setBrush(colours.color(isEnabled() ? QPalette::Active : QPalette::Disabled,
            QPalette::Highlight));
        const int top = std::min(zero, knob);
        painter.drawRoundedRect(QRectF(x, top, kGrooveWidth, std::abs(knob - zero)),
            kGrooveWidth / 2, kGrooveWidth / 2);
    }
    painter.end();

    // The knob is the style's, so it looks and reacts like every other slider of the desktop.
    option.subControls = QStyle::SC_SliderHandle;
    QPainter knobPainter(this);
    style()->drawComplexControl(QStyle::CC_Slider, &option, &knobPainter, this);
}
