// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "library/CLibraryFolders.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

// The library folders dialog (template 103): edits the folder list of "Library.xml".
// Update saves the list and accepts; Close and Esc reject and save nothing. A "Library.xml"
// that is there but cannot be read is named in a note under the list, and Update then refuses
// an empty list: it would remove every track from the library.
// UI thread only. Each control's object name is its template id in decimal.
class CDlgLibrary : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 103;
    static constexpr int kIdUpdate = 1;
    static constexpr int kIdClose = 2;
    static constexpr int kIdList = 1000;
    static constexpr int kIdAdd = 1001;
    static constexpr int kIdDelete = 1002;
    static constexpr int kIdText1 = 1039;
    static constexpr int kIdText2 = 1040;
    static constexpr int kIdNote = 1041; // the note on a file that could not be read
    static constexpr int kListColumnWidth = 280;

    // Asks for a folder: (owner, title, chosen path) -> chosen.
    using FolderPicker = std::function<bool(QWidget*, const QString&, QString*)>;

    // lines: the language's "LibraryDialog" section; profileFolder holds "Library.xml".
    CDlgLibrary(const QStringList& lines, const QString& profileFolder, QWidget* parent = nullptr);

    // Shows the dialog modally. True when the user pressed Update; then Folders() is the list
    // the user confirmed, for the update to walk, whether or not it could be written.
    bool Run();
    QStringList Folders() const { return m_folders.Folders(); }
    // After Run: "Library.xml" could not be written, so the list will not be offered next time.
    bool SaveFailed() const { return m_saveFailed; }
    // "Library.xml" was there but could not be read when the dialog opened.
    bool LoadFailed() const { return m_loadFailed; }

    // Replaces the folder chooser that Add opens (tests, or a host with its own picker).
    void SetFolderPicker(FolderPicker picker) { m_picker = std::move(picker); }

private:
    void BuildControls();
    void FillList();
    void AppendItem(const QString& folder);
    void OnAdd();
    void OnDelete();
    void OnUpdate();
    void OnSelectionChanged();
    void ShowNote(const QString& text);
    QString LineText(int index) const;

    QStringList m_lines;
    QString m_profileFolder;
    CLibraryFolders m_folders;
    FolderPicker m_picker;
    bool m_loadFailed = false;
    bool m_saveFailed = false;
    QLabel* m_note = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_delete = nullptr;
};
