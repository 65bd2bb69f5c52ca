// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSettings.h"

#include "SafeFile.h"
#include "XmlLimits.h"
#include "XmlText.h"

#include <QDir>

#include <tinyxml2.h>

#include <algorithm>
#include <limits>

using tinyxml2::XMLElement;

const char* const CSettings::kFileName = "Settings.xml";

namespace {

constexpr const char* kFileVersion = "1.2";
constexpr const char* kDbVersion = "1.0";

// Attribute "ID" of the child element name, into field; a missing element or attribute, or a
// value that is not a 32-bit integer, leaves field unchanged.
void ReadId(const XMLElement* root, const char* name, int& field)
{
    if (const XMLElement* e = root->FirstChildElement(name))
        e->QueryIntAttribute("ID", &field);
}

void ReadName(const XMLElement* root, const char* name, QString& field)
{
    const XMLElement* e = root->FirstChildElement(name);
    if (e && e->Attribute("ID"))
        field = xmltext::Attribute(e, "ID", CSettings::kMaxNameLength);
}

void ReadVolume(const XMLElement* root, int& volume)
{
    const XMLElement* e = root->FirstChildElement("SoundVolume");
    int64_t value = volume;
    if (e && e->QueryInt64Attribute("ID", &value) == tinyxml2::XML_SUCCESS)
        volume = static_cast<int>(std::clamp<int64_t>(value, 0, CSettings::kVolumeMax));
}

// A stored rectangle is taken only when it can be a window on some screen: left and top not
// below kMinWindowPos (Windows parks minimised windows at -32000), a positive size, and right
// and bottom within 32 bits. Anything else keeps the current rectangle.
void ReadWindow(const XMLElement* root, CSettings::WinRect& rect)
{
    const XMLElement* e = root->FirstChildElement("WinPosition");
    if (!e)
        return;
    int64_t left = rect.left;
    int64_t top = rect.top;
    int64_t width = rect.Width();
    int64_t height = rect.Height();
    e->QueryInt64Attribute("Left", &left);
    e->QueryInt64Attribute("Top", &top);
    e->QueryInt64Attribute("Width", &width);
    e->QueryInt64Attribute("Height", &height);
    constexpr int64_t kMax = std::numeric_limits<int>::max();
    if (left < CSettings::kMinWindowPos || top < CSettings::kMinWindowPos)
        return;
    if (width <= 0 || height <= 0 || width > kMax || height > kMax)
        return;
    if (left > kMax - width || top > kMax - height)
        return;
    rect = { static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
        static_cast<int>(top + height) };
}

void ReadNode(const XMLElement* root, CSettings::LibraryNode& node)
{
    const XMLElement* library = root->FirstChildElement("Library");
    if (!library)
        return;
    if (const XMLElement* e = library->FirstChildElement("Node1")) {
        e->QueryIntAttribute("This", &node.node1This);
        e->QueryIntAttribute("Type", &node.node1Type);
    }
    if (const XMLElement* e = library->FirstChildElement("Node2")) {
        e->QueryIntAttribute("This", &node.node2This);
        node.node2String = xmltext::Attribute(e, "String");
    }
    if (const XMLElement* e = library->FirstChildElement("Node3")) {
        e->QueryIntAttribute("This", &node.node3This);
        node.node3Artist = xmltext::Attribute(e, "Artist");
        node.node3Album = xmltext::Attribute(e, "Album");
    }
}

XMLElement* AddChild(tinyxml2::XMLNode* parent, const char* name)
{
    XMLElement* e = parent->GetDocument()->NewElement(name);
    parent->InsertEndChild(e);
    return e;
}

void AddId(XMLElement* root, const char* name, int value)
{
    AddChild(root, name)->SetAttribute("ID", value);
}

void AddId(XMLElement* root, const char* name, const QString& value)
{
    xmltext::SetAttribute(AddChild(root, name), "ID", value);
}

void AddNode(XMLElement* root, const CSettings::LibraryNode& node)
{
    XMLElement* library = AddChild(root, "Library");
    XMLElement* n1 = AddChild(library, "Node1");
    n1->SetAttribute("This", node.node1This);
    n1->SetAttribute("Type", node.node1Type);
    XMLElement* n2 = AddChild(library, "Node2");
    n2->SetAttribute("This", node.node2This);
    xmltext::SetAttribute(n2, "String", node.node2String);
    XMLElement* n3 = AddChild(library, "Node3");
    n3->SetAttribute("This", node.node3This);
    xmltext::SetAttribute(n3, "Artist", node.node3Artist);
    xmltext::SetAttribute(n3, "Album", node.node3Album);
}

QString FilePath(const QString& folder)
{
    return QDir(folder).filePath(QString::fromLatin1(CSettings::kFileName));
}

} // namespace

