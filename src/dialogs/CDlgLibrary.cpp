// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgLibrary.h"

#include "CFileDialogEx.h"

#include <QDir>
#include <QFileIconProvider>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString IdName(int id)
{
    return QString::number(id);
}

bool PickWithFileDialog(QWidget* owner, const QString& title, QString* path)
{
    CFileDialogEx picker;
    if (!picker.PickFolder(owner, title)) {
        return false;
    }
    *path = picker.GetPath();
    return true;
}

} // namespace

CDlgLibrary::CDlgLibrary(const QStringList& lines, const QString& profileFolder, QWidget* parent)
    : QDialog(parent), m_lines(lines), m_profileFolder(profileFolder),
      m_picker(&PickWithFileDialog)
{
    setObjectName(IdName(kTemplateId));
    BuildControls();
    m_loadFailed = !m_folders.Load(m_profileFolder);
    if (m_loadFailed) {
        ShowNote(tr("\"%1\" could not be read, so the list of library folders is empty. Add "
                    "the folders again; Update with no folders leaves the library as it is.")
                     .arg(QDir::toNativeSeparators(CLibraryFolders::FilePath(m_profileFolder))));
    }
    FillList();
}

void CDlgLibrary::ShowNote(const QString& text)
{
    m_note->setText(text);
    m_note->show();
}

QString CDlgLibrary::LineText(int index) const
{
    return index < m_lines.size() ? m_lines.at(index) : QString();
}

void CDlgLibrary::BuildControls()
{
    setWindowTitle(LineText(0));
    auto* text1 = new QLabel(LineText(5), this);
    text1->setObjectName(IdName(kIdText1));
    auto* text2 = new QLabel(LineText(6), this);
    text2->setObjectName(IdName(kIdText2));

    m_note = new QLabel(this);
    m_note->setObjectName(IdName(kIdNote));
    m_note->setWordWrap(true);
    m_note->hide();

    m_list = new QTreeWidget(this);
    m_list->setObjectName(IdName(kIdList));
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(1);
    m_list->setColumnWidth(0, kListColumnWidth);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto* add = new QPushButton(LineText(3), this);
    add->setObjectName(IdName(kIdAdd));
    m_delete = new QPushButton(LineText(4), this);
    m_delete->setObjectName(IdName(kIdDelete));
    m_delete->setEnabled(false);
    auto* update = new QPushButton(LineText(2), this);
    update->setObjectName(IdName(kIdUpdate));
    auto* close = new QPushButton(LineText(1), this);
    close->setObjectName(IdName(kIdClose));
    close->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    buttons->addWidget(update);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text1);
    layout->addWidget(text2);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_note);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &CDlgLibrary::OnAdd);
    connect(m_delete, &QPushButton::clicked, this, &CDlgLibrary::OnDelete);
    connect(update, &QPushButton::clicked, this, &CDlgLibrary::OnUpdate);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CDlgLibrary::OnSelectionChanged);
}

void CDlgLibrary::AppendItem(const QString& folder)
{
    const QIcon folderIcon = QFileIconProvider().icon(QFileIconProvider::Folder);
    auto* item = new QTreeWidgetItem(m_list, {QDir::toNativeSeparators(folder)});
    item->setIcon(0, folderIcon);
    item->setToolTip(0, item->text(0));
}

void CDlgLibrary::FillList()
{
    m_list->setUpdatesEnabled(false);
    for (const QString& folder : m_folders.Folders()) {
        AppendItem(folder);
    }
    m_list->setUpdatesEnabled(true);
}

bool CDlgLibrary::Run()
{
    return exec() == QDialog::Accepted;
}

void CDlgLibrary::OnAdd()
{
    QString path;
    if (!m_picker || !m_picker(this, LineText(7), &path) || path.isEmpty()) {
        return;
    }
    m_folders.Add(path);
    AppendItem(path);
}

void CDlgLibrary::OnDelete()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int index = m_list->indexOfTopLevelItem(selected.constFirst());
    m_folders.RemoveAt(index);
    delete m_list->takeTopLevelItem(index);
    OnSelectionChanged();
}

void CDlgLibrary::OnUpdate()
{
    // An empty list that only stands for a file that could not be read is no choice of the
    // user's: updating over it would empty the library, and writing it would bury the file.
    if (m_loadFailed && m_folders.Folders().isEmpty()) {
        ShowNote(tr("The library is left as it is: add its folders first."));
        return;
    }
    // A failed write does not stop the update, which walks the list the user confirmed; the
    // owner tells the user that the list was not kept.
    m_saveFailed = !m_folders.Save(m_profileFolder);
    accept();
}

void CDlgLibrary::OnSelectionChanged()
{
    m_delete->setEnabled(!m_list->selectedItems().isEmpty());
}
