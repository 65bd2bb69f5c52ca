// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinElement.h"
#include "SkinPosition.h"

#include <QString>

#include <memory>

class QPainter;

namespace tinyxml2 {
class XMLElement;
}

// One element of a panel: a control and where it sits in the panel. UI thread only.
class CSkinPanelElement {
public:
    // Longest file name taken from the skin, in UTF-16 units.
    static constexpr int kMaxFileLength = 259;

    // The kind of an element tag, compared exactly (case-sensitive); 0 for any other tag.
    static int KindOf(const char* tag);
    // The tag of a kind; empty for 0 and numbers outside the table.
    static const char* TagOf(int kind);

    // Creates the control for the element's tag (through factory when the element names a
    // control file, else a plain inert element of kind 0), loads its file relative to
    // skinFolder, attaches a Button's trigger file, and reads the position with the control's
    // own size as default. hidden is the owning panel's flag; pictures load for the device
    // pixel ratio dpr. Never leaves the control null.
    void Load(const QString& skinFolder, const tinyxml2::XMLElement* element,
        const SkinControlFactory& factory, bool hidden, qreal dpr);

    // Places the control inside panel. An element without a position covers the whole panel.
    // An attached window follows the shown element among those that share it.
    void Layout(const SkinRect& panel);

    CSkinElement* GetControl() const { return m_control.get(); }
    const SkinPosition& GetPosition() const { return m_position; }
    const QString& GetTag() const { return m_tag; }
    // Skin file of the control, relative to the skin folder (the list, tree and spectrum
    // windows read theirs from it); empty when the element names none.
    const QString& GetSkinFile() const { return m_skinFile; }
    int GetDefaultWidth() const { return m_defaultWidth; }
    int GetDefaultHeight() const { return m_defaultHeight; }

private:
    SkinPosition m_position;
    std::unique_ptr<CSkinElement> m_control;
    QString m_tag;
    QString m_skinFile;
    int m_defaultWidth = 0;
    int m_defaultHeight = 0;
};
