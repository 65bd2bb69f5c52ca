// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QtGlobal>

// The pixels the pictures of one skin may take together. A skin names its pictures in many
// files read by many objects; rather than hand a budget to each of them, the loader opens a
// Scope around the whole load, and every CExImage load on that thread meanwhile is charged to
// it by the size the picture's header declares, before a pixel is decoded. A picture that does
// not fit is refused (its load fails as for an unreadable file) and the budget records that.
//
// A budget and its scopes belong to one thread; loads on other threads are never charged.
class CImageBudget {
public:
    // 128 megapixels, 512 MB once decoded: several times what a large skin drawn for a
    // high-density screen needs.
    static constexpr qint64 kSkinPixels = 128'000'000;

    explicit CImageBudget(qint64 maxPixels = kSkinPixels) : m_left(maxPixels) {}

    // Takes pixels from what is left. False, nothing taken and the budget marked exceeded, when
    // they do not fit.
    bool Charge(qint64 pixels);
    // True once a charge was refused.
    bool Exceeded() const { return m_exceeded; }
    qint64 Left() const { return m_left; }
    // Starts over with maxPixels and no refusal.
    void Reset(qint64 maxPixels = kSkinPixels);

    // Makes budget the one charged on this thread until the scope ends (scopes nest; the
    // innermost wins).
    class Scope {
    public:
        explicit Scope(CImageBudget& budget);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CImageBudget* m_outer;
    };
    // The budget of this thread's innermost open scope; null when none is open.
    static CImageBudget* Current();

private:
    qint64 m_left;
    bool m_exceeded = false;
};
