// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The skin of the main window: loading and applying it, painting, mouse routing to its
// controls, and moving and resizing the caption-less window.
#include "CPanelWnd.h"

#include "CDlgSkin.h"
#include "CSkinPalette.h"
#include "CSkinText.h"
#include "CSkinTrack.h"
#include "CreateSkinControl.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QToolTip>
#include <QWindow>

namespace {

// On Wayland a client cannot place its own window: moves and resizes go to the compositor.
bool CompositorPlacesWindows()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

Qt::Edges EdgesOf(int mode)
{
    Qt::Edges edges;
    if (mode & CMoveResize::kLeft)
        edges |= Qt::LeftEdge;
    if (mode & CMoveResize::kRight)
        edges |= Qt::RightEdge;
    if (mode & CMoveResize::kTop)
        edges |= Qt::TopEdge;
    if (mode & CMoveResize::kBottom)
        edges |= Qt::BottomEdge;
    return edges;
}

// A size within the limits (0: none); the window keeps a size that already fits.
int Fit(int size, int minSize, int maxSize)
{
    if (minSize > 0 && size < minSize)
        return minSize;
    if (maxSize > 0 && size > maxSize)
        return maxSize;
    return size;
}

} // namespace

void CPanelWnd::LoadSkin()
{
    m_skinDraw.SetWindow(this);
    m_skinDraw.SetPanels(&m_panels);
    m_skinDraw.SetMover(&m_mover);
    m_skinDraw.SetSettings(&m_settings);
    m_skinDraw.SetControlFactory(&CreateSkinControl);
    m_skinDraw.SetProgramFolder(m_programFolder);
    m_skinDraw.SetDevicePixelRatio(devicePixelRatioF());
    if (!m_skinDraw.LoadSkin(m_settings.GetSkin())) {
        m_panels.clear();
        m_skinDraw.LoadSkin(m_settings.GetDefaultSkin());
    }
    m_mover.SetCurrentRect(geometry());
    SetSizeLimits();
    ApplySkinPalette();
}

void CPanelWnd::ApplySkinPalette()
{
    CSkinPalette palette;
    palette.Load(m_skinDraw.GetLoadedFolder());
    m_appPalette.Apply(palette);
}

void CPanelWnd::SetSizeLimits()
{
    // The window's own hints carry the skin's limits, so a resize the window manager or a
    // Wayland compositor performs (the window cannot place itself there) keeps to them as
    // well as the skin's own frame does. 0 means no limit.
    const auto limit = [](int size, int none) { return size > 0 ? size : none; };
    setMinimumSize(0, 0); // first, so the new maximum may lie below the old minimum
    setMaximumSize(limit(m_mover.GetMaxWidth(), QWIDGETSIZE_MAX),
        limit(m_mover.GetMaxHeight(), QWIDGETSIZE_MAX));
    setMinimumSize(limit(m_mover.GetMinWidth(), 0), limit(m_mover.GetMinHeight(), 0));
}

void CPanelWnd::PushSkinState()
{
    m_skinDraw.SetVolume(m_settings.GetVolume());
    m_skinDraw.SetStateOfKind(static_cast<int>(SkinKind::Mute), m_settings.GetMute());
    m_skinDraw.SetStateOfKind(static_cast<int>(SkinKind::Repeat), m_settings.GetRepeat());
    m_skinDraw.SetStateOfKind(static_cast<int>(SkinKind::Shuffle), m_settings.GetShuffle());
}

bool CPanelWnd::ApplySkin(const QString& name)
{
    Stop();
    m_engine.Stop();
    FreeChildWindows();
    m_skinDraw.SetDevicePixelRatio(devicePixelRatioF());
    const bool applied = m_skinDraw.ApplySkin(name);
    ApplySkinPalette();
    CreateChildWindows();
    SetSizeLimits();
    // A size outside the new limits is brought to the nearest one on each side; the top-left
    // corner stays.
    const int w = Fit(width(), m_mover.GetMinWidth(), m_mover.GetMaxWidth());
    const int h = Fit(height(), m_mover.GetMinHeight(), m_mover.GetMaxHeight());
    m_skinDraw.SetVolume(m_engine.GetVolumeLevel());
    m_skinDraw.SetStateOfKind(static_cast<int>(SkinKind::Mute), m_engine.IsMute() ? 1 : 0);
    m_skinDraw.SetStateOfKind(static_cast<int>(SkinKind::Repeat), m_settings.GetRepeat());
    m_skinDraw.SetStateOfKind(static_cast<int>(SkinKind::Shuffle), m_settings.GetShuffle());
    // The window stays up while its skin changes: its children are widgets that the toolkit
    // composes in either mode, so nothing needs the window hidden, and the chooser that asked
    // for the change stays in front of it.
    if (size() != QSize(w, h))
        resize(w, h);
    m_skinDraw.Layout(width(), height());
    PlaceChildWindows();
    if (m_skinDraw.IsLayered()) {
        m_composer.Show();
        m_composer.Place(false);
    }
    return applied;
}

