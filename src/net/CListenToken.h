// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QObject>
#include <QString>

// Where the listen service's token is kept.
enum class TokenPlace {
    None,        // nowhere (none stored, or it could not be stored)
    SecretStore, // the desktop's secret store
    File,        // a file of the profile folder that only the user may read (no store answered)
};

// Keeps the user's token for the listen-history service: in the desktop's secret store
// through QtKeychain, or, where no secret service answers, in kFileName of the profile folder
// with mode 0600. The store answers asynchronously; reads and writes report by signal. UI
// thread only.
class CListenToken : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFileName = "ListenBrainz.token";
    static constexpr const char* kService = "Plumo";
    static constexpr const char* kKey = "ListenBrainz token";

    explicit CListenToken(QObject* parent = nullptr);

    // The folder of the fall-back file; set before Read and Write.
    void SetProfileFolder(const QString& folder) { m_folder = folder; }

    // Reads the token: from the store, else from the file. Answers with Read.
    void Read();
    // Keeps token (trimmed; an empty one removes it): in the store, and when the store does
    // not take it, in the file. Answers with Written. A token kept in the store leaves no file.
    void Write(const QString& token);

    // The place and the token of the last answer.
    TokenPlace Place() const { return m_place; }
    const QString& Token() const { return m_token; }

    // The fall-back file's own operations (any thread): the file is made with mode 0600 before
    // anything is written into it, and replaces the old one whole.
    static bool WriteFile(const QString& path, const QString& token);
    static QString ReadFile(const QString& path);

Q_SIGNALS:
    void TokenRead(const QString& token, TokenPlace place);
    void TokenWritten(TokenPlace place);

private:
    QString FilePath() const;
    void ReadFromFile();
    void WriteToFile(const QString& token);

    QString m_folder;
    QString m_token;
    TokenPlace m_place = TokenPlace::None;
};
