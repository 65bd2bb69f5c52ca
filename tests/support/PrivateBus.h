// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QProcess>
#include <QString>

// A session bus of the test's own: a dbus-daemon that ends with the object.
class PrivateBus {
public:
    PrivateBus() = default;
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // False when dbus-daemon is not installed (see IsAvailable) or did not tell its address.
    bool Start();
    const QString& Address() const { return m_address; }
    static bool IsAvailable();

private:
    QProcess m_daemon;
    QString m_address;
};
