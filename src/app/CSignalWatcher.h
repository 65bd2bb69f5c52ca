// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a queued Qt signal on the UI thread, so that a request
// to end from outside runs the same ordered shut-down as closing the window. The handler only
// writes one byte to a socket pair (async-signal-safe); everything else happens in the loop.
// One instance per process; UI thread only. On platforms without these signals it does nothing.
class CSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit CSignalWatcher(QObject* parent = nullptr);
    ~CSignalWatcher() override;

Q_SIGNALS:
    // Emitted once per received signal; signo is the signal number.
    void TerminationRequested(int signo);

private:
    void OnReadable();

    QSocketNotifier* m_notifier = nullptr;
};
