// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QStringList>

// What the desktop's media controls may ask of the player. The main window implements it by
// running its own commands, so a play started here counts and rates like one from a button.
// Called on the UI thread only.
class IPlayerControl {
public:
    // Command ids of the main window.
    static constexpr int kPlay = 105;
    static constexpr int kPlayPause = 106;
    static constexpr int kStop = 107;
    static constexpr int kNext = 108;
    static constexpr int kPrevious = 109;
    static constexpr int kExit = 110;

    virtual ~IPlayerControl() = default;

    // Runs a command id as a menu item would.
    virtual void RunCommand(int id) = 0;
    // Moves the playing track to a position, in milliseconds from its start (already clamped
    // to the track's length).
    virtual void SeekTo(qint64 positionMs) = 0;
    // Volume 0 to 100000, as the volume bar sets it.
    virtual void SetVolume(int volume) = 0;
    virtual void SetShuffle(bool on) = 0;
    virtual void SetRepeat(bool on) = 0;
    // Brings the main window to the front, restoring it when minimised or hidden in the tray.
    virtual void Raise() = 0;
    // Files and playlists to add and play, as if dropped on the window.
    virtual void OpenFiles(const QStringList& paths) = 0;
};
