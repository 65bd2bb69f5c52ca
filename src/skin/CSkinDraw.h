// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CCoverWorker.h"
#include "CImageBudget.h"
#include "CSkinPanel.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CMoveResize;
class CSettings;
class QPainter;

// What the skin painter needs from the window that shows its frame buffer. UI thread only.
class ISkinWindow {
public:
    virtual ~ISkinWindow() = default;
    // The window mode: per-pixel alpha (layered) or opaque.
    virtual void SetSkinLayered(bool layered) = 0;
    // The window's shape in client coordinates; an empty region means the whole window.
    virtual void SetSkinRegion(const QRegion& region) = 0;
    // A part of the client area (logical pixels) changed in the frame buffer.
    virtual void InvalidateSkin(const QRect& rect) = 0;
};

// The skin painter: reads "Skin.xml", lays the panels out, keeps the frame buffer (what the
// window shows) and the scratch buffer (the panels' backgrounds, so that one control can be
// redrawn alone), and routes mouse events to the controls. Buffers are in device pixels
// (ratio set by SetDevicePixelRatio); every coordinate here is in logical client pixels.
// UI thread only, except where noted; the cover worker (CCoverWorker) finds, decodes and
// scales covers on a thread of its own that reports back to the UI thread.
class CSkinDraw {
public:
    CSkinDraw();
    // Drops the cover search under way without waiting for it.
    ~CSkinDraw();
    CSkinDraw(const CSkinDraw&) = delete;
    CSkinDraw& operator=(const CSkinDraw&) = delete;

    // The collaborators; none is owned. Without a window the buffers are still drawn (the
    // command-line renderer and the tests read them) but nothing is shown.
    void SetWindow(ISkinWindow* window) { m_window = window; }
    void SetPanels(SkinPanels* panels) { m_panels = panels; }
    void SetMover(CMoveResize* mover) { m_mover = mover; }
    void SetSettings(CSettings* settings) { m_settings = settings; }
    void SetControlFactory(SkinControlFactory factory) { m_factory = std::move(factory); }
    // Folder of the program (skins are under its "Skin" folder), with or without separator.
    void SetProgramFolder(const QString& folder);
    // Device pixels per logical pixel of the window's screen; images and buffers follow it
    // from the next load and full repaint.
    void SetDevicePixelRatio(qreal dpr);
    qreal GetDevicePixelRatio() const { return m_dpr; }

    // The folder of a skin ending with a separator; empty when name is not a plain folder
    // name (empty, ".", "..", or holding a separator).
    QString SkinFolder(const QString& name) const;

    // Reads "Skin.xml" of the named skin. False, and nothing changed, when the name is not a
    // plain folder name, the file is missing, too large or not well-formed XML, or its pictures
    // together declare more than the image budget (see GetImageBudget). Otherwise
    // appends the panels, stores the size limits in the mover, sets the window mode and the
    // corner radius, writes the name into the "Skin" setting, and returns true (also when the
    // file holds no "Window").
    bool LoadSkin(const QString& name);
    // LoadSkin from a folder given directly (ending with a separator), stored under name.
    bool LoadSkinFolder(const QString& folder, const QString& name);
    // Replaces the skin: destroys the panels and loads name, or "Default" when that fails.
    // Returns false when it had to fall back. The window's own steps (child windows, size
    // limits, showing) are the caller's.
    bool ApplySkin(const QString& name);
    const QString& GetSkinName() const { return m_skinName; }
    const QString& GetLoadedFolder() const { return m_skinFolder; }
    // The pixels the pictures of the skin loaded last may still take: each load starts it
    // again at CImageBudget::kSkinPixels. The window's companion views (list, tree, spectrum)
    // load their skin files under a scope of the same budget. UI thread.
    CImageBudget& GetImageBudget() { return m_imageBudget; }

    bool IsLayered() const { return m_layered; }
    int GetCornerRadius() const { return m_cornerRadius; }
    // The window region for a client area: a rounded rectangle for a non-layered skin with
    // corners; empty (the whole window) otherwise.
    QRegion Region(int width, int height) const;

    // Lays the panels out for the client area, sets the window region and repaints all.
    void Layout(int width, int height);
    // Redraws both buffers and shows them.
    void FullRepaint();
    // Redraws one control from the scratch buffer and shows its rectangle. Nothing before the
    // first full repaint.
    void RepaintControl(CSkinElement* control);
    // Copies the frame buffer's part under rect (client coordinates) onto painter, replacing
    // what is there (so a layered window takes the buffer's alpha).
    void Paint(QPainter& painter, const QRect& rect) const;
    // The frame buffer (device pixels, with the device pixel ratio set).
    const QImage& GetFrameBuffer() const { return m_frame; }
    QSize GetClientSize() const { return QSize(m_width, m_height); }

