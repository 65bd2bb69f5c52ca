// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "RawServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

RawServer::RawServer(Writer writer)
    : m_writer(std::move(writer))
{
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(m_listen, 8) != 0
        || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        if (m_listen >= 0)
            ::close(m_listen);
        m_listen = -1;
        return;
    }
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { Run(); });
}

RawServer::~RawServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listen >= 0)
        ::close(m_listen);
}

QString RawServer::Url() const
{
    return QStringLiteral("http://127.0.0.1:%1/stream").arg(m_port);
}

void RawServer::Run()
{
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int conn = ::accept(m_listen, nullptr, nullptr);
        if (conn >= 0) {
            Serve(conn);
            ::close(conn);
        }
    }
}

void RawServer::Serve(int conn)
{
    QByteArray request;
    std::array<char, 1024> chunk{};
    while (!request.contains("\r\n\r\n") && request.size() < 16384) {
        pollfd p{conn, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0)
            return;
        const ssize_t n = ::recv(conn, chunk.data(), chunk.size(), 0);
        if (n <= 0)
            return;
        request.append(chunk.data(), n);
    }
    m_writer([this, conn](const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size() && !m_stop) {
            pollfd p{conn, POLLOUT, 0};
            if (::poll(&p, 1, 50) < 0)
                return false;
            if ((p.revents & (POLLERR | POLLHUP)) != 0)
                return false;
            if ((p.revents & POLLOUT) == 0)
                continue;
            const ssize_t n = ::send(conn, bytes.constData() + done,
                static_cast<std::size_t>(bytes.size() - done), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN)
                return false;
            if (n > 0) {
                done += n;
                m_sent += n;
            }
        }
        return !m_stop;
    });
}
