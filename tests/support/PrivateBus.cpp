// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "PrivateBus.h"

#include <QStandardPaths>

namespace {
constexpr int kDeadlineMs = 20000;

QString Daemon()
{
    return QStandardPaths::findExecutable("dbus-daemon");
}
} // namespace

PrivateBus::~PrivateBus()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(10000))
            m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
}

bool PrivateBus::IsAvailable()
{
    return !Daemon().isEmpty();
}

bool PrivateBus::Start()
{
    const QString daemon = Daemon();
    if (daemon.isEmpty())
        return false;
    m_daemon.start(daemon, {"--session", "--nofork", "--print-address=1"});
    if (!m_daemon.waitForStarted(10000))
        return false;
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(kDeadlineMs)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    return !m_address.isEmpty();
}