    // State pushed in by the main window; visible controls are repainted.
    void SetStateOfKind(int kind, int state);
    // Sliders that are not being dragged take the value (0..100000).
    void SetVolume(int value);
    void SetPosition(int value);
    void SetTexts(const QString& title, const QString& artist, const QString& album);
    // What the Time texts show (see CSkinText::TimeText); only those whose text changed are
    // repainted, so the once-a-tick refresh costs nothing between seconds.
    void SetTime(const QString& text);
    void SetRating(int value);
    // Shows the cover of the album that file (a track) belongs to, unless that album is the
    // one shown: album is the track's album title, and an album is its title in its folder, so
    // two albums of one title in different folders each show their own. The worker searches
    // the folder (CCoverLoader), else takes the picture from the track's tags (the picture
    // reader), and scales it to every Cover control's size; the controls get it on the UI
    // thread. A newer request or ClearCover drops an older one's answer, never waiting for it.
    void ShowCover(const QString& file, const QString& album);
    void ClearCover();
    // Called on the UI thread with the image file the Cover controls show for each cover shown
    // (empty when the track has none, or when the cover came from its tags).
    void SetCoverListener(std::function<void(const QString&)> listener);
    // The encoded picture stored in a track's tags, empty for none; called on the worker
    // thread, so it must be safe on any thread. None by default.
    void SetPictureReader(std::function<QByteArray(const QString&)> reader);
    // True while a cover search runs (tests wait on it).
    bool IsCoverBusy() const;

    // Mouse routing, client coordinates. Move returns the volume bar being dragged (the
    // window applies the volume at once), or null.
    CSkinElement* OnMouseMove(QPoint point);
    // Down: the volume bar or rating that took the press (the window acts on it at once), or
    // null; *captured (may be null) tells whether a control took the mouse; when none did
    // the window starts a drag.
    CSkinElement* OnButtonDown(QPoint point, bool* captured = nullptr);
    // Up: the control whose action the window performs, or null.
    CSkinElement* OnButtonUp(QPoint point);
    // The pointer left the skin's surface (out of the window or into a child window), or the
    // panels are about to change: every control loses its hover look.
    void OnMouseLeave();
    CSkinElement* GetCaptured() const { return m_captured; }

    // Every control of every panel, in panel and element order.
    template <typename F> void ForEachControl(F&& f) const
    {
        if (!m_panels)
            return;
        for (const auto& panel : *m_panels) {
            for (const CSkinPanelElement& e : panel->GetElements())
                f(*panel, e.GetControl());
        }
    }

private:
    // Appends the panels of window, charging their pictures to a fresh image budget. False,
    // with none of them kept, when the budget was exceeded.
    bool LoadPanels(const QString& folder, const tinyxml2::XMLElement* window);
    void SetSliders(int kind, int value);
    void EnsureBuffers();
    void CopyScratch(QPainter& frame, const SkinRect& box) const;
    void StartCoverSearch();
    void DeliverCover(const QString& image, const std::vector<CExImage>& covers);

    ISkinWindow* m_window = nullptr;
    SkinPanels* m_panels = nullptr;
    CMoveResize* m_mover = nullptr;
    CSettings* m_settings = nullptr;
    SkinControlFactory m_factory;
    QString m_programFolder;
    QString m_skinName;
    QString m_skinFolder;
    CImageBudget m_imageBudget;
    qreal m_dpr = 1.0;
    bool m_layered = false;
    int m_cornerRadius = 0;
    int m_width = 0;
    int m_height = 0;
    QImage m_frame;
    QImage m_scratch;
    CSkinElement* m_captured = nullptr;

    // Cover search, UI thread: the worker gets copies of what it needs and its answer comes
    // back through m_context, so it shares no member with the UI thread.
    QString m_coverFile;
    QString m_coverAlbum;
    QString m_coverKey; // folder and album title of the cover shown or being searched
    std::function<void(const QString&)> m_coverListener;
    std::function<QByteArray(const QString&)> m_pictureReader;
    std::unique_ptr<QObject> m_context;
    CCoverWorker m_coverWorker; // after m_context, which receives its answers
};
