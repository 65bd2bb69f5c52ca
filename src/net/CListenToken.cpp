// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CListenToken.h"

#include <qt6keychain/keychain.h>

#include <QDir>
#include <QFile>

namespace {

// A token is a few dozen characters; anything much larger is not one.
constexpr qint64 kMaxFileSize = 4096;

} // namespace

CListenToken::CListenToken(QObject* parent) : QObject(parent) {}

QString CListenToken::FilePath() const
{
    return QDir(m_folder).filePath(QString::fromLatin1(kFileName));
}

bool CListenToken::WriteFile(const QString& path, const QString& token)
{
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    QFile file(temporary);
    // Created with the owner's rights only, so the token is never readable by others, not even
    // for the moment between creating and restricting.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
            QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    const QByteArray bytes = token.toUtf8();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written) {
        QFile::remove(temporary);
        return false;
    }
    QFile::remove(path);
    return QFile::rename(temporary, path);
}

QString CListenToken::ReadFile(const QString& path)
{
    QFile file(path);
    if (file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}

void CListenToken::Read()
{
    auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kService), this);
    job->setAutoDelete(true);
    job->setKey(QString::fromLatin1(kKey));
    connect(job, &QKeychain::Job::finished, this, [this](QKeychain::Job* done) {
        const QString token =
            static_cast<QKeychain::ReadPasswordJob*>(done)->textData().trimmed();
        if (done->error() == QKeychain::NoError && !token.isEmpty()) {
            m_token = token;
            m_place = TokenPlace::SecretStore;
            Q_EMIT TokenRead(m_token, m_place);
        } else {
            ReadFromFile();
        }
    });
    job->start();
}

void CListenToken::ReadFromFile()
{
    m_token = ReadFile(FilePath());
    m_place = m_token.isEmpty() ? TokenPlace::None : TokenPlace::File;
    Q_EMIT TokenRead(m_token, m_place);
}

void CListenToken::Write(const QString& token)
{
    const QString trimmed = token.trimmed();
    if (trimmed.isEmpty()) {
        auto* job = new QKeychain::DeletePasswordJob(QString::fromLatin1(kService), this);
        job->setAutoDelete(true);
        job->setKey(QString::fromLatin1(kKey));
        connect(job, &QKeychain::Job::finished, this, [this] {
            QFile::remove(FilePath());
            m_token.clear();
            m_place = TokenPlace::None;
            Q_EMIT TokenWritten(m_place);
        });
        job->start();
        return;
    }
    auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(kService), this);
    job->setAutoDelete(true);
    job->setKey(QString::fromLatin1(kKey));
    job->setTextData(trimmed);
    connect(job, &QKeychain::Job::finished, this, [this, trimmed](QKeychain::Job* done) {
        if (done->error() != QKeychain::NoError) {
            WriteToFile(trimmed);
            return;
        }
        QFile::remove(FilePath());
        m_token = trimmed;
        m_place = TokenPlace::SecretStore;
        Q_EMIT TokenWritten(m_place);
    });
    job->start();
}

void CListenToken::WriteToFile(const QString& token)
{
    QDir().mkpath(m_folder);
    const bool kept = WriteFile(FilePath(), token);
    m_token = kept ? token : QString();
    m_place = kept ? TokenPlace::File : TokenPlace::None;
    Q_EMIT TokenWritten(m_place);
}
