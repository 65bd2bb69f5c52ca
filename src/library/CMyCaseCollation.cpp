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

// True when no byte of text[0, len) is 0x80 or above. A zero byte needs no special care:
// it is ASCII itself, and the text ending there is then ASCII too.
bool IsAscii(const char* text, std::size_t len)
{
    if (len >= 8) {
        std::uint64_t bits = Load8(text + len - 8); // overlaps the words below; reads nothing past
        for (std::size_t i = 0; i + 8 <= len; i += 8) {
            bits |= Load8(text + i);
        }
        return (bits & kHighBits) == 0;
    }
    unsigned char bits = 0;
    for (std::size_t i = 0; i < len; ++i) {
        bits |= static_cast<unsigned char>(text[i]);
    }
    return bits < 0x80;
}

// The first eight bytes of a sort key as a number, zero-padded: most comparisons end there.
std::uint64_t KeyHead(const std::string& key)
{
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        head = (head << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0U);
    }
    return head;
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
    EnsureAsciiTable();
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
    const KeyRef keyA = SortKey(a);
    const KeyRef keyB = SortKey(b);
    if (keyA.head != keyB.head) {
        return keyA.head < keyB.head ? -1 : 1;
    }
    return CompareKeys(*keyA.key, *keyB.key);
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
    // Contraction starts in the skipped prefix count for both texts.
    std::uint16_t startA = 0;
    for (std::size_t k = 0; k < i; ++k) {
        startA |= m_entry[static_cast<unsigned char>(a[k])];
    }
    startA &= kStartBit;
    std::uint16_t startB = startA;
    std::size_t j = i;
    for (;;) {
        std::uint16_t ea = kWeightEnd;
        for (; i < lenA && (ea = m_entry[static_cast<unsigned char>(a[i])]) == kWeightIgnored; ++i) {
        }
        ea = i < lenA ? ea : kWeightEnd;
        std::uint16_t eb = kWeightEnd;
        for (; j < lenB && (eb = m_entry[static_cast<unsigned char>(b[j])]) == kWeightIgnored; ++j) {
        }
        eb = j < lenB ? eb : kWeightEnd;
        startA |= ea & kStartBit;
        startB |= eb & kStartBit;
        const unsigned wa = ea & 0xFFU;
        const unsigned wb = eb & 0xFFU;
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
    // At this strength the first primary difference decides, whatever follows, as long as no
    // contraction could join a character read so far to non-ASCII text after it. Where the
    // rules leave that open, the rest of the text must be ASCII.
    const bool checkA = !m_earlyAnswer || startA != 0;
    const bool checkB = !m_earlyAnswer || startB != 0;
    return (!checkA || IsAscii(a + i, lenA - i)) && (!checkB || IsAscii(b + j, lenB - j));
}

bool CMyCaseCollation::ReadAsciiRules()
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
    m_earlyAnswer = true;
    const int32_t items = uset_getItemCount(contractions.get());
    for (int32_t i = 0; i < items; ++i) {
        if (!NoteContraction(contractions.get(), i)) {
            return false;
        }
    }
    return true;
}

bool CMyCaseCollation::NoteContraction(const USet* contractions, int32_t item)
{
    UErrorCode status = U_ZERO_ERROR;
    UChar32 start = 0;
    UChar32 end = 0;
    std::array<UChar, 64> text{};
    const int32_t length = uset_getItem(contractions, item, &start, &end, text.data(),
                                        static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status)) {
        return false;
    }
    if (length <= 0) {
        return true; // a range of single code points, not a contraction
    }
    const auto* first = static_cast<const UChar*>(text.data());
    // One made of ASCII alone ("aa" in Danish) rules the table out for all texts.
    if (std::all_of(first, first + length, [](UChar u) { return u < 0x80; })) {
        return false;
    }
    // One that starts with ASCII ("l" and a middle dot) makes that character's weight depend
    // on the non-ASCII text after it. One that starts with anything else can only change
    // weights from its own start on, and a comparison stops at the first non-ASCII character.
    if (first[0] < 0x80) {
        m_contractionStart[first[0]] = true;
        m_anyContractionStart = true;
    }
    return true;
}

void CMyCaseCollation::EnsureAsciiTable()
{
    std::call_once(m_asciiOnce, [this] { BuildAsciiTable(); });
}

bool CMyCaseCollation::HasAsciiTable()
{
    EnsureAsciiTable();
    return m_asciiTable;
}

void CMyCaseCollation::BuildAsciiTable()
{
    if (!m_collator || !ReadAsciiRules()) {
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
    m_entry.fill(kWeightNonAscii);
    m_entry[0] = kWeightEnd;
    for (int c = 1; c < 128; ++c) {
        m_entry[static_cast<std::size_t>(c)] = kWeightIgnored;
    }
    int rank = kWeightEnd;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto c = static_cast<std::size_t>(order[i]);
        if (i == 0 || primaries[c] != primaries[static_cast<std::size_t>(order[i - 1])]) {
            ++rank;
        }
        m_entry[c] = static_cast<std::uint16_t>(rank);
    }
    for (std::size_t c = 1; c < 128; ++c) {
        if (!m_contractionStart[c]) {
            continue;
        }
        // A contraction start that the collator ignores on its own would need look-ahead
        // past characters the comparison skips.
        if (m_entry[c] == kWeightIgnored) {
            m_earlyAnswer = false;
        } else {
            m_entry[c] |= kStartBit;
        }
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
    const std::size_t n = s.size();
    std::uint64_t h = n * kMul;
    const auto mix = [&h](std::uint64_t v) {
        h = (h ^ v) * kMul;
        h ^= h >> 32;
    };
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 <= n; i += 8) {
            mix(Load8(s.data() + i));
        }
        if (n % 8 != 0) {
            mix(Load8(s.data() + n - 8));
        }
    } else {
        std::uint64_t v = 0;
        // An empty view may have no data pointer at all, which memcpy must never be given.
        if (n > 0)
            std::memcpy(&v, s.data(), n);
        mix(v);
    }
    return static_cast<std::size_t>(h ^ (h >> 29));
}

CMyCaseCollation::KeyRef CMyCaseCollation::SortKey(std::string_view text)
{
    const std::size_t hash = Hash{}(text);
    FrontSlot& slot = m_front[hash & (kFrontSlots - 1)];
    if (slot.ref.key != nullptr && slot.hash == hash && slot.text == text) {
        return slot.ref;
    }
    const auto found = m_cache.find(text);
    // References into an unordered_map stay valid across insertions (only iterators do not).
    const std::string& key = found != m_cache.end()
        ? found->second
        : m_cache.emplace(std::string(text), MakeSortKey(text)).first->second;
    slot.text.assign(text);
    slot.hash = hash;
    slot.ref = {KeyHead(key), &key};
    return slot.ref;
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
