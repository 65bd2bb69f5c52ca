// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// One thread, several event loops: a fetch runs its own QEventLoop on the UI thread, and
// anything the user does meanwhile runs inside it, a second fetch included. The newest fetch
// marks the one below it abandoned, aborts its socket and quits its loop; that loop returns
// only once the newer fetch has returned, and the abandoned fetch then leaves the list alone.
#include "CSHOUTcast.h"

#include "IRadioTreeSink.h"
#include "RadioStations.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

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

struct CSHOUTcast::Pending {
    QTcpSocket socket;
    QEventLoop loop;
    QTimer connectTimer;
    QTimer answerTimer;
    QByteArray request;
    QByteArray answer;
    qint64 cap = 0;
    bool connected = false;
    bool failed = false;
    bool abandoned = false;

    Pending(const QByteArray& requestBytes, const Limits& limits);
    void Fail()
    {
        failed = true;
        socket.abort();
        loop.quit();
    }
    // Reading ends at the cap as if the server had closed there.
    void Read()
    {
        answer += socket.read(cap - answer.size());
        if (answer.size() >= cap) {
            socket.abort();
            loop.quit();
        }
    }
};

CSHOUTcast::Pending::Pending(const QByteArray& requestBytes, const Limits& limits)
    : request(requestBytes), cap(limits.maxAnswerBytes)
{
    QObject::connect(&socket, &QTcpSocket::connected, &loop, [this] {
        connected = true;
        connectTimer.stop();
        if (socket.write(request) != request.size())
            Fail();
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [this] { Read(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, [this] { loop.quit(); });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, [this] {
        if (!connected)
            Fail();
        else
            loop.quit(); // the server closing, or a receive error: what came is the answer
    });
    connectTimer.setSingleShot(true);
    answerTimer.setSingleShot(true);
    QObject::connect(&connectTimer, &QTimer::timeout, &loop, [this] { Fail(); });
    QObject::connect(&answerTimer, &QTimer::timeout, &loop, [this] {
        socket.abort();
        loop.quit();
    });
    connectTimer.start(limits.connectMs);
    answerTimer.start(limits.answerMs);
}

CSHOUTcast::CSHOUTcast()
    : m_server(qEnvironmentVariable(kServerVariable, QString::fromLatin1(kDirectoryHost)))
{
    if (m_server.isEmpty())
        m_server = QString::fromLatin1(kDirectoryHost);
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
    const QByteArray host = m_server.toUtf8();
    QByteArray genre;
    for (const char c : key.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || c == '%')
            genre += '%' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        else
            genre += c;
    }
    return "GET http://" + host + "/sbin/newxml.phtml?genre=" + genre + " HTTP/1.0\r\nHost: "
        + host + "\r\n\r\n";
}

StationFill CSHOUTcast::FillStations(IListSink& list, const QString& key)
{
    QByteArray answer;
    switch (Fetch(Request(key), answer)) {
    case Fetched::Abandoned:
        return StationFill::Abandoned;
    case Fetched::Failed:
        return StationFill::Failed;
    case Fetched::Answer:
        break;
    }
    radio::ListStations(list, radio::ParseStations(answer, m_server));
    return StationFill::Listed;
}

void CSHOUTcast::Abandon()
{
    if (!m_pending)
        return;
    m_pending->abandoned = true;
    m_pending->socket.abort();
    m_pending->loop.quit();
    m_pending = nullptr;
}

CSHOUTcast::Fetched CSHOUTcast::Fetch(const QByteArray& request, QByteArray& answer)
{
    Abandon();
    const QUrl url(QStringLiteral("http://") + m_server);
    if (!url.isValid() || url.host().isEmpty())
        return Fetched::Failed;

    Pending p(request, m_limits);
    p.socket.connectToHost(url.host(), static_cast<quint16>(url.port(80)));
    m_pending = &p;
    // A failure reported from within connectToHost has quit the loop before it ran.
    if (!p.failed)
        p.loop.exec();
    if (p.abandoned)
        return Fetched::Abandoned;
    m_pending = nullptr;
    if (p.failed || p.answer.isEmpty())
        return Fetched::Failed;
    answer = p.answer;
    return Fetched::Answer;
}
