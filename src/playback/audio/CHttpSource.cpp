// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CHttpSource.h"

#include "HttpHeader.h"

#include <QFileInfo>
#include <QUrl>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
}

#include <algorithm>

namespace {

constexpr int kMaxRedirects = 5;
constexpr int kMaxPlaylistDepth = 4;
constexpr int kSniffBytes = 512;
constexpr std::int64_t kMaxMetaInterval = 1 << 20;

QString SystemCaFile()
{
    static const char* const candidates[] = {"/etc/ssl/certs/ca-certificates.crt",
        "/etc/pki/tls/certs/ca-bundle.crt", "/etc/ssl/ca-bundle.pem", "/etc/ssl/cert.pem"};
    for (const char* path : candidates)
        if (QFileInfo::exists(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    return {};
}

AudioError ConnectErrorCode(int err)
{
    return err == AVERROR(ETIMEDOUT) ? AudioError::Timeout : AudioError::NoNet;
}

int InterruptThunk(void* opaque)
{
    const auto* abort = static_cast<const std::atomic<bool>*>(opaque);
    return abort && abort->load(std::memory_order_relaxed) ? 1 : 0;
}

// HTTP/1.0 keeps the body free of chunked framing; ICY servers answer it as well.
QByteArray Request(const QUrl& url, const QString& hostPart)
{
    QByteArray path = url.path(QUrl::FullyEncoded).toUtf8();
    if (path.isEmpty())
        path = "/";
    if (url.hasQuery())
        path += "?" + url.query(QUrl::FullyEncoded).toUtf8();
    const QByteArray host = url.port() > 0 ? (hostPart + ":" + QString::number(url.port())).toUtf8()
                                           : hostPart.toUtf8();
    return "GET " + path + " HTTP/1.0\r\nHost: " + host
        + "\r\nUser-Agent: Plumo/0.1\r\nAccept: */*\r\nIcy-MetaData: 1\r\n"
          "Connection: close\r\n\r\n";
}

} // namespace

CHttpSource::CHttpSource(const std::atomic<bool>* abort, int timeoutMs,
    const IPlaylistReader* playlists)
    : m_abort(abort)
    , m_timeoutMs(std::max(timeoutMs, 100))
    , m_playlists(playlists)
{
}

CHttpSource::~CHttpSource()
{
    Close();
}

void CHttpSource::Close()
{
    if (m_io)
        avio_closep(&m_io);
    m_head.clear();
    m_headPos = 0;
    m_deframer.Reset(0);
}

void CHttpSource::SetMetaHandler(std::function<void(const QByteArray&)> handler)
{
    m_deframer.SetMetaHandler(std::move(handler));
}

void CHttpSource::Open(const QString& address)
{
    QString current = address;
    for (int depth = 0; depth < kMaxPlaylistDepth; ++depth) {
        for (int redirect = 0;; ++redirect) {
            Connect(current);
            QByteArray header;
            ReadHeader(header);
            QString location;
            ParseHeader(header, location);
            if (location.isEmpty())
                break;
            Close();
            if (redirect >= kMaxRedirects)
                throw FfmpegError(AudioError::FileOpen, "too many redirects");
            current = QUrl(current).resolved(QUrl(location)).toString();
        }
        if (m_playlists == nullptr || !FollowPlaylist(current))
            return;
        Close();
    }
    throw FfmpegError(AudioError::FileOpen, "playlists nested too deep");
}

void CHttpSource::Connect(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "http" && scheme != "https"))
        throw FfmpegError(AudioError::IllParam, "not an http address");
    const bool tls = scheme == "https";
    const int port = url.port(tls ? 443 : 80);
    const QString host = url.host(QUrl::FullyEncoded);
    const QString hostPart = host.contains(u':') ? "[" + host + "]" : host;
    const QByteArray target = QStringLiteral("%1://%2:%3").arg(tls ? "tls" : "tcp", hostPart).arg(port).toUtf8();
    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "timeout", static_cast<std::int64_t>(m_timeoutMs) * 1000, 0);
    if (tls) {
        av_dict_set(&options, "tls_verify", "1", 0);
        const QByteArray ca = SystemCaFile().toLocal8Bit();
        if (!ca.isEmpty())
            av_dict_set(&options, "ca_file", ca.constData(), 0);
    }
    const AVIOInterruptCB cb{&InterruptThunk, const_cast<std::atomic<bool>*>(m_abort)};
    const int err = avio_open2(&m_io, target.constData(), AVIO_FLAG_READ_WRITE, &cb, &options);
    av_dict_free(&options);
    if (err < 0)
        throw FfmpegError(ConnectErrorCode(err), "cannot connect");
    const QByteArray request = Request(url, hostPart);
    avio_write(m_io, reinterpret_cast<const unsigned char*>(request.constData()),
        static_cast<int>(request.size()));
    avio_flush(m_io);
    if (m_io->error < 0)
        throw FfmpegError(ConnectErrorCode(m_io->error), "cannot send the request");
}

