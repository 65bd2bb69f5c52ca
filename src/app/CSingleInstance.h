// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QLockFile>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// One running player per user and profile. The first start holds a lock file and listens on a
// local socket; a later start finds the lock taken, asks the running one to raise its window,
// and ends. A lock left by a crashed process is taken over (the lock file records its owner).
// UI thread only.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // key: a text unique to the user and profile (the profile folder path serves).
    explicit CSingleInstance(const QString& key, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // True when this process is now the only instance. False when another instance runs; it
    // has then been asked to raise its window and handed files (absolute paths or stream
    // addresses) to open (best effort, waits at most about 3 s).
    bool Acquire(const QStringList& files = {});

    // Called on the first instance whenever a later start asks it to show itself.
    void SetRaiseHandler(std::function<void()> handler) { m_raise = std::move(handler); }

    // The files and stream addresses among a start's arguments (the program's name first, as
    // QCoreApplication::arguments gives them), files made absolute against the current folder.
    static QStringList FilesFromArguments(const QStringList& arguments);

    // Name of the local socket for key (in the per-user runtime folder on Linux).
    static QString ServerName(const QString& key);

Q_SIGNALS:
    // On the first instance: the files a later start was given, in its order, once that start
    // has finished sending them.
    void FilesReceived(const QStringList& files);

private:
    void OnNewConnection();
    static bool AskRunningToRaise(const QString& name, const QStringList& files);

    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    std::function<void()> m_raise;
};
