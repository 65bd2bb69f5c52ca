// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QDialog>
#include <QString>

class CLanguage;
class QLabel;
class QPushButton;
class QTreeWidget;

// The language chooser: lists the folders under the program's "Language" folder with their
// flags and returns the one the user picks. Its texts come from the "LanguageDialog" section
// (lines 0 window, 1 Cancel, 2 OK, 3 the text above the list). UI thread only.
class CDlgLanguage : public QDialog {
    Q_OBJECT
public:
    // Template and control ids; each control's object name is its id in decimal.
    static constexpr int kTemplateId = 116;
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdList = 1016;
    static constexpr int kIdText = 1017;
    static constexpr int kColumnWidth = 200; // pixels
    static constexpr int kFlagSize = 16; // pixels, square

    // Lists the languages of programFolder/"Language" at once; captions from language.
    CDlgLanguage(
        const CLanguage& language, const QString& programFolder, QWidget* parent = nullptr);

    // The name of the selected language; meaningful after the dialog was accepted.
    const QString& GetChosenName() const { return m_chosen; }

    // The whole language command: shows the chooser for language's program folder; on OK
    // loads the chosen language, and when that fails loads defaultName and tells the user
    // with the built-in error text. Returns true when OK was pressed (a language, chosen or
    // default, was then loaded and the caller rebuilds its menus and tree); false on Cancel.
    static bool Run(QWidget* parent, CLanguage& language, const QString& defaultName);

    // Loads chosen into language; on failure loads defaultName and shows the error message
    // box (caption "Error", error icon, OK). Returns whether chosen was loaded.
    static bool ApplyChoice(
        QWidget* parent, CLanguage& language, const QString& chosen, const QString& defaultName);

private:
    void BuildControls();
    void SetCaptions(const CLanguage& language);
    void FillList(const QString& programFolder);
    void OnSelectionChanged();

    QLabel* m_text = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_chosen;
};
