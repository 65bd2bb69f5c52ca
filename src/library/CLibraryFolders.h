// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>
#include <QStringList>

// The library folders, stored in "Library.xml" in the profile folder:
//   <Library><Folder Path="..."/>...</Library>
// Any thread; no state besides the folder list.
class CLibraryFolders {
public:
    // Reads "Library.xml" from profileFolder. Every child of the first "Library" element gives
    // its "Path" attribute, in order. A missing file gives an empty list (no folders chosen
    // yet). False, with an empty list, when the file is there but cannot be read, does not
    // parse or has no "Library" element: an empty list then says nothing about the folders.
    bool Load(const QString& profileFolder);
    // Writes "Library.xml" into profileFolder, replacing it. False when it cannot be written
    // (the old file is then left as it was).
    bool Save(const QString& profileFolder) const;

    const QStringList& Folders() const { return m_folders; }
    void SetFolders(const QStringList& folders) { m_folders = folders; }
    void Add(const QString& folder) { m_folders.append(folder); }
    void RemoveAt(int index);

    static QString FilePath(const QString& profileFolder);

private:
    QStringList m_folders;
};
