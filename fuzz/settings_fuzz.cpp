// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// "Settings.xml" of a profile folder through the settings loader, then turned back into the document a save writes.
#include "CSettings.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzz::Folder();
    fuzz::WriteInput(folder + QStringLiteral("/Settings.xml"), data, size);
    CSettings settings;
    if (settings.Load(folder))
        (void)settings.ToXml();
    return 0;
}
