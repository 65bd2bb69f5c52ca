// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "XServer.h"

#include <QStandardPaths>

XServer::XServer(const char* screen)
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty())
        return;
    m_process.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", screen});
    if (!m_process.waitForStarted(10000))
        return;
    while (!m_process.canReadLine() && m_process.waitForReadyRead(30000)) {
    }
    const QByteArray number = m_process.readLine().trimmed();
    if (!number.isEmpty())
        m_name = ":" + number;
}

XServer::~XServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}
