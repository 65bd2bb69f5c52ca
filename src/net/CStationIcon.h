// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>

class QNetworkReply;

// Brings a radio station's icon into the user's cache folder so the now-playing cover can show
// it: each icon address gets a folder of its own holding "cover.png", which the cover search
// finds as any album picture. The download runs asynchronously with a size cap and a time
// limit; checking the cache, decoding and writing run on a pool thread, so the window never
// waits for either. A newer Show drops an older one. UI thread only.
class CStationIcon : public QObject {
    Q_OBJECT
public:
    // Larger icons are not read to the end and not shown.
    static constexpr qint64 kMaxBytes = 1024 * 1024;
    // Icons are stored at most this wide and high.
    static constexpr int kMaxSide = 512;
    static constexpr int kTimeLimitMs = 20000;

    // folder: where the icon folders go; empty for the user's cache folder
    // (XDG_CACHE_HOME/Plumo/StationIcons).
    explicit CStationIcon(const QString& folder = QString(), QObject* parent = nullptr);
    ~CStationIcon() override;

    // Fetches the icon at address (http or https) unless it is cached; Ready follows unless a
    // newer Show or Cancel comes first.
    void Show(const QString& address);
    void Cancel();

    // The folder that holds the icon of address once it was fetched.
    QString FolderOf(const QString& address) const;

Q_SIGNALS:
    // The icon is in folder as "cover.png"; without ok, none could be had for it.
    void Ready(bool ok, const QString& folder);

private:
    void Downloaded(std::uint64_t generation, QNetworkReply* reply, const QString& folder);
    // Decodes and writes the icon on a pool thread; the outcome comes back through Ready while
    // generation is the newest.
    void Store(std::uint64_t generation, const QString& folder, const QByteArray& bytes);

    QString m_folder;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    std::uint64_t m_generation = 0;
};
