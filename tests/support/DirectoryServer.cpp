// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "DirectoryServer.h"

#include <QTimer>

#include <memory>

DirectoryServer::DirectoryServer()
{
    m_server.listen(QHostAddress::LocalHost);
    QObject::connect(&m_server, &QTcpServer::newConnection, [this] { Accept(); });
}

DirectoryServer::DirectoryServer(const Answer& answer) : DirectoryServer()
{
    m_handler = [answer](const QByteArray&) { return answer; };
}

QString DirectoryServer::Server() const
{
    return QStringLiteral("127.0.0.1:%1").arg(Port());
}

void DirectoryServer::Accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto request = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            if (request->endsWith("\r\n\r\n"))
                return; // answered already; whatever follows is ignored
            *request += socket->readAll();
            const qsizetype end = request->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            request->truncate(end + 4);
            requests << *request;
            QByteArray target = request->split(' ').value(1);
            if (target.startsWith("http://"))
                target = target.mid(target.indexOf('/', 7));
            const Answer answer = m_handler(target);
            if (answer.mode == Mode::Held)
                m_held.append({socket, target, answer.bytes});
            else
                Serve(socket, answer);
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            ++clientsGone;
            socket->deleteLater();
        });
    }
}

void DirectoryServer::Serve(QTcpSocket* socket, const Answer& answer)
{
    switch (answer.mode) {
    case Mode::Close:
        sent += socket->write(answer.bytes);
        socket->disconnectFromHost();
        break;
    case Mode::Trickle:
        Trickle(socket, answer.bytes);
        break;
    case Mode::Stall:
        break;
    case Mode::Hold:
        sent += socket->write(answer.bytes);
        break;
    case Mode::Endless:
        Flood(socket, answer.bytes);
        break;
    case Mode::Drop:
    case Mode::Held:
        socket->disconnectFromHost();
        break;
    }
}

int DirectoryServer::Release(const QByteArray& suffix)
{
    int released = 0;
    for (qsizetype i = 0; i < m_held.size();) {
        if (!m_held[i].target.endsWith(suffix)) {
            ++i;
            continue;
        }
        const HeldAnswer held = m_held.takeAt(i);
        if (held.socket && held.socket->state() == QAbstractSocket::ConnectedState) {
            Serve(held.socket, {held.bytes, Mode::Close});
            ++released;
        }
    }
    return released;
}

void DirectoryServer::Trickle(QTcpSocket* socket, QByteArray rest)
{
    if (rest.isEmpty()) {
        socket->disconnectFromHost();
        return;
    }
    sent += socket->write(rest.left(5));
    QPointer<QTcpSocket> alive(socket);
    QTimer::singleShot(0, socket, [this, alive, rest] {
        if (alive)
            Trickle(alive, rest.mid(5));
    });
}

void DirectoryServer::Flood(QTcpSocket* socket, const QByteArray& bytes)
{
    // Keeps about a megabyte queued: enough to never run dry, little enough to notice the end.
    const auto top = [this, socket, bytes] {
        while (socket->state() == QAbstractSocket::ConnectedState
               && socket->bytesToWrite() < 1024 * 1024)
            sent += socket->write(bytes);
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, top);
    top();
}

QByteArray StationList(const QList<QByteArray>& stations)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<stationlist>\n"
                     "<tunein base=\"/sbin/tunein-station.pls\"/>\n";
    for (const QByteArray& s : stations)
        xml += "<station " + s + " mt=\"audio/mpeg\" br=\"128\"/>\n";
    return xml + "</stationlist>\n";
}

QByteArray HttpAnswer(const QByteArray& body)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n" + body;
}
