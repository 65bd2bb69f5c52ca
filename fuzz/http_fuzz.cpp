// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A whole http answer (header, ICY metadata blocks in the body, redirects, playlists) served on
// loopback to the http source, which is read to the end: the header and framing readers as the
// player drives them, with real reads cut wherever the socket cuts them. The icy target covers
// the same readers in process, many times faster.
//
// Only 127.0.0.1 resolves in this process (getaddrinfo is replaced below): an answer that
// redirects to another host must not reach the network or wait for a name server.
#include "CHttpSource.h"
#include "CPlaylistReader.h"
#include "FuzzSupport.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

extern "C" int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints,
    struct addrinfo** res)
{
    using Real = int (*)(const char*, const char*, const struct addrinfo*, struct addrinfo**);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
    if (node == nullptr || std::strcmp(node, "127.0.0.1") != 0)
        return EAI_NONAME;
    return real(node, service, hints, res);
}

namespace {

// Answers every connection with the current input, after reading the request.
class AnswerServer {
public:
    AnswerServer()
    {
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof addr;
        if (m_listen < 0 || bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
            || listen(m_listen, 16) != 0
            || getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
            std::abort();
        m_port = ntohs(addr.sin_port);
        std::thread([this] { Run(); }).detach();
    }

    void SetAnswer(std::string answer)
    {
        std::lock_guard lock(m_mutex);
        m_answer = std::move(answer);
    }

    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/stream").arg(m_port); }

private:
    void Run()
    {
        for (;;) {
            const int conn = accept(m_listen, nullptr, nullptr);
            if (conn < 0)
                continue;
            Serve(conn);
            close(conn);
        }
    }

    static void ReadRequest(int conn)
    {
        timeval timeout{1, 0};
        setsockopt(conn, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::string request;
        std::array<char, 1024> chunk{};
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
            const ssize_t n = recv(conn, chunk.data(), chunk.size(), 0);
            if (n <= 0)
                return;
            request.append(chunk.data(), static_cast<std::size_t>(n));
        }
    }

    void Serve(int conn)
    {
        ReadRequest(conn);
        std::string answer;
        {
            std::lock_guard lock(m_mutex);
            answer = m_answer;
        }
        std::size_t sent = 0;
        while (sent < answer.size()) {
            const ssize_t n = send(conn, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<std::size_t>(n);
        }
        shutdown(conn, SHUT_WR);
        // Waits for the reader to close, so the answer is never cut by a reset.
        std::array<char, 4096> drain{};
        while (recv(conn, drain.data(), drain.size(), 0) > 0) {
        }
    }

    int m_listen = -1;
    quint16 m_port = 0;
    std::mutex m_mutex;
    std::string m_answer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static AnswerServer* server = new AnswerServer;
    server->SetAnswer(std::string(reinterpret_cast<const char*>(data), size));
    const std::atomic<bool> abort{false};
    static const CPlaylistReader playlists;
    CHttpSource source(&abort, 2000, &playlists);
    std::size_t metaBytes = 0;
    source.SetMetaHandler([&metaBytes](const QByteArray& meta) { metaBytes += meta.size(); });
    try {
        source.Open(server->Url());
        std::array<std::uint8_t, 4096> buffer{};
        while (source.ReadBytes(buffer.data(), static_cast<int>(buffer.size())) > 0) {
        }
    } catch (const FfmpegError&) {
    }
    return 0;
}
