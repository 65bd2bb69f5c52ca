// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgAbout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The English texts, line by line, for a language that lacks some of them.
constexpr const char* kEnglish[] = {
    "About Plumo",
    "OK",
    "Plumo Music Player",
    "Version",
    "Plays and organises your music collection.",
};

QLabel* MakeLabel(const QString& text, int id, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::number(id));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

QString CDlgAbout::Version()
{
    return QStringLiteral(PLUMO_VERSION);
}

CDlgAbout::CDlgAbout(const QStringList& lines, const QIcon& icon, QWidget* parent)
    : QDialog(parent)
{
    const auto line = [&](int i) {
        const QString text = lines.value(i);
        return text.isEmpty() ? QString::fromLatin1(kEnglish[i]) : text;
    };
    setWindowTitle(line(0));
    auto* product = MakeLabel(line(2), kIdProduct, this);
    QFont bold = product->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    product->setFont(bold);
    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(MakeLabel(line(3) + QLatin1Char(' ') + Version(), kIdVersion, this));
    texts->addWidget(MakeLabel(line(4), kIdSummary, this));
    // The licence is named by its SPDX identifier, which no translation changes.
    texts->addWidget(MakeLabel(QStringLiteral("Licence: GPL-3.0-or-later"), kIdLicence, this));

    auto* top = new QHBoxLayout;
    if (!icon.isNull()) {
        auto* picture = new QLabel(this);
        picture->setObjectName(QString::number(kIdIcon));
        picture->setPixmap(icon.pixmap(kIconSize, kIconSize));
        top->addWidget(picture, 0, Qt::AlignTop);
    }
    top->addLayout(texts, 1);

    auto* ok = new QPushButton(line(1), this);
    ok->setObjectName(QString::number(kIdOk));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