CSettings::CSettings()
    : m_language(QStringLiteral("English"))
    , m_skin(QStringLiteral("Default"))
    , m_defaultLanguage(QStringLiteral("English"))
    , m_defaultSkin(QStringLiteral("Default"))
{
}

void CSettings::SetVolume(int volume)
{
    m_volume = std::clamp(volume, 0, kVolumeMax);
}

void CSettings::SetReplayGain(int mode)
{
    m_replayGain = std::clamp(mode, 0, 3);
}

void CSettings::SetReplayGainPreamp(int hundredths)
{
    m_replayGainPreamp = std::clamp(hundredths, -kMaxGainHundredths, kMaxGainHundredths);
}

void CSettings::SetReplayGainUntagged(int hundredths)
{
    m_replayGainUntagged = std::clamp(hundredths, -kMaxGainHundredths, kMaxGainHundredths);
}

bool CSettings::Load(const QString& folder)
{
    m_profileFolder = folder;
    if (folder.isEmpty())
        return false;
    QByteArray bytes;
    const safefile::ReadStatus status = safefile::Read(FilePath(folder), kMaxFileSize, bytes);
    if (status == safefile::ReadStatus::Missing) {
        m_firstRun = 1;
        return false;
    }
    tinyxml2::XMLDocument doc;
    if (status != safefile::ReadStatus::Ok
        || !xmllimits::Parse(doc, bytes))
        return false;
    const XMLElement* root = doc.FirstChildElement("Settings");
    if (!root)
        return true;
    ReadName(root, "Language", m_language);
    ReadName(root, "Skin", m_skin);
    ReadWindow(root, m_window);
    ReadVolume(root, m_volume);
    ReadId(root, "SoundMute", m_mute);
    ReadId(root, "Repeat", m_repeat);
    ReadId(root, "Shuffle", m_shuffle);
    ReadId(root, "HideInTray", m_hideInTray);
    ReadId(root, "LastFM", m_lastFm);
    ReadId(root, "TimeRemaining", m_timeRemaining);
    ReadId(root, "ReplayGain", m_replayGain);
    SetReplayGain(m_replayGain);
    ReadId(root, "ReplayGainPreamp", m_replayGainPreamp);
    SetReplayGainPreamp(m_replayGainPreamp);
    ReadId(root, "ReplayGainUntagged", m_replayGainUntagged);
    SetReplayGainUntagged(m_replayGainUntagged);
    ReadId(root, "PreventClipping", m_preventClipping);
    SetPreventClipping(m_preventClipping);
    ReadId(root, "ListenBrainz", m_listenBrainz);
    ReadName(root, "ListenBrainzServer", m_listenBrainzServer);
    ReadId(root, "RadioDirectory", m_radioDirectory);
    SetRadioDirectory(m_radioDirectory);
    ReadName(root, "RadioDeveloperID", m_radioDeveloperId);
    ReadId(root, "WatchFolders", m_watchFolders);
    SetWatchFolders(m_watchFolders);
    ReadNode(root, m_node);
    return true;
}

QByteArray CSettings::ToXml() const
{
    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration()); // version "1.0", encoding "UTF-8"
    XMLElement* root = AddChild(&doc, "Settings");
    AddChild(root, "Version")->SetAttribute("ID", kFileVersion);
    AddChild(root, "DBVersion")->SetAttribute("ID", kDbVersion);
    AddId(root, "Language", m_language);
    AddId(root, "Skin", m_skin);
    XMLElement* win = AddChild(root, "WinPosition");
    win->SetAttribute("Left", m_window.left);
    win->SetAttribute("Top", m_window.top);
    win->SetAttribute("Width", m_window.Width());
    win->SetAttribute("Height", m_window.Height());
    AddId(root, "SoundVolume", m_volume);
    AddId(root, "SoundMute", m_mute);
    AddId(root, "Repeat", m_repeat);
    AddId(root, "Shuffle", m_shuffle);
    AddId(root, "HideInTray", m_hideInTray);
    AddId(root, "LastFM", m_lastFm);
    AddId(root, "TimeRemaining", m_timeRemaining);
    AddId(root, "ReplayGain", m_replayGain);
    AddId(root, "ReplayGainPreamp", m_replayGainPreamp);
    AddId(root, "ReplayGainUntagged", m_replayGainUntagged);
    AddId(root, "PreventClipping", m_preventClipping);
    AddId(root, "ListenBrainz", m_listenBrainz);
    if (!m_listenBrainzServer.isEmpty())
        AddId(root, "ListenBrainzServer", m_listenBrainzServer);
    AddId(root, "RadioDirectory", m_radioDirectory);
    AddId(root, "RadioDeveloperID", m_radioDeveloperId);
    AddId(root, "WatchFolders", m_watchFolders);
    AddNode(root, m_node);
    return xmltext::Print(doc);
}

bool CSettings::Save(const QString& folder) const
{
    if (folder.isEmpty())
        return false;
    return safefile::WriteReplacing(FilePath(folder), ToXml());
}
