// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CLanguage.h"

#include "SafeFile.h"
#include "XmlLimits.h"
#include "XmlText.h"

#include <QDir>

#include <tinyxml2.h>

#include <cstring>

namespace {

constexpr std::array<const char*, kLangSectionCount> kSectionNames {
    "MainMenu",
    "TrayMenu",
    "ListMenu",
    "TreeMenu",
    "Library",
    "SkinDialog",
    "LibraryDialog",
    "LanguageDialog",
    "ProcessDialog",
    "PropertiesDialog",
    "RenameDialog",
    "AboutDialog",
    "Messages",
    "DonateDialog",
    "EqualizerDialog",
    "Playlist",
    "HotKeyDialog",
    "OpenURLDialog",
    "ListenBrainzDialog",
};

bool IsPlainName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QChar(0));
}

QStringList ReadLines(const tinyxml2::XMLElement* section)
{
    QStringList lines;
    for (const tinyxml2::XMLElement* line = section->FirstChildElement(); line;
         line = line->NextSiblingElement())
        lines.append(xmltext::Attribute(line, "Line", CLanguage::kMaxLineLength));
    return lines;
}

} // namespace

void CLanguage::SetProgramFolder(const QString& folder)
{
    m_programFolder = folder;
}

QString CLanguage::LanguageFolder(const QString& name) const
{
    if (!IsPlainName(name))
        return {};
    return QDir(m_programFolder).filePath(QStringLiteral("Language/") + name);
}

QString CLanguage::FlagPath(const QString& name) const
{
    const QString folder = LanguageFolder(name);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/Flag.ico");
}

bool CLanguage::Load(const QString& name)
{
    for (QStringList& section : m_sections)
        section.clear();
    const QString folder = LanguageFolder(name);
    if (folder.isEmpty())
        return false;
    QByteArray bytes;
    if (safefile::Read(folder + QStringLiteral("/Main.xml"), kMaxFileSize, bytes)
        != safefile::ReadStatus::Ok)
        return false;
    tinyxml2::XMLDocument doc;
    if (!xmllimits::Parse(doc, bytes))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Language");
    const char* version = root ? root->Attribute("Version") : nullptr;
    if (!version || std::strcmp(version, kVersion) != 0)
        return false;
    for (int i = 0; i < kLangSectionCount; ++i) {
        if (const tinyxml2::XMLElement* section
            = root->FirstChildElement(kSectionNames[static_cast<size_t>(i)]))
            m_sections[static_cast<size_t>(i)] = ReadLines(section);
    }
    m_name = name;
    return true;
}

QString CLanguage::Line(LangSection section, int index) const
{
    const QStringList& lines = Section(section);
    if (index < 0 || index >= lines.size())
        return {};
    return lines.at(index);
}

int CLanguage::LineCount(LangSection section) const
{
    return static_cast<int>(Section(section).size());
}

const QStringList& CLanguage::Section(LangSection section) const
{
    static const QStringList kNone;
    const int i = static_cast<int>(section);
    if (i < 0 || i >= kLangSectionCount)
        return kNone;
    return m_sections[static_cast<size_t>(i)];
}

const char* CLanguage::SectionName(LangSection section)
{
    const int i = static_cast<int>(section);
    if (i < 0 || i >= kLangSectionCount)
        return "";
    return kSectionNames[static_cast<size_t>(i)];
}

QString CLanguage::CorruptedText()
{
    return QStringLiteral(
        "Language file is corrupted, or it is for a different version of the program.");
}
