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
// local socket, both in a folder only this user can enter; a later start finds the lock taken,
// hands its files to the running one, waits for the running one to confirm, and ends. A lock
// left by a crashed process is taken over (the lock file records its owner). A socket that
// cannot be made leaves the player running without the hand-over. UI thread only.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // key: a text unique to the user and profile (the profile folder path serves).
    explicit CSingleInstance(const QString& key, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // True when this process is now the only instance (also when no private folder exists for
    // the lock: the player then runs unguarded). False when another instance holds the lock;
    // it has then been asked to raise its window and handed files (absolute paths or stream
    // addresses) to open, waiting at most a few seconds; see HandedOver.
    bool Acquire(const QStringList& files = {});
    // After Acquire returned false: whether the running instance confirmed the request.
    bool HandedOver() const { return m_handedOver; }
    // After Acquire returned true: whether later starts can reach this one.
    bool IsListening() const { return m_server.isListening(); }

    // Called on the first instance whenever a later start asks it to show itself.
    void SetRaiseHandler(std::function<void()> handler) { m_raise = std::move(handler); }

    // The files and stream addresses among a start's arguments (the program's name first, as
    // QCoreApplication::arguments gives them), files made absolute against the current folder.
    static QStringList FilesFromArguments(const QStringList& arguments);

    // The folder of the lock and the socket: XDG_RUNTIME_DIR when it is a folder of this user
    // that no one else may enter; otherwise "plumo-HOST" in the user's cache folder, made with
    // mode 0700. Empty when neither can be had (Unix). On other systems the temp folder.
    static QString PrivateFolder();
    // Full name of the local socket for key in folder (PrivateFolder() when folder is empty);
    // empty when there is no private folder.
    static QString ServerName(const QString& key, const QString& folder = {});

Q_SIGNALS:
    // On the first instance: the files a later start was given, in its order, once that start
    // has sent them all (and been told they arrived).
    void FilesReceived(const QStringList& files);

private:
    void OnNewConnection();
    static bool AskRunningToRaise(const QString& name, const QStringList& files);

    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    std::function<void()> m_raise;
    bool m_handedOver = false;
};
