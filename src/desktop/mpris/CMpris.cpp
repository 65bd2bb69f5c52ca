// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMpris.h"

#include "CMprisPlayer.h"
#include "CMprisRoot.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUrl>

#include <algorithm>

namespace {
constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
constexpr qint64 kUsPerMs = 1000;
} // namespace

CMpris::CMpris(IPlayerControl& control, QObject* parent)
    : QObject(parent)
    , m_control(control)
    , m_bus(QStringLiteral("plumo-not-connected"))
{
    new CMprisRoot(this);
    m_player = new CMprisPlayer(this);
    m_announce.setSingleShot(true);
    m_announce.setInterval(0);
    connect(&m_announce, &QTimer::timeout, this, &CMpris::SendChanges);
}

CMpris::~CMpris()
{
    if (!m_serviceName.isEmpty()) {
        m_bus.unregisterService(m_serviceName);
        m_bus.unregisterObject(QString::fromLatin1(kObjectPath));
    }
}

bool CMpris::Register(const QDBusConnection& bus)
{
    if (!bus.isConnected())
        return false;
    m_bus = bus;
    if (!m_bus.registerObject(QString::fromLatin1(kObjectPath), this,
            QDBusConnection::ExportAdaptors))
        return false;
    const QString name = QString::fromLatin1(kServiceName);
    for (const QString& candidate : {name,
             name + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid())}) {
        if (m_bus.registerService(candidate)) {
            m_serviceName = candidate;
            return true;
        }
    }
    m_bus.unregisterObject(QString::fromLatin1(kObjectPath));
    return false;
}

void CMpris::SetStatus(MprisStatus status)
{
    if (status == m_status)
        return;
    m_status = status;
    Changed("PlaybackStatus");
    Changed("CanSeek");
}

void CMpris::SetTrack(const MprisTrack& track)
{
    if (track == m_track)
        return;
    if (track.file != m_track.file) {
        ++m_trackNumber;
        m_positionMs = 0;
    }
    m_track = track;
    Changed("Metadata");
    Changed("CanSeek");
}

void CMpris::SetVolume(int volume)
{
    volume = std::clamp(volume, 0, 100000);
    if (volume == m_volume)
        return;
    m_volume = volume;
    Changed("Volume");
}

void CMpris::SetShuffle(bool on)
{
    if (on == m_shuffle)
        return;
    m_shuffle = on;
    Changed("Shuffle");
}

void CMpris::SetRepeat(bool on)
{
    if (on == m_repeat)
        return;
    m_repeat = on;
    Changed("LoopStatus");
}

void CMpris::SetCanGo(bool next, bool previous)
{
    if (next != m_canGoNext) {
        m_canGoNext = next;
        Changed("CanGoNext");
    }
    if (previous != m_canGoPrevious) {
        m_canGoPrevious = previous;
        Changed("CanGoPrevious");
    }
}

void CMpris::SetPosition(qint64 positionMs)
{
    m_positionMs = std::max<qint64>(positionMs, 0);
}

void CMpris::NotifySeeked(qint64 positionMs)
{
    SetPosition(positionMs);
    Q_EMIT m_player->Seeked(m_positionMs * kUsPerMs);
}

void CMpris::SeekTo(qint64 positionMs)
{
    m_control.SeekTo(positionMs);
    NotifySeeked(positionMs);
}

QDBusObjectPath CMpris::TrackId() const
{
    if (m_track.file.isEmpty())
        return QDBusObjectPath(QString::fromLatin1(kNoTrack));
    return QDBusObjectPath(QStringLiteral("/org/plumo/track/%1").arg(m_trackNumber));
}

QVariantMap CMpris::Metadata() const
{
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId()));
    if (m_track.file.isEmpty())
        return map;
    if (m_track.lengthMs > 0)
        map.insert(QStringLiteral("mpris:length"), qlonglong(m_track.lengthMs * kUsPerMs));
    if (!m_track.title.isEmpty())
        map.insert(QStringLiteral("xesam:title"), m_track.title);
    if (!m_track.artist.isEmpty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{m_track.artist});
    if (!m_track.album.isEmpty())
        map.insert(QStringLiteral("xesam:album"), m_track.album);
    const QUrl url = m_track.file.contains(QLatin1String("://"))
        ? QUrl(m_track.file)
        : QUrl::fromLocalFile(m_track.file);
    map.insert(QStringLiteral("xesam:url"), url.toString(QUrl::FullyEncoded));
    if (!m_track.coverFile.isEmpty())
        map.insert(QStringLiteral("mpris:artUrl"),
            QUrl::fromLocalFile(m_track.coverFile).toString(QUrl::FullyEncoded));
    return map;
}

void CMpris::Changed(const char* property)
{
    const QString name = QString::fromLatin1(property);
    if (!m_changed.contains(name))
        m_changed.append(name);
    if (!m_serviceName.isEmpty())
        m_announce.start();
}

void CMpris::SendChanges()
{
    QVariantMap values;
    for (const QString& name : std::as_const(m_changed))
        values.insert(name, m_player->property(name.toLatin1().constData()));
    m_changed.clear();
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << values << QStringList();
    m_bus.send(signal);
}

QStringList CMpris::MimeTypes()
{
    return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/ogg"),
        QStringLiteral("audio/x-vorbis+ogg"), QStringLiteral("audio/x-ms-wma"),
        QStringLiteral("audio/flac"), QStringLiteral("audio/x-flac"), QStringLiteral("audio/x-ape"),
        QStringLiteral("audio/aac"), QStringLiteral("audio/mp4"), QStringLiteral("audio/x-m4a"),
        QStringLiteral("audio/x-opus+ogg"), QStringLiteral("audio/x-wav"),
        QStringLiteral("audio/x-aiff"), QStringLiteral("audio/x-wavpack"),
        QStringLiteral("audio/x-musepack"),
        QStringLiteral("audio/x-mpegurl"), QStringLiteral("audio/x-scpls"),
        QStringLiteral("video/x-ms-asf"), QStringLiteral("application/xspf+xml")};
}
