// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

struct UCollator;

// The "MYCASE" collation: a case-insensitive, accent-aware comparison by the user's locale
// (an ICU collator at secondary strength). "ABBA" and "abba" are equal, "Émile" and "emile"
// are not.
//
// Comparisons are made on sort keys kept in a bounded cache, because a GROUP BY over tens of
// thousands of rows compares the same few thousand values over and over and a full collator
// call per comparison is several times slower than SQLite's own NOCASE.
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

    const std::string& SortKey(std::string_view text);
    std::string MakeSortKey(std::string_view text) const;
    static int Callback(void* self, int lenA, const void* a, int lenB, const void* b);

    std::unique_ptr<UCollator, CollatorCloser> m_collator;
    std::unordered_map<std::string, std::string, Hash, Equal> m_cache;
};
