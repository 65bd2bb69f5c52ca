// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "PrivateBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <vector>

// Waits (running the event loop) for an asynchronous call's answer.
QDBusMessage WaitFor(const QDBusPendingCall& call);

// A{sv} as received over the bus comes as a QDBusArgument; maps pass through.
QVariantMap DemarshalMap(const QVariant& value);

// Records the player's PropertiesChanged and Seeked signals as a client sees them.
class SignalRecorder : public QObject {
    Q_OBJECT
public:
    explicit SignalRecorder(QDBusConnection bus);

    bool WaitFor(const std::function<bool()>& done);
    bool WaitForChange(const QString& property);
    // The value of the property in the latest PropertiesChanged that carried it.
    QVariant Last(const QString& property) const;

    std::vector<QVariantMap> changes;
    std::vector<qlonglong> seeked;

private Q_SLOTS:
    void OnPropertiesChanged(const QString& iface, const QVariantMap& changed,
        const QStringList& invalidated);
    void OnSeeked(qlonglong position);
};
