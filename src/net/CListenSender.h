// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CListenQueue.h"

#include <QByteArray>
#include <QMetaType>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <cstdint>
#include <deque>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// What a listen tells of a track. Texts are as the library holds them (empty for none).
struct ListenTrack {
    QString artist;
    QString title;
    QString album;
    qint64 durationMs = 0; // 0 when unknown
    int number = 0;        // track number; 0 when unknown
};

// The outcome of a token check.
enum class TokenCheck {
    Valid,     // the service knows the token; the user name comes with it
    Refused,   // the service answered that the token is not valid
    Malformed, // spaces or control characters inside, or empty: never sent
    NoAnswer,  // no connection, a time-out, or an answer that is not the service's
};

Q_DECLARE_METATYPE(TokenCheck)

// Sends play events to a listen-history service over its JSON API: "playing now" notes as
// they come (they are worth nothing later, so a failed one is dropped) and listens through
// the queue, in order, in batches when many wait. A listen leaves the queue only on the
// service's success answer; network failures, time-outs, answers that are not the service's
// and 5xx retry after a delay that doubles up to a limit; 429 waits as long as the service
// asks; 401 holds the queue until the account changes and says so once; a batch refused as
// bad (400, 413) goes again one listen at a time, so that only the listen the service can
// never take is dropped.
//
// A QObject of one thread (the listen client's worker); every call and every signal is on
// that thread. Nothing blocks on the network: requests run in the event loop with a time
// limit, and destruction aborts what is on its way (such a listen stays queued).
class CListenSender : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultServer = "https://api.listenbrainz.org";
    static constexpr int kBatch = 50;
    static constexpr int kTimeLimitMs = 30000;
    static constexpr int kFirstRetryMs = 5000;
    static constexpr int kMaxRetryMs = 30 * 60 * 1000;
    // Longest artist, title or album sent, in UTF-16 units: the service refuses listens of
    // more than about 10 kB, and a longer tag names the track no better.
    static constexpr int kMaxTextLength = 500;

    explicit CListenSender(QObject* parent = nullptr);
    ~CListenSender() override;

    // The JSON the service takes for a track, and for one listen of it heard from listenedAt
    // (seconds since 1970, UTC). Any thread.
    static QJsonObject TrackMetadata(const ListenTrack& track);
    static QByteArray ListenJson(const ListenTrack& track, qint64 listenedAt);
    // The token as sent: trimmed; empty when nothing is left or it holds a space or a control
    // character inside (it could not go into a header as it is). Any thread.
    static QString CleanToken(const QString& token);
    // The server's address with path appended below it; the default when server is empty.
    static QUrl Endpoint(const QString& server, const QString& path);

    // Opens the queue file (created when missing) and sends what waits there. False when it
    // cannot be opened: listens are then kept in memory for this run.
    bool OpenQueue(const QString& path);
    // Where to send and as whom; an empty token sends nothing. Lifts a hold after a 401.
    void SetAccount(const QString& server, const QString& token);
    void SetRetryDelays(int firstMs, int maxMs);
    void SetTimeLimit(int ms) { m_timeLimitMs = ms; }

    void PlayingNow(const ListenTrack& track);
    // Queues the listen (written before any request carries it), then sends.
    void Listen(const ListenTrack& track, qint64 listenedAt);
    // Asks the service whether token is valid; the answer comes as TokenChecked.
    void CheckToken(const QString& server, const QString& token);

    int Waiting() const;
    bool IsHeld() const { return m_held; }

Q_SIGNALS:
    // The number of listens not yet accepted, after every change.
    void QueueChanged(int waiting);
    // The service refused the token; once per hold.
    void TokenRefused();
    // userName for Valid; detail the service's message or the network's error text.
    void TokenChecked(TokenCheck result, const QString& userName, const QString& detail);

private:
    QNetworkRequest Request(const QUrl& url, const QString& token) const;
    std::vector<CListenQueue::Entry> Pending(int count) const;
    void Drop(const std::vector<std::int64_t>& ids);
    void SendNext();
    void Submitted(QNetworkReply* reply, const std::vector<std::int64_t>& ids);
    void RetryIn(int ms);
    void Checked(QNetworkReply* reply);

    QNetworkAccessManager* m_net;
    CListenQueue m_queue;
    // Listens the queue file could not take (it could not be opened or written); sent first,
    // with ids below 0.
    std::deque<CListenQueue::Entry> m_unstored;
    std::int64_t m_unstoredIds = 0;
    QString m_server;
    QString m_token;
    // Single shot: the wait before the next attempt. A child, so it moves to the worker too.
    QTimer m_retry;
    QPointer<QNetworkReply> m_submit; // the listens on their way; null for none
    int m_firstRetryMs = kFirstRetryMs;
    int m_maxRetryMs = kMaxRetryMs;
    int m_retryMs = kFirstRetryMs; // the next wait after a failure
    int m_timeLimitMs = kTimeLimitMs;
    bool m_held = false;    // the token was refused: nothing goes until the account changes
    bool m_singles = false; // a batch was refused as bad: one listen per request until one is
};
