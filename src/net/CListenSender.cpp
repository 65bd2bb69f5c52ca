// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Runs on the listen client's worker thread only; no locks. A reply's outcome is matched to
// its listens by the ids captured with it, so an aborted or late reply changes nothing else.
#include "CListenSender.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

namespace {

constexpr const char* kPlayer = "Plumo";
constexpr int kOk = 200;
constexpr int kBadRequest = 400;
constexpr int kUnauthorized = 401;
constexpr int kTooLarge = 413;
constexpr int kTooMany = 429;
// The longest answer read; the service's answers are a few hundred bytes.
constexpr qint64 kMaxAnswer = 64 * 1024;

QString Cut(const QString& text)
{
    return text.left(CListenSender::kMaxTextLength);
}

int Status(const QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QJsonObject AnswerObject(QNetworkReply* reply)
{
    const QJsonDocument doc = QJsonDocument::fromJson(reply->read(kMaxAnswer));
    return doc.isObject() ? doc.object() : QJsonObject();
}

// The wait a 429 asks for, in ms: Retry-After as seconds or as a date, else the service's own
// X-RateLimit-Reset-In; fallback when neither says.
int RetryAfterMs(const QNetworkReply* reply, int fallback)
{
    for (const char* name : {"Retry-After", "X-RateLimit-Reset-In"}) {
        const QByteArray value = reply->rawHeader(name).trimmed();
        if (value.isEmpty())
            continue;
        bool number = false;
        const qint64 seconds = value.toLongLong(&number);
        if (number && seconds >= 0)
            return static_cast<int>(std::min<qint64>(seconds, CListenSender::kMaxRetryMs / 1000)) * 1000;
        const QDateTime when = QDateTime::fromString(QString::fromLatin1(value), Qt::RFC2822Date);
        if (when.isValid())
            return static_cast<int>(std::clamp<qint64>(
                QDateTime::currentDateTimeUtc().msecsTo(when), 0, CListenSender::kMaxRetryMs));
    }
    return fallback;
}

QByteArray Submission(const char* type, const QJsonArray& payload)
{
    QJsonObject body;
    body.insert(QStringLiteral("listen_type"), QString::fromLatin1(type));
    body.insert(QStringLiteral("payload"), payload);
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

} // namespace

CListenSender::CListenSender(QObject* parent)
    : QObject(parent), m_net(new QNetworkAccessManager(this)), m_retry(this)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &CListenSender::SendNext);
}

CListenSender::~CListenSender()
{
    // Replies are the manager's children and go with it, aborted; their listens stay queued.
    m_submit.clear();
}

QJsonObject CListenSender::TrackMetadata(const ListenTrack& track)
{
    QJsonObject info;
    if (track.durationMs > 0)
        info.insert(QStringLiteral("duration_ms"), track.durationMs);
    if (track.number > 0)
        info.insert(QStringLiteral("tracknumber"), track.number);
    info.insert(QStringLiteral("media_player"), QString::fromLatin1(kPlayer));
    info.insert(QStringLiteral("media_player_version"), QStringLiteral(PLUMO_VERSION));
    info.insert(QStringLiteral("submission_client"), QString::fromLatin1(kPlayer));
    info.insert(QStringLiteral("submission_client_version"), QStringLiteral(PLUMO_VERSION));
    QJsonObject meta;
    meta.insert(QStringLiteral("artist_name"), Cut(track.artist));
    meta.insert(QStringLiteral("track_name"), Cut(track.title));
    if (!track.album.isEmpty())
        meta.insert(QStringLiteral("release_name"), Cut(track.album));
    meta.insert(QStringLiteral("additional_info"), info);
    return meta;
}

QByteArray CListenSender::ListenJson(const ListenTrack& track, qint64 listenedAt)
{
    QJsonObject listen;
    listen.insert(QStringLiteral("listened_at"), listenedAt);
    listen.insert(QStringLiteral("track_metadata"), TrackMetadata(track));
    return QJsonDocument(listen).toJson(QJsonDocument::Compact);
}

QString CListenSender::CleanToken(const QString& token)
{
    const QString trimmed = token.trimmed();
    const bool bad = std::any_of(trimmed.begin(), trimmed.end(),
        [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control || c.unicode() > 0x7e; });
    return bad ? QString() : trimmed;
}

QUrl CListenSender::Endpoint(const QString& server, const QString& path)
{
    QString base = server.trimmed().isEmpty() ? QString::fromLatin1(kDefaultServer) : server.trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return QUrl(base + path);
}

QNetworkRequest CListenSender::Request(const QUrl& url, const QString& token) const
{
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Token " + token.toLatin1());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setHeader(QNetworkRequest::UserAgentHeader,
        QByteArray(kPlayer) + '/' + QByteArrayLiteral(PLUMO_VERSION));
    request.setTransferTimeout(m_timeLimitMs);
    // A redirect would carry the token to whatever address it names.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return request;
}

bool CListenSender::OpenQueue(const QString& path)
{
    const bool opened = m_queue.Open(path);
    // Listens made before the file was open go into it now, in their order.
    while (opened && !m_unstored.empty() && m_queue.Add(m_unstored.front().listen) != 0)
        m_unstored.pop_front();
    Q_EMIT QueueChanged(Waiting());
    SendNext();
    return opened;
}

void CListenSender::SetAccount(const QString& server, const QString& token)
{
    m_server = server;
    m_token = CleanToken(token);
    m_held = false;
    m_retry.stop();
    m_retryMs = m_firstRetryMs;
    SendNext();
}

void CListenSender::SetRetryDelays(int firstMs, int maxMs)
{
    m_firstRetryMs = std::max(firstMs, 0);
    m_maxRetryMs = std::max(maxMs, m_firstRetryMs);
    m_retryMs = m_firstRetryMs;
}