void CHttpSource::ReadHeader(QByteArray& header)
{
    // Byte by byte, so that nothing of the body is taken along; the size is capped so a
    // server that never ends its header cannot make it grow.
    while (!header.endsWith("\r\n\r\n") && !header.endsWith("\n\n")) {
        if (header.size() >= kMaxHeaderBytes)
            throw FfmpegError(AudioError::Unknown, "answer header too large");
        std::uint8_t c = 0;
        const int n = ReadRaw(&c, 1);
        if (n < 0 && n != AVERROR_EOF)
            throw FfmpegError(n == AVERROR(ETIMEDOUT) ? AudioError::Timeout : AudioError::Unknown,
                "no answer");
        if (n <= 0)
            throw FfmpegError(AudioError::Unknown, "connection closed during the header");
        header.append(static_cast<char>(c));
    }
}

void CHttpSource::ParseHeader(const QByteArray& header, QString& location)
{
    const std::optional<HttpHeader> parsed = ParseHttpHeader(header);
    if (!parsed)
        throw FfmpegError(AudioError::Unknown, "not an http answer");
    const int code = parsed->code;
    m_contentType = parsed->contentType;
    location = parsed->location;
    if (code >= 300 && code < 400 && !location.isEmpty())
        return;
    location.clear();
    if (code < 200 || code >= 300)
        throw FfmpegError(AudioError::FileOpen, "http error " + std::to_string(code));
    if (parsed->metaInterval < 0 || parsed->metaInterval > kMaxMetaInterval)
        throw FfmpegError(AudioError::Unknown, "bad icy-metaint");
    m_deframer.Reset(parsed->metaInterval);
}

QByteArray CHttpSource::Peek(int bytes)
{
    m_head.resize(bytes);
    int have = 0;
    while (have < bytes) {
        const int n = ReadBody(reinterpret_cast<std::uint8_t*>(m_head.data()) + have, bytes - have);
        if (n == AVERROR_EOF || n == 0)
            break;
        if (n < 0)
            throw FfmpegError(m_failure == AudioError::Ok ? AudioError::Unknown : m_failure,
                "cannot read the answer");
        have += n;
    }
    m_head.resize(have);
    m_headPos = 0;
    return m_head;
}

QByteArray CHttpSource::ReadRest(int limit)
{
    QByteArray all = m_head.mid(m_headPos);
    m_head.clear();
    m_headPos = 0;
    std::array<std::uint8_t, 4096> chunk{};
    while (all.size() < limit) {
        const int n = ReadBody(chunk.data(), static_cast<int>(chunk.size()));
        if (n <= 0)
            break;
        all.append(reinterpret_cast<const char*>(chunk.data()), n);
    }
    return all.left(limit);
}

bool CHttpSource::FollowPlaylist(QString& address)
{
    const QByteArray head = Peek(kSniffBytes);
    if (!m_playlists->IsPlaylist(head, m_contentType))
        return false;
    QStringList entries;
    if (!m_playlists->Entries(ReadRest(kMaxPlaylistBytes), m_contentType, entries))
        throw FfmpegError(AudioError::FileOpen, "unreadable playlist");
    for (const QString& entry : entries) {
        const QString scheme = QUrl(entry).scheme().toLower();
        if (scheme == "http" || scheme == "https") {
            address = entry;
            return true;
        }
    }
    throw FfmpegError(AudioError::FileOpen, "the playlist names no stream");
}

int CHttpSource::ReadBytes(std::uint8_t* buffer, int size)
{
    if (m_headPos < m_head.size()) {
        const int n = std::min(size, static_cast<int>(m_head.size()) - m_headPos);
        std::copy_n(m_head.constData() + m_headPos, n, buffer);
        m_headPos += n;
        return n;
    }
    return ReadBody(buffer, size);
}

int CHttpSource::ReadBody(std::uint8_t* buffer, int size)
{
    for (;;) {
        if (m_deframer.Failed())
            return Fail(AVERROR_INVALIDDATA);
        const int n = ReadRaw(buffer, size);
        if (n == AVERROR_EOF && !m_deframer.AtBoundary())
            return Fail(AVERROR_INVALIDDATA);
        if (n <= 0)
            return n;
        // A read that held only metadata gives no audio; read on rather than report an end.
        const int audio = m_deframer.Feed(buffer, n);
        if (audio > 0)
            return audio;
    }
}

int CHttpSource::Fail(int err)
{
    if (m_failure == AudioError::Ok)
        m_failure = err == AVERROR(ETIMEDOUT) ? AudioError::Timeout : AudioError::Unknown;
    return err;
}

int CHttpSource::ReadRaw(std::uint8_t* buffer, int size)
{
    if (!m_io)
        return AVERROR_EOF;
    const int n = avio_read_partial(m_io, buffer, size);
    if (n == 0 || n == AVERROR_EOF)
        return AVERROR_EOF;
    if (n < 0)
        return Fail(n);
    return n;
}
