// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CMyCaseCollation;

// The distinct texts of one library read, each kept once: its bytes for ranking and grouping,
// and the one QString every row or node showing it shares. A read of a quarter of a million
// tracks meets a few tens of thousands of artists and albums, so each is converted and ranked
// once, not once per row.
//
// The bytes of all texts sit end to end in one buffer and the index is a flat table of
// (hash, text) slots: a look-up then touches one slot and, on a hash match, the bytes, where
// a node-based map of a few tens of thousands of entries missed the cache two or three times.
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
        if (*last < 0 || Bytes(*last) != bytes) {
            *last = Intern(bytes);
        }
        return *last;
    }
    const QString& Text(int index) const { return m_texts[static_cast<std::size_t>(index)]; }
    int Size() const { return static_cast<int>(m_texts.size()); }

    // Rank of each text by the collation: equal texts share one, a smaller rank sorts first.
    std::vector<int> Ranks(CMyCaseCollation& collation) const;

private:
    struct Span {
        std::size_t offset = 0;
        std::size_t size = 0;
    };
    struct Slot {
        std::uint32_t hash = 0;
        int text = -1; // -1: empty
    };

    std::string_view Bytes(int index) const
    {
        const Span& span = m_spans[static_cast<std::size_t>(index)];
        return std::string_view(m_bytes).substr(span.offset, span.size);
    }
    void Grow();

    std::string m_bytes;
    std::vector<Span> m_spans;
    std::vector<QString> m_texts;
    std::vector<Slot> m_slots; // a power of two in size, at most half full
};
