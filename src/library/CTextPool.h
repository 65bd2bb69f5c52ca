// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CMyCaseCollation;

// The distinct texts of one library read, each kept once: its bytes for ranking and grouping,
// and the one QString every row or node showing it shares. A read of a quarter of a million
// tracks meets a few tens of thousands of artists and albums, so each is converted and ranked
// once, not once per row.
//
// Thread: any, one at a time.
class CTextPool {
public:
    // Index of the text with these bytes, added when new.
    int Intern(std::string_view bytes);
    // The same, for consecutive rows that mostly repeat the previous row's text: *last holds
    // the index of that text (-1 for none) and is updated.
    int Intern(std::string_view bytes, int* last)
    {
        if (*last < 0 || m_bytes[static_cast<std::size_t>(*last)] != bytes) {
            *last = Intern(bytes);
        }
        return *last;
    }
    const QString& Text(int index) const { return m_texts[static_cast<std::size_t>(index)]; }
    int Size() const { return static_cast<int>(m_texts.size()); }

    // Rank of each text by the collation: equal texts share one, a smaller rank sorts first.
    std::vector<int> Ranks(CMyCaseCollation& collation) const;

private:
    // A deque never moves its strings, so the views in the index stay valid.
    std::deque<std::string> m_bytes;
    std::vector<QString> m_texts;
    std::unordered_map<std::string_view, int> m_index;
};
