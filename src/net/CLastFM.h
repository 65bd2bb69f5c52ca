// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>

class QTcpSocket;

// The link to the scrobbling desktop client: launches the client and tells it what plays, one
// line of text per event, each over a connection of its own to a fixed loopback port. Nothing
// is read back. UI thread only, and no command waits: the lines queue up and go out in order,
// one connection at a time, driven by the event loop; a client that does not take a line
// within kSendLimitMs per step loses it, and the next line is tried.
//
// Commands go out only while the link is started; SwitchOff sends the stop command and then
// silences the link until the next Start.
class CLastFM {
public:
    static constexpr quint16 kPort = 33367;
    // Who we are to the client (the c= field of every command).
    static constexpr const char* kClientId = "pla";
    // Per step (connect, write): a loopback peer answers at once or not at all.
    static constexpr int kSendLimitMs = 1000;

    CLastFM();
    // Drops the lines still waiting and the connection on its way.
    virtual ~CLastFM();
    CLastFM(const CLastFM&) = delete;
    CLastFM& operator=(const CLastFM&) = delete;

    // The client's program file as its installer recorded it: QSettings of organisation
    // "Last.fm", application "Client", key "Path" (the registry on Windows, the file
    // "Last.fm/Client.conf" in the user's or the system's config folder elsewhere). Empty when
    // not recorded.
    static QString ClientPath();

    // Launches the client at ClientPath with "--tray" in its own folder, detached (it stays
    // running after us), and starts the link. False, link unchanged, when no path is recorded,
    // the file is missing or it cannot be run.
    bool Start();
    bool IsStarted() const { return m_started; }
    // Sends the stop command, then nothing more until Start. Nothing when not started.
    void SwitchOff();

    // A file track started: artist, title and album as the library holds them (empty for
    // none), length the track's duration in whole seconds as decimal text.
    void SendStart(const QString& artist, const QString& title, const QString& album,
                   const QString& length);
    void SendPause();
    void SendResume();
    void SendStop();

    // The client's port; tests use a listener of their own. Lines sent from now on go there.
    void SetPort(quint16 port) { m_port = port; }
    // True while lines wait or one is on its way (tests wait on it).
    bool IsSending() const { return m_socket != nullptr || !m_queue.empty(); }

    // The start command line. Every "&" in artist, title and album is doubled so that it cannot
    // end the field; control characters become spaces, so a tag cannot end the line early and
    // smuggle in a command of its own.
    static QByteArray StartCommand(const QString& artist, const QString& title,
                                   const QString& album, const QString& length);

private:
    void Send(const QByteArray& line);
    // Opens the connection for the first waiting line, unless one is on its way.
    void SendNext();
    // Ends the connection on its way (sent or failed) and goes on with the next line.
    void Finish();

    quint16 m_port = kPort;
    bool m_started = false;
    struct Line {
        quint16 port;
        QByteArray text;
    };
    std::deque<Line> m_queue; // lines waiting for their connection, oldest first
    std::unique_ptr<QTcpSocket> m_socket; // the connection on its way, null for none
    QTimer m_limit; // single shot: the step of m_socket under way took too long
};
