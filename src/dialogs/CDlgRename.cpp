// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgRename.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumWidth = 320;

} // namespace

CDlgRename::CDlgRename(const QStringList& lines, const QString& name, QWidget* parent)
    : QDialog(parent), m_edit(new QLineEdit(name, this)), m_name(name)
{
    setObjectName(QString::number(kTemplateId));
    const auto line = [&](int i) { return i < lines.size() ? lines.at(i) : QString(); };
    setWindowTitle(line(0));
    setMinimumWidth(kMinimumWidth);
    auto* prompt = new QLabel(line(3), this);
    prompt->setObjectName(QString::number(kIdPrompt));
    m_edit->setObjectName(QString::number(kIdEdit));
    m_edit->selectAll();
    auto* ok = new QPushButton(line(2), this);
    ok->setObjectName(QString::number(kIdOk));
    ok->setDefault(true);
    auto* cancel = new QPushButton(line(1), this);
    cancel->setObjectName(QString::number(kIdCancel));
    connect(ok, &QPushButton::clicked, this, &CDlgRename::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
}

void CDlgRename::accept()
{
    m_name = m_edit->text().left(kMaxName);
    QDialog::accept();
}
