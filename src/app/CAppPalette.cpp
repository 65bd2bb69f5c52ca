// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CAppPalette.h"

#include "CSkinPalette.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>

namespace {

const QString kFusion = QStringLiteral("Fusion");

} // namespace

void CAppPalette::Apply(const CSkinPalette& palette)
{
    if (!palette.IsSet()) {
        Restore();
        return;
    }
    if (!m_applied) {
        m_desktopStyle = QApplication::style()->name();
        m_desktopPalette = QApplication::palette();
        m_desktopTipPalette = QToolTip::palette();
        m_desktopOwnPickers = QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs);
    }
    if (QApplication::style()->name().compare(kFusion, Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(kFusion));
    const QPalette colours = palette.ToPalette();
    QApplication::setPalette(colours);
    QToolTip::setPalette(colours);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
    m_applied = true;
}

void CAppPalette::Restore()
{
    if (!m_applied)
        return;
    if (QApplication::style()->name().compare(m_desktopStyle, Qt::CaseInsensitive) != 0) {
        if (QStyle* style = QStyleFactory::create(m_desktopStyle))
            QApplication::setStyle(style);
    }
    QApplication::setPalette(m_desktopPalette);
    QToolTip::setPalette(m_desktopTipPalette);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, m_desktopOwnPickers);
    m_applied = false;
}