void CListenSender::PlayingNow(const ListenTrack& track)
{
    if (m_token.isEmpty() || m_held)
        return;
    QJsonObject entry;
    entry.insert(QStringLiteral("track_metadata"), TrackMetadata(track));
    QNetworkReply* reply = m_net->post(Request(Endpoint(m_server, QStringLiteral("/1/submit-listens")), m_token),
        Submission("playing_now", QJsonArray{entry}));
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

void CListenSender::Listen(const ListenTrack& track, qint64 listenedAt)
{
    const QByteArray listen = ListenJson(track, listenedAt);
    if (m_queue.Add(listen) == 0)
        m_unstored.push_back({--m_unstoredIds, listen});
    Q_EMIT QueueChanged(Waiting());
    SendNext();
}

int CListenSender::Waiting() const
{
    return m_queue.Count() + static_cast<int>(m_unstored.size());
}

std::vector<CListenQueue::Entry> CListenSender::Pending(int count) const
{
    std::vector<CListenQueue::Entry> entries(m_unstored.begin(),
        m_unstored.begin() + std::min<std::ptrdiff_t>(count, static_cast<std::ptrdiff_t>(m_unstored.size())));
    const int rest = count - static_cast<int>(entries.size());
    if (rest > 0) {
        const std::vector<CListenQueue::Entry> stored = m_queue.Oldest(rest);
        entries.insert(entries.end(), stored.begin(), stored.end());
    }
    return entries;
}

void CListenSender::Drop(const std::vector<std::int64_t>& ids)
{
    std::vector<std::int64_t> stored;
    for (const std::int64_t id : ids) {
        if (id > 0)
            stored.push_back(id);
        else
            std::erase_if(m_unstored, [id](const CListenQueue::Entry& e) { return e.id == id; });
    }
    if (!stored.empty())
        m_queue.Remove(stored);
    Q_EMIT QueueChanged(Waiting());
}

void CListenSender::SendNext()
{
    if (m_submit || m_retry.isActive() || m_held || m_token.isEmpty())
        return;
    const std::vector<CListenQueue::Entry> entries = Pending(m_singles ? 1 : kBatch);
    if (entries.empty())
        return;
    QJsonArray payload;
    std::vector<std::int64_t> ids;
    std::vector<std::int64_t> broken;
    for (const CListenQueue::Entry& entry : entries) {
        const QJsonDocument doc = QJsonDocument::fromJson(entry.listen);
        // A row damaged on disk can never be sent; keeping it would hold every later listen.
        (doc.isObject() ? ids : broken).push_back(entry.id);
        if (doc.isObject())
            payload.append(doc.object());
    }
    if (!broken.empty())
        Drop(broken);
    if (ids.empty()) {
        SendNext();
        return;
    }
    QNetworkReply* reply = m_net->post(Request(Endpoint(m_server, QStringLiteral("/1/submit-listens")), m_token),
        Submission(ids.size() == 1 ? "single" : "import", payload));
    m_submit = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply, ids] { Submitted(reply, ids); });
}

void CListenSender::Submitted(QNetworkReply* reply, const std::vector<std::int64_t>& ids)
{
    reply->deleteLater();
    if (m_submit != reply)
        return;
    m_submit.clear();
    const int status = Status(reply);
    if (status == kOk && AnswerObject(reply).value(QStringLiteral("status")).toString() == QLatin1String("ok")) {
        m_retryMs = m_firstRetryMs;
        Drop(ids);
        SendNext();
    } else if (status == kUnauthorized) {
        m_held = true;
        Q_EMIT TokenRefused();
    } else if (status == kTooMany) {
        RetryIn(RetryAfterMs(reply, m_retryMs));
    } else if (status == kBadRequest || status == kTooLarge) {
        if (ids.size() > 1) {
            m_singles = true;
        } else {
            m_singles = false;
            Drop(ids);
        }
        SendNext();
    } else {
        // No answer, a time-out, a server fault, or something that is not the service (a
        // captive portal's page): the listens stay, and the next try waits longer.
        RetryIn(m_retryMs);
        m_retryMs = std::min(m_retryMs * 2, m_maxRetryMs);
    }
}

void CListenSender::RetryIn(int ms)
{
    m_retry.start(std::max(ms, 0));
}

void CListenSender::CheckToken(const QString& server, const QString& token)
{
    const QString clean = CleanToken(token);
    if (clean.isEmpty()) {
        Q_EMIT TokenChecked(TokenCheck::Malformed, QString(), QString());
        return;
    }
    QNetworkReply* reply = m_net->get(Request(Endpoint(server, QStringLiteral("/1/validate-token")), clean));
    connect(reply, &QNetworkReply::finished, this, [this, reply] { Checked(reply); });
}

void CListenSender::Checked(QNetworkReply* reply)
{
    reply->deleteLater();
    const int status = Status(reply);
    const QJsonObject answer = AnswerObject(reply);
    const QString message = answer.value(QStringLiteral("message")).toString();
    if (answer.value(QStringLiteral("valid")).toBool() && status == kOk) {
        Q_EMIT TokenChecked(TokenCheck::Valid, answer.value(QStringLiteral("user_name")).toString(), message);
    } else if (answer.contains(QStringLiteral("valid")) || status == kUnauthorized) {
        Q_EMIT TokenChecked(TokenCheck::Refused, QString(), message);
    } else {
        const QString detail = reply->error() != QNetworkReply::NoError
            ? reply->errorString()
            : QStringLiteral("HTTP %1").arg(status);
        Q_EMIT TokenChecked(TokenCheck::NoAnswer, QString(), detail);
    }
}
