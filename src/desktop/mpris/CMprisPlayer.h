// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QVariantMap>

class CMpris;

// The org.mpris.MediaPlayer2.Player interface. Reads come from the state the main window
// pushed into CMpris; calls and writes go to the player's commands, with bad values clamped
// or ignored. UI thread only.
class CMprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool Shuffle READ Shuffle WRITE SetShuffle)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanControl)
    Q_PROPERTY(bool CanPause READ CanControl)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit CMprisPlayer(CMpris* owner);

    QString PlaybackStatus() const;
    QString LoopStatus() const;
    // "None" turns repeat off, "Track" and "Playlist" on (the player repeats the list);
    // other texts are ignored.
    void SetLoopStatus(const QString& status);
    double Rate() const { return 1.0; }
    // The player plays at one rate only; other rates are ignored.
    void SetRate(double) { }
    bool Shuffle() const;
    void SetShuffle(bool on);
    QVariantMap Metadata() const;
    double Volume() const;
    // Clamped to 0..1; not-a-number is ignored.
    void SetVolume(double volume);
    qlonglong Position() const; // microseconds
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanSeek() const;
    bool CanControl() const { return true; }

public Q_SLOTS:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    // Offset in microseconds. Before the start seeks to the start; past the end acts as Next.
    void Seek(qlonglong offset);
    // Ignored unless trackId names the playing track and position (microseconds) lies in it.
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position);
    void OpenUri(const QString& uri);

Q_SIGNALS:
    void Seeked(qlonglong position);

private:
    CMpris* m_owner;
};
