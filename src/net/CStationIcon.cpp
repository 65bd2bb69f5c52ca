// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CStationIcon.h"

#include "CRadioBrowser.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThreadPool>

namespace {

constexpr const char* kIconFile = "cover.png";
// Icons that would decode to more pixels than this are refused before decoding.
constexpr qint64 kMaxPixels = 4096LL * 4096;

// Decodes bytes as a picture and writes it, scaled down when large, to folder/cover.png.
bool WriteIcon(const QString& folder, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPixels)
        return false;
    QImage image = reader.read();
    if (image.isNull())
        return false;
    if (image.width() > CStationIcon::kMaxSide || image.height() > CStationIcon::kMaxSide)
        image = image.scaled(CStationIcon::kMaxSide, CStationIcon::kMaxSide, Qt::KeepAspectRatio,
                             Qt::SmoothTransformation);
    if (!QDir().mkpath(folder))
        return false;
    QSaveFile file(folder + u'/' + QLatin1String(kIconFile));
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

} // namespace

CStationIcon::CStationIcon(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(folder)
{
    if (m_folder.isEmpty()) {
        m_folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/Plumo/StationIcons");
    }
    m_network.setTransferTimeout(kTimeLimitMs);
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

CStationIcon::~CStationIcon()
{
    Cancel();
}

QString CStationIcon::FolderOf(const QString& address) const
{
    return m_folder + u'/'
        + QString::fromLatin1(
            QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex());
}

void CStationIcon::Cancel()
{
    ++m_generation;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    m_reply = nullptr;
}

void CStationIcon::Show(const QString& address)
{
    Cancel();
    const std::uint64_t generation = m_generation;
    const QString folder = FolderOf(address);
    const QString file = folder + u'/' + QLatin1String(kIconFile);
    // The cache is looked at on a pool thread: the cache folder may be on a slow disk.
    QThreadPool::globalInstance()->start([this, generation, address, folder, file,
                                          self = QPointer<CStationIcon>(this)] {
        const bool cached = QFileInfo(file).isFile();
        QMetaObject::invokeMethod(self, [this, generation, address, folder, cached] {
            if (generation != m_generation)
                return;
            if (cached) {
                Q_EMIT Ready(true, folder);
                return;
            }
            QNetworkRequest request{QUrl(address)};
            request.setHeader(QNetworkRequest::UserAgentHeader, CRadioBrowser::UserAgent());
            m_reply = m_network.get(request);
            QNetworkReply* reply = m_reply;
            connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 got, qint64 total) {
                // finished follows the abort and reports the failure.
                if (got > kMaxBytes || total > kMaxBytes)
                    reply->abort();
            });
            connect(reply, &QNetworkReply::finished, this,
                    [this, generation, reply, folder] { Downloaded(generation, reply, folder); });
        }, Qt::QueuedConnection);
    });
}

void CStationIcon::Downloaded(
    std::uint64_t generation, QNetworkReply* reply, const QString& folder)
{
    reply->deleteLater();
    if (reply == m_reply)
        m_reply = nullptr;
    if (generation != m_generation)
        return;
    if (reply->error() != QNetworkReply::NoError || reply->bytesAvailable() > kMaxBytes) {
        Q_EMIT Ready(false, QString());
        return;
    }
    Store(generation, folder, reply->read(kMaxBytes + 1));
}

void CStationIcon::Store(std::uint64_t generation, const QString& folder, const QByteArray& bytes)
{
    QThreadPool::globalInstance()->start([this, generation, folder, bytes,
                                          self = QPointer<CStationIcon>(this)] {
        const bool ok = bytes.size() <= kMaxBytes && WriteIcon(folder, bytes);
        QMetaObject::invokeMethod(self, [this, generation, folder, ok] {
            if (generation == m_generation)
                Q_EMIT Ready(ok, ok ? folder : QString());
        }, Qt::QueuedConnection);
    });
}
