// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTrigger.h"

#include "CSkinPanel.h"

void CTrigger::Apply(SkinPanels& panels) const
{
    // Entries naming no panel are ignored; panels without an entry stay as they are.
    for (const auto& panel : panels) {
        if (const structEntry* entry = FindEntry(panel->GetId()))
            panel->SetHidden(entry->hide != 0);
    }
}
