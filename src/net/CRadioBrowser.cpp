// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CRadioBrowser.h"

#include "IRadioTreeSink.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace {

// A country list is read again after a day.
constexpr qint64 kCountriesMaxAgeMs = 24LL * 60 * 60 * 1000;
// The running load gives up after this many servers failed it.
constexpr int kMaxServerTries = 3;

QString StationQuery()
{
    return QStringLiteral("order=clickcount&reverse=true&hidebroken=true&limit=%1")
        .arg(CRadioBrowser::kListLength);
}

QString PathSegment(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

} // namespace

const std::array<CRadioBrowser::Genre, CRadioBrowser::kGenreCount> CRadioBrowser::kGenres = {{
    {"60s", "60s"}, {"70s", "70s"}, {"80s", "80s"}, {"90s", "90s"},
    {"alternative", "Alternative"}, {"ambient", "Ambient"}, {"anime", "Anime"},
    {"blues", "Blues"}, {"chinese", "Chinese"}, {"classical", "Classical"}, {"club", "Club"},
    {"college radio", "College Radio"}, {"comedy", "Comedy"}, {"country", "Country"},
    {"dance", "Dance"}, {"disco", "Disco"}, {"downtempo", "Downtempo"},
    {"drum and bass", "Drum & Bass"}, {"easy listening", "Easy Listening"},
    {"eclectic", "Eclectic"}, {"electronic", "Electronic"}, {"folk", "Folk"}, {"funk", "Funk"},
    {"gospel", "Gospel"}, {"heavy metal", "Heavy Metal"}, {"hip hop", "Hip Hop"},
    {"house", "House"}, {"indie", "Indie"}, {"j-pop", "Japanese Pop"}, {"jazz", "Jazz"},
    {"latin", "Latin"}, {"lounge", "Lounge"}, {"variety", "Mixed Genres"},
    {"new age", "New Age & World"}, {"oldies", "Oldies"}, {"pop", "Pop"},
    {"progressive", "Progressive"}, {"rnb", "R&B"}, {"rap", "Rap"}, {"reggae", "Reggae"},
    {"rock", "Rock"}, {"soundtrack", "Soundtrack"}, {"sports", "Sport"}, {"talk", "Talk Shows"},
    {"techno", "Techno"}, {"hits", "Today's Hits"}, {"top 40", "Top 40"}, {"trance", "Trance"},
}};

CRadioBrowser::CRadioBrowser(QObject* parent)
    : QObject(parent)
{
    m_fixedServer = qEnvironmentVariable(kServerVariable);
    connect(&m_load, &CDirectoryLoad::Finished, this, &CRadioBrowser::OnLoaded);
}

CRadioBrowser::~CRadioBrowser() = default;

void CRadioBrowser::SetServer(const QString& server)
{
    Cancel();
    m_fixedServer = server;
    m_servers.clear();
}

void CRadioBrowser::AddNodes(IRadioTreeSink& tree, const QString& topVoted,
                             const QString& trending, const QString& byCountry) const
{
    tree.BeginUpdate();
    for (const Genre& genre : kGenres) {
        tree.AddRadioNode(QString::fromUtf8(genre.label),
                          QStringLiteral("tag:") + QString::fromUtf8(genre.tag));
    }
    tree.AddRadioNode(topVoted, QString::fromLatin1(kTopVotedKey));
    tree.AddRadioNode(trending, QString::fromLatin1(kTrendingKey));
    tree.AddRadioFolder(byCountry, QString::fromLatin1(kCountriesKey));
    tree.EndUpdate();
}

QString CRadioBrowser::StationsPath(const QString& key)
{
    if (key.startsWith(u"tag:") && key.size() > 4)
        return QStringLiteral("/json/stations/bytagexact/") + PathSegment(key.mid(4)) + u'?'
            + StationQuery();
    if (key.startsWith(u"country:") && key.size() > 8)
        return QStringLiteral("/json/stations/bycountrycodeexact/") + PathSegment(key.mid(8))
            + u'?' + StationQuery();
    if (key == QLatin1String(kTopVotedKey))
        return QStringLiteral("/json/stations/search?order=votes&reverse=true&hidebroken=true&limit=%1")
            .arg(kListLength);
    if (key == QLatin1String(kTrendingKey))
        return QStringLiteral("/json/stations/search?order=clicktrend&reverse=true&hidebroken=true&limit=%1")
            .arg(kListLength);
    return {};
}

QString CRadioBrowser::CountriesPath()
{
    return QStringLiteral("/json/countries?order=name&hidebroken=true");
}

QString CRadioBrowser::ClickPath(const QString& uuid)
{
    return QStringLiteral("/json/url/") + PathSegment(uuid);
}

QByteArray CRadioBrowser::UserAgent()
{
    return QByteArrayLiteral("Plumo/" PLUMO_VERSION);
}

QByteArray CRadioBrowser::Request(const QString& server, const QString& path)
{
    return "GET " + path.toUtf8() + " HTTP/1.0\r\nHost: " + server.toUtf8()
        + "\r\nUser-Agent: " + UserAgent() + "\r\nAccept: application/json\r\n\r\n";
}

void CRadioBrowser::FillStations(const QString& key)
{
    m_want = Want::Stations;
    m_path = StationsPath(key);
    Go();
}

