// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The engine's loudness levelling: the settings, and the gains of the files it opens. The
// settings are guarded by the operation lock (see CPlayBass.cpp); the stored gains by a leaf
// lock of their own, since the file openers read them with the operation lock released.
#include "CPlayBass.h"

#include "CTagReader.h"

void CPlayBass::SetLoudness(const LoudnessSettings& settings)
{
    Lock lock(m_mutex);
    m_loudness = settings;
    const HCHANNEL main = m_channel.load();
    if (main != 0 && !m_stream)
        SendGainLocked(lock, main, m_mainGains);
    if (m_next.next != 0)
        SendGainLocked(lock, m_next.next, m_next.gains);
}

LoudnessSettings CPlayBass::GetLoudness() const
{
    Lock lock(m_mutex);
    return m_loudness;
}

void CPlayBass::SetAlbumOrder(bool inOrder)
{
    // Only files opened from now on: the order is the one of the track about to start, and
    // the one heard keeps its level to its end.
    Lock lock(m_mutex);
    m_albumOrder = inOrder;
}

void CPlayBass::SetStoredGains(const QString& path, const TrackGains& gains)
{
    std::lock_guard stored(m_storedMutex);
    if (!gains.trackGain && !gains.albumGain)
        m_storedGains.erase(path);
    else
        m_storedGains[path] = gains;
}

TrackGains CPlayBass::GainsOf(const QString& path) const
{
    // The file's own gains come first: a measurement stands in only where the tagger left
    // none, and a file tagged since it was measured plays by its new tags.
    TrackRecord record;
    if (CTagReader::ReadTags(path, record) && (record.gains.trackGain || record.gains.albumGain))
        return record.gains;
    GainsLookup lookup;
    {
        std::lock_guard stored(m_storedMutex);
        const auto it = m_storedGains.find(path);
        if (it != m_storedGains.end())
            return it->second;
        lookup = m_gainsLookup;
    }
    return lookup ? lookup(path) : TrackGains{};
}

void CPlayBass::SetGainsLookup(GainsLookup lookup)
{
    std::lock_guard stored(m_storedMutex);
    m_gainsLookup = std::move(lookup);
}
