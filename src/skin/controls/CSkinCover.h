// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CExImage.h"
#include "CSkinElement.h"

#include <QImage>
#include <QSize>

// The album cover of the playing track, at the size of the skin's default cover, with an
// optional shadow behind it, an overlay over a real cover (not over the default one) and a
// mirrored reflection below it faded by a mask.
//
// Skin file: root "Cover" with "Mirror" (the mask; when it loads the reflection is drawn),
// "Cover" (the default cover, whose size every cover is shown at), "Overlay" and "Shadow",
// each with "File".
//
// Threads: LoadSkin, Draw, SetString and SetCover on the user-interface thread. A cover
// worker decodes off that thread with PrepareCover and hands the result to SetCover.
class CSkinCover : public CSkinElement {
public:
    bool LoadSkin(const QString& path) override;
    void Draw(QPainter& painter) override;
    // The wider of the shadow and the default cover.
    int GetWidth() const override;
    // The default cover's height plus the mask's height (with a reflection) or else half the
    // shadow's height.
    int GetHeight() const override;
    // A picture file path: loaded now at the cover size (a file that does not load leaves no
    // cover, so the default one shows); empty: the cover is dropped.
    void SetString(const QString& path) override;

    // The size covers are shown at: the default cover's, or the rectangle's when the skin has
    // no default cover.
    QSize GetCoverSize() const override;
    bool HasMirror() const { return m_mirror != 0; }
    bool HasCover() const { return m_cover.IsLoaded(); }
    // A cover scaled to size at the given pixel density: from a file (imageFile) or a picture
    // taken from a tag (picture, used when imageFile is empty). Empty when neither loads. Any
    // thread.
    static CExImage PrepareCover(const QString& imageFile, const QImage& picture, QSize size,
        qreal devicePixelRatio);
    // Shows cover (an empty image drops the current one); its reflection is made here.
    void SetCover(const CExImage& cover) override;

private:
    CExImage m_defaultCover;
    CExImage m_shadow;
    CExImage m_overlay;
    CExImage m_defaultReflection;
    CExImage m_mask;
    CExImage m_cover;
    CExImage m_reflection;
    int m_mirror = 0;
};
