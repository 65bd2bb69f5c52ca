// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>

#include <array>

class CDirectoryLoad;
class IRadioTreeSink;

// The internet radio directory: fills the tree's radio node with the genres and, for a
// selected genre, asks the directory server for its stations over HTTP/1.0 through a
// CDirectoryLoad, which reports them to the window. UI thread only.
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
    // With a developer ID, station lists come from this host's legacy address instead; the
    // tune-in addresses stay on kDirectoryHost.
    static constexpr const char* kLegacyHost = "api.shoutcast.com";

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
    void SetServer(const QString& server)
    {
        m_server = server;
        m_fixedServer = true;
    }
    const QString& Server() const { return m_server; }
    // The user's developer ID; empty asks the directory's old address without one. A server
    // given through kServerVariable or SetServer answers both kinds of request.
    void SetDeveloperId(const QString& id) { m_developerId = id; }

    // Adds the 48 genres in table order through tree, inside one BeginUpdate/EndUpdate.
    void AddGenres(IRadioTreeSink& tree) const;

    // Starts loading the stations of the genre key through load (radio::ParseStations makes
    // them, with the tune-in addresses of this server); a load it was running is dropped.
    void FillStations(CDirectoryLoad& load, const QString& key) const;

    // The request for genre key: the absolute address as target and a Host header, nothing
    // else. The key (and the developer ID) go in as UTF-8; only bytes that would break the
    // request line (controls, space, non-ASCII, '%', '&') are percent-encoded, which leaves
    // every key of the table unchanged.
    QByteArray Request(const QString& key) const;
    // The server the requests go to.
    QString RequestServer() const;

private:
    QString m_server;
    QString m_developerId;
    bool m_fixedServer = false;
};
