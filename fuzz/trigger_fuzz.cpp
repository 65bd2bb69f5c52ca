// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A trigger file through the trigger loader, then applied to panels with identifiers 0 to 3.
#include "CSkinPanel.h"
#include "CTrigger.h"
#include "FuzzSupport.h"

#include <tinyxml2.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz::Folder() + QStringLiteral("/Trigger.xml");
    fuzz::WriteInput(path, data, size);
    CTrigger trigger;
    if (!trigger.Load(path))
        return 0;
    SkinPanels panels;
    tinyxml2::XMLDocument doc;
    doc.Parse("<Panel ID='0'/><Panel ID='1'/><Panel ID='2' Hide='1'/><Panel ID='3'/><Panel ID='2'/>");
    for (const tinyxml2::XMLElement* e = doc.FirstChildElement(); e; e = e->NextSiblingElement()) {
        panels.push_back(std::make_unique<CSkinPanel>());
        panels.back()->Load(QString(), e, SkinControlFactory(), 1.0);
    }
    trigger.Apply(panels);
    return 0;
}