void CPanelWnd::SetSkinLayered(bool layered)
{
    // The window has alpha in both modes (see the constructor); what changes is whether its
    // shape comes from the frame buffer's alpha or from the region.
    if (layered)
        clearMask();
}

void CPanelWnd::SetSkinRegion(const QRegion& region)
{
    if (region.isEmpty())
        clearMask();
    else
        setMask(region);
}

void CPanelWnd::InvalidateSkin(const QRect& rect)
{
    update(rect);
}

void CPanelWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    m_pointer = pos;
    bool captured = false;
    if (CSkinElement* acted = m_skinDraw.OnButtonDown(pos, &captured))
        OnSkinControl(acted);
    if (captured)
        return;
    m_mover.SetClientSize(width(), height());
    if (CompositorPlacesWindows()) {
        StartSystemDrag(m_mover.HitTest(pos));
        return;
    }
    m_mover.BeginDrag(pos, event->globalPosition().toPoint(), geometry());
}

void CPanelWnd::StartSystemDrag(int mode)
{
    QWindow* window = windowHandle();
    if (!window)
        return;
    if (mode == CMoveResize::kMove)
        window->startSystemMove();
    else
        window->startSystemResize(EdgesOf(mode));
}

void CPanelWnd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    m_pointer = pos;
    std::optional<QRect> moveTo;
    if (m_mover.DragStep(pos, event->globalPosition().toPoint(), &moveTo)) {
        if (moveTo)
            setGeometry(*moveTo);
        if (moveTo && m_mover.IsResizing() && m_skinDraw.IsLayered())
            m_composer.Place(false);
        return;
    }
    if (const std::optional<Qt::CursorShape> cursor = m_mover.Cursor())
        setCursor(*cursor);
    else
        unsetCursor();
    if (CSkinElement* volume = m_skinDraw.OnMouseMove(pos))
        OnSkinControl(volume);
    ShowTrackTip(pos, event->globalPosition().toPoint());
}

void CPanelWnd::ShowTrackTip(QPoint pos, QPoint globalPos)
{
    const qint64 length = PlayingLengthSeconds();
    if (length <= 0)
        return;
    const CSkinTrack* bar = nullptr;
    m_skinDraw.ForEachControl([&](const CSkinPanel& panel, CSkinElement* c) {
        if (bar == nullptr && c->GetKind() == SkinKind::TrackBar && !panel.IsHidden()
            && !c->IsHidden() && c->GetRect().Contains(pos))
            bar = dynamic_cast<const CSkinTrack*>(c);
    });
    if (bar == nullptr)
        return;
    const qint64 at = length * bar->ValueAt(pos.x()) / CSkinTrack::kMaxValue;
    // Tied to the bar's rectangle, so the tip goes as soon as the pointer leaves it.
    QToolTip::showText(globalPos, CSkinText::Duration(at), this, bar->GetRect().ToQRect());
}

void CPanelWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    m_pointer = pos;
    if (m_mover.IsDragging()) {
        const bool moved = !m_mover.IsResizing();
        m_mover.EndDrag(pos);
        if (moved && m_skinDraw.IsLayered())
            m_composer.Place(true);
        return;
    }
    if (CSkinElement* control = m_skinDraw.OnButtonUp(pos))
        OnSkinControl(control);
}

void CPanelWnd::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_pointer.reset();
    m_skinDraw.OnMouseLeave();
}

