// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CSkinPanelBack.h"
#include "CSkinPanelElement.h"
#include "SkinPosition.h"

#include <QString>

#include <memory>
#include <vector>

class QPainter;

namespace tinyxml2 {
class XMLElement;
}

// One panel of the main window: a rectangle anchored to the window's edges holding background
// pieces, elements and foreground pieces. UI thread only.
class CSkinPanel {
public:
    // Longest panel name taken from the skin, in UTF-16 units.
    static constexpr int kMaxNameLength = 255;
    // Extent of a panel whose position names no size.
    static constexpr int kDefaultSize = 40;

    // How the panel hangs on the window, per axis: an offset from the near (left, top) or
    // far edge, and an extent that is a size or, from the near edge, a distance from the far
    // edge. All zero without a "Position" child, which gives an empty panel.
    struct Anchor {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool fromLeft = false;
        bool fromTop = false;
        bool widthIsSize = false;
        bool heightIsSize = false;
    };

    // Reads one "Panel" element: name, identifier, hidden flag, position, elements (controls
    // made through factory, files relative to skinFolder, which ends with a separator),
    // background, foreground. Images are loaded for the device pixel ratio dpr. Missing
    // attributes and children keep the defaults.
    void Load(const QString& skinFolder, const tinyxml2::XMLElement* panel,
        const SkinControlFactory& factory, qreal dpr);

    // Computes the panel's rectangle for a client area of width × height.
    void Layout(int width, int height);
    // Places every element inside the panel rectangle (controls and their child windows).
    void LayoutElements();

    // Background pieces in order, onto a surface in client coordinates, clipped to the panel.
    void DrawBackground(QPainter& painter) const;
    // Every element's control that is not hidden, in order.
    void DrawElements(QPainter& painter) const;
    // Foreground pieces in order, clipped to the panel and to clip (client coordinates).
    void DrawForeground(QPainter& painter, const SkinRect& clip) const;
    bool HasForeground() const { return !m_foreground.empty(); }

    // Sets the panel's hidden flag and gives every control of the panel the same flag.
    void SetHidden(bool hidden);
    bool IsHidden() const { return m_hidden; }

    const QString& GetName() const { return m_name; }
    int GetId() const { return m_id; }
    const SkinRect& GetRect() const { return m_rect; }
    const Anchor& GetAnchor() const { return m_anchor; }
    const std::vector<CSkinPanelElement>& GetElements() const { return m_elements; }
    const std::vector<CSkinPanelBack>& GetBackground() const { return m_background; }
    const std::vector<CSkinPanelBack>& GetForeground() const { return m_foreground; }

private:
    void ReadAnchor(const tinyxml2::XMLElement* position);
    static void ReadPieces(const QString& skinFolder, const tinyxml2::XMLElement* list,
        qreal dpr, std::vector<CSkinPanelBack>& pieces);

    QString m_name = QStringLiteral("Panel");
    SkinRect m_rect;
    bool m_hidden = false;
    int m_id = 0;
    Anchor m_anchor;
    std::vector<CSkinPanelElement> m_elements;
    std::vector<CSkinPanelBack> m_background;
    std::vector<CSkinPanelBack> m_foreground;
};

// The panels of a skin in document order; the main window owns them.
using SkinPanels = std::vector<std::unique_ptr<CSkinPanel>>;
