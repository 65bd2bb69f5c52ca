// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

// Modal dialog in which the user enters an internet stream: a display name and an address.
// Neither is trimmed nor checked (an empty address is accepted); the owner appends the stream to
// the shown playlist. UI thread only.
class CDlgOpenURL : public QDialog {
    Q_OBJECT
public:
    // Template ids of the controls, also their object names.
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdName = 1080;
    static constexpr int kIdAddress = 1081;
    static constexpr int kIdNameLabel = 1082;
    static constexpr int kIdAddressLabel = 1083;

    explicit CDlgOpenURL(QWidget* parent = nullptr);

    // The language section "OpenURLDialog": caption, Cancel, OK, the default name, the two
    // labels. Set before showing; missing lines read as empty.
    void SetLines(const QStringList& lines);

    // What the user confirmed; empty after Cancel.
    const QString& Name() const { return m_name; }
    const QString& Address() const { return m_address; }

public Q_SLOTS:
    void accept() override;

private:
    QLineEdit* m_nameEdit;
    QLineEdit* m_addressEdit;
    QLabel* m_nameLabel;
    QLabel* m_addressLabel;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QString m_name;
    QString m_address;
};
