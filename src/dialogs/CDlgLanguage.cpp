// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgLanguage.h"

#include "CLanguage.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString IdName(int id)
{
    return QString::number(id);
}

// A line the language lacks keeps the control's template text instead of blanking it.
QString LineOr(const CLanguage& language, int line, const QString& templateText)
{
    const QString text = language.Line(LangSection::LanguageDialog, line);
    return text.isEmpty() ? templateText : text;
}

QIcon LoadFlag(const QString& path)
{
    const QIcon file(path);
    const QPixmap pixmap = file.pixmap(QSize(CDlgLanguage::kFlagSize, CDlgLanguage::kFlagSize));
    // A folder without a usable flag is still listed, with an empty icon.
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

} // namespace

CDlgLanguage::CDlgLanguage(const CLanguage& language, const QString& programFolder, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(IdName(kTemplateId));
    BuildControls();
    SetCaptions(language);
    FillList(programFolder);
}

void CDlgLanguage::BuildControls()
{
    m_text = new QLabel(this);
    m_text->setObjectName(IdName(kIdText));
    m_text->setWordWrap(true);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(IdName(kIdList));
    m_list->setColumnCount(1);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setIconSize(QSize(kFlagSize, kFlagSize));
    m_list->setColumnWidth(0, kColumnWidth);
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(0, Qt::AscendingOrder);

    m_ok = new QPushButton(this);
    m_ok->setObjectName(IdName(kIdOk));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(IdName(kIdCancel));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CDlgLanguage::OnSelectionChanged);
    connect(m_list, &QTreeWidget::itemActivated, this, [this] {
        if (m_ok->isEnabled())
            accept();
    });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CDlgLanguage::SetCaptions(const CLanguage& language)
{
    setWindowTitle(LineOr(language, 0, QStringLiteral("Dialog")));
    m_cancel->setText(LineOr(language, 1, QStringLiteral("Cancel")));
    m_ok->setText(LineOr(language, 2, QStringLiteral("OK")));
    m_text->setText(LineOr(language, 3, QString()));
}

void CDlgLanguage::FillList(const QString& programFolder)
{
    const QDir folder(QDir(programFolder).filePath(QStringLiteral("Language")));
    const QStringList names = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        auto* item = new QTreeWidgetItem(m_list, QStringList(name));
        item->setIcon(0, LoadFlag(folder.filePath(name + QStringLiteral("/Flag.ico"))));
    }
}

void CDlgLanguage::OnSelectionChanged()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    m_ok->setEnabled(!selected.isEmpty());
    if (!selected.isEmpty())
        m_chosen = selected.first()->text(0);
}

bool CDlgLanguage::Run(QWidget* parent, CLanguage& language, const QString& defaultName)
{
    CDlgLanguage dialog(language, language.GetProgramFolder(), parent);
    if (dialog.exec() != QDialog::Accepted || dialog.GetChosenName().isEmpty())
        return false;
    ApplyChoice(parent, language, dialog.GetChosenName(), defaultName);
    return true;
}

bool CDlgLanguage::ApplyChoice(
    QWidget* parent, CLanguage& language, const QString& chosen, const QString& defaultName)
{
    if (language.Load(chosen))
        return true;
    language.Load(defaultName);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), CLanguage::CorruptedText(),
        QMessageBox::Ok, parent);
    box.exec();
    return false;
}
