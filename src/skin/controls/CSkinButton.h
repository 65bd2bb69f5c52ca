// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CExImage.h"
#include "CSkinElement.h"

namespace tinyxml2 {
class XMLElement;
}

// The three looks of a button state, read from the "Normal", "Hover" and "Press" children of
// one element; each is optional.
struct SkinLooks {
    CExImage normal;
    CExImage hover;
    CExImage press;

    void Load(const tinyxml2::XMLElement* parent, const QString& folder, qreal ratio);
    // press while hovered and pressed, hover while hovered and not pressed, else normal.
    const CExImage& Choose(bool hovered, bool pressed) const;
};

// An image button with three looks (normal, hover, press), each stretched into the rectangle.
// A look without a picture draws nothing, so the panel background shows through. A click
// counts only when the button goes up over the control it went down on: the dispatcher reports
// the control when OnButtonUp returns it with the hover flag still set.
//
// Skin file: root "Button" with children "Normal", "Hover", "Press", each with "File".
// User-interface thread.
class CSkinButton : public CSkinElement {
public:
    bool LoadSkin(const QString& path) override;
    void Draw(QPainter& painter) override;
    // Size of the normal picture (0 x 0 without one).
    int GetWidth() const override;
    int GetHeight() const override;
    // Entering or leaving the rectangle toggles the hover look.
    CSkinElement* OnMouseMove(QPoint point) override;
    // Inside the rectangle: pressed, and returned.
    CSkinElement* OnButtonDown(QPoint point) override;
    // When pressed: released and returned, wherever the point is.
    CSkinElement* OnButtonUp(QPoint point) override;

protected:
    // The looks Draw chooses from; the switch picks them by its state.
    virtual const SkinLooks& CurrentLooks() const { return m_looks; }

    // The looks whose normal picture gives the natural size.
    SkinLooks m_looks;
};
