// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPlaylistReader.h"

#include "CPlsFile.h"

bool CPlaylistReader::IsPlaylist(const QByteArray& head, const QString& contentType) const
{
    return CPlsFile::SniffFormat(head, contentType) != PlsFormat::None;
}

bool CPlaylistReader::Entries(const QByteArray& body, const QString& contentType,
    QStringList& entries) const
{
    const PlsFormat format = CPlsFile::SniffFormat(body, contentType);
    CPlsFile playlist;
    // Entries are addresses; no folder resolves relative ones.
    if (format == PlsFormat::None || !playlist.ReadBytes(body, format, QString()))
        return false;
    entries.clear();
    for (int i = 0; i < playlist.GetCount(); ++i)
        entries.push_back(playlist.GetFile(i));
    return true;
}
