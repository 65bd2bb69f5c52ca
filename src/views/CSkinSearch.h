// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CExImage.h"

#include <QColor>
#include <QLineEdit>

// The search box: a one-line text field whose look comes from its own skin file:
//   <Search>
//     <Font Name="" Size="9" Bold="0" Color="E8EAED"/>  the typed text (points, RRGGBB)
//     <Placeholder Color="9AA0A6"/>                    the hint shown while empty and unfocused
//     <Box Color="262A31" Border="33373F" Focus="4C8DF6" Radius="6"/>
//                                                      fill, 1 px outline, outline with focus
//     <Icon File="Search.png"/>                        optional picture at the left
//     <Clear File="Clear.png" Hover="Clear-hover.png"/> optional button at the right that
//                                                      empties the box; shown while it holds text
//   </Search>
// Missing parts keep the defaults: the application's font in black on white, no pictures.
// Escape empties the box. The owner hears every change of the text through textChanged.
// UI thread only.
class CSkinSearch : public QLineEdit {
    Q_OBJECT
public:
    explicit CSkinSearch(QWidget* parent = nullptr);

    // Reads the skin file; pictures are taken for devicePixelRatio (see CExImage). False, with
    // the defaults kept, when the file cannot be read or is not a search file.
    bool LoadSkin(const QString& path, qreal devicePixelRatio = 1.0);
    // Drops the skin's pictures and goes back to the default look; the text stays.
    void FreeSkin();
    // Empties the box without telling the owner (the list already shows something else).
    void ClearQuietly();

    QColor BoxColor() const { return m_box; }
    bool HasClearButton() const { return m_clear.IsLoaded(); }
    // Where the clear button is drawn, in widget coordinates; empty while it is not shown.
    QRect ClearButtonRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ApplyLook();
    void SetClearHovered(bool hovered);

    QFont m_font;
    QColor m_text { Qt::black };
    QColor m_placeholder { Qt::gray };
    QColor m_box { Qt::white };
    QColor m_border { Qt::transparent };
    QColor m_focusBorder { Qt::transparent };
    int m_radius = 0;
    CExImage m_icon;
    CExImage m_clear;
    CExImage m_clearHover;
    bool m_clearHovered = false;
};
