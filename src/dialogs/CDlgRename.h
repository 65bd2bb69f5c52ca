// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;

// The rename dialog (template 124): asks for a new playlist name. OK takes the edit's text, cut
// to kMaxName characters (an empty name is accepted); Cancel and Esc leave the name as it was.
// UI thread only. Each control's object name is its template id in decimal.
class CDlgRename : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 124;
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdEdit = 1035;
    static constexpr int kIdPrompt = 1036;
    static constexpr int kMaxName = 100;

    // lines: the language's "RenameDialog" section; name: the current name.
    CDlgRename(const QStringList& lines, const QString& name, QWidget* parent = nullptr);

    // The name after OK (the current name until then).
    const QString& Name() const { return m_name; }

public Q_SLOTS:
    void accept() override;

private:
    QLineEdit* m_edit;
    QString m_name;
};
