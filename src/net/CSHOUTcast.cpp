// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSHOUTcast.h"

#include "CDirectoryLoad.h"
#include "IRadioTreeSink.h"
#include "RadioStations.h"

const std::array<CSHOUTcast::Genre, CSHOUTcast::kGenreCount> CSHOUTcast::kGenres = {{
    {"60s", "60s"}, {"70s", "70s"}, {"80s", "80s"}, {"90s", "90s"},
    {"Alternative", "Alternative"}, {"Ambient", "Ambient"}, {"Anime", "Anime"},
    {"Blues", "Blues"}, {"Chinese", "Chinese"}, {"Classical", "Classical"}, {"Club", "Club"},
    {"College", "College Radio"}, {"Comedy", "Comedy"}, {"Country", "Country"},
    {"Dance", "Dance"}, {"Disco", "Disco"}, {"Downtempo", "Downtempo"},
    {"Drum", "Drum & Bass"}, {"Easy", "Easy Listening"}, {"Eclectic", "Eclectic"},
    {"Electronic", "Electronic"}, {"Folk", "Folk"}, {"Funk", "Funk"}, {"Gospel", "Gospel"},
    {"Metal", "Heavy Metal"}, {"Hip", "Hip Hop"}, {"House", "House"}, {"Indie", "Indie"},
    {"Jpop", "Japanese Pop"}, {"Jazz", "Jazz"}, {"Latin", "Latin"}, {"Lounge", "Lounge"},
    {"Mix", "Mixed Genres"}, {"New", "New Age & World"}, {"Oldies", "Oldies"}, {"Pop", "Pop"},
    {"Progressive", "Progressive"}, {"Rnb", "R&B"}, {"Rap", "Rap"}, {"Reggae", "Reggae"},
    {"Rock", "Rock"}, {"Soundtrack", "Soundtrack"}, {"Sport", "Sport"},
    {"Talk", "Talk Shows"}, {"Techno", "Techno"}, {"Hit", "Today's Hits"}, {"Top", "Top 40"},
    {"Trance", "Trance"},
}};

CSHOUTcast::CSHOUTcast()
    : m_server(qEnvironmentVariable(kServerVariable, QString::fromLatin1(kDirectoryHost)))
{
    if (m_server.isEmpty())
        m_server = QString::fromLatin1(kDirectoryHost);
    m_fixedServer = m_server != QLatin1String(kDirectoryHost);
}

namespace {

QByteArray QueryValue(const QString& text)
{
    QByteArray value;
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || c == '%' || c == '&' || c == '#')
            value += '%' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        else
            value += c;
    }
    return value;
}

} // namespace

QString CSHOUTcast::RequestServer() const
{
    return m_developerId.isEmpty() || m_fixedServer ? m_server : QString::fromLatin1(kLegacyHost);
}

void CSHOUTcast::AddGenres(IRadioTreeSink& tree) const
{
    tree.BeginUpdate();
    for (const Genre& genre : kGenres)
        tree.AddRadioNode(QString::fromUtf8(genre.label), QString::fromUtf8(genre.key));
    tree.EndUpdate();
}

QByteArray CSHOUTcast::Request(const QString& key) const
{
    const QByteArray host = RequestServer().toUtf8();
    const QByteArray target = m_developerId.isEmpty()
        ? "/sbin/newxml.phtml?genre=" + QueryValue(key)
        : "/legacy/genresearch?k=" + QueryValue(m_developerId) + "&genre=" + QueryValue(key);
    return "GET http://" + host + target + " HTTP/1.0\r\nHost: " + host + "\r\n\r\n";
}

void CSHOUTcast::FillStations(CDirectoryLoad& load, const QString& key) const
{
    load.Start(RequestServer(), Request(key),
        [server = m_server](const QByteArray& answer) { return radio::ParseStations(answer, server); });
}
