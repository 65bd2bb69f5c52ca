// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "MprisTestSupport.h"

#include "CMpris.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace {
constexpr int kDeadlineMs = 20000;

bool Pump(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(kDeadlineMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
} // namespace

QDBusMessage WaitFor(const QDBusPendingCall& call)
{
    Pump([&] { return call.isFinished(); });
    return call.reply();
}

QVariantMap DemarshalMap(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

SignalRecorder::SignalRecorder(QDBusConnection bus)
{
    bus.connect(CMpris::kServiceName, CMpris::kObjectPath, "org.freedesktop.DBus.Properties",
        "PropertiesChanged", this, SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
    bus.connect(CMpris::kServiceName, CMpris::kObjectPath, CMpris::kPlayerInterface, "Seeked",
        this, SLOT(OnSeeked(qlonglong)));
}

bool SignalRecorder::WaitFor(const std::function<bool()>& done)
{
    return Pump(done);
}

bool SignalRecorder::WaitForChange(const QString& property)
{
    return Pump([&] { return Last(property).isValid(); });
}

QVariant SignalRecorder::Last(const QString& property) const
{
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        if (it->contains(property))
            return it->value(property);
    }
    return {};
}

void SignalRecorder::OnPropertiesChanged(
    const QString& iface, const QVariantMap& changed, const QStringList&)
{
    if (iface == QLatin1String(CMpris::kPlayerInterface))
        changes.push_back(changed);
}

void SignalRecorder::OnSeeked(qlonglong position)
{
    seeked.push_back(position);
}
