// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgOpenURL.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename T> T* Named(T* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace

CDlgOpenURL::CDlgOpenURL(QWidget* parent)
    : QDialog(parent), m_nameEdit(Named(new QLineEdit(this), kIdName)),
      m_addressEdit(Named(new QLineEdit(this), kIdAddress)),
      m_nameLabel(Named(new QLabel(QStringLiteral("Name:"), this), kIdNameLabel)),
      m_addressLabel(Named(new QLabel(QStringLiteral("URL:"), this), kIdAddressLabel)),
      m_ok(Named(new QPushButton(QStringLiteral("OK"), this), kIdOk)),
      m_cancel(Named(new QPushButton(QStringLiteral("Cancel"), this), kIdCancel))
{
    setWindowTitle(QStringLiteral("Dialog"));
    setModal(true);
    m_ok->setDefault(true);
    m_cancel->setAutoDefault(false);
    m_addressEdit->setMinimumWidth(320);

    auto* fields = new QGridLayout;
    fields->addWidget(m_nameLabel, 0, 0);
    fields->addWidget(m_nameEdit, 0, 1);
    fields->addWidget(m_addressLabel, 1, 0);
    fields->addWidget(m_addressEdit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &CDlgOpenURL::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CDlgOpenURL::reject);
}

void CDlgOpenURL::SetLines(const QStringList& lines)
{
    setWindowTitle(lines.value(0));
    m_cancel->setText(lines.value(1));
    m_ok->setText(lines.value(2));
    m_nameEdit->setText(lines.value(3));
    m_nameLabel->setText(lines.value(4));
    m_addressLabel->setText(lines.value(5));
}

void CDlgOpenURL::accept()
{
    m_name = m_nameEdit->text();
    m_address = m_addressEdit->text();
    QDialog::accept();
}
