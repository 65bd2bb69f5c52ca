// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "IPlayerControl.h"
#include "MprisState.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

class CMprisPlayer;

// The player on the desktop's session bus as an MPRIS 2 media player, which is how Linux
// desktops drive media keys, media panels and tools such as playerctl. The main window pushes
// its state in (Set...) and receives the calls through IPlayerControl. Changes are announced
// with one PropertiesChanged per turn of the event loop. UI thread only.
class CMpris : public QObject {
    Q_OBJECT
public:
    static constexpr char kServiceName[] = "org.mpris.MediaPlayer2.plumo";
    static constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";
    static constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
    // The installed .desktop file's name without ".desktop".
    static constexpr char kDesktopEntry[] = "org.plumo.Plumo";

    explicit CMpris(IPlayerControl& control, QObject* parent = nullptr);
    ~CMpris() override;

    // Puts the player on bus under kServiceName (or, when another player holds that name, a
    // name with ".instance" and the process id appended). False, quietly, when there is no
    // bus or it refuses; the player then simply runs without.
    bool Register(const QDBusConnection& bus = QDBusConnection::sessionBus());
    // The name taken on the bus; empty when not registered.
    const QString& ServiceName() const { return m_serviceName; }

    // State pushed by the main window.
    void SetStatus(MprisStatus status);
    // A track with a different file gets a new track id.
    void SetTrack(const MprisTrack& track);
    void SetVolume(int volume); // 0 to 100000
    void SetShuffle(bool on);
    void SetRepeat(bool on);
    void SetCanGo(bool next, bool previous);
    // The playing position in milliseconds (timer 100); the bus is not told, clients ask.
    void SetPosition(qint64 positionMs);
    // The position jumped (a seek from anywhere): the bus gets Seeked.
    void NotifySeeked(qint64 positionMs);

    MprisStatus Status() const { return m_status; }
    const MprisTrack& Track() const { return m_track; }
    int Volume() const { return m_volume; }
    bool Shuffle() const { return m_shuffle; }
    bool Repeat() const { return m_repeat; }
    bool CanGoNext() const { return m_canGoNext; }
    bool CanGoPrevious() const { return m_canGoPrevious; }
    qint64 PositionMs() const { return m_positionMs; }
    // "/org/plumo/track/N" for the loaded track, MPRIS's NoTrack path when there is none.
    QDBusObjectPath TrackId() const;
    // The Metadata map: track id, length (microseconds), title, artist, album, file and cover
    // addresses; the track id alone when nothing is loaded.
    QVariantMap Metadata() const;

    IPlayerControl& Control() { return m_control; }
    // Seeks the player to positionMs (already within the track) and tells the bus.
    void SeekTo(qint64 positionMs);

    // The audio and playlist types the player opens.
    static QStringList MimeTypes();

private:
    void Changed(const char* property);
    void SendChanges();

    IPlayerControl& m_control;
    CMprisPlayer* m_player; // owned by this object as its adaptor
    QDBusConnection m_bus;
    QString m_serviceName;
    MprisStatus m_status = MprisStatus::Stopped;
    MprisTrack m_track;
    quint64 m_trackNumber = 0;
    int m_volume = 100000;
    bool m_shuffle = false;
    bool m_repeat = false;
    bool m_canGoNext = true;
    bool m_canGoPrevious = true;
    qint64 m_positionMs = 0;
    QStringList m_changed; // properties to announce at the next turn of the loop
    QTimer m_announce;
};
