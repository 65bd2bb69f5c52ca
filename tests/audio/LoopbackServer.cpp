// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "LoopbackServer.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>
#include <memory>
#include <vector>

namespace {

// Hands out server-side TLS sockets that start their handshake at once.
class TlsServer : public QTcpServer {
public:
    TlsServer(const QString& certificate, const QString& key)
    {
        QFile c(certificate);
        QFile k(key);
        if (c.open(QIODevice::ReadOnly) && k.open(QIODevice::ReadOnly)) {
            m_certificate = QSslCertificate(c.readAll(), QSsl::Pem);
            m_key = QSslKey(k.readAll(), QSsl::Rsa, QSsl::Pem);
        }
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        socket->setLocalCertificate(m_certificate);
        socket->setPrivateKey(m_key);
        socket->startServerEncryption();
        addPendingConnection(socket);
    }

private:
    QSslCertificate m_certificate;
    QSslKey m_key;
};

} // namespace

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

bool LoopbackServer::Start(const QString& certificate, const QString& key)
{
    m_certificate = certificate;
    m_key = key;
    m_thread = std::thread([this] { Run(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!m_listening.load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return m_listening.load();
}

void LoopbackServer::Run()
{
    const bool tls = !m_certificate.isEmpty();
    std::unique_ptr<QTcpServer> owned(tls ? new TlsServer(m_certificate, m_key) : new QTcpServer);
    QTcpServer& server = *owned;
    if (!server.listen(QHostAddress::LocalHost))
        return;
    m_port.store(server.serverPort());
    m_listening.store(true);
    std::vector<std::unique_ptr<QTcpSocket>> held;
    while (!m_stop.load()) {
        if (!server.waitForNewConnection(50))
            continue;
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        socket->setParent(nullptr);
        if (tls && !static_cast<QSslSocket*>(socket.get())->waitForEncrypted(3000))
            continue; // the client refused the certificate
        QByteArray request = socket->readAll();
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
