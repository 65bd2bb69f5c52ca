// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The client link against a stand-in client: a script that records how it was started, found
// through a settings file in a temporary config folder, and a loopback listener for commands.
#include "CLastFM.h"
#include "QtPrinters.h"
#include "TestProfile.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// Collects what each connection sent until it closed, in the order the connections were made.
class CommandListener {
public:
    CommandListener()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                const auto index = m_received.size();
                m_received.push_back({});
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket, index] { m_received[index].bytes += socket->readAll(); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket, index] {
                    m_received[index].bytes += socket->readAll();
                    m_received[index].closed = true;
                    socket->deleteLater();
                });
            }
        });
    }
    quint16 Port() const { return m_server.serverPort(); }
    // Waits until count connections have closed and returns what every connection sent.
    QList<QByteArray> WaitFor(std::size_t count)
    {
        const bool done = QTest::qWaitFor([&] {
            return std::count_if(m_received.begin(), m_received.end(),
                       [](const Received& r) { return r.closed; })
                >= static_cast<std::ptrdiff_t>(count);
        }, 20000);
        EXPECT_TRUE(done) << count << " connections expected to close";
        QList<QByteArray> out;
        for (const Received& r : m_received)
            out << r.bytes;
        return out;
    }

private:
    struct Received {
        QByteArray bytes;
        bool closed = false;
    };
    QTcpServer m_server;
    std::vector<Received> m_received;
};

