// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <memory>

class CPanelWnd;

// What the desktop's media controls see of the player and how their calls reach it: every
// call becomes one of the main window's commands or operations. Without D-Bus support in the
// build it does nothing. UI thread only.
class CMprisLink {
public:
    struct State {
        bool playing = false;
        bool paused = false;
        QString file;
        QString title;
        QString artist;
        QString album;
        qint64 lengthMs = 0; // 0 when unknown (streams)
        QString coverFile; // the album picture beside the file; empty for none
        int volume = 0; // 0..100000
        bool shuffle = false;
        bool repeat = false;
    };

    explicit CMprisLink(CPanelWnd& wnd);
    ~CMprisLink();
    CMprisLink(const CMprisLink&) = delete;
    CMprisLink& operator=(const CMprisLink&) = delete;

    // Puts the player on the session bus; quietly nothing when there is no bus.
    void Register();
    // Tells the bus the player's state after a change.
    void Update(const State& state);
    // Where the playing track is, in milliseconds from its start.
    void SetPosition(qint64 positionMs);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
