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

CLastFM::CLastFM()
{
    m_limit.setSingleShot(true);
    m_limit.setInterval(kSendLimitMs);
    QObject::connect(&m_limit, &QTimer::timeout, [this] { Finish(); });
}

CLastFM::~CLastFM()
{
    // Its signals would reach a link half gone.
    if (m_socket)
        QObject::disconnect(m_socket.get(), nullptr, nullptr, nullptr);
}

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

void CLastFM::Send(const QByteArray& line)
{
    if (!m_started)
        return;
    m_queue.push_back({ m_port, line });
    SendNext();
}

void CLastFM::SendNext()
{
    if (m_socket || m_queue.empty())
        return;
    const Line line = m_queue.front();
    m_queue.pop_front();
    m_socket = std::make_unique<QTcpSocket>();
    QTcpSocket* socket = m_socket.get();
    // Connected: the line goes out and the connection closes once it is written. Whatever
    // ends the connection (closed, refused, reset) sends the next line.
    QObject::connect(socket, &QTcpSocket::connected, socket, [this, socket, line] {
        m_limit.start();
        socket->write(line.text);
        socket->disconnectFromHost();
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { Finish(); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [this] { Finish(); });
    m_limit.start();
    socket->connectToHost(QHostAddress(QHostAddress::LocalHost), line.port);
}

void CLastFM::Finish()
{
    m_limit.stop();
    if (!m_socket)
        return;
    // Called from the socket's own signals: it goes once they have returned.
    QTcpSocket* socket = m_socket.release();
    QObject::disconnect(socket, nullptr, nullptr, nullptr);
    socket->abort();
    socket->deleteLater();
    SendNext();
}
