// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CHttpSource.h"

#include "CPlsFile.h"

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

// An ICY block is "key='value';" pairs padded with NULs to its length.
bool IsWellFormedMeta(const std::uint8_t* data, int size, int& textLength)
{
    const auto* end = data + size;
    const auto* nul = std::find(data, end, std::uint8_t{0});
    textLength = static_cast<int>(nul - data);
    if (std::any_of(nul, end, [](std::uint8_t c) { return c != 0; }))
        return false;
    if (textLength == 0)
        return true;
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char*>(data), textLength)
                                .trimmed();
    const int eq = text.indexOf("='");
    return eq > 0 && (text.endsWith('\'') || text.endsWith("';"));
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

CHttpSource::CHttpSource(const std::atomic<bool>* abort, int timeoutMs)
    : m_abort(abort)
    , m_timeoutMs(std::max(timeoutMs, 100))
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
    m_metaInterval = 0;
    m_untilMeta = 0;
}

void CHttpSource::SetMetaHandler(std::function<void(const QByteArray&)> handler)
{
    m_onMeta = std::move(handler);
}

void CHttpSource::Open(const QString& address, bool followPlaylists)
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
        if (!followPlaylists || !FollowPlaylist(current))
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
    const QList<QByteArray> lines = header.split('\n');
    const QList<QByteArray> status = lines.value(0).trimmed().split(' ');
    bool ok = false;
    const int code = status.value(1).toInt(&ok);
    const QByteArray protocol = status.value(0).toUpper();
    if (!ok || (!protocol.startsWith("HTTP/") && protocol != "ICY"))
        throw FfmpegError(AudioError::Unknown, "not an http answer");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-type")
            m_contentType = QString::fromLatin1(value);
        else if (name == "location")
            location = QString::fromUtf8(value);
        else if (name == "icy-metaint")
            m_metaInterval = value.toLongLong();
    }
    if (code >= 300 && code < 400 && !location.isEmpty())
        return;
    location.clear();
    if (code < 200 || code >= 300)
        throw FfmpegError(AudioError::FileOpen, "http error " + std::to_string(code));
    if (m_metaInterval < 0 || m_metaInterval > kMaxMetaInterval)
        throw FfmpegError(AudioError::Unknown, "bad icy-metaint");
    m_untilMeta = m_metaInterval;
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
    const PlsFormat format = CPlsFile::SniffFormat(head, m_contentType);
    if (format == PlsFormat::None)
        return false;
    CPlsFile playlist;
    if (!playlist.ReadBytes(ReadRest(kMaxPlaylistBytes), format, QString()))
        throw FfmpegError(AudioError::FileOpen, "unreadable playlist");
    for (int i = 0; i < playlist.GetCount(); ++i) {
        const QString scheme = QUrl(playlist.GetFile(i)).scheme().toLower();
        if (scheme == "http" || scheme == "https") {
            address = playlist.GetFile(i);
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
    if (m_metaInterval == 0)
        return ReadRaw(buffer, size);
    if (m_untilMeta == 0) {
        const int err = ReadMetaBlock();
        if (err < 0)
            return err;
        m_untilMeta = m_metaInterval;
    }
    const int n = ReadRaw(buffer, static_cast<int>(std::min<std::int64_t>(size, m_untilMeta)));
    if (n > 0)
        m_untilMeta -= n;
    return n;
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

int CHttpSource::ReadExactly(std::uint8_t* buffer, int size)
{
    int have = 0;
    while (have < size) {
        const int n = ReadRaw(buffer + have, size - have);
        if (n < 0)
            return n == AVERROR_EOF ? Fail(AVERROR_INVALIDDATA) : n;
        have += n;
    }
    return have;
}

int CHttpSource::ReadMetaBlock()
{
    std::uint8_t blocks = 0;
    int err = ReadRaw(&blocks, 1);
    if (err < 0)
        return err;
    const int size = blocks * 16;
    if (size == 0)
        return 0;
    err = ReadExactly(m_metaBuffer.data(), size);
    if (err < 0)
        return err;
    int textLength = 0;
    if (!IsWellFormedMeta(m_metaBuffer.data(), size, textLength))
        return Fail(AVERROR_INVALIDDATA);
    const QByteArray text(reinterpret_cast<const char*>(m_metaBuffer.data()), textLength);
    if (text.isEmpty() || text == m_lastMeta)
        return 0;
    m_lastMeta = text;
    if (m_onMeta) {
        try {
            m_onMeta(text);
        } catch (...) {
            // A failing listener must not end the stream.
        }
    }
    return 0;
}
