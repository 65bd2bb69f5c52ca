// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CLibraryFolders.h"

#include "XmlFile.h"

#include <QDir>
#include <QFileInfo>

#include <tinyxml2.h>

void CLibraryFolders::RemoveAt(int index)
{
    if (index >= 0 && index < m_folders.size()) {
        m_folders.removeAt(index);
    }
}

QString CLibraryFolders::FilePath(const QString& profileFolder)
{
    return QDir(profileFolder).filePath(QStringLiteral("Library.xml"));
}

bool CLibraryFolders::Load(const QString& profileFolder)
{
    m_folders.clear();
    const QString path = FilePath(profileFolder);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        return true;
    }
    tinyxml2::XMLDocument doc;
    if (!XmlFile::Read(path, doc)) {
        return false;
    }
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Library");
    if (root == nullptr) {
        return false;
    }
    // Paths are kept whole: cutting one at a fixed length would name another folder.
    for (const tinyxml2::XMLElement* e = root->FirstChildElement(); e != nullptr;
         e = e->NextSiblingElement()) {
        m_folders.append(QString::fromUtf8(e->Attribute("Path")));
    }
    return true;
}

bool CLibraryFolders::Save(const QString& profileFolder) const
{
    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration(XmlFile::kDeclaration));
    tinyxml2::XMLElement* root = doc.NewElement("Library");
    doc.InsertEndChild(root);
    for (const QString& folder : m_folders) {
        tinyxml2::XMLElement* e = doc.NewElement("Folder");
        e->SetAttribute("Path", folder.toUtf8().constData());
        root->InsertEndChild(e);
    }
    return XmlFile::Write(FilePath(profileFolder), doc);
}
