// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMprisLink.h"

#include "CPanelWnd.h"

#ifdef PLUMO_HAVE_MPRIS
#include "CMpris.h"
#include "IPlayerControl.h"

#include <QUrl>

struct CMprisLink::Impl : public IPlayerControl {
    explicit Impl(CPanelWnd& wnd)
        : m_wnd(wnd)
        , m_mpris(*this)
    {
    }
    void RunCommand(int id) override { m_wnd.OnCommand(id); }
    void SeekTo(qint64 positionMs) override
    {
        const qint64 length = m_mpris.Track().lengthMs;
        if (length > 0)
            m_wnd.Seek(static_cast<int>(positionMs * CPlayBass::kMaxLevel / length));
    }
    void SetVolume(int volume) override
    {
        m_wnd.SetVolume(volume);
        m_wnd.GetSkinDraw().SetVolume(volume);
    }
    void SetShuffle(bool on) override { m_wnd.SetShuffle(on); }
    void SetRepeat(bool on) override { m_wnd.SetRepeat(on); }
    void Raise() override { m_wnd.RaiseAndRestore(); }
    void OpenFiles(const QStringList& paths) override { m_wnd.OpenFiles(paths); }

    CPanelWnd& m_wnd;
    CMpris m_mpris;
};

CMprisLink::CMprisLink(CPanelWnd& wnd)
    : m_impl(std::make_unique<Impl>(wnd))
{
}

void CMprisLink::Register()
{
    m_impl->m_mpris.Register();
}

void CMprisLink::Update(const State& state)
{
    CMpris& m = m_impl->m_mpris;
    m.SetStatus(!state.playing ? MprisStatus::Stopped
                               : state.paused ? MprisStatus::Paused : MprisStatus::Playing);
    MprisTrack track;
    track.file = state.file;
    track.title = state.title;
    track.artist = state.artist;
    track.album = state.album;
    track.lengthMs = state.lengthMs;
    track.coverFile = state.coverFile;
    m.SetTrack(track);
    m.SetVolume(state.volume);
    m.SetShuffle(state.shuffle);
    m.SetRepeat(state.repeat);
    m.SetCanGo(true, true);
}

void CMprisLink::SetPosition(qint64 positionMs)
{
    m_impl->m_mpris.SetPosition(positionMs);
}

#else

struct CMprisLink::Impl {};

void CMprisLink::SetPosition(qint64) {}

CMprisLink::CMprisLink(CPanelWnd&) {}

void CMprisLink::Register() {}

void CMprisLink::Update(const State&) {}

#endif

CMprisLink::~CMprisLink() = default;
