// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QtGlobal>

// How much of the playing track has been heard, from readings of the engine's position, and
// whether that makes a listen: half the track or four minutes, whichever comes first, for
// tracks of thirty seconds or more. Only the audio that played counts: time paused does not
// move the position, and a seek starts the count again from where it lands, so neither the
// jump nor the time it takes is heard. The readings need no clock, so a device that plays
// faster than real time counts the same.
//
// A reading is tied to the engine's channel: a seek builds a new channel, and a channel that
// changes without a seek means the track ran into the next one (heard to its end). Plain
// value class, UI thread.
class CHeardTime {
public:
    static constexpr qint64 kMinTrackMs = 30000;
    static constexpr qint64 kEnoughMs = 240000;

    // A track of lengthMs (0 when unknown) starts playing from its beginning.
    void Start(qint64 lengthMs);
    // Nothing is counted until the next Start (a stream, or the player stopped).
    void Clear();
    // The position read from the engine: channel (0 for none) and ms into the track.
    void Observe(quintptr channel, qint64 positionMs);
    // A seek to targetMs: the channel playing now is left behind, the next one starts there.
    void Seeking(qint64 targetMs);
    // The track was heard to its end (the engine moved on by itself).
    void Ended();

    // True once per track, when the heard time has just reached the listen's threshold.
    bool TakeDue();
    qint64 Heard() const { return m_heardMs; }
    // The heard time a track of lengthMs needs for a listen; 0 when it never makes one.
    static qint64 Needed(qint64 lengthMs);

private:
    void Count(qint64 toMs);

    bool m_active = false;
    bool m_finished = false; // heard to its end; further readings belong to another track
    bool m_taken = false;
    qint64 m_lengthMs = 0;
    qint64 m_heardMs = 0;
    quintptr m_channel = 0; // the channel of the last reading; 0 while waiting for a new one
    quintptr m_leftBehind = 0; // the channel a seek left; it is not taken up again
    qint64 m_positionMs = 0;   // where counting goes on from
};
