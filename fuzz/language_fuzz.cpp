// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A language's "Main.xml" through the language loader, then every line of every section read.
#include "CLanguage.h"
#include "FuzzSupport.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString program = [] {
        QDir().mkpath(fuzz::Folder() + QStringLiteral("/Language/Fuzz"));
        return fuzz::Folder();
    }();
    fuzz::WriteInput(program + QStringLiteral("/Language/Fuzz/Main.xml"), data, size);
    CLanguage language;
    language.SetProgramFolder(program);
    if (!language.Load(QStringLiteral("Fuzz")))
        return 0;
    for (int s = 0; s < kLangSectionCount; ++s) {
        const auto section = static_cast<LangSection>(s);
        for (int i = 0; i <= language.LineCount(section); ++i)
            (void)language.Line(section, i);
    }
    return 0;
}
