// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

// What the library and the playlist store add to the tree view. Each call appends one child to
// the node being filled (the one whose expansion asked for children, or the playlists root);
// the tree view implements it, on the UI thread; a worker may fill a sink of its own to hand
// the children over (see CTreeFill).
class ITreeSink {
public:
    virtual ~ITreeSink() = default;

    // A value node (artist, genre or year); key is the value, empty for the node that gathers
    // the tracks without one.
    virtual void AddValueNode(const QString& label, const QString& key) = 0;
    // An album leaf with the artist and album values it stands for (empty for NULL).
    virtual void AddAlbumNode(const QString& label, const QString& artist,
                              const QString& album) = 0;
    // A user playlist: its display name and its file name in the "Playlist" folder.
    virtual void AddPlaylistNode(const QString& label, const QString& file) = 0;
};
