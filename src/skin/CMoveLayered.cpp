// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMoveLayered.h"

#include "CSkinElement.h"

#include <QWidget>

void CMoveLayered::Add(QWidget* window, const CSkinElement* element)
{
    if (!window || !element)
        return;
    m_windows.push_back(window);
    m_elements.push_back(element);
}

void CMoveLayered::Clear()
{
    m_windows.clear();
    m_elements.clear();
}

bool CMoveLayered::Yields(std::size_t i) const
{
    if (!m_elements[i]->IsHidden())
        return false;
    for (std::size_t j = 0; j < m_windows.size(); ++j)
        if (j != i && m_windows[j] == m_windows[i] && !m_elements[j]->IsHidden())
            return true;
    return false;
}

void CMoveLayered::Place(bool deferUpdate) const
{
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        if (Yields(i))
            continue;
        const auto& r = m_elements[i]->GetRect();
        m_windows[i]->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (!deferUpdate)
            m_windows[i]->repaint();
    }
}

void CMoveLayered::Show() const
{
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        if (Yields(i))
            continue;
        QWidget* w = m_windows[i];
        const bool hidden = m_elements[i]->IsHidden();
        if (hidden && w->isVisible()) {
            w->hide();
        } else if (!hidden && !w->isVisible()) {
            w->raise();
            w->show();
        }
    }
}
