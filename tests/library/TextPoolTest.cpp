// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMyCaseCollation.h"
#include "CTextPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// Texts a library holds, and some it should: empty, long, non-Latin, a zero byte inside,
// prefixes of each other and the same letters in another case.
std::vector<std::string> SampleTexts()
{
    std::vector<std::string> texts = { "", "a", "A", "ab", "abc", "ABC", "Émile", "emile",
        "周杰伦", "Άλφα", "Straße", std::string("nul\0inside", 10), std::string(300, 'x'),
        std::string(301, 'x') };
    // Enough more that the index grows several times over.
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        std::string text = "Artist " + std::to_string(rng() % 3000);
        text += i % 2 == 0 ? " Live" : "";
        texts.push_back(text);
    }
    return texts;
}

TEST(TextPoolTest, EachDistinctTextGetsOneIndexAndItsOwnString)
{
    const std::vector<std::string> texts = SampleTexts();
    CTextPool pool;
    std::map<std::string, int> seen;
    int last = -1;
    for (int round = 0; round < 2; ++round) {
        for (const std::string& text : texts) {
            const int index = pool.Intern(text);
            const auto [it, added] = seen.emplace(text, index);
            ASSERT_EQ(it->second, index) << text;
            // The shortcut for a repeated text agrees with the full look-up, whether the
            // previous row's text was this one or another.
            EXPECT_EQ(pool.Intern(text, &last), index) << text;
            EXPECT_EQ(pool.Intern(text, &last), index) << text;
        }
    }
    ASSERT_EQ(pool.Size(), static_cast<int>(seen.size()));
    for (const auto& [text, index] : seen) {
        EXPECT_EQ(pool.Text(index),
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())))
            << text;
    }
}

TEST(TextPoolTest, RanksOrderAndGroupTextsAsTheCollationCompares)
{
    CMyCaseCollation collation("en_US");
    std::vector<std::string> texts = SampleTexts();
    texts.resize(400);
    CTextPool pool;
    std::vector<int> indices;
    for (const std::string& text : texts) {
        indices.push_back(pool.Intern(text));
    }
    const std::vector<int> ranks = pool.Ranks(collation);
    ASSERT_EQ(ranks.size(), static_cast<std::size_t>(pool.Size()));
    const auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = 0; j < texts.size(); ++j) {
            const std::string& a = texts[i];
            const std::string& b = texts[j];
            const int expected = sign(collation.Compare(
                a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size())));
            const int rankA = ranks[static_cast<std::size_t>(indices[i])];
            const int rankB = ranks[static_cast<std::size_t>(indices[j])];
            ASSERT_EQ(sign(rankA - rankB), expected) << a << " / " << b;
        }
    }
}

} // namespace
