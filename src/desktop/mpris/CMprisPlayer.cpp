// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMprisPlayer.h"

#include "CMpris.h"
#include "IPlayerControl.h"

#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {
constexpr qint64 kUsPerMs = 1000;
constexpr int kMaxVolume = 100000;
} // namespace

CMprisPlayer::CMprisPlayer(CMpris* owner)
    : QDBusAbstractAdaptor(owner)
    , m_owner(owner)
{
}

QString CMprisPlayer::PlaybackStatus() const
{
    switch (m_owner->Status()) {
    case MprisStatus::Playing: return QStringLiteral("Playing");
    case MprisStatus::Paused: return QStringLiteral("Paused");
    case MprisStatus::Stopped: break;
    }
    return QStringLiteral("Stopped");
}

QString CMprisPlayer::LoopStatus() const
{
    return m_owner->Repeat() ? QStringLiteral("Playlist") : QStringLiteral("None");
}

void CMprisPlayer::SetLoopStatus(const QString& status)
{
    if (status == QLatin1String("None"))
        m_owner->Control().SetRepeat(false);
    else if (status == QLatin1String("Track") || status == QLatin1String("Playlist"))
        m_owner->Control().SetRepeat(true);
}

bool CMprisPlayer::Shuffle() const
{
    return m_owner->Shuffle();
}

void CMprisPlayer::SetShuffle(bool on)
{
    m_owner->Control().SetShuffle(on);
}

QVariantMap CMprisPlayer::Metadata() const
{
    return m_owner->Metadata();
}

double CMprisPlayer::Volume() const
{
    return m_owner->Volume() / static_cast<double>(kMaxVolume);
}

void CMprisPlayer::SetVolume(double volume)
{
    if (std::isnan(volume))
        return;
    const double clamped = std::clamp(volume, 0.0, 1.0);
    m_owner->Control().SetVolume(static_cast<int>(std::lround(clamped * kMaxVolume)));
}

qlonglong CMprisPlayer::Position() const
{
    return m_owner->PositionMs() * kUsPerMs;
}

bool CMprisPlayer::CanGoNext() const
{
    return m_owner->CanGoNext();
}

bool CMprisPlayer::CanGoPrevious() const
{
    return m_owner->CanGoPrevious();
}

bool CMprisPlayer::CanSeek() const
{
    return m_owner->Status() != MprisStatus::Stopped && m_owner->Track().lengthMs > 0;
}

void CMprisPlayer::Next()
{
    if (CanGoNext())
        m_owner->Control().RunCommand(IPlayerControl::kNext);
}

void CMprisPlayer::Previous()
{
    if (CanGoPrevious())
        m_owner->Control().RunCommand(IPlayerControl::kPrevious);
}

void CMprisPlayer::Pause()
{
    if (m_owner->Status() == MprisStatus::Playing)
        m_owner->Control().RunCommand(IPlayerControl::kPlayPause);
}

void CMprisPlayer::PlayPause()
{
    m_owner->Control().RunCommand(IPlayerControl::kPlayPause);
}

void CMprisPlayer::Stop()
{
    m_owner->Control().RunCommand(IPlayerControl::kStop);
}

void CMprisPlayer::Play()
{
    // Play restarts the focused row when already playing; the desktop means "keep playing".
    if (m_owner->Status() != MprisStatus::Playing)
        m_owner->Control().RunCommand(IPlayerControl::kPlay);
}

void CMprisPlayer::Seek(qlonglong offset)
{
    if (!CanSeek())
        return;
    const qint64 lengthMs = m_owner->Track().lengthMs;
    // Offsets near the 64-bit limit must not wrap: work in milliseconds, saturated.
    const qint64 offsetMs = offset / kUsPerMs;
    const qint64 position = m_owner->PositionMs();
    if (offsetMs > lengthMs - position) {
        Next();
        return;
    }
    const qint64 target = offsetMs < -position ? 0 : position + offsetMs;
    m_owner->SeekTo(target);
}

void CMprisPlayer::SetPosition(const QDBusObjectPath& trackId, qlonglong position)
{
    if (!CanSeek() || trackId != m_owner->TrackId() || position < 0)
        return;
    const qint64 target = position / kUsPerMs;
    if (target > m_owner->Track().lengthMs)
        return;
    m_owner->SeekTo(target);
}

void CMprisPlayer::OpenUri(const QString& uri)
{
    const QUrl url(uri);
    if (url.isLocalFile())
        m_owner->Control().OpenFiles({url.toLocalFile()});
    else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        m_owner->Control().OpenFiles({url.toString()});
}
