// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgHotKey.h"

#include "CLanguage.h"
#include "VirtualKey.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kFirstActionLine = 7;

QString IdName(int id)
{
    return QString::number(id);
}

QString Line(const CLanguage& language, int line)
{
    return language.Line(LangSection::HotKeyDialog, line);
}

// Turns the table off for as long as the dialog lives, whatever way it ends.
class DisabledWhileOpen {
public:
    explicit DisabledWhileOpen(CHotKey& hotKeys)
        : m_hotKeys(hotKeys)
        , m_was(hotKeys.IsEnabled())
    {
        m_hotKeys.SetEnabled(false);
    }
    ~DisabledWhileOpen() { m_hotKeys.SetEnabled(m_was); }
    DisabledWhileOpen(const DisabledWhileOpen&) = delete;
    DisabledWhileOpen& operator=(const DisabledWhileOpen&) = delete;

private:
    CHotKey& m_hotKeys;
    bool m_was;
};

} // namespace

CDlgHotKey::CDlgHotKey(
    const CLanguage& language, CHotKey& hotKeys, bool globalKeys, QWidget* parent)
    : QDialog(parent)
    , m_hotKeys(hotKeys)
{
    setObjectName(IdName(kTemplateId));
    BuildControls();
    SetCaptions(language, globalKeys);
    FillRows(language);
}

bool CDlgHotKey::Run(QWidget* parent, const CLanguage& language, CHotKey& hotKeys, bool globalKeys)
{
    DisabledWhileOpen off(hotKeys);
    CDlgHotKey dialog(language, hotKeys, globalKeys, parent);
    return dialog.exec() == QDialog::Accepted;
}

QString CDlgHotKey::LocalKeysNote()
{
    return QStringLiteral("This desktop does not let programs watch the keyboard: these keys "
                          "work while Plumo has the focus, and the media keys reach it through "
                          "the desktop's media controls.");
}

void CDlgHotKey::BuildControls()
{
    m_line1 = new QLabel(this);
    m_line1->setObjectName(IdName(kIdLine1));
    m_line1->setWordWrap(true);
    m_line2 = new QLabel(this);
    m_line2->setObjectName(IdName(kIdLine2));
    m_line2->setWordWrap(true);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(IdName(kIdList));
    m_list->setColumnCount(2);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setColumnWidth(0, kActionWidth);
    m_list->setColumnWidth(1, kKeyWidth);
    m_list->setIconSize(QSize(16, 16));

    m_ok = new QPushButton(this);
    m_ok->setObjectName(IdName(kIdOk));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(IdName(kIdCancel));
    connect(m_ok, &QPushButton::clicked, this, &CDlgHotKey::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CDlgHotKey::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_line1);
    layout->addWidget(m_line2);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(420, 460);

    // Keys are taken before the focused control sees them (arrows would move the selection,
    // Space would press a button).
    for (QWidget* child : {static_cast<QWidget*>(m_list), m_list->viewport(),
             static_cast<QWidget*>(m_ok), static_cast<QWidget*>(m_cancel)})
        child->installEventFilter(this);
}

void CDlgHotKey::SetCaptions(const CLanguage& language, bool globalKeys)
{
    setWindowTitle(Line(language, 0));
    m_cancel->setText(Line(language, 1));
    m_ok->setText(Line(language, 2));
    const QString first = Line(language, 3);
    m_line1->setText(globalKeys ? first : LocalKeysNote() + '\n' + first);
    m_line2->setText(Line(language, 4));
    m_list->setHeaderLabels({Line(language, 5), Line(language, 6)});
}

void CDlgHotKey::FillRows(const CLanguage& language)
{
    const QIcon icon = windowIcon();
    for (int action = 1; action <= CHotKey::kActionCount; ++action) {
        Row row;
        row.key.type = action;
        const int found = m_hotKeys.Find(action);
        if (found >= 0) {
            const CHotKey::structKey& key = m_hotKeys.Keys()[static_cast<std::size_t>(found)];
            row.key = {action, key.id, key.ctrl != 0 ? 1 : 0, key.alt != 0 ? 1 : 0,
                key.shift != 0 ? 1 : 0};
            row.assigned = true;
        }
        m_rows.push_back(row);
        auto* item = new QTreeWidgetItem(m_list, {Line(language, kFirstActionLine - 1 + action)});
        item->setIcon(0, icon);
        ShowRow(action - 1);
    }
}

void CDlgHotKey::ShowRow(int index)
{
    const Row& row = m_rows[static_cast<std::size_t>(index)];
    const QString text = row.assigned
        ? vkey::ComboText(row.key.id, row.key.ctrl != 0, row.key.alt != 0, row.key.shift != 0)
        : QString();
    m_list->topLevelItem(index)->setText(1, text);
    m_list->topLevelItem(index)->setToolTip(1, text);
}

int CDlgHotKey::SelectedRow() const
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.front());
}

bool CDlgHotKey::HandleKey(int code, bool ctrl, bool alt, bool shift)
{
    const int index = SelectedRow();
    if (index < 0)
        return false;
    if (code == vkey::kShift || code == vkey::kControl || code == vkey::kAlt
        || code == vkey::kLeftWin || code == vkey::kRightWin)
        return false; // a modifier alone: wait for the main key
    Row& row = m_rows[static_cast<std::size_t>(index)];
    if (code == vkey::kDelete || code == vkey::kBackspace || vkey::KeyName(code).isEmpty()) {
        row.assigned = false;
        ShowRow(index);
        return false;
    }
    row.key = {row.key.type, code, ctrl ? 1 : 0, alt ? 1 : 0, shift ? 1 : 0};
    row.assigned = true;
    ShowRow(index);
    for (int other = 0; other < static_cast<int>(m_rows.size()); ++other) {
        Row& taken = m_rows[static_cast<std::size_t>(other)];
        if (other != index && taken.assigned && taken.key.id == row.key.id
            && taken.key.ctrl == row.key.ctrl && taken.key.alt == row.key.alt
            && taken.key.shift == row.key.shift) {
            taken.assigned = false;
            ShowRow(other);
        }
    }
    return true;
}

bool CDlgHotKey::HandleKeyEvent(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers();
    const int code = vkey::FromQtKey(event.key(), mods.testFlag(Qt::KeypadModifier));
    return HandleKey(code, mods.testFlag(Qt::ControlModifier), mods.testFlag(Qt::AltModifier),
        mods.testFlag(Qt::ShiftModifier));
}

bool CDlgHotKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && SelectedRow() >= 0) {
        // Claim the key from shortcuts and the default button; it arrives as a key press.
        event->accept();
        return false;
    }
    if (event->type() == QEvent::KeyPress)
        return HandleKeyEvent(static_cast<const QKeyEvent&>(*event));
    return QDialog::eventFilter(watched, event);
}

void CDlgHotKey::accept()
{
    m_hotKeys.Clear();
    for (const Row& row : m_rows) {
        if (row.assigned)
            m_hotKeys.Add(row.key.type, row.key.id, row.key.ctrl, row.key.alt, row.key.shift);
    }
    m_hotKeys.Save();
    QDialog::accept();
}