class LastFM : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.File("config"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.File("system"));
        m_link.SetPort(m_listener.Port());
    }
    void RecordPath(const QString& path)
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Last.fm", "Client");
        settings.setValue("Path", path);
    }
    // A client that writes its working folder and arguments next to itself; the record
    // appears whole, renamed into place once written.
    QString FakeClient(const QString& folder)
    {
        const QString path = m_dir.Write(folder + "/client app",
            "#!/bin/sh\nd=$(dirname \"$0\")\nprintf '%s\\n' \"$PWD\" \"$@\" > \"$d/started.tmp\"\n"
            "mv \"$d/started.tmp\" \"$d/started.txt\"\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }
    void StartLink()
    {
        RecordPath(FakeClient("bin"));
        ASSERT_TRUE(m_link.Start());
    }

    TestProfile m_dir;
    CommandListener m_listener;
    CLastFM m_link;
};

TEST_F(LastFM, TheClientIsLaunchedInItsFolderWithTray)
{
    // Spaces and both quotes in the folder: the path is never read by a shell.
    const QString folder = "Last fm's \"client\"";
    const QString client = FakeClient(folder);
    RecordPath(client);
    EXPECT_EQ(CLastFM::ClientPath(), client);
    ASSERT_TRUE(m_link.Start());
    EXPECT_TRUE(m_link.IsStarted());
    const QString record = m_dir.File(folder + "/started.txt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(record); }, 20000));
    const QStringList lines = QString::fromUtf8(m_dir.Read(folder + "/started.txt")).split('\n');
    EXPECT_EQ(lines.value(0), QDir(m_dir.File(folder)).canonicalPath());
    EXPECT_EQ(lines.value(1), "--tray");
    EXPECT_EQ(lines.value(2), "");
}

TEST_F(LastFM, StartFailsWithoutARunnableClient)
{
    EXPECT_FALSE(m_link.Start()) << "nothing recorded";
    RecordPath(m_dir.File("missing/client"));
    EXPECT_FALSE(m_link.Start()) << "missing file";
    RecordPath(m_dir.Write("plain", "not a program"));
    EXPECT_FALSE(m_link.Start()) << "not executable";
    RecordPath(m_dir.Path());
    EXPECT_FALSE(m_link.Start()) << "a folder";
    EXPECT_FALSE(m_link.IsStarted());
    m_link.SendStop();
    // A command sent after starting comes first: nothing went out while the link was off.
    StartLink();
    m_link.SendPause();
    EXPECT_EQ(m_listener.WaitFor(1), QList<QByteArray>{"PAUSE c=pla\n"});
}

TEST_F(LastFM, EveryEventIsOneLineOnItsOwnConnection)
{
    StartLink();
    m_link.SendStart("AC&DC", "Rock & Roll", "", "200");
    m_link.SendPause();
    m_link.SendResume();
    m_link.SendStart("A\nSTOP c=pla", "T\xC3\xA4", "B&&", "3");
    m_link.SendStop();
    EXPECT_EQ(m_listener.WaitFor(5), QList<QByteArray>({
        "START c=pla&a=AC&&DC&t=Rock && Roll&b=&m=&l=200&p=\n", "PAUSE c=pla\n",
        "RESUME c=pla\n", "START c=pla&a=A STOP c=pla&t=T\xC3\xA4&b=B&&&&&m=&l=3&p=\n",
        "STOP c=pla\n"}));
}

TEST_F(LastFM, SwitchingOffSendsStopAndThenNothing)
{
    StartLink();
    m_link.SwitchOff();
    EXPECT_FALSE(m_link.IsStarted());
    m_link.SendStart("A", "T", "B", "1");
    m_link.SendPause();
    m_link.SendResume();
    m_link.SendStop();
    m_link.SwitchOff();
    // Switched on again, the link speaks again; nothing lies between the two.
    StartLink();
    m_link.SendResume();
    EXPECT_EQ(m_listener.WaitFor(2), QList<QByteArray>({"STOP c=pla\n", "RESUME c=pla\n"}));
}

TEST_F(LastFM, AClientThatIsNotListeningLosesTheCommandQuietly)
{
    StartLink();
    quint16 port = 0;
    {
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        port = closed.serverPort();
    }
    m_link.SetPort(port);
    m_link.SendStart("A", "T", "B", "1");
    m_link.SendStop();
    EXPECT_TRUE(m_link.IsStarted());
    m_link.SetPort(m_listener.Port());
    m_link.SendPause();
    EXPECT_EQ(m_listener.WaitFor(1), QList<QByteArray>{"PAUSE c=pla\n"});
}

// A client whose port takes no more connections: the listener's queue holds one connection
// nobody accepts, so the system leaves every further attempt unanswered.
class SilentClient {
public:
    SilentClient()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        auto* any = reinterpret_cast<sockaddr*>(&address);
        if (m_fd < 0 || ::bind(m_fd, any, size) != 0 || ::listen(m_fd, 0) != 0
            || ::getsockname(m_fd, any, &size) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_filler.connectToHost(QHostAddress(QHostAddress::LocalHost), m_port);
        m_filler.waitForConnected(20000);
    }
    ~SilentClient() { ::close(m_fd); }
    quint16 Port() const { return m_port; }
    bool IsFull() const { return m_filler.state() == QAbstractSocket::ConnectedState; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    QTcpSocket m_filler;
};

TEST_F(LastFM, AClientThatNeverAnswersKeepsNoCommandWaiting)
{
    StartLink();
    SilentClient silent;
    ASSERT_TRUE(silent.IsFull());
    m_link.SetPort(silent.Port());
    // Posted before the commands: it runs as soon as the thread is free again.
    bool answered = false;
    bool sendingWhenAnswered = false;
    QTimer::singleShot(0, [&] {
        answered = true;
        sendingWhenAnswered = m_link.IsSending();
    });
    m_link.SendStart("A", "T", "B", "1");
    m_link.SendPause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 20000));
    EXPECT_TRUE(sendingWhenAnswered) << "the thread waited for the silent client";
    // Each line waits its time limit and is lost; the link then speaks to a live client.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_link.IsSending(); }, 20000));
    m_link.SetPort(m_listener.Port());
    m_link.SendResume();
    EXPECT_EQ(m_listener.WaitFor(1), QList<QByteArray>{"RESUME c=pla\n"});
}

} // namespace
