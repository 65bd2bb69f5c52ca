// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>


// A web server on 127.0.0.1 served by the test's own thread, so it answers while the code under
// test waits in its event loop. Each request is read up to its blank line and recorded whole;
// a handler chooses the answer from the request target (the address with any
// "http://host:port" in front removed).
class DirectoryServer {
public:
    enum class Mode {
        Close,   // the answer at once, then close
        Trickle, // the answer five bytes per turn of the event loop, then close
        Stall,   // nothing, the connection kept open
        Hold,    // the answer at once, the connection kept open
        Endless, // the answer over and over until the client goes
        Drop,    // close without a byte
        Held,    // nothing until Release, then the answer and close: a slow directory
    };
    struct Answer {
        QByteArray bytes;
        Mode mode = Mode::Close;
    };
    using Handler = std::function<Answer(const QByteArray& target)>;

    DirectoryServer();
    // Answers every request with answer.
    explicit DirectoryServer(const Answer& answer);

    void SetHandler(Handler handler) { m_handler = std::move(handler); }
    quint16 Port() const { return m_server.serverPort(); }
    // "127.0.0.1:port", as the directory client takes its server.
    QString Server() const;
    // Sends the held answers whose target ends with suffix (all for an empty one) and closes
    // them; returns how many were still connected.
    int Release(const QByteArray& suffix = {});

    QList<QByteArray> requests;
    qint64 sent = 0;      // bytes written to clients
    int clientsGone = 0;  // connections the client side closed or aborted

private:
    void Accept();
    void Serve(QTcpSocket* socket, const Answer& answer);
    void Trickle(QTcpSocket* socket, QByteArray rest);
    void Flood(QTcpSocket* socket, const QByteArray& bytes);

    struct HeldAnswer {
        QPointer<QTcpSocket> socket;
        QByteArray target;
        QByteArray bytes;
    };

    QTcpServer m_server;
    Handler m_handler;
    QList<HeldAnswer> m_held;
};

// The XML of a station list: attributes given as written, e.g. R"(name="A" id="1" lc="20")".
QByteArray StationList(const QList<QByteArray>& stations);
// An answer as a directory sends it: status, headers, blank line, body.
QByteArray HttpAnswer(const QByteArray& body);
