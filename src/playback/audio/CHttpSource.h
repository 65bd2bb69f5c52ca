// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CFfmpegDecoder.h"
#include "CIcyDeframer.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

struct AVIOContext;

// The body of an http or https answer, with ICY metadata blocks taken out (and reported),
// as bytes for the decoder. The socket and TLS come from libavformat's tcp and tls protocols
// (certificates verified against the system store); the HTTP header and the ICY framing are
// read here, with fixed limits so that a hostile server cannot make memory grow.
//
// Open runs on the creating thread; afterwards ReadBytes runs on one (decoder) thread.
class CHttpSource final : public IByteReader {
public:
    static constexpr int kMaxHeaderBytes = 16 * 1024;
    static constexpr int kMaxPlaylistBytes = 256 * 1024;

    // abort is polled during connects and reads; timeoutMs limits each connect and each read.
    // playlists, when given, reads playlist answers so that Open follows them.
    CHttpSource(const std::atomic<bool>* abort, int timeoutMs, const IPlaylistReader* playlists);
    ~CHttpSource() override;
    CHttpSource(const CHttpSource&) = delete;
    CHttpSource& operator=(const CHttpSource&) = delete;

    // Connects and reads the answer's header, following redirects. When the answer is a
    // playlist the reader recognises, the first stream it names is opened instead (a few
    // levels deep). Throws FfmpegError: IllParam (malformed or non-http
    // address), NoNet (refused, unreachable, unknown host, TLS failure), Timeout, FileOpen
    // (an HTTP error such as 404, or a playlist naming no stream), Unknown (a broken answer).
    void Open(const QString& address);

    // Called on the reading thread with each new metadata text ("StreamTitle='...';").
    void SetMetaHandler(std::function<void(const QByteArray&)> handler);

    int ReadBytes(std::uint8_t* buffer, int size) override;
    // Why reading stopped early: Timeout, Unknown (connection lost, malformed metadata or an
    // oversized answer); Ok while the body simply flows or ended normally.
    AudioError Failure() const { return m_failure; }

private:
    void Connect(const QString& address);
    void ReadHeader(QByteArray& header);
    void ParseHeader(const QByteArray& header, QString& location);
    QByteArray Peek(int bytes);
    QByteArray ReadRest(int limit);
    bool FollowPlaylist(QString& address);
    int ReadBody(std::uint8_t* buffer, int size);
    int ReadRaw(std::uint8_t* buffer, int size);
    void Close();
    int Fail(int err);

    const std::atomic<bool>* m_abort;
    int m_timeoutMs;
    const IPlaylistReader* m_playlists;
    AVIOContext* m_io = nullptr;   // the connection; owned, closed by Close
    QString m_contentType;
    CIcyDeframer m_deframer;
    QByteArray m_head;             // body bytes read ahead by Peek, given out first
    int m_headPos = 0;
    AudioError m_failure = AudioError::Ok;
};
