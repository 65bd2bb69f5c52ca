// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CExImage.h"
#include "CSkinElement.h"

// Five stars showing the playing track's rating (0..5); a click on a star rates the track
// with it, a click on the star of the current rating removes the rating. While the pointer is
// over the stars they show the rating under the pointer in the hover looks.
//
// After a removing click the stars stay dark while the pointer stays on that star (the "held"
// star), so the user sees the removal rather than the hover look lighting them again.
//
// Skin file: root "Rating" with "Show", "Hide", "ShowHover", "HideHover", each with "File".
// User-interface thread.
class CSkinRating : public CSkinElement {
public:
    static constexpr int kStars = 5;
    // Added to a rating by SetState for one that is shown but may not be changed.
    static constexpr int kReadOnly = 100;

    bool LoadSkin(const QString& path) override;
    void Draw(QPainter& painter) override;
    // Five times the lit star's width; its height.
    int GetWidth() const override;
    int GetHeight() const override;
    CSkinElement* OnMouseMove(QPoint point) override;
    CSkinElement* OnButtonDown(QPoint point) override;
    CSkinElement* OnButtonUp(QPoint point) override;
    CSkinElement* OnMouseLeave() override;
    // The rating, 0..5 (0 no rating).
    int GetState() const override { return m_rating; }
    // Negative: stars hidden. 0..99: rating, clickable. 100 and above: rating + kReadOnly,
    // shown but not clickable (and no longer in its hover look).
    void SetState(int state) override;

    int GetHoverRating() const { return m_hoverRating; }
    bool IsVisible() const { return m_visible != 0; }

private:
    // The star (1..5) under x, or 0 when x lies beyond the fifth.
    int StarAt(int x) const;

    CExImage m_show;
    CExImage m_hide;
    CExImage m_showHover;
    CExImage m_hideHover;
    int m_rating = 0;
    int m_hoverRating = 0;
    int m_heldStar = 0;
    int m_clickable = 0;
    int m_visible = 0;
};
