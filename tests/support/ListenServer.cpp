// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "ListenServer.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QTcpSocket>

namespace {

QByteArray StatusText(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

void Send(QTcpSocket* socket, int status, const QByteArray& headers, const QByteArray& body)
{
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + StatusText(status) + "\r\n"
        + "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n" + headers + "\r\n" + body);
    socket->disconnectFromHost();
}

} // namespace

ListenServer::ListenServer(quint16 port)
{
    m_server.listen(QHostAddress::LocalHost, port);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString ListenServer::Url() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
}

void ListenServer::Script(const QList<ListenServer::Answer>& answers)
{
    m_script.insert(m_script.end(), answers.begin(), answers.end());
}

void ListenServer::Serve(QTcpSocket* socket)
{
    // The request is read whole (head and a body of Content-Length bytes) before it is looked at.
    QByteArray data = socket->property("data").toByteArray() + socket->readAll();
    socket->setProperty("data", data);
    const qsizetype headEnd = data.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;
    Request request;
    qsizetype length = 0;
    const QList<QByteArray> lines = data.left(headEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.path = first.value(1);
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length")
            length = value.toLongLong();
        else if (name == "authorization")
            request.authorization = value;
    }
    if (data.size() < headEnd + 4 + length)
        return;
    request.body = QJsonDocument::fromJson(data.mid(headEnd + 4, length)).object();
    socket->setProperty("data", QByteArray());
    requests.append(request);
    Respond(socket, request);
}

void ListenServer::Respond(QTcpSocket* socket, const Request& request)
{
    const bool known = request.authorization == QByteArray("Token ") + kToken && !m_refuseAll;
    if (request.path.endsWith("/1/validate-token")) {
        QJsonObject answer{{"code", 200}, {"valid", known},
            {"message", known ? "Token valid." : "Token invalid."}};
        if (known)
            answer.insert("user_name", kUser);
        Send(socket, 200, {}, QJsonDocument(answer).toJson(QJsonDocument::Compact));
        return;
    }
    if (!known) {
        Send(socket, 401, {}, R"({"code": 401, "error": "Invalid authorization token."})");
        return;
    }
    const QString type = request.body.value("listen_type").toString();
    if (type == "playing_now") {
        ++playingNow;
        Send(socket, 200, {}, R"({"status": "ok"})");
        return;
    }
    ++listenPosts;
    ListenServer::Answer answer;
    if (!m_script.empty()) {
        answer = m_script.front();
        m_script.pop_front();
    }
    if (answer.silent)
        return;
    if (answer.status == 200 && answer.body.contains("\"ok\"")) {
        for (const QJsonValue& listen : request.body.value("payload").toArray())
            accepted.append(listen);
    }
    Send(socket, answer.status, answer.headers, answer.body);
}
