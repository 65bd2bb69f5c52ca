// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMyCaseCollation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr char kName[] = "MYCASE";

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::uint64_t kLowBits = 0x0101010101010101ULL;

std::uint64_t Load8(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// A text as the collation sees it: SQLite's length, cut at an embedded zero.
std::string_view Measure(const char* text, std::size_t len)
{
    if (len == 0) {
        return {};
    }
    const void* zero = std::memchr(text, 0, len);
    return {text, zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - text)
                                  : len};
}

// True when the bytes up to len or to the first zero are all below 0x80. Never reads past len.
bool AsciiTail(const char* text, std::size_t len)
{
    std::size_t i = 0;
    for (; i + 8 <= len; i += 8) {
        const std::uint64_t v = Load8(text + i);
        if (((v - kLowBits) & ~v & kHighBits) != 0) {
            break;
        }
        if ((v & kHighBits) != 0) {
            return false;
        }
    }
    for (; i < len && text[i] != '\0'; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0x80) != 0) {
            return false;
        }
    }
    return true;
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
    m_front = std::make_unique<FrontSlot[]>(kFrontSlots);
    BuildAsciiTable();
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
    const std::size_t sizeA = a != nullptr && lenA > 0 ? static_cast<std::size_t>(lenA) : 0;
    const std::size_t sizeB = b != nullptr && lenB > 0 ? static_cast<std::size_t>(lenB) : 0;
    int result = 0;
    if (m_asciiTable && CompareAscii(a, sizeA, b, sizeB, &result)) {
        return result;
    }
    const std::string_view textA = Measure(a, sizeA);
    const std::string_view textB = Measure(b, sizeB);
    if (textA == textB) {
        return 0;
    }
    if (!m_collator) {
        return textA < textB ? -1 : 1;
    }
    return CompareByKeys(textA, textB);
}

int CMyCaseCollation::CompareByKeys(std::string_view a, std::string_view b)
{
    if (!m_collator) {
        return a.compare(b);
    }
    // A full cache is emptied before both look-ups, so neither key can vanish while in use.
    if (m_cache.size() + 2 > kMaxCachedKeys) {
        ClearCache();
    }
    const std::string& keyA = SortKey(a);
    const std::string& keyB = SortKey(b);
    return CompareKeys(keyA, keyB);
}

bool CMyCaseCollation::CompareAscii(const char* a, std::size_t lenA, const char* b,
                                    std::size_t lenB, int* result) const
{
    // Equal bytes have equal weights: skip the common prefix a word at a time while it holds
    // neither a zero nor a non-ASCII byte.
    std::size_t i = 0;
    const std::size_t common = std::min(lenA, lenB);
    for (; i + 8 <= common; i += 8) {
        const std::uint64_t v = Load8(a + i);
        if (v != Load8(b + i) || (v & kHighBits) != 0 || ((v - kLowBits) & ~v & kHighBits) != 0) {
            break;
        }
    }
    std::size_t j = i;
    const auto weight = [this](const char* text, std::size_t len, std::size_t& at) {
        std::uint8_t w = kWeightEnd;
        while (at < len && (w = m_weight[static_cast<unsigned char>(text[at])]) == kWeightIgnored) {
            ++at;
        }
        return at < len ? w : kWeightEnd;
    };
    for (;;) {
        const std::uint8_t wa = weight(a, lenA, i);
        const std::uint8_t wb = weight(b, lenB, j);
        if (wa == kWeightNonAscii || wb == kWeightNonAscii) {
            return false;
        }
        if (wa != wb) {
            *result = wa < wb ? -1 : 1;
            break;
        }
        if (wa == kWeightEnd) {
            *result = 0;
            return true;
        }
        ++i;
        ++j;
    }
    // The answer holds only if both texts are ASCII to their ends.
    return AsciiTail(a + i, lenA - i) && AsciiTail(b + j, lenB - j);
}