void CRadioBrowser::LoadCountries()
{
    if (m_countriesAge.isValid() && m_countriesAge.elapsed() < kCountriesMaxAgeMs) {
        m_load.Cancel();
        m_want = Want::None;
        SetBusy(false);
        // Reported from the event loop, like a list that had to be read.
        const std::uint64_t request = ++m_request;
        QMetaObject::invokeMethod(this, [this, request, countries = m_countries] {
            if (request == m_request)
                Q_EMIT CountriesLoaded(true, countries);
        }, Qt::QueuedConnection);
        return;
    }
    m_want = Want::Countries;
    m_path = CountriesPath();
    Go();
}

void CRadioBrowser::Cancel()
{
    ++m_request;
    m_want = Want::None;
    m_load.Cancel();
    SetBusy(false);
}

void CRadioBrowser::ReportClick(const QString& uuid)
{
    if (uuid.isEmpty())
        return;
    const QString server = !m_fixedServer.isEmpty() ? m_fixedServer
        : m_servers.isEmpty() ? QString::fromLatin1(kAllServers)
        : m_servers.at(m_server);
    m_click.Start(server, Request(server, ClickPath(uuid)),
        [](const QByteArray&) { return std::vector<radio::Station>(); }, m_fixedServer.isEmpty());
}

void CRadioBrowser::Go()
{
    m_failures = 0;
    const std::uint64_t request = ++m_request;
    SetBusy(true);
    if (m_path.isEmpty()) {
        // A key no node has: nothing to ask, and nothing listed.
        m_load.Cancel();
        m_want = Want::None;
        QMetaObject::invokeMethod(this, [this, request] {
            if (request != m_request)
                return;
            SetBusy(false);
            Q_EMIT StationsLoaded(false, {});
        }, Qt::QueuedConnection);
        return;
    }
    if (m_fixedServer.isEmpty() && m_servers.isEmpty()) {
        m_load.Cancel();
        Resolve();
        return;
    }
    Send();
}

void CRadioBrowser::Resolve()
{
    if (m_resolving)
        return;
    m_resolving = true;
    const std::uint64_t generation = ++m_resolveGeneration;
    QHostInfo::lookupHost(QString::fromLatin1(kAllServers), this,
        [this, generation](const QHostInfo& info) {
            if (generation != m_resolveGeneration)
                return;
            const QList<QHostAddress> addresses = info.addresses();
            if (addresses.isEmpty()) {
                Resolved(generation, {});
                return;
            }
            // Certificates name the servers, not their addresses: each address is looked up
            // back to its name, and the list is complete once every lookup has answered.
            auto names = std::make_shared<QStringList>();
            auto pending = std::make_shared<int>(static_cast<int>(addresses.size()));
            for (const QHostAddress& address : addresses) {
                QHostInfo::lookupHost(address.toString(), this,
                    [this, generation, names, pending, address](const QHostInfo& back) {
                        const QString name = back.hostName();
                        if (back.error() == QHostInfo::NoError && !name.isEmpty()
                            && QHostAddress(name).isNull() && !names->contains(name))
                            names->append(name);
                        if (--*pending == 0)
                            Resolved(generation, *names);
                    });
            }
        });
}

void CRadioBrowser::Resolved(std::uint64_t generation, QStringList servers)
{
    if (generation != m_resolveGeneration)
        return;
    m_resolving = false;
    std::shuffle(servers.begin(), servers.end(), *QRandomGenerator::global());
    // Without a name the all-servers name itself is the one left to try.
    if (servers.isEmpty())
        servers << QString::fromLatin1(kAllServers);
    m_servers = servers;
    m_server = 0;
    if (m_want != Want::None)
        Send();
}

void CRadioBrowser::Send()
{
    const bool tls = m_fixedServer.isEmpty();
    const QString server = tls ? m_servers.at(m_server) : m_fixedServer;
    CDirectoryLoad::Parser parser;
    if (m_want == Want::Countries) {
        // The loader carries rows: a country travels as one whose name is the tree label and
        // whose file is the node's key.
        parser = [](const QByteArray& answer) {
            std::vector<radio::Station> rows;
            for (const radio::Country& c : radio::ParseCountries(answer)) {
                radio::Station row;
                row.name = QStringLiteral("%1 (%2)").arg(c.name).arg(c.stations);
                row.file = QStringLiteral("country:") + c.code;
                rows.push_back(std::move(row));
            }
            return rows;
        };
    } else {
        parser = [](const QByteArray& answer) { return radio::ParseBrowserStations(answer); };
    }
    m_load.Start(tls ? server + QStringLiteral(":443") : server, Request(server, m_path),
                 std::move(parser), tls);
}

void CRadioBrowser::OnLoaded(bool listed, const std::vector<radio::Station>& rows)
{
    const Want want = m_want;
    if (want == Want::None)
        return;
    if (!listed && m_fixedServer.isEmpty()) {
        ++m_failures;
        if (m_failures < std::min(kMaxServerTries, static_cast<int>(m_servers.size()))) {
            m_server = (m_server + 1) % static_cast<int>(m_servers.size());
            Send();
            return;
        }
        // Every server tried failed: the next load asks the name service again.
        m_servers.clear();
    }
    m_want = Want::None;
    SetBusy(false);
    if (want == Want::Stations) {
        Q_EMIT StationsLoaded(listed, rows);
        return;
    }
    std::vector<Node> countries;
    countries.reserve(rows.size());
    for (const radio::Station& row : rows)
        countries.push_back({row.name, row.file});
    if (listed && !countries.empty()) {
        m_countries = countries;
        m_countriesAge.start();
    }
    Q_EMIT CountriesLoaded(listed, countries);
}

void CRadioBrowser::SetBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT BusyChanged(busy);
}
