// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgListenBrainz.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Lines of the section "ListenBrainzDialog".
enum Line {
    Caption, Cancel, Ok, Enable, TokenLabel, ServerLabel, CheckButton, Checking, Valid,
    Refused, Malformed, NoAnswer, KeptSecret, KeptFile, KeptNone, TokenRefusedNote, NotKept
};

template <typename T> T* Named(T* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace

CDlgListenBrainz::CDlgListenBrainz(CListenBrainz& link, CListenToken& store, QWidget* parent)
    : QDialog(parent), m_link(link), m_store(store),
      m_enable(Named(new QCheckBox(this), kIdEnable)),
      m_token(Named(new QLineEdit(this), kIdToken)),
      m_server(Named(new QLineEdit(this), kIdServer)),
      m_check(Named(new QPushButton(this), kIdCheck)),
      m_answer(Named(new QLabel(this), kIdAnswer)),
      m_place(Named(new QLabel(this), kIdPlace)),
      m_ok(Named(new QPushButton(QStringLiteral("OK"), this), kIdOk)),
      m_cancel(Named(new QPushButton(QStringLiteral("Cancel"), this), kIdCancel))
{
    setModal(true);
    m_ok->setDefault(true);
    m_cancel->setAutoDefault(false);
    m_check->setAutoDefault(false);
    m_token->setEchoMode(QLineEdit::Password);
    m_token->setMinimumWidth(320);
    m_server->setPlaceholderText(QString::fromLatin1(CListenSender::kDefaultServer));
    m_answer->setWordWrap(true);
    m_answer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_place->setWordWrap(true);

    auto* fields = new QGridLayout;
    fields->addWidget(m_enable, 0, 0, 1, 3);
    fields->addWidget(Named(new QLabel(this), kIdToken + 100), 1, 0);
    fields->addWidget(m_token, 1, 1);
    fields->addWidget(m_check, 1, 2);
    fields->addWidget(Named(new QLabel(this), kIdServer + 100), 2, 0);
    fields->addWidget(m_server, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_answer);
    layout->addWidget(m_place);
    layout->addLayout(buttons);

    connect(m_check, &QPushButton::clicked, this, &CDlgListenBrainz::Check);
    connect(m_ok, &QPushButton::clicked, this, &CDlgListenBrainz::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CDlgListenBrainz::reject);
    connect(&m_link, &CListenBrainz::TokenChecked, this, &CDlgListenBrainz::ShowCheck);
    connect(&m_store, &CListenToken::TokenWritten, this, &CDlgListenBrainz::Stored);
    // A token read while the dialog is up fills the field, unless the user typed one.
    connect(&m_store, &CListenToken::TokenRead, this, [this](const QString& token, TokenPlace place) {
        if (m_token->text().isEmpty() && m_storedToken.isEmpty()) {
            m_storedToken = token;
            m_token->setText(token);
        }
        ShowPlace(place);
    });
}

void CDlgListenBrainz::SetLines(const QStringList& lines)
{
    m_lines = lines;
    setWindowTitle(lines.value(Caption));
    m_cancel->setText(lines.value(Cancel));
    m_ok->setText(lines.value(Ok));
    m_enable->setText(lines.value(Enable));
    findChild<QLabel*>(QString::number(kIdToken + 100))->setText(lines.value(TokenLabel));
    findChild<QLabel*>(QString::number(kIdServer + 100))->setText(lines.value(ServerLabel));
    m_check->setText(lines.value(CheckButton));
    ShowPlace(m_store.Place());
}

void CDlgListenBrainz::SetValues(bool enabled, const QString& token, const QString& server)
{
    m_enable->setChecked(enabled);
    m_storedToken = token;
    m_token->setText(token);
    m_server->setText(server);
    ShowPlace(m_store.Place());
}

bool CDlgListenBrainz::Enabled() const
{
    return m_enable->isChecked();
}

QString CDlgListenBrainz::Token() const
{
    return m_token->text().trimmed();
}

QString CDlgListenBrainz::Server() const
{
    return m_server->text().trimmed();
}

QString CDlgListenBrainz::AnswerText() const
{
    return m_answer->text();
}

QString CDlgListenBrainz::PlaceText() const
{
    return m_place->text();
}

void CDlgListenBrainz::Check()
{
    m_answer->setText(m_lines.value(Checking));
    m_link.CheckToken(Server(), m_token->text());
}

void CDlgListenBrainz::ShowCheck(TokenCheck result, const QString& userName, const QString& detail)
{
    switch (result) {
    case TokenCheck::Valid:
        m_answer->setText(m_lines.value(Valid).arg(userName));
        break;
    case TokenCheck::Refused:
        m_answer->setText(m_lines.value(Refused).arg(detail).trimmed());
        break;
    case TokenCheck::Malformed:
        m_answer->setText(m_lines.value(Malformed));
        break;
    case TokenCheck::NoAnswer:
        m_answer->setText(m_lines.value(NoAnswer).arg(detail));
        break;
    }
}

void CDlgListenBrainz::ShowPlace(TokenPlace place)
{
    const int line = place == TokenPlace::SecretStore ? KeptSecret
        : place == TokenPlace::File                 ? KeptFile
                                                    : KeptNone;
    m_place->setText(m_lines.value(line));
}

void CDlgListenBrainz::accept()
{
    if (m_storing)
        return;
    if (Token() == m_storedToken) {
        QDialog::accept();
        return;
    }
    if (!Token().isEmpty() && CListenSender::CleanToken(Token()).isEmpty()) {
        ShowCheck(TokenCheck::Malformed, QString(), QString());
        return;
    }
    // The store answers later (a secret service may first ask the user); the dialog stays
    // until it has, and then says where the token went.
    m_storing = true;
    m_ok->setEnabled(false);
    m_store.Write(Token());
}

void CDlgListenBrainz::Stored(TokenPlace place)
{
    if (!m_storing)
        return;
    m_storing = false;
    m_ok->setEnabled(true);
    ShowPlace(place);
    if (place == TokenPlace::None && !Token().isEmpty()) {
        m_answer->setText(m_lines.value(NotKept));
        return;
    }
    m_storedToken = Token();
    // A token left in a file is worth a word before the dialog goes: the next OK closes it.
    if (place == TokenPlace::File)
        return;
    QDialog::accept();
}