bool CMyCaseCollation::AsciiRulesAreSimple() const
{
    UErrorCode status = U_ZERO_ERROR;
    if (ucol_getAttribute(m_collator.get(), UCOL_NUMERIC_COLLATION, &status) != UCOL_OFF
        || ucol_getAttribute(m_collator.get(), UCOL_CASE_LEVEL, &status) != UCOL_OFF
        || U_FAILURE(status)) {
        return false;
    }
    std::unique_ptr<USet, decltype(&uset_close)> contractions(uset_openEmpty(), &uset_close);
    std::unique_ptr<USet, decltype(&uset_close)> expansions(uset_openEmpty(), &uset_close);
    ucol_getContractionsAndExpansions(m_collator.get(), contractions.get(), expansions.get(),
                                      true, &status);
    if (U_FAILURE(status)) {
        return false;
    }
    for (UChar32 c = 1; c < 0x80; ++c) {
        if (uset_contains(expansions.get(), c)) {
            return false;
        }
    }
    // A contraction matters only when all of it can occur in ASCII text.
    const int32_t items = uset_getItemCount(contractions.get());
    for (int32_t i = 0; i < items; ++i) {
        UChar32 start = 0;
        UChar32 end = 0;
        std::array<UChar, 64> text{};
        const int32_t length = uset_getItem(contractions.get(), i, &start, &end, text.data(),
                                            static_cast<int32_t>(text.size()), &status);
        const UChar* last = text.data() + std::min<int32_t>(std::max(length, 0), 64);
        if (length > 0 && std::all_of(static_cast<const UChar*>(text.data()), last, [](UChar u) { return u < 0x80; })) {
            return false;
        }
        status = U_ZERO_ERROR;
    }
    return true;
}

void CMyCaseCollation::BuildAsciiTable()
{
    if (!m_collator || !AsciiRulesAreSimple()) {
        return;
    }
    // Each character's key is its primary weight, a level separator (01) and its secondary
    // weight. Usable only when every non-ignorable character has the same secondary weight.
    std::array<std::string, 128> primaries;
    std::string secondary;
    bool haveSecondary = false;
    for (int c = 1; c < 128; ++c) {
        const std::string key = MakeSortKey(std::string(1, static_cast<char>(c)));
        const std::size_t separator = key.find('\x01');
        if (separator == std::string::npos) {
            return;
        }
        const std::string rest = key.substr(separator + 1);
        primaries[static_cast<std::size_t>(c)] = key.substr(0, separator);
        if (primaries[static_cast<std::size_t>(c)].empty()) {
            if (!rest.empty()) {
                return;
            }
        } else if (!haveSecondary) {
            secondary = rest;
            haveSecondary = true;
        } else if (rest != secondary) {
            return;
        }
    }
    std::vector<int> order;
    for (int c = 1; c < 128; ++c) {
        if (!primaries[static_cast<std::size_t>(c)].empty()) {
            order.push_back(c);
        }
    }
    std::sort(order.begin(), order.end(), [&primaries](int x, int y) {
        return primaries[static_cast<std::size_t>(x)] < primaries[static_cast<std::size_t>(y)];
    });
    m_weight.fill(kWeightNonAscii);
    m_weight[0] = kWeightEnd;
    for (int c = 1; c < 128; ++c) {
        m_weight[static_cast<std::size_t>(c)] = kWeightIgnored;
    }
    int rank = kWeightEnd;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto c = static_cast<std::size_t>(order[i]);
        if (i == 0 || primaries[c] != primaries[static_cast<std::size_t>(order[i - 1])]) {
            ++rank;
        }
        m_weight[c] = static_cast<std::uint8_t>(rank);
    }
    m_asciiTable = true;
}

void CMyCaseCollation::ClearCache()
{
    for (std::size_t i = 0; i < kFrontSlots; ++i) {
        m_front[i] = FrontSlot{};
    }
    m_cache.clear();
}

std::size_t CMyCaseCollation::Hash::operator()(std::string_view s) const noexcept
{
    // A word at a time with a multiply-xorshift mix: texts are short and this runs twice per
    // comparison, so a byte-serial hash would cost more than the look-up it serves.
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = s.size() * kMul;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        h = (h ^ Load8(s.data() + i)) * kMul;
        h ^= h >> 32;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, s.data() + i, s.size() - i);
    h = (h ^ tail) * kMul;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

const std::string& CMyCaseCollation::SortKey(std::string_view text)
{
    FrontSlot& slot = m_front[Hash{}(text) & (kFrontSlots - 1)];
    if (slot.key != nullptr && slot.text == text) {
        return *slot.key;
    }
    const auto found = m_cache.find(text);
    // References into an unordered_map stay valid across insertions (only iterators do not).
    const std::string& key = found != m_cache.end()
        ? found->second
        : m_cache.emplace(std::string(text), MakeSortKey(text)).first->second;
    slot.text.assign(text);
    slot.key = &key;
    return key;
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
