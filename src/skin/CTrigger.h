// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <memory>
#include <vector>

class CSkinPanel;

// The show/hide rules a generic button applies to the panels: one entry per child element of
// the trigger file's "Trigger" root, in file order. User-interface thread.
class CTrigger {
public:
    struct structEntry {
        int id = 0;    // panel identifier ("ID")
        int hide = 0;  // 0 shown, anything else hidden ("Hide")
        int sizeX = 0; // "SizeX", kept but not acted on
        int sizeY = 0; // "SizeY", kept but not acted on
    };

    // Reads the trigger file at path and appends its entries (attributes missing or not
    // integers read 0). False, nothing appended, when the file cannot be read or is not
    // well-formed XML; a document without a "Trigger" root appends nothing and is true.
    bool Load(const QString& path);

    const std::vector<structEntry>& GetEntries() const { return m_entries; }
    bool IsEmpty() const { return m_entries.empty(); }
    // The first entry for the panel identifier id, or nullptr: only the first one counts.
    const structEntry* FindEntry(int id) const;

    // For each panel, the first entry with the panel's identifier sets the panel's hidden flag
    // and that of every control in it; panels without an entry are left alone. The caller
    // repaints the window and shows or hides the companion windows.
    void Apply(std::vector<std::unique_ptr<CSkinPanel>>& panels) const;

private:
    std::vector<structEntry> m_entries;
};
