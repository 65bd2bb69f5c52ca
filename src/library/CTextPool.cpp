// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTextPool.h"

#include "CMyCaseCollation.h"

#include <algorithm>
#include <numeric>

int CTextPool::Intern(std::string_view bytes)
{
    const auto found = m_index.find(bytes);
    if (found != m_index.end()) {
        return found->second;
    }
    const std::string& stored = m_bytes.emplace_back(bytes);
    const int index = static_cast<int>(m_texts.size());
    m_texts.push_back(QString::fromUtf8(stored.data(), static_cast<qsizetype>(stored.size())));
    m_index.emplace(std::string_view(stored), index);
    return index;
}

std::vector<int> CTextPool::Ranks(CMyCaseCollation& collation) const
{
    const auto compare = [&](int a, int b) {
        const std::string& x = m_bytes[static_cast<std::size_t>(a)];
        const std::string& y = m_bytes[static_cast<std::size_t>(b)];
        return collation.Compare(
            x.data(), static_cast<int>(x.size()), y.data(), static_cast<int>(y.size()));
    };
    std::vector<int> order(m_texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });
    std::vector<int> ranks(order.size());
    int rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && compare(order[i - 1], order[i]) != 0) {
            ++rank;
        }
        ranks[static_cast<std::size_t>(order[i])] = rank;
    }
    return ranks;
}
