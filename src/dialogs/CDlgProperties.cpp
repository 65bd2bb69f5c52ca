// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgProperties.h"

#include "library/CDBase.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumWidth = 420;

// Rows of the form: language line, label id, box id, index in the detail look-up.
struct Field {
    int line;
    int labelId;
    int boxId;
    int column;
};
constexpr Field kFields[] = {
    {3, CDlgProperties::kIdTitleLabel, CDlgProperties::kIdTitle, 2},
    {4, CDlgProperties::kIdArtistLabel, CDlgProperties::kIdArtist, 3},
    {5, CDlgProperties::kIdAlbumLabel, CDlgProperties::kIdAlbum, 4},
    {6, CDlgProperties::kIdNumberLabel, CDlgProperties::kIdNumber, 1},
    {7, CDlgProperties::kIdYearLabel, CDlgProperties::kIdYear, 5},
    {8, CDlgProperties::kIdGenreLabel, CDlgProperties::kIdGenre, 6},
    {9, CDlgProperties::kIdFileLabel, CDlgProperties::kIdFile, 0},
    {10, CDlgProperties::kIdQualityLabel, CDlgProperties::kIdQuality, -1},
};

} // namespace

QString CDlgProperties::QualityText(const QString& bitrate, const QString& sample,
                                    const QString& channels)
{
    QString text = bitrate + QStringLiteral(" kbps, ") + sample;
    if (channels == QLatin1String("2")) {
        return text + QStringLiteral(" hz, Stereo");
    }
    if (channels == QLatin1String("1")) {
        return text + QStringLiteral(" hz, Mono");
    }
    return text + QStringLiteral(" hz, ") + channels + QStringLiteral(" ch");
}

CDlgProperties::CDlgProperties(const QStringList& lines, CDBase* db, int libraryId,
                               int playlistId, const QString& fallback, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QString::number(kTemplateId));
    const auto line = [&](int i) { return i < lines.size() ? lines.at(i) : QString(); };
    setWindowTitle(line(0));
    setMinimumWidth(kMinimumWidth);

    QStringList details;
    const bool found = db != nullptr && db->GetFullInfo(libraryId, playlistId, &details)
        && details.size() >= 10;
    auto* form = new QFormLayout;
    for (const Field& field : kFields) {
        auto* label = new QLabel(line(field.line), this);
        label->setObjectName(QString::number(field.labelId));
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::number(field.boxId));
        box->setReadOnly(true);
        if (found && field.column >= 0) {
            box->setText(details.at(field.column));
        } else if (found) {
            box->setText(QualityText(details.at(7), details.at(8), details.at(9)));
        } else if (db == nullptr && field.boxId == kIdTitle) {
            box->setText(fallback);
        }
        box->setCursorPosition(0);
        form->addRow(label, box);
    }
    auto* ok = new QPushButton(line(2), this);
    ok->setObjectName(QString::number(kIdOk));
    ok->hide();
    auto* close = new QPushButton(line(1), this);
    close->setObjectName(QString::number(kIdClose));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}
