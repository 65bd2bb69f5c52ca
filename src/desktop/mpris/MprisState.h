// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

// The playing track as the desktop's media controls show it.
struct MprisTrack {
    QString file; // path or stream address; empty when nothing is loaded
    QString title;
    QString artist;
    QString album;
    qint64 lengthMs = 0; // 0 when unknown (streams)
    QString coverFile; // path of the cover image, empty for none
    bool operator==(const MprisTrack&) const = default;
};

enum class MprisStatus { Stopped, Playing, Paused };
