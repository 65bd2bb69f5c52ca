// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

// An ICY radio on loopback: the mp3 given, sent twenty times over, with the title
// "Loop Artist - Loop Song" in a metadata block after every kMetaInterval bytes. Serves from
// the thread that made it, while that thread's events are processed.
class IcyServer : public QObject {
public:
    explicit IcyServer(const QByteArray& mp3)
    {
        constexpr int kMetaInterval = 8192;
        const QByteArray text = "StreamTitle='Loop Artist - Loop Song';StreamUrl='';";
        QByteArray block(1, static_cast<char>((text.size() + 15) / 16));
        block += text;
        block += QByteArray(block.at(0) * 16 - text.size(), '\0');
        for (qsizetype at = 0; at + kMetaInterval <= mp3.size(); at += kMetaInterval)
            m_body += mp3.mid(at, kMetaInterval) + block;
        m_head = "ICY 200 OK\r\nicy-name: Loop FM\r\nicy-metaint: "
            + QByteArray::number(kMetaInterval) + "\r\nContent-Type: audio/mpeg\r\n\r\n";
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* client = m_server.nextPendingConnection();
            connect(client, &QTcpSocket::readyRead, client, [this, client] {
                if (!client->readAll().contains("\r\n\r\n") || client->property("served").toBool())
                    return;
                client->setProperty("served", true);
                client->write(m_head);
                for (int i = 0; i < 20; ++i)
                    client->write(m_body);
            });
        });
    }
    QString Address() const
    {
        return QString("http://127.0.0.1:%1/live").arg(m_server.serverPort());
    }

private:
    QTcpServer m_server;
    QByteArray m_head;
    QByteArray m_body;
};