bool CPanelWnd::eventFilter(QObject* watched, QEvent* event)
{
    // Moving from a control straight into a child view leaves nothing to the main window
    // (the pointer is still inside it), so the control would keep its hover look.
    if (event->type() == QEvent::Enter && watched != this) {
        m_pointer.reset();
        m_skinDraw.OnMouseLeave();
    }
    if (event->type() == QEvent::MouseButtonPress && (watched == &m_list || watched == &m_tree))
        m_lastClickedView = static_cast<QWidget*>(watched);
    return QWidget::eventFilter(watched, event);
}

// The action of each control kind; kinds without a row do nothing.
struct CPanelWnd::KindRow {
    SkinKind kind;
    void (*action)(CPanelWnd& wnd, CSkinElement& control);
};

// The transport buttons go through the commands, so a click while the list fills waits for
// its rows like the same key or menu item.
const CPanelWnd::KindRow CPanelWnd::kKinds[] = {
    {SkinKind::Play, [](CPanelWnd& w, CSkinElement&) { w.OnCommand(CContextMenu::ID_PLAY_FOCUS); }},
    {SkinKind::PlayPause, [](CPanelWnd& w, CSkinElement&) { w.OnCommand(CContextMenu::ID_PAUSE); }},
    {SkinKind::Pause, [](CPanelWnd& w, CSkinElement&) { w.PauseToggle(); }},
    {SkinKind::Stop, [](CPanelWnd& w, CSkinElement&) { w.OnCommand(CContextMenu::ID_STOP); }},
    {SkinKind::Next, [](CPanelWnd& w, CSkinElement&) { w.OnCommand(CContextMenu::ID_NEXT); }},
    {SkinKind::Previous, [](CPanelWnd& w, CSkinElement&) { w.OnCommand(CContextMenu::ID_PREV); }},
    {SkinKind::VolumeBar, [](CPanelWnd& w, CSkinElement& c) { w.SetVolume(c.GetState()); }},
    {SkinKind::TrackBar, [](CPanelWnd& w, CSkinElement& c) { w.Seek(c.GetState()); }},
    {SkinKind::Mute, [](CPanelWnd& w, CSkinElement& c) { w.SetMute(c.GetState() != 1); }},
    {SkinKind::Close, [](CPanelWnd& w, CSkinElement&) { w.close(); }},
    {SkinKind::Minimize, [](CPanelWnd& w, CSkinElement&) { w.Minimize(); }},
    {SkinKind::Button, [](CPanelWnd& w, CSkinElement& c) { w.ApplyTrigger(c); }},
    {SkinKind::Rating, [](CPanelWnd& w, CSkinElement& c) { w.RateTrack(c.GetState(), true); }},
    {SkinKind::Repeat, [](CPanelWnd& w, CSkinElement& c) { w.SetRepeat(c.GetState() != 1); }},
    {SkinKind::Shuffle, [](CPanelWnd& w, CSkinElement& c) { w.SetShuffle(c.GetState() != 1); }},
    {SkinKind::Equalizer, [](CPanelWnd& w, CSkinElement&) { w.OnEqualizer(); }},
    {SkinKind::Time, [](CPanelWnd& w, CSkinElement&) { w.ToggleTimeRemaining(); }},
};

void CPanelWnd::OnSkinControl(CSkinElement* control)
{
    const int kind = control->GetType();
    for (const KindRow& row : kKinds) {
        if (row.kind == control->GetKind()) {
            row.action(*this, *control);
            break;
        }
    }
    Q_EMIT SkinControlClicked(kind);
}

void CPanelWnd::Minimize()
{
    m_skinDraw.OnMouseLeave();
    CTrayIcon::MinimizeWindow(this);
}

void CPanelWnd::ApplyTrigger(CSkinElement& control)
{
    // Hover belongs to the panels as they were; a control the change brings up under the
    // pointer is lit at once, not on the next move.
    m_skinDraw.OnMouseLeave();
    control.GetTrigger().Apply(m_panels);
    m_skinDraw.Layout(width(), height());
    m_skinDraw.FullRepaint();
    PlaceChildWindows();
    if (m_skinDraw.IsLayered())
        m_composer.Show();
    if (m_pointer)
        m_skinDraw.OnMouseMove(*m_pointer);
}

void CPanelWnd::OnSkin()
{
    ModalBracket bracket(*this);
    CDlgSkin dlg(m_language, m_programFolder, m_settings.GetSkin(), MsgTarget(), this);
    dlg.exec();
}
