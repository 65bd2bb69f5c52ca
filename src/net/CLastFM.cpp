// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CLastFM.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QSettings>
#include <QTcpSocket>

namespace {

QString Field(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

QString CLastFM::ClientPath()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                             QStringLiteral("Last.fm"), QStringLiteral("Client"));
    return settings.value(QStringLiteral("Path")).toString();
}

bool CLastFM::Start()
{
    const QString path = ClientPath();
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    // The program is named directly, never through a shell, so spaces and quotes in the path
    // are only characters.
    if (!QProcess::startDetached(info.absoluteFilePath(), {QStringLiteral("--tray")},
                                 info.absolutePath()))
        return false;
    m_started = true;
    return true;
}

void CLastFM::SwitchOff()
{
    SendStop();
    m_started = false;
}

QByteArray CLastFM::StartCommand(const QString& artist, const QString& title,
                                 const QString& album, const QString& length)
{
    const QString line = QStringLiteral("START c=") + QLatin1String(kClientId)
        + QStringLiteral("&a=") + Field(artist) + QStringLiteral("&t=") + Field(title)
        + QStringLiteral("&b=") + Field(album) + QStringLiteral("&m=&l=") + Field(length)
        + QStringLiteral("&p=\n");
    return line.toUtf8();
}

void CLastFM::SendStart(const QString& artist, const QString& title, const QString& album,
                        const QString& length)
{
    Send(StartCommand(artist, title, album, length));
}

void CLastFM::SendPause()
{
    Send(QByteArray("PAUSE c=") + kClientId + '\n');
}

void CLastFM::SendResume()
{
    Send(QByteArray("RESUME c=") + kClientId + '\n');
}

void CLastFM::SendStop()
{
    Send(QByteArray("STOP c=") + kClientId + '\n');
}

void CLastFM::Send(const QByteArray& line) const
{
    if (!m_started)
        return;
    // A client that is not running refuses at once; one that hangs costs the time limits.
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), m_port);
    if (!socket.waitForConnected(kSendLimitMs))
        return;
    socket.write(line);
    socket.waitForBytesWritten(kSendLimitMs);
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(kSendLimitMs);
}
