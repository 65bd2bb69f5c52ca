// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "ScrollBarLook.h"

#include <QColor>
#include <QScrollBar>
#include <QStyle>

void MatchScrollBar(QScrollBar& bar, QRgb background)
{
    const QColor groove = QColor::fromRgb(background);
    const bool dark = groove.lightnessF() < 0.5;
    const QColor handle = dark ? groove.lighter(260) : groove.darker(130);
    const QColor hover = dark ? handle.lighter(140) : handle.darker(125);
    // The width is the view's, whose style has no sheet: the bar's own metrics come from its
    // sheet once one is set.
    const QWidget* view = bar.parentWidget();
    const int width = (view ? view->style() : bar.style())->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int margin = width >= 10 ? 3 : 1;
    bar.setStyleSheet(
        QStringLiteral("QScrollBar:vertical{background:%1;width:%2px;margin:0;border:none;}"
                       "QScrollBar::handle:vertical{background:%3;min-height:24px;"
                       "margin:%4px;border-radius:%5px;}"
                       "QScrollBar::handle:vertical:hover{background:%6;}"
                       "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical"
                       "{height:0;border:none;background:none;}"
                       "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical"
                       "{background:none;}")
            .arg(groove.name())
            .arg(width)
            .arg(handle.name())
            .arg(margin)
            .arg((width - 2 * margin) / 2)
            .arg(hover.name()));
}
