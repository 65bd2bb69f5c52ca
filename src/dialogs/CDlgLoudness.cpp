// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgLoudness.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kHundredths = 100.0;
constexpr double kArrowStepDb = 0.5;

template <typename T> T* Named(T* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

QDoubleSpinBox* LevelBox(QWidget* parent, int id)
{
    auto* box = Named(new QDoubleSpinBox(parent), id);
    // Two decimals hold any stored hundredth, so OK without an edit changes nothing.
    box->setDecimals(2);
    box->setRange(-CDlgLoudness::kMaxHundredths / kHundredths,
        CDlgLoudness::kMaxHundredths / kHundredths);
    box->setSingleStep(kArrowStepDb);
    box->setSuffix(QStringLiteral(" dB"));
    box->setAlignment(Qt::AlignRight);
    return box;
}

int Hundredths(const QDoubleSpinBox& box)
{
    const int value = static_cast<int>(std::lround(box.value() * kHundredths));
    return std::clamp(value, -CDlgLoudness::kMaxHundredths, CDlgLoudness::kMaxHundredths);
}

} // namespace

CDlgLoudness::CDlgLoudness(QWidget* parent)
    : QDialog(parent), m_preampBox(LevelBox(this, kIdPreamp)),
      m_untaggedBox(LevelBox(this, kIdUntagged)),
      m_preampLabel(Named(new QLabel(this), kIdPreampLabel)),
      m_untaggedLabel(Named(new QLabel(this), kIdUntaggedLabel)),
      m_ok(Named(new QPushButton(QStringLiteral("OK"), this), kIdOk)),
      m_cancel(Named(new QPushButton(QStringLiteral("Cancel"), this), kIdCancel))
{
    setModal(true);
    m_ok->setDefault(true);
    m_cancel->setAutoDefault(false);
    m_preampLabel->setBuddy(m_preampBox);
    m_untaggedLabel->setBuddy(m_untaggedBox);

    auto* fields = new QGridLayout;
    fields->addWidget(m_preampLabel, 0, 0);
    fields->addWidget(m_preampBox, 0, 1);
    fields->addWidget(m_untaggedLabel, 1, 0);
    fields->addWidget(m_untaggedBox, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &CDlgLoudness::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CDlgLoudness::reject);
}

void CDlgLoudness::SetLines(const QStringList& lines)
{
    setWindowTitle(lines.value(0));
    m_cancel->setText(lines.value(1));
    m_ok->setText(lines.value(2));
    m_preampLabel->setText(lines.value(3));
    m_untaggedLabel->setText(lines.value(4));
}

void CDlgLoudness::SetValues(int preampHundredths, int untaggedHundredths)
{
    m_preamp = std::clamp(preampHundredths, -kMaxHundredths, kMaxHundredths);
    m_untagged = std::clamp(untaggedHundredths, -kMaxHundredths, kMaxHundredths);
    m_preampBox->setValue(m_preamp / kHundredths);
    m_untaggedBox->setValue(m_untagged / kHundredths);
}

void CDlgLoudness::accept()
{
    // A half-typed number counts as what the box shows once it loses focus.
    m_preampBox->interpretText();
    m_untaggedBox->interpretText();
    m_preamp = Hundredths(*m_preampBox);
    m_untagged = Hundredths(*m_untaggedBox);
    QDialog::accept();
}
