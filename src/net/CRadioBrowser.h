// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CDirectoryLoad.h"
#include "RadioBrowserAnswer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

class IRadioTreeSink;

// The open community radio directory (JSON over https): fills the tree's radio node with
// genres, "Top Voted", "Trending" and "By Country", loads the stations of a chosen node through
// the shared directory loader and tells the directory which station was played. Servers are
// chosen as the directory asks of its clients: the addresses behind its all-servers name, each
// named by its reverse lookup, in random order, the next one tried when one fails. UI thread
// only; nothing here waits.
class CRadioBrowser : public QObject {
    Q_OBJECT
public:
    struct Genre {
        const char* tag;   // the directory's tag
        const char* label; // shown in the tree
    };
    static constexpr int kGenreCount = 48;
    static const std::array<Genre, kGenreCount> kGenres;

    static constexpr const char* kAllServers = "all.api.radio-browser.info";
    // Test harnesses and offline browsing point the player at a stand-in ("host:port", plain
    // http) through this environment variable.
    static constexpr const char* kServerVariable = "PLUMO_RADIO_BROWSER";
    // Stations asked for per list.
    static constexpr int kListLength = 500;
    // A node's key: "tag:" and the tag, "country:" and the country code, or one of these.
    static constexpr const char* kTopVotedKey = "top";
    static constexpr const char* kTrendingKey = "trend";
    static constexpr const char* kCountriesKey = "countries";

    struct Node {
        QString label;
        QString key;
    };

    // Uses kServerVariable's server when it is set and not empty, else the directory's own.
    explicit CRadioBrowser(QObject* parent = nullptr);
    ~CRadioBrowser() override;

    // One fixed server ("host:port", plain http) instead of the directory's.
    void SetServer(const QString& server);

    // The genres in table order, then "Top Voted", "Trending" and "By Country" (the only node
    // that expands), labelled with the given texts, inside one BeginUpdate/EndUpdate.
    void AddNodes(IRadioTreeSink& tree, const QString& topVoted, const QString& trending,
                  const QString& byCountry) const;
    // True for the key of a node that holds countries rather than stations.
    static bool IsFolder(const QString& key) { return key == QLatin1String(kCountriesKey); }

    // Loads the stations of key; a load still running (also of the countries) is dropped.
    // StationsLoaded follows unless a newer load or Cancel comes first.
    void FillStations(const QString& key);
    // Loads the countries with stations; a country list read less than a day ago is used
    // again. CountriesLoaded follows unless Cancel comes first.
    void LoadCountries();
    // Drops whatever load runs; nothing more is reported for it.
    void Cancel();
    // Tells the directory that the station with this id was played; the answer is not
    // waited for.
    void ReportClick(const QString& uuid);

    // The request line and headers for path on server (also used by the tests).
    static QByteArray Request(const QString& server, const QString& path);
    // The path of a node's station list, empty for an unknown key.
    static QString StationsPath(const QString& key);
    static QString CountriesPath();
    static QString ClickPath(const QString& uuid);
    static QByteArray UserAgent();

Q_SIGNALS:
    // True from a load's start until its result or Cancel: the window shows the wait cursor.
    void BusyChanged(bool busy);
    // With listed, the directory answered and stations holds what could be read from it;
    // without, no server could be reached or none answered.
    void StationsLoaded(bool listed, const std::vector<radio::Station>& stations);
    // The countries as tree nodes ("Name (count)", "country:CODE"), in the directory's order.
    void CountriesLoaded(bool listed, const std::vector<CRadioBrowser::Node>& countries);

private:
    enum class Want { None, Stations, Countries };

    // Starts the wanted load on the current server, resolving the servers first if needed.
    void Go();
    void Resolve();
    void Resolved(std::uint64_t generation, QStringList servers);
    void Send();
    void OnLoaded(bool listed, const std::vector<radio::Station>& rows);
    void SetBusy(bool busy);

    CDirectoryLoad m_load;  // station and country lists
    CDirectoryLoad m_click; // click reports
    QString m_fixedServer;  // plain http to this one when set
    QStringList m_servers;  // resolved, in the order they are tried
    int m_server = 0;       // index into m_servers of the one in use
    int m_failures = 0;     // servers that failed the running load
    bool m_resolving = false;
    std::uint64_t m_resolveGeneration = 0;
    Want m_want = Want::None;
    std::uint64_t m_request = 0; // counts loads and cancels: a queued answer of an older one is dropped
    QString m_path;
    bool m_busy = false;
    std::vector<Node> m_countries;
    QElapsedTimer m_countriesAge; // valid while m_countries holds a read list
};
