// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QDialog>
#include <QIcon>
#include <QStringList>

// The about box (command 126): the program's icon, its name and version, one line of what it
// is, its licence, and a button that closes it. Texts come from the language's "AboutDialog"
// section; a line the language lacks is shown in English. UI thread only. Each control's
// object name is its id in decimal.
class CDlgAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdIcon = 1100;
    static constexpr int kIdProduct = 1101;
    static constexpr int kIdVersion = 1102;
    static constexpr int kIdSummary = 1103;
    static constexpr int kIdLicence = 1104;
    static constexpr int kIconSize = 64;

    // lines: the language's "AboutDialog" section (caption, close, product, version, summary);
    // icon: the program icon (an empty icon leaves the picture out).
    CDlgAbout(const QStringList& lines, const QIcon& icon, QWidget* parent = nullptr);

    // The version the program was built as ("major.minor.patch").
    static QString Version();
};
