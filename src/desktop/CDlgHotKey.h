// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CHotKey.h"

#include <QDialog>
#include <QString>

#include <vector>

class CLanguage;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTreeWidget;

// The hot-key editor: one row per action; the user selects a row and presses the combination
// for it. Delete or Backspace removes a row's combination; a combination belongs to one action
// at most. OK writes the table back and saves "HotKey.xml". Texts come from the language's
// "HotKeyDialog" section (0 caption, 1 Cancel, 2 OK, 3 and 4 the two lines of explanation,
// 5 and 6 the column headers, 7 to 19 the actions). UI thread only.
class CDlgHotKey : public QDialog {
    Q_OBJECT
public:
    // Template and control ids; each control's object name is its id in decimal.
    static constexpr int kTemplateId = 139;
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdLine1 = 1039;
    static constexpr int kIdLine2 = 1040;
    static constexpr int kIdList = 1078;
    static constexpr int kActionWidth = 150; // pixels
    static constexpr int kKeyWidth = 120;    // pixels

    // globalKeys: whether key presses are observed everywhere on this desktop; when they are
    // not, the first line says so before the language's explanation.
    CDlgHotKey(const CLanguage& language, CHotKey& hotKeys, bool globalKeys,
        QWidget* parent = nullptr);

    // The whole hot-key command: disables the table while the dialog is open (so pressing an
    // assigned combination does not perform it), shows the dialog, enables the table again.
    // Returns whether OK was pressed (the table and the file then hold the new keys).
    static bool Run(QWidget* parent, const CLanguage& language, CHotKey& hotKeys, bool globalKeys);

    // What a row holds: its entry (type = the action) and whether a combination is assigned.
    struct Row {
        CHotKey::structKey key;
        bool assigned = false;
    };
    const std::vector<Row>& Rows() const { return m_rows; }

    // A key press as the dialog handles it (virtual-key code and the modifiers held). Returns
    // true when the key was consumed (assigned to the selected row).
    bool HandleKey(int code, bool ctrl, bool alt, bool shift);

    // The built-in note shown first when global keys cannot be observed.
    static QString LocalKeysNote();

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void SetCaptions(const CLanguage& language, bool globalKeys);
    void FillRows(const CLanguage& language);
    void ShowRow(int index);
    int SelectedRow() const;
    bool HandleKeyEvent(const QKeyEvent& event);

    CHotKey& m_hotKeys;
    std::vector<Row> m_rows;
    QLabel* m_line1 = nullptr;
    QLabel* m_line2 = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
