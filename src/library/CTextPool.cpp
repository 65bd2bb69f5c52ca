// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTextPool.h"

#include "CMyCaseCollation.h"

#include <algorithm>
#include <functional>

namespace {

constexpr std::size_t kFirstSlots = 256;

std::uint32_t HashOf(std::string_view bytes)
{
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(bytes));
}

} // namespace

int CTextPool::Intern(std::string_view bytes)
{
    if (m_slots.empty()) {
        m_slots.resize(kFirstSlots);
    }
    const std::uint32_t hash = HashOf(bytes);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    for (; m_slots[at].text >= 0; at = (at + 1) & mask) {
        if (m_slots[at].hash == hash && Bytes(m_slots[at].text) == bytes) {
            return m_slots[at].text;
        }
    }
    const int index = static_cast<int>(m_texts.size());
    m_spans.push_back({ m_bytes.size(), bytes.size() });
    m_bytes.append(bytes);
    m_texts.push_back(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    m_slots[at] = { hash, index };
    if (m_texts.size() * 2 > m_slots.size()) {
        Grow();
    }
    return index;
}

void CTextPool::Grow()
{
    std::vector<Slot> slots(m_slots.size() * 2);
    const std::size_t mask = slots.size() - 1;
    for (const Slot& slot : m_slots) {
        if (slot.text < 0) {
            continue;
        }
        std::size_t at = slot.hash & mask;
        while (slots[at].text >= 0) {
            at = (at + 1) & mask;
        }
        slots[at] = slot;
    }
    m_slots.swap(slots);
}

std::vector<int> CTextPool::Ranks(CMyCaseCollation& collation) const
{
    // The sort compares views that sit beside their index, not indices that point to them.
    struct Entry {
        std::string_view bytes;
        int text = 0;
    };
    const auto compare = [&collation](const Entry& x, const Entry& y) {
        return collation.Compare(x.bytes.data(), static_cast<int>(x.bytes.size()),
            y.bytes.data(), static_cast<int>(y.bytes.size()));
    };
    std::vector<Entry> order(m_texts.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = { Bytes(static_cast<int>(i)), static_cast<int>(i) };
    }
    std::sort(order.begin(), order.end(),
        [&compare](const Entry& x, const Entry& y) { return compare(x, y) < 0; });
    std::vector<int> ranks(order.size());
    int rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && compare(order[i - 1], order[i]) != 0) {
            ++rank;
        }
        ranks[static_cast<std::size_t>(order[i].text)] = rank;
    }
    return ranks;
}
