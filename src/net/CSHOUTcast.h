// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

#include <array>

class IListSink;
class IRadioTreeSink;

// How a station fetch ended.
enum class StationFill {
    Listed,    // the answer was read and the list refilled (perhaps empty: an unexpected answer)
    Failed,    // no connection, nothing sent, or nothing received; the list is unchanged
    Abandoned, // a newer fetch or Abandon took over; the list is left to whoever did that
};

// The internet radio directory: fills the tree's radio node with the genres and, for a
// selected genre, asks the directory server for its stations over HTTP/1.0 and fills the list
// with one row per listed station. UI thread only.
//
// A fetch waits for the answer in a local event loop, so the window keeps painting and the
// user may select something else meanwhile: a second FillStations (or Abandon) while one is
// waiting aborts the first, which then returns Abandoned without touching the list.
class CSHOUTcast {
public:
    struct Genre {
        const char* key;   // sent to the directory
        const char* label; // shown in the tree
    };
    static constexpr int kGenreCount = 48;
    static const std::array<Genre, kGenreCount> kGenres;

    // The directory's web host. It appears in the request line, the Host header and every
    // tune-in address, which must agree.
    static constexpr const char* kDirectoryHost = "yp.shoutcast.com";

    struct Limits {
        int connectMs = 10000;                  // to establish the connection
        int answerMs = 20000;                   // from the start to the server closing
        qint64 maxAnswerBytes = 8 * 1024 * 1024; // reading stops here
    };

    // Test harnesses that drive the whole program point it at a stand-in directory through
    // this environment variable ("host" or "host:port"); the player itself sets none.
    static constexpr const char* kServerVariable = "PLUMO_RADIO_DIRECTORY";

    // The server is kDirectoryHost, or kServerVariable's value when that is set and not empty.
    CSHOUTcast();
    virtual ~CSHOUTcast() = default;
    CSHOUTcast(const CSHOUTcast&) = delete;
    CSHOUTcast& operator=(const CSHOUTcast&) = delete;

    // The directory server as "host" or "host:port" (port 80 when none is given); tests and
    // tools point it at a loopback server.
    void SetServer(const QString& server) { m_server = server; }
    const QString& Server() const { return m_server; }
    void SetLimits(const Limits& limits) { m_limits = limits; }

    // Adds the 48 genres in table order through tree, inside one BeginUpdate/EndUpdate.
    void AddGenres(IRadioTreeSink& tree) const;

    // Fetches the stations of the genre key and lists them (radio::ListStations). An answer
    // that has arrived is listed even when it is not what a directory sends (empty list);
    // a refused or timed-out connection, a failed send and an empty answer are Failed. A time
    // limit or the size cap ends reading as the server's closing would. Re-entrant through the
    // event loop, as the class comment says.
    StationFill FillStations(IListSink& list, const QString& key);

    // Ends a waiting fetch as Abandoned (for a selection of another node); nothing otherwise.
    void Abandon();
    bool IsFetching() const { return m_pending != nullptr; }

    // The request for genre key: the absolute address as target and a Host header, nothing
    // else. The key goes in as UTF-8; only bytes that would break the request line (controls,
    // space, non-ASCII) are percent-encoded, which leaves every key of the table unchanged.
    QByteArray Request(const QString& key) const;

private:
    struct Pending;
    enum class Fetched { Answer, Failed, Abandoned };
    Fetched Fetch(const QByteArray& request, QByteArray& answer);

    QString m_server;
    Limits m_limits;
    Pending* m_pending = nullptr; // the fetch waiting in its event loop, on its caller's stack
};
