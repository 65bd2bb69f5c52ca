// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSignalWatcher.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_fds[2] = {-1, -1}; // [0] written by the handler, [1] read by the loop

extern "C" void OnSignal(int signo)
{
    const unsigned char byte = static_cast<unsigned char>(signo);
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
}

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
} // namespace

CSignalWatcher::CSignalWatcher(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0)
        return;
    ::fcntl(g_fds[0], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CSignalWatcher::OnReadable);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signo : kSignals)
        ::sigaction(signo, &action, nullptr);
}

CSignalWatcher::~CSignalWatcher()
{
    for (int signo : kSignals)
        ::signal(signo, SIG_DFL);
    delete m_notifier;
    for (int& fd : g_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void CSignalWatcher::OnReadable()
{
    unsigned char byte = 0;
    if (::read(g_fds[1], &byte, 1) == 1)
        Q_EMIT TerminationRequested(byte);
}

#else

CSignalWatcher::CSignalWatcher(QObject* parent)
    : QObject(parent)
{
}

CSignalWatcher::~CSignalWatcher() = default;

void CSignalWatcher::OnReadable() { }

#endif
