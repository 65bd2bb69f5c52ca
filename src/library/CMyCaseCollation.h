// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

struct UCollator;
struct USet;

// The "MYCASE" collation: a case-insensitive, accent-aware comparison by the user's locale
// (an ICU collator at secondary strength). "ABBA" and "abba" are equal, "Émile" and "emile"
// are not.
//
// A GROUP BY over tens of thousands of rows compares the same few thousand values over and
// over, and a full collator call per comparison is several times slower than SQLite's NOCASE.
// So comparisons take one of two quick roads, both giving exactly the collator's answer:
// - texts are compared through a table of per-character primary ranks of ASCII, built from
//   the collator and used only after checking that the locale's rules make ASCII text a plain
//   sequence of single weights (no ASCII contractions or expansions, no numeric or case level,
//   one common secondary weight); the first difference between two ASCII characters decides,
//   unless a contraction could join a character read so far to non-ASCII text after it;
// - other texts are compared by their ICU sort keys, kept in a bounded cache with a small
//   direct-mapped front.
//
// Thread: one object serves one connection; SQLite calls it on whatever thread steps that
// connection's statements, one at a time, so no lock is taken.
class CMyCaseCollation {
public:
    // locale: an ICU locale id; null takes the process default. The POSIX locale ("C") has no
    // case-insensitive rules of its own, so it falls back to the root collation.
    explicit CMyCaseCollation(const char* locale = nullptr);
    ~CMyCaseCollation();
    CMyCaseCollation(const CMyCaseCollation&) = delete;
    CMyCaseCollation& operator=(const CMyCaseCollation&) = delete;

    // Registers "MYCASE" on db with this object as its state; the object must outlive db.
    // False when SQLite refuses or the collator could not be opened.
    bool Register(sqlite3* db);

    // Compares two UTF-8 texts of the given byte lengths. A text ends at its length or at an
    // embedded zero, whichever comes first; nothing beyond the length is read. Invalid UTF-8
    // compares as if each bad sequence were U+FFFD. <0, 0 or >0.
    int Compare(const char* a, int lenA, const char* b, int lenB);

    // The same comparison by full sort keys, never through the ASCII table (for tests).
    int CompareByKeys(std::string_view a, std::string_view b);

    // True when pure-ASCII texts take the rank table under this locale.
    bool HasAsciiTable();
    // Number of cached sort keys (for tests and tuning).
    std::size_t CacheSize() const { return m_cache.size(); }

    static constexpr std::size_t kMaxCachedKeys = 200000;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept;
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept { return a == b; }
    };
    struct CollatorCloser {
        void operator()(UCollator* c) const;
    };
    // A cached key and its first eight bytes as a number.
    struct KeyRef {
        std::uint64_t head = 0;
        const std::string* key = nullptr;
    };
    struct FrontSlot {
        std::string text;
        std::size_t hash = 0;
        KeyRef ref;
    };
    static constexpr std::size_t kFrontSlots = 16384;

    // The rank table is read from the collator on the first comparison: opening the library
    // (every start, every headless scan) then costs nothing when no query sorts.
    void EnsureAsciiTable();
    void BuildAsciiTable();
    bool ReadAsciiRules();
    bool NoteContraction(const USet* contractions, int32_t item);
    // Compares through the weight table; false (no answer) unless both texts are ASCII.
    bool CompareAscii(const char* a, std::size_t lenA, const char* b, std::size_t lenB,
                      int* result) const;
    KeyRef SortKey(std::string_view text);
    std::string MakeSortKey(std::string_view text) const;
    void ClearCache();
    static int Callback(void* self, int lenA, const void* a, int lenB, const void* b);

    std::unique_ptr<UCollator, CollatorCloser> m_collator;
    std::once_flag m_asciiOnce;
    bool m_asciiTable = false;
    // Entry of each byte: in the low byte the primary rank of an ASCII character (from 2 up)
    // or one of the values below; kStartBit marks a character that begins a contraction.
    static constexpr std::uint16_t kWeightIgnored = 0;
    static constexpr std::uint16_t kWeightEnd = 1; // the end of the text, or a zero byte
    static constexpr std::uint16_t kWeightNonAscii = 0xFF;
    static constexpr std::uint16_t kStartBit = 0x100;
    std::array<std::uint16_t, 256> m_entry{};
    // ASCII characters that begin a contraction with a non-ASCII one ("l" and a middle dot).
    std::array<bool, 128> m_contractionStart{};
    bool m_anyContractionStart = false;
    // Whether the first ASCII difference decides even when non-ASCII text follows it.
    bool m_earlyAnswer = false;
    std::unordered_map<std::string, std::string, Hash, Equal> m_cache;
    std::unique_ptr<FrontSlot[]> m_front;
};
