// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <atomic>
#include <thread>

// A small http server on 127.0.0.1 running on its own thread: each path answers with a
// canned reply (header and body bytes, written at once). Connections are served one after
// another; a reply marked to stall keeps its connection open without answering.
class LoopbackServer {
public:
    struct Reply {
        QByteArray bytes;  // the whole answer, header included
        bool stall = false; // read the request, answer nothing, keep the connection open
    };

    LoopbackServer();
    ~LoopbackServer();

    void Add(const QByteArray& path, const Reply& reply);
    // Starts listening; the replies must be added before. With a certificate and key (PEM
    // files) every connection is served over TLS.
    bool Start(const QString& certificate = {}, const QString& key = {});
    quint16 Port() const { return m_port; }
    QString Url(const QByteArray& path) const;

private:
    void Run();

    QMap<QByteArray, Reply> m_replies;
    QString m_certificate;
    QString m_key;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_listening{false};
    std::atomic<quint16> m_port{0};
    std::thread m_thread;
};

// A free loopback port with nobody listening on it.
quint16 RefusingPort();
