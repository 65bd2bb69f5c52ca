// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

// A loopback TCP server for hostile answers: after reading the request, each connection is
// handed to a writer that sends whatever it likes for as long as it likes. Send reports
// false once the peer has gone, which is how a writer of an endless answer learns to stop.
class RawServer {
public:
    using Writer = std::function<void(const std::function<bool(const QByteArray&)>& send)>;

    explicit RawServer(Writer writer);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    bool IsListening() const { return m_listen >= 0; }
    QString Url() const;
    // Bytes the writers managed to send so far, over every connection.
    qint64 BytesSent() const { return m_sent.load(); }

private:
    void Run();
    void Serve(int conn);

    Writer m_writer;
    int m_listen = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_sent{0};
    std::thread m_thread;
};
