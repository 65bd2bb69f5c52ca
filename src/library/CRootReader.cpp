// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CRootReader.h"

#include "CTextPool.h"
#include "Sqlite.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

std::string_view Bytes(sqlite3_stmt* stmt, int col)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
    return text != nullptr
        ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, col)))
        : std::string_view();
}

// Interns the text in column col of the current row into pool; -1 for NULL, -2 for a value
// of another type.
int InternText(sqlite3_stmt* stmt, int col, CTextPool& pool, int* last)
{
    const int type = sqlite3_column_type(stmt, col);
    if (type == SQLITE_NULL) {
        return -1;
    }
    if (type != SQLITE_TEXT) {
        return -2;
    }
    return pool.Intern(Bytes(stmt, col), last);
}

// For each rank the first text of the pool that has it.
std::vector<int> FirstOfEachRank(const std::vector<int>& ranks)
{
    const int count = ranks.empty() ? 0 : *std::max_element(ranks.begin(), ranks.end()) + 1;
    std::vector<int> first(static_cast<std::size_t>(count), -1);
    for (std::size_t i = 0; i < ranks.size(); ++i) {
        int& slot = first[static_cast<std::size_t>(ranks[i])];
        if (slot < 0) {
            slot = static_cast<int>(i);
        }
    }
    return first;
}

} // namespace

bool CRootReader::Values(Column column, std::vector<QString>& values, bool* sawNull)
{
    SqliteStmt stmt(m_db,
        column == Column::Artist ? "SELECT artist FROM library;" : "SELECT genre FROM library;");
    CTextPool pool;
    int last = -1;
    *sawNull = false;
    while (stmt.Step()) {
        const int text = InternText(stmt.Get(), 0, pool, &last);
        if (text == -2) {
            return false;
        }
        *sawNull = *sawNull || text == -1;
    }
    for (const int text : FirstOfEachRank(pool.Ranks(m_collation))) {
        values.push_back(pool.Text(text));
    }
    return true;
}

bool CRootReader::Years(std::vector<QString>& years, bool* sawNull)
{
    SqliteStmt stmt(m_db, "SELECT year FROM library;");
    std::unordered_set<std::int64_t> seen;
    *sawNull = false;
    sqlite3_stmt* s = stmt.Get();
    std::int64_t last = 0;
    bool haveLast = false;
    while (stmt.Step()) {
        const int type = sqlite3_column_type(s, 0);
        if (type == SQLITE_NULL) {
            *sawNull = true;
            continue;
        }
        if (type != SQLITE_INTEGER) {
            return false;
        }
        const std::int64_t year = sqlite3_column_int64(s, 0);
        if (!haveLast || year != last) {
            seen.insert(year);
            last = year;
            haveLast = true;
        }
    }
    std::vector<std::int64_t> sorted(seen.begin(), seen.end());
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    for (const std::int64_t year : sorted) {
        years.push_back(QString::number(year));
    }
    return true;
}

bool CRootReader::Albums(std::vector<Album>& albums, bool* sawNull)
{
    SqliteStmt stmt(m_db, "SELECT artist,album FROM library;");
    CTextPool pool;
    // Each distinct pair of pool indices, artist first (-1 for NULL), in the order first met.
    std::unordered_set<std::uint64_t> seen;
    std::vector<std::pair<int, int>> pairs;
    int lastArtist = -1;
    int lastAlbum = -1;
    std::uint64_t lastKey = ~std::uint64_t { 0 };
    *sawNull = false;
    while (stmt.Step()) {
        const int artist = InternText(stmt.Get(), 0, pool, &lastArtist);
        const int album = InternText(stmt.Get(), 1, pool, &lastAlbum);
        if (artist == -2 || album == -2) {
            return false;
        }
        if (album == -1) {
            *sawNull = true;
            continue;
        }
        const std::uint64_t key
            = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(artist)) << 32)
            | static_cast<std::uint32_t>(album);
        // An album's tracks mostly lie together in the file: only a change of pair is looked up.
        if (key != lastKey && seen.insert(key).second) {
            pairs.emplace_back(artist, album);
        }
        lastKey = key;
    }
    const std::vector<int> ranks = pool.Ranks(m_collation);
    const auto rankOf
        = [&ranks](int text) { return text < 0 ? -1 : ranks[static_cast<std::size_t>(text)]; };
    // The first pair met of each group, keyed by the album's rank and then the artist's.
    std::unordered_map<std::uint64_t, std::size_t> groups;
    std::vector<std::pair<std::uint64_t, std::size_t>> order;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const std::uint64_t key
            = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(rankOf(pairs[i].second)))
                  << 32)
            | static_cast<std::uint32_t>(rankOf(pairs[i].first) + 1);
        if (groups.emplace(key, i).second) {
            order.emplace_back(key, i);
        }
    }
    std::sort(order.begin(), order.end());
    for (const auto& [key, pair] : order) {
        const auto [artist, album] = pairs[pair];
        albums.push_back({ artist < 0 ? QString() : pool.Text(artist), pool.Text(album) });
    }
    return true;
}
