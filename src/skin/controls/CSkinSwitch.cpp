// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinSwitch.h"

#include "SkinXml.h"

#include <tinyxml2.h>

bool CSkinSwitch::LoadSkin(const QString& path)
{
    CSkinElement::LoadSkin(path);
    tinyxml2::XMLDocument doc;
    if (!skinxml::ReadDocument(path, doc))
        return false;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Switch");
    if (root == nullptr)
        return true;
    const QString folder = skinxml::FolderOf(path);
    m_looks.Load(root->FirstChildElement("State1"), folder, m_devicePixelRatio);
    m_looks2.Load(root->FirstChildElement("State2"), folder, m_devicePixelRatio);
    return true;
}

const SkinLooks& CSkinSwitch::CurrentLooks() const
{
    return m_state == 0 ? m_looks : m_looks2;
}
