// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMyCaseCollation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr char kName[] = "MYCASE";

// The length of a text as the collation sees it: SQLite's length, cut at an embedded zero.
int EffectiveLength(const char* text, int len)
{
    if (text == nullptr || len <= 0) {
        return 0;
    }
    const void* zero = std::memchr(text, 0, static_cast<std::size_t>(len));
    return zero != nullptr ? static_cast<int>(static_cast<const char*>(zero) - text) : len;
}

// Sort keys end in a zero byte and never hold one before it, so byte order is key order.
int CompareKeys(const std::string& a, const std::string& b)
{
    const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0) {
        return c;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace

void CMyCaseCollation::CollatorCloser::operator()(UCollator* c) const
{
    ucol_close(c);
}

CMyCaseCollation::CMyCaseCollation(const char* locale)
{
    std::string id = locale != nullptr ? locale : uloc_getDefault();
    // ICU maps the C locale to en_US_POSIX, whose rules order by code point and so tell
    // upper from lower case at the first level; the root rules are the neutral choice.
    if (id == "en_US_POSIX" || id == "c" || id == "C" || id == "POSIX") {
        id.clear();
    }
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(id.c_str(), &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        return;
    }
    ucol_setStrength(collator, UCOL_SECONDARY);
    m_collator.reset(collator);
}

CMyCaseCollation::~CMyCaseCollation() = default;

bool CMyCaseCollation::Register(sqlite3* db)
{
    if (db == nullptr || !m_collator) {
        return false;
    }
    // UTF-8 on purpose: the stored texts are UTF-8, and a UTF-16 collation would make SQLite
    // convert both texts on every single comparison.
    return sqlite3_create_collation_v2(db, kName, SQLITE_UTF8, this, &Callback, nullptr)
        == SQLITE_OK;
}

int CMyCaseCollation::Callback(void* self, int lenA, const void* a, int lenB, const void* b)
{
    return static_cast<CMyCaseCollation*>(self)->Compare(static_cast<const char*>(a), lenA,
                                                         static_cast<const char*>(b), lenB);
}

int CMyCaseCollation::Compare(const char* a, int lenA, const char* b, int lenB)
{
    const std::string_view textA(a, static_cast<std::size_t>(EffectiveLength(a, lenA)));
    const std::string_view textB(b, static_cast<std::size_t>(EffectiveLength(b, lenB)));
    if (textA == textB) {
        return 0;
    }
    if (!m_collator) {
        return textA < textB ? -1 : 1;
    }
    // A full cache is emptied before both look-ups, so neither key can vanish while in use.
    if (m_cache.size() + 2 > kMaxCachedKeys) {
        m_cache.clear();
    }
    const std::string& keyA = SortKey(textA);
    const std::string& keyB = SortKey(textB);
    return CompareKeys(keyA, keyB);
}

std::size_t CMyCaseCollation::Hash::operator()(std::string_view s) const noexcept
{
    // FNV-1a: short texts, and cheaper than std::hash for them.
    std::size_t h = 14695981039346656037ULL;
    for (const char c : s) {
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return h;
}

const std::string& CMyCaseCollation::SortKey(std::string_view text)
{
    const auto found = m_cache.find(text);
    if (found != m_cache.end()) {
        return found->second;
    }
    // References into an unordered_map stay valid across insertions (only iterators do not).
    return m_cache.emplace(std::string(text), MakeSortKey(text)).first->second;
}

std::string CMyCaseCollation::MakeSortKey(std::string_view text) const
{
    std::vector<UChar> utf16(text.size() + 1);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(utf16.data(), static_cast<int32_t>(utf16.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        length = 0;
    }
    std::string key(static_cast<std::size_t>(length) * 4 + 16, '\0');
    auto* out = reinterpret_cast<uint8_t*>(key.data());
    int32_t needed = ucol_getSortKey(m_collator.get(), utf16.data(), length, out,
                                     static_cast<int32_t>(key.size()));
    if (needed > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<std::size_t>(needed));
        out = reinterpret_cast<uint8_t*>(key.data());
        needed = ucol_getSortKey(m_collator.get(), utf16.data(), length, out, needed);
    }
    // The key's own terminating zero is dropped; CompareKeys orders a prefix first.
    key.resize(needed > 0 ? static_cast<std::size_t>(needed - 1) : 0);
    return key;
}
