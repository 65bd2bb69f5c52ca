// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPlayBass.h"

#include "CTagReader.h"

bool CPlayBass::ReadTags(const QString& path, TrackRecord& record)
{
    return CTagReader::ReadTags(path, record);
}

void CPlayBass::ReadStreamTitle(QString& title, QString& artist, QString& album) const
{
    const HCHANNEL handle = m_channel.load();
    if (handle == 0)
        return;
    const QString meta = m_audio.ChannelGetMeta(handle);
    if (!meta.isEmpty())
        CTagReader::SplitStreamTitle(meta, title, artist, album);
}
