// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "net/CListenBrainz.h"
#include "net/CListenToken.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The settings of the direct link to the listen-history service: on/off, the user's token and
// the server's address. "Check Token" asks the service and shows its answer (the user name, or
// why the token failed) without closing. OK keeps a changed token through the token store and
// closes once the store has answered; when the token went to the fall-back file, it stays
// open saying so, and the next OK closes it. Neither
// the check nor the store holds the window. UI thread only.
class CDlgListenBrainz : public QDialog {
    Q_OBJECT
public:
    // Template ids of the controls, also their object names.
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdEnable = 1100;
    static constexpr int kIdToken = 1101;
    static constexpr int kIdServer = 1102;
    static constexpr int kIdCheck = 1103;
    static constexpr int kIdAnswer = 1104;
    static constexpr int kIdPlace = 1105;

    // link answers the checks, store keeps the token; both outlive the dialog.
    CDlgListenBrainz(CListenBrainz& link, CListenToken& store, QWidget* parent = nullptr);

    // The language section "ListenBrainzDialog". Set before showing; missing lines read as empty.
    void SetLines(const QStringList& lines);
    // The values shown when the dialog opens; the token as stored (empty for none).
    void SetValues(bool enabled, const QString& token, const QString& server);

    bool Enabled() const;
    QString Token() const;
    QString Server() const;
    // The answer shown last (a check or where the token is kept), for the user and tests.
    QString AnswerText() const;
    QString PlaceText() const;

public Q_SLOTS:
    void accept() override;

private:
    void Check();
    void ShowCheck(TokenCheck result, const QString& userName, const QString& detail);
    void ShowPlace(TokenPlace place);
    void Stored(TokenPlace place);

    CListenBrainz& m_link;
    CListenToken& m_store;
    QStringList m_lines;
    QString m_storedToken;
    QCheckBox* m_enable;
    QLineEdit* m_token;
    QLineEdit* m_server;
    QPushButton* m_check;
    QLabel* m_answer;
    QLabel* m_place;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    bool m_storing = false; // OK was pressed and the store has not answered yet
};
