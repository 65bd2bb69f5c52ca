// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "LoopbackServer.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>
#include <memory>
#include <vector>

LoopbackServer::LoopbackServer() = default;

LoopbackServer::~LoopbackServer()
{
    m_stop.store(true);
    if (m_thread.joinable())
        m_thread.join();
}

void LoopbackServer::Add(const QByteArray& path, const Reply& reply)
{
    m_replies.insert(path, reply);
}

QString LoopbackServer::Url(const QByteArray& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port.load()).arg(QString::fromLatin1(path));
}

bool LoopbackServer::Start()
{
    m_thread = std::thread([this] { Run(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!m_listening.load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return m_listening.load();
}

void LoopbackServer::Run()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return;
    m_port.store(server.serverPort());
    m_listening.store(true);
    std::vector<std::unique_ptr<QTcpSocket>> held;
    while (!m_stop.load()) {
        if (!server.waitForNewConnection(50))
            continue;
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        QByteArray request;
        while (!request.contains("\r\n\r\n") && socket->waitForReadyRead(2000))
            request += socket->readAll();
        const QByteArray path = request.split(' ').value(1);
        const Reply reply = m_replies.value(path, Reply{"HTTP/1.0 404 Not Found\r\n\r\n", false});
        if (reply.stall) {
            held.push_back(std::move(socket));
            continue;
        }
        socket->write(reply.bytes);
        while (socket->bytesToWrite() > 0 && !m_stop.load()
            && socket->state() == QAbstractSocket::ConnectedState)
            socket->waitForBytesWritten(100);
        socket->disconnectFromHost();
        if (socket->state() != QAbstractSocket::UnconnectedState)
            socket->waitForDisconnected(1000);
    }
}

quint16 RefusingPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
