// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread calls; the worker (m_thread) runs the sender, its queue file and its
// network requests. Calls cross as queued functors, answers as queued signals; no lock.
#include "CListenBrainz.h"

CListenBrainz::CListenBrainz(QObject* parent) : QObject(parent), m_sender(new CListenSender)
{
    m_thread.setObjectName(QStringLiteral("Listens"));
    m_sender->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_sender, &QObject::deleteLater);
    connect(m_sender, &CListenSender::QueueChanged, this, [this](int waiting) {
        m_waiting = waiting;
        Q_EMIT QueueChanged(waiting);
    });
    connect(m_sender, &CListenSender::TokenRefused, this, &CListenBrainz::TokenRefused);
    connect(m_sender, &CListenSender::TokenChecked, this, &CListenBrainz::TokenChecked);
}

CListenBrainz::~CListenBrainz()
{
    if (!m_thread.isRunning()) {
        delete m_sender;
        return;
    }
    // Listens handed over just before are written to the queue first: the worker takes its
    // calls in order, and a queue write is all it may be busy with. Then its loop leaves at
    // once, since nothing on it waits for the network.
    QMetaObject::invokeMethod(m_sender, [] {}, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

template <typename F> void CListenBrainz::OnWorker(F&& call)
{
    // The worker starts with the first call, so a player that never uses the link has none.
    if (!m_thread.isRunning())
        m_thread.start();
    QMetaObject::invokeMethod(m_sender, std::forward<F>(call), Qt::QueuedConnection);
}

void CListenBrainz::Start(const QString& queuePath)
{
    if (m_started)
        return;
    m_started = true;
    OnWorker([sender = m_sender, queuePath] { sender->OpenQueue(queuePath); });
}

void CListenBrainz::SetAccount(const QString& server, const QString& token)
{
    OnWorker([sender = m_sender, server, token] { sender->SetAccount(server, token); });
}

void CListenBrainz::PlayingNow(const ListenTrack& track)
{
    OnWorker([sender = m_sender, track] { sender->PlayingNow(track); });
}

void CListenBrainz::Listen(const ListenTrack& track, qint64 listenedAt)
{
    OnWorker([sender = m_sender, track, listenedAt] { sender->Listen(track, listenedAt); });
}

void CListenBrainz::CheckToken(const QString& server, const QString& token)
{
    OnWorker([sender = m_sender, server, token] { sender->CheckToken(server, token); });
}

void CListenBrainz::SetRetryDelays(int firstMs, int maxMs)
{
    OnWorker([sender = m_sender, firstMs, maxMs] { sender->SetRetryDelays(firstMs, maxMs); });
}

void CListenBrainz::SetTimeLimit(int ms)
{
    OnWorker([sender = m_sender, ms] { sender->SetTimeLimit(ms); });
}
