// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread starts and drops loads, runs the socket of the newest one and
// receives its stations through a queued call; one worker parses answers. m_mutex is the only
// lock; the worker never holds it while parsing or posting. Each load has a generation number:
// a socket's outcome is taken only while its number is the newest, the worker skips and drops
// stale answers, and the UI thread checks the number again when the stations arrive, so a
// superseded or dropped load never reaches Finished.
#include "CDirectoryLoad.h"

#include <QSslSocket>
#include <QTimer>
#include <QUrl>

// One request on an asynchronous socket of the UI thread. It reports once, through done,
// unless Stop came first.
class CDirectoryLoad::Fetch : public QObject {
public:
    using Done = std::function<void(bool ok, const QByteArray& answer)>;

    Fetch(QObject* parent, const QByteArray& request, const Limits& limits, bool tls, Done done);
    void Connect(const QString& host, quint16 port);
    // Aborts the connection; nothing is reported any more.
    void Stop();

private:
    void End(bool ok);
    // Reading ends at the cap as if the server had closed there.
    void Read();

    QSslSocket m_socket;
    QTimer m_connectTimer;
    QTimer m_answerTimer;
    QByteArray m_request;
    QByteArray m_answer;
    qint64 m_cap = 0;
    bool m_connected = false;
    bool m_ended = false;
    bool m_tls = false;
    Done m_done;
};

CDirectoryLoad::Fetch::Fetch(
    QObject* parent, const QByteArray& request, const Limits& limits, bool tls, Done done)
    : QObject(parent), m_request(request), m_cap(limits.maxAnswerBytes), m_tls(tls),
      m_done(std::move(done))
{
    // Over TLS the connection counts as made once the handshake has verified the server's
    // certificate; a failed verification aborts it with an error before that.
    auto send = [this] {
        m_connected = true;
        m_connectTimer.stop();
        if (m_socket.write(m_request) != m_request.size())
            End(false);
    };
    if (m_tls)
        connect(&m_socket, &QSslSocket::encrypted, this, send);
    else
        connect(&m_socket, &QTcpSocket::connected, this, send);
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { Read(); });
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] { End(true); });
    // Before the connection an error is a failure; after it, the server closing or a receive
    // error, and what came is the answer.
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] { End(m_connected); });
    m_connectTimer.setSingleShot(true);
    m_answerTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] { End(false); });
    connect(&m_answerTimer, &QTimer::timeout, this, [this] { End(true); });
    m_connectTimer.start(limits.connectMs);
    m_answerTimer.start(limits.answerMs);
}

void CDirectoryLoad::Fetch::Connect(const QString& host, quint16 port)
{
    if (m_tls)
        m_socket.connectToHostEncrypted(host, port);
    else
        m_socket.connectToHost(host, port);
}

void CDirectoryLoad::Fetch::Stop()
{
    m_ended = true;
    m_connectTimer.stop();
    m_answerTimer.stop();
    m_socket.disconnect(this);
    m_socket.abort();
}

void CDirectoryLoad::Fetch::End(bool ok)
{
    if (m_ended)
        return;
    if (ok && m_socket.bytesAvailable() > 0)
        Read();
    if (m_ended)
        return;
    Stop();
    m_done(ok && !m_answer.isEmpty(), m_answer);
}

void CDirectoryLoad::Fetch::Read()
{
    m_answer += m_socket.read(m_cap - m_answer.size());
    if (m_answer.size() >= m_cap)
        End(true);
}

struct CDirectoryLoad::Job {
    std::uint64_t generation = 0;
    QByteArray answer;
    Parser parser;
};

CDirectoryLoad::CDirectoryLoad(QObject* parent)
    : QObject(parent)
{
    m_worker = std::thread([this] { Run(); });
}

CDirectoryLoad::~CDirectoryLoad()
{
    Cancel();
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void CDirectoryLoad::Start(
    const QString& server, const QByteArray& request, Parser parser, bool tls)
{
    const bool wasRunning = m_running;
    DropFetch();
    const std::uint64_t generation = ++m_newest;
    LockReplaceJob(nullptr);
    m_parser = std::move(parser);
    m_running = true;
    // Reported from the event loop, never from within this call or a socket's signal.
    auto done = [this, generation](bool ok, const QByteArray& answer) {
        QMetaObject::invokeMethod(
            this, [this, generation, ok, answer] { OnFetched(generation, ok, answer); },
            Qt::QueuedConnection);
    };
    if (!wasRunning)
        Q_EMIT BusyChanged(true);
    const QUrl url(QStringLiteral("http://") + server);
    if (!url.isValid() || url.host().isEmpty()) {
        done(false, {});
        return;
    }
    m_fetch = new Fetch(this, request, m_limits, tls, done);
    m_fetch->Connect(url.host(), static_cast<quint16>(url.port(tls ? 443 : 80)));
}

void CDirectoryLoad::Cancel()
{
    if (!m_running)
        return;
    ++m_newest;
    DropFetch();
    LockReplaceJob(nullptr);
    m_parser = nullptr;
    m_running = false;
    Q_EMIT BusyChanged(false);
}

void CDirectoryLoad::DropFetch()
{
    if (!m_fetch)
        return;
    m_fetch->Stop();
    // Later: the fetch may be the one whose socket is emitting right now.
    m_fetch->deleteLater();
    m_fetch = nullptr;
}

void CDirectoryLoad::OnFetched(std::uint64_t generation, bool ok, const QByteArray& answer)
{
    if (generation != m_newest.load() || !m_running)
        return;
    DropFetch();
    if (!ok) {
        Finish(false, {});
        return;
    }
    auto job = std::make_unique<Job>();
    job->generation = generation;
    job->answer = answer;
    job->parser = std::move(m_parser);
    LockReplaceJob(std::move(job));
    m_wake.notify_one();
}

void CDirectoryLoad::LockReplaceJob(std::unique_ptr<Job> job)
{
    std::lock_guard lock(m_mutex);
    m_job = std::move(job);
}

void CDirectoryLoad::Run()
{
    for (;;) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || m_job != nullptr; });
            if (m_quit)
                return;
            job = std::move(m_job);
        }
        if (job->generation != m_newest.load())
            continue;
        auto stations = std::make_shared<Stations>();
        try {
            *stations = job->parser(job->answer);
            if (stations->size() > radio::kMaxStations)
                stations->resize(radio::kMaxStations);
        } catch (...) {
            // Out of memory or the like: the answer lists nothing, the worker carries on.
            stations->clear();
        }
        if (job->generation != m_newest.load())
            continue;
        std::shared_ptr<const Stations> parsed = std::move(stations);
        QMetaObject::invokeMethod(
            this, [this, generation = job->generation, parsed] { Deliver(generation, parsed); },
            Qt::QueuedConnection);
    }
}

void CDirectoryLoad::Deliver(
    std::uint64_t generation, const std::shared_ptr<const Stations>& stations)
{
    if (generation != m_newest.load() || !m_running)
        return;
    Finish(true, *stations);
}

void CDirectoryLoad::Finish(bool listed, const Stations& stations)
{
    m_running = false;
    m_parser = nullptr;
    // Busy ends first: a handler of Finished may start the next load.
    Q_EMIT BusyChanged(false);
    Q_EMIT Finished(listed, stations);
}
