// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "audio/IAudioLib.h"

// The library's playlist files (pls, m3u, asx, xspf) as the audio layer's reader of playlist
// answers. Stateless: any thread, several at once.
class CPlaylistReader final : public IPlaylistReader {
public:
    bool IsPlaylist(const QByteArray& head, const QString& contentType) const override;
    bool Entries(const QByteArray& body, const QString& contentType,
        QStringList& entries) const override;
};
