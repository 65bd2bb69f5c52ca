// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <deque>

class QTcpSocket;

// A stand-in of the listen-history service on 127.0.0.1, served by the thread that made it
// while its events are processed. It knows one token; "validate-token" answers as the service
// does, "submit-listens" takes every "playing_now" and, for listens, gives the scripted answers
// in turn and then success. Every request is recorded, and the listens it answered with
// success are kept apart: those are what the service holds.
class ListenServer : public QObject {
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QByteArray authorization;
        QJsonObject body; // empty when the body is not a JSON object
    };
    // One scripted answer to a submission of listens. silent: none at all, the connection
    // kept open, as a server that accepts and never answers.
    struct Answer {
        int status = 200;
        QByteArray headers; // extra header lines, each ending in "\r\n"
        QByteArray body = R"({"status": "ok"})";
        bool silent = false;
    };

    static constexpr const char* kToken = "0a1b2c3d-good-token";
    static constexpr const char* kUser = "listener";

    // Listens on port (any free one for 0); IsListening tells whether it could.
    explicit ListenServer(quint16 port = 0);
    bool IsListening() const { return m_server.isListening(); }
    quint16 Port() const { return m_server.serverPort(); }
    QString Url() const;

    // Answers for the next submissions of listens, in order.
    void Script(const QList<Answer>& answers);
    // A token other than kToken is refused (401) from now on, or accepted again.
    void RefuseAllTokens(bool refuse) { m_refuseAll = refuse; }

    QList<Request> requests;
    QJsonArray accepted; // the listens answered with success, in the order they came
    int playingNow = 0;  // "playing_now" submissions
    int listenPosts = 0; // submissions of listens, answered or not

private:
    void Serve(QTcpSocket* socket);
    void Respond(QTcpSocket* socket, const Request& request);

    QTcpServer m_server;
    std::deque<ListenServer::Answer> m_script;
    bool m_refuseAll = false;
};
