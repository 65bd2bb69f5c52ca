// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// "Library.xml" of a profile folder through the library folders loader.
#include "CLibraryFolders.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::WriteInput(fuzz::Folder() + QStringLiteral("/Library.xml"), data, size);
    CLibraryFolders folders;
    folders.Load(fuzz::Folder());
    return 0;
}
