// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <cstddef>
#include <vector>

class CSkinElement;
class QWidget;

// With a layered skin, keeps the tree, list and visualiser windows over their elements: each
// companion follows its element's rectangle and hidden flag, read at each use. The windows
// stay child widgets of the main window (the toolkit composes them with the translucent
// window), so "over the main window" means at the element's client rectangle. UI thread only.
class CMoveLayered {
public:
    // Neither is owned; both must outlive the entry (Clear before either dies).
    void Add(QWidget* window, const CSkinElement* element);
    void Clear();
    int GetCount() const { return static_cast<int>(m_windows.size()); }

    // Moves every companion to its element's rectangle; unless deferUpdate, each repaints at
    // once.
    void Place(bool deferUpdate) const;
    // Hides the companions whose element is hidden and shows (raised) those whose element is
    // visible.
    void Show() const;
    // A window added for several elements (a list with a place beside the library and one
    // across the whole width) follows the shown one: a hidden element neither moves nor hides
    // it while another of its elements is shown.

private:
    bool Yields(std::size_t i) const;

    std::vector<QWidget*> m_windows;
    std::vector<const CSkinElement*> m_elements;
};
