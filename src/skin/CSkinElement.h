// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CTrigger.h"
#include "SkinRect.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class CExImage;
class QPainter;
class QWidget;

// Element kinds: the numbers of the skin's element keywords, shared by the panels, the
// controls and the main window's command routing. Any other keyword is kind 0 (None).
enum class SkinKind : int {
    None = 0,
    Play = 1,
    PlayPause = 2,
    Pause = 3,
    Stop = 4,
    Next = 5,
    Previous = 6,
    VolumeBar = 7,
    TrackBar = 8,
    Mute = 9,
    Close = 10,
    Minimize = 11,
    Library = 12,
    Playlist = 13,
    Button = 14,
    Cover = 15,
    Spectrum = 16,
    Rating = 17,
    Title = 18,
    Artist = 19,
    Repeat = 20,
    Shuffle = 21,
    Album = 22,
    Equalizer = 23,
    Time = 24,
    Search = 25,
};

// One element a panel holds: a skin control or the place of a child window (library tree,
// now-playing list, spectrum, search box). The plain element draws nothing and ignores the
// mouse; the controls of skin/controls override the virtual operations.
//
// The panel loader creates it, sets type, hidden flag and device pixel ratio, then calls
// LoadSkin with the path of the element's own skin file and reads GetWidth/GetHeight as the
// element's default size. Layout sets the rectangle. The painter calls Draw; the mouse
// dispatcher calls the mouse operations in panel and element order. A mouse operation returns
// this when the control's look changed or the event concerns it (the dispatcher repaints it,
// captures it when it reports itself pressed, reports it as a command), else nullptr.
//
// Coordinates are logical skin pixels in the main window's client area; the rectangle is a
// SkinRect (left, top, right, bottom, with right and bottom the first column and row outside).
// User-interface thread only (a cover worker prepares pictures at GetCoverSize
// and hands them over on that thread).
class CSkinElement {
public:
    CSkinElement() = default;
    virtual ~CSkinElement();
    CSkinElement(const CSkinElement&) = delete;
    CSkinElement& operator=(const CSkinElement&) = delete;

    // Reads the control's skin file (path with '/' separators; the files it names are
    // relative to its folder). False when the file cannot be read or parsed; the control then
    // has no pictures but still takes part in layout and hit testing. Base: stores the path
    // and returns true.
    virtual bool LoadSkin(const QString& path);
    // Draws the control at its rectangle onto the frame buffer. Base: nothing.
    virtual void Draw(QPainter& painter);
    // Natural size in logical pixels, used when the skin gives no size. Base: 10 x 10.
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    // Base: nullptr (the element ignores the mouse).
    virtual CSkinElement* OnMouseMove(QPoint point);
    virtual CSkinElement* OnButtonDown(QPoint point);
    virtual CSkinElement* OnButtonUp(QPoint point);
    // The pointer left the window: clears the hover look. Returns this when the look changed.
    virtual CSkinElement* OnMouseLeave();
    // The value the control shows (switch state, slider value 0..100000, rating). Base: 0.
    virtual int GetState() const;
    virtual void SetState(int state);
    // A text (text controls) or a picture file path (cover); empty means none. Base: ignored.
    virtual void SetString(const QString& text);
    // The text a text control shows. Base: empty.
    virtual QString GetText() const;
    // Cover controls: the logical size their pictures are shown at. Base: empty (no picture).
    virtual QSize GetCoverSize() const;
    // Cover controls: shows a picture already scaled to GetCoverSize; an empty image drops the
    // one shown. Base: ignored.
    virtual void SetCover(const CExImage& cover);

    int GetType() const { return m_type; }
    SkinKind GetKind() const;
    void SetType(int type) { m_type = type; }
    // Set from the owning panel; while set the painter changes the state without drawing.
    bool IsHidden() const { return m_hidden != 0; }
    void SetHidden(bool hidden) { m_hidden = hidden ? 1 : 0; }
    bool IsPressed() const { return m_pressed != 0; }
    bool IsHovered() const { return m_hovered != 0; }
    const SkinRect& GetRect() const { return m_rect; }
    void SetRect(const SkinRect& rect) { m_rect = rect; }
    // Rules a generic button (kind 14) applies to the panels when clicked.
    CTrigger& GetTrigger() { return m_trigger; }
    const CTrigger& GetTrigger() const { return m_trigger; }
    // The child window placed at the rectangle (Library, Playlist, Spectrum), not owned.
    QWidget* GetWindow() const { return m_window; }
    void SetWindow(QWidget* window) { m_window = window; }
    const QString& GetSkinPath() const { return m_skinPath; }
    // Device pixel ratio of the frame buffer; set before LoadSkin so pictures load at the
    // matching density ("@2x" files at 1.5 and above). Default 1.
    qreal GetDevicePixelRatio() const { return m_devicePixelRatio; }
    void SetDevicePixelRatio(qreal ratio) { m_devicePixelRatio = ratio > 0 ? ratio : 1.0; }

protected:
    // Hover tracking shared by the controls: returns true when hovered changed.
    bool TrackHover(QPoint point);
    // Clears pressed; true when it was set.
    bool Release();

    int m_pressed = 0;
    int m_hovered = 0;
    int m_hidden = 0;
    CTrigger m_trigger;
    int m_type = 0;
    QWidget* m_window = nullptr;
    SkinRect m_rect;
    QString m_skinPath;
    qreal m_devicePixelRatio = 1.0;
};

// Makes the element for a kind (0..25; anything else gives a plain element of kind 0) with its
// type set. The panels receive one from their owner, since the control classes live in a layer
// above them (skin/controls provides CreateSkinControl).
using SkinControlFactory = std::function<std::unique_ptr<CSkinElement>(int kind)>;
