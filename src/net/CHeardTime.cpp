// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CHeardTime.h"

#include <algorithm>

void CHeardTime::Start(qint64 lengthMs)
{
    *this = CHeardTime();
    m_active = true;
    m_lengthMs = std::max<qint64>(lengthMs, 0);
}

void CHeardTime::Clear()
{
    *this = CHeardTime();
}

void CHeardTime::Count(qint64 toMs)
{
    toMs = std::min(toMs, m_lengthMs > 0 ? m_lengthMs : toMs);
    if (toMs > m_positionMs)
        m_heardMs += toMs - m_positionMs;
    m_positionMs = toMs;
}

void CHeardTime::Observe(quintptr channel, qint64 positionMs)
{
    if (!m_active || m_finished || channel == 0)
        return;
    if (m_channel == 0) {
        // The first channel of the track, or the one a seek built.
        if (channel == m_leftBehind)
            return;
        m_channel = channel;
        m_leftBehind = 0;
    } else if (channel != m_channel) {
        // Only the engine's own step to the next track changes the channel unasked.
        Ended();
        return;
    }
    Count(positionMs);
}

void CHeardTime::Seeking(qint64 targetMs)
{
    if (!m_active || m_finished)
        return;
    if (m_channel != 0)
        m_leftBehind = m_channel;
    m_channel = 0;
    m_positionMs = std::max<qint64>(targetMs, 0);
}

void CHeardTime::Ended()
{
    if (!m_active || m_finished)
        return;
    Count(m_lengthMs);
    m_finished = true;
}

qint64 CHeardTime::Needed(qint64 lengthMs)
{
    if (lengthMs < kMinTrackMs)
        return 0;
    return std::min(lengthMs / 2, kEnoughMs);
}

bool CHeardTime::TakeDue()
{
    const qint64 needed = Needed(m_lengthMs);
    if (!m_active || m_taken || needed == 0 || m_heardMs < needed)
        return false;
    m_taken = true;
    return true;
}
