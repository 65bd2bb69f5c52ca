// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The sections of a language file, in their fixed order.
enum class LangSection : int {
    MainMenu = 0,
    TrayMenu,
    ListMenu,
    TreeMenu,
    Library,
    SkinDialog,
    LibraryDialog,
    LanguageDialog,
    ProcessDialog,
    PropertiesDialog,
    RenameDialog,
    AboutDialog,
    Messages,
    DonateDialog,
    EqualizerDialog,
    Playlist,
    HotKeyDialog,
    OpenURLDialog,
    ListenBrainzDialog,
};
constexpr int kLangSectionCount = 19;

// The texts of one language: "Language/<name>/Main.xml" under the program folder.
// UI thread only.
class CLanguage {
public:
    // The only version of "Main.xml" this program reads.
    static constexpr const char* kVersion = "1.5";
    // Longest line taken from the file, in UTF-16 units; longer ones are cut.
    static constexpr int kMaxLineLength = 2048;
    // Larger language files are refused without being read.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    // Folder of the executable; languages are looked up in its "Language" sub-folder.
    void SetProgramFolder(const QString& folder);
    const QString& GetProgramFolder() const { return m_programFolder; }

    // Clears every section, then reads the language. True on success (the name is stored);
    // false when the name is not a plain folder name, or the file is missing, unreadable,
    // larger than kMaxFileSize, not XML, or not of version "1.5" (sections are then empty:
    // callers load the default language). Sections may appear in any order; a missing one
    // stays empty; a line element without "Line" gives an empty line.
    bool Load(const QString& name);

    // The text of a line; an empty text when the section has no such line, so a short
    // section can never be read past its end.
    QString Line(LangSection section, int index) const;
    int LineCount(LangSection section) const;

    // Name of the language last loaded successfully.
    const QString& GetName() const { return m_name; }

    // All lines of a section, for dialogs that keep their section as a whole.
    const QStringList& Section(LangSection section) const;

    // Folder of a language under the program folder, and its chooser icon "Flag.ico".
    // Empty for a name that is not a plain folder name (empty, "." or "..", or holding a
    // path separator): such a name never reaches outside the "Language" folder.
    QString LanguageFolder(const QString& name) const;
    QString FlagPath(const QString& name) const;

    // Element name of a section in "Main.xml".
    static const char* SectionName(LangSection section);

    // The one text that is not in a language file: shown when a chosen language fails.
    static QString CorruptedText();

private:
    QString m_programFolder;
    QString m_name;
    std::array<QStringList, kLangSectionCount> m_sections;
};
