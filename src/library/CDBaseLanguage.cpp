// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Kept apart from CDBase.cpp so that code using the database without a language table (tools,
// tests with fixed labels) does not need the language module's implementation to link.
#include "CDBase.h"

void CDBase::SetLanguage(const CLanguage* language)
{
    if (language == nullptr) {
        m_lines = nullptr;
        return;
    }
    m_lines = [language](LangSection section, int index) {
        return language->Line(section, index);
    };
}
