// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTrigger.h"

#include "SkinXml.h"

#include <tinyxml2.h>

bool CTrigger::Load(const QString& path)
{
    tinyxml2::XMLDocument doc;
    if (!skinxml::ReadDocument(path, doc))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Trigger");
    if (root == nullptr)
        return true;
    for (const tinyxml2::XMLElement* line = root->FirstChildElement(); line != nullptr;
         line = line->NextSiblingElement()) {
        structEntry entry;
        entry.id = skinxml::IntAttribute(line, "ID");
        entry.hide = skinxml::IntAttribute(line, "Hide");
        entry.sizeX = skinxml::IntAttribute(line, "SizeX");
        entry.sizeY = skinxml::IntAttribute(line, "SizeY");
        m_entries.push_back(entry);
    }
    return true;
}

const CTrigger::structEntry* CTrigger::FindEntry(int id) const
{
    for (const structEntry& entry : m_entries) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}
