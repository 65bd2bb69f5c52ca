// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CListenSender.h"

#include <QObject>
#include <QString>
#include <QThread>

// The direct link to the listen-history service: hands play events to a CListenSender on a
// worker thread of its own, so the window never waits for the network or the queue file.
// UI thread only; calls return at once and the answers arrive as signals on the UI thread.
// The queue file lives on across runs: listens not yet accepted at shut-down go at the next
// start.
class CListenBrainz : public QObject {
    Q_OBJECT
public:
    // The name of the queue file in the profile folder.
    static constexpr const char* kQueueFile = "Listens.db";

    explicit CListenBrainz(QObject* parent = nullptr);
    // Stops the worker without waiting for the service: what is on its way is aborted and
    // stays queued. Waits only for the worker's current step (a queue write) to end.
    ~CListenBrainz() override;

    // Opens the queue file at path on the worker; what waits there goes once an account is
    // set. Only the first call counts. Listens handed over before it are kept in memory.
    void Start(const QString& queuePath);
    // Where to send and as whom (see CListenSender::SetAccount); an empty token pauses.
    void SetAccount(const QString& server, const QString& token);
    void PlayingNow(const ListenTrack& track);
    void Listen(const ListenTrack& track, qint64 listenedAt);
    void CheckToken(const QString& server, const QString& token);
    // Shorter waits and time limits, for a stand-in of the service.
    void SetRetryDelays(int firstMs, int maxMs);
    void SetTimeLimit(int ms);

    // Listens not yet accepted, as the worker last reported; -1 before its first report.
    int Waiting() const { return m_waiting; }

Q_SIGNALS:
    void QueueChanged(int waiting);
    void TokenRefused();
    void TokenChecked(TokenCheck result, const QString& userName, const QString& detail);

private:
    template <typename F> void OnWorker(F&& call);

    QThread m_thread;
    CListenSender* m_sender; // lives on m_thread; deleted there when the thread ends
    int m_waiting = -1;
    bool m_started = false;
};
