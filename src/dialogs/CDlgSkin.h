// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CExImage.h"

#include <QDialog>
#include <QString>

class CLanguage;
class CMsgTarget;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// The skin chooser: lists the folders under the program's "Skin" folder, shows the selected
// skin's "SkinInfo.xml" (author, version, description, preview) and applies it to the running
// main window while staying open. Texts from the language's "SkinDialog" section (line 0 the
// title, 1 Close, 2 Apply, 3 to 8 the labels) and "Messages". UI thread only.
class CDlgSkin : public QDialog {
    Q_OBJECT
public:
    // Template and control ids; each control's object name is its id in decimal.
    static constexpr int kTemplateId = 111;
    static constexpr int kIdApply = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdList = 1030;
    static constexpr int kIdAuthor = 1031;
    static constexpr int kIdVersion = 1032;
    static constexpr int kIdInfo = 1033;
    static constexpr int kIdPreview = 1034;
    static constexpr int kIdFirstLabel = 1035; // six labels, lines 3 to 8
    static constexpr int kColumnWidth = 150;   // pixels
    static constexpr int kIconSize = 16;       // pixels, square
    static constexpr int kPreviewWidth = 240;  // pixels
    static constexpr int kPreviewHeight = 180; // pixels
    // Texts of "SkinInfo.xml" are cut to these lengths (UTF-16 units).
    static constexpr int kMaxTextLength = 1023;
    static constexpr int kMaxFileLength = 259;
    // The only skin engine version applied.
    static constexpr const char* kEngineVersion = "1.5";

    // Lists the skins of programFolder/"Skin" at once and selects currentSkin (else the first
    // row). Apply sends UWM_SKINAPPLY to mainWindow, which answers non-zero when the skin was
    // applied and zero when it fell back to "Default".
    CDlgSkin(const CLanguage& language, const QString& programFolder, const QString& currentSkin,
        CMsgTarget* mainWindow, QWidget* parent = nullptr);

    // The engine version read for the selected skin; empty when its "SkinInfo.xml" could not
    // be read.
    const QString& GetEngineVersion() const { return m_engine; }
    const CExImage& GetPreview() const { return m_preview; }
    // The Apply button's work: refuses a skin for another engine version with an information
    // box, else sends the skin to the main window and warns when it fell back to "Default".
    // Returns true when the main window applied the selected skin.
    bool Apply();

private:
    class PreviewArea;

    void BuildControls();
    void SetCaptions();
    void FillList(const QString& currentSkin);
    void OnSelectionChanged();
    void ClearInfo();
    QString SelectedName() const;

    const CLanguage& m_language;
    QString m_skinsFolder;
    CMsgTarget* m_mainWindow = nullptr;
    CExImage m_preview;
    QString m_engine;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_author = nullptr;
    QLineEdit* m_version = nullptr;
    QPlainTextEdit* m_info = nullptr;
    PreviewArea* m_previewArea = nullptr;
    QLabel* m_labels[6] = {};
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
};
