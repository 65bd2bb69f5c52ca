// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CHotKey.h"

#include "SafeFile.h"
#include "VirtualKey.h"
#include "XmlLimits.h"
#include "XmlText.h"

#include <QDir>

#include <tinyxml2.h>

#include <cstdint>
#include <limits>

namespace {

constexpr char kFileName[] = "HotKey.xml";

int Bit(int value)
{
    return value != 0 ? 1 : 0;
}

// TinyXML-2 reads an int with sscanf, which wraps numbers beyond int into unrelated codes;
// read wide and refuse what does not fit.
int IntAttribute(const tinyxml2::XMLElement* element, const char* name)
{
    int64_t value = 0;
    if (element->QueryInt64Attribute(name, &value) != tinyxml2::XML_SUCCESS
        || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(value);
}

} // namespace

void CHotKey::SetProfileFolder(const QString& folder)
{
    m_profileFolder = folder;
}

QString CHotKey::FilePath() const
{
    return QDir(m_profileFolder).filePath(QString::fromLatin1(kFileName));
}

std::vector<CHotKey::structKey> CHotKey::DefaultKeys()
{
    return {
        {ActionPlayPause, vkey::kMediaPlayPause, 0, 0, 0},
        {ActionStop, vkey::kMediaStop, 0, 0, 0},
        {ActionNext, vkey::kMediaNext, 0, 0, 0},
        {ActionPrevious, vkey::kMediaPrev, 0, 0, 0},
        {ActionMute, vkey::kVolumeMute, 0, 0, 0},
        {ActionVolumeUp, vkey::kVolumeUp, 0, 0, 0},
        {ActionVolumeDown, vkey::kVolumeDown, 0, 0, 0},
    };
}

bool CHotKey::Load()
{
    m_keys.clear();
    QByteArray bytes;
    const safefile::ReadStatus status = safefile::Read(FilePath(), xmllimits::kMaxFileBytes, bytes);
    if (status == safefile::ReadStatus::Missing || status == safefile::ReadStatus::Unreadable) {
        m_keys = DefaultKeys();
        return true;
    }
    tinyxml2::XMLDocument doc;
    if (status != safefile::ReadStatus::Ok || !xmllimits::Parse(doc, bytes))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("HotKey");
    if (root == nullptr)
        return true;
    for (const tinyxml2::XMLElement* key = root->FirstChildElement(); key != nullptr;
         key = key->NextSiblingElement()) {
        if (key->FindAttribute("Type") == nullptr)
            continue;
        if (static_cast<int>(m_keys.size()) >= kMaxKeys)
            break;
        m_keys.push_back({IntAttribute(key, "Type"), IntAttribute(key, "ID"),
            IntAttribute(key, "Ctrl"), IntAttribute(key, "Alt"), IntAttribute(key, "Shift")});
    }
    return true;
}

bool CHotKey::Save() const
{
    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration("xml version=\"1.0\" encoding=\"UTF-8\""));
    tinyxml2::XMLElement* root = doc.NewElement("HotKey");
    doc.InsertEndChild(root);
    for (const structKey& key : m_keys) {
        tinyxml2::XMLElement* element = doc.NewElement("Key");
        element->SetAttribute("Type", key.type);
        element->SetAttribute("ID", key.id);
        if (key.ctrl != 0)
            element->SetAttribute("Ctrl", 1);
        if (key.alt != 0)
            element->SetAttribute("Alt", key.alt);
        if (key.shift != 0)
            element->SetAttribute("Shift", key.shift);
        root->InsertEndChild(element);
    }
    return safefile::WriteReplacing(FilePath(), xmltext::Print(doc));
}

int CHotKey::Lookup(int ctrl, int key, int alt, int shift) const
{
    if (!m_enabled)
        return 0;
    for (const structKey& entry : m_keys) {
        if (entry.id == key && Bit(entry.ctrl) == Bit(ctrl) && Bit(entry.alt) == Bit(alt)
            && Bit(entry.shift) == Bit(shift))
            return entry.type;
    }
    return 0;
}

int CHotKey::LookupMessage(int key, int modifierBits) const
{
    return Lookup(modifierBits & kBitCtrl, key, modifierBits & kBitAlt, modifierBits & kBitShift);
}

bool CHotKey::RepeatsWhileHeld(int action)
{
    return action == ActionVolumeUp || action == ActionVolumeDown;
}

void CHotKey::Add(int type, int id, int ctrl, int alt, int shift)
{
    m_keys.push_back({type, id, Bit(ctrl), Bit(alt), Bit(shift)});
}

int CHotKey::Find(int type) const
{
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].type == type)
            return static_cast<int>(i);
    }
    return -1;
}
