// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CListReader.h"

#include "CDBase.h"
#include "CMyCaseCollation.h"
#include "CTextPool.h"
#include "ListRowTexts.h"
#include "Sqlite.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace {

// Columns of every track list statement.
enum Column : int {
    kId = 0,
    kFile = 1,
    kNumber = 2,
    kTitle = 3,
    kArtist = 4,
    kAlbum = 5,
    kYear = 6,
    kGenre = 7,
    kTime = 8,
    kRating = 9,
};
constexpr int kColumns = 10;

constexpr std::string_view kOrderBy = " ORDER BY ";
constexpr std::string_view kByArtist = "artist COLLATE MYCASE,album COLLATE MYCASE,number;";
constexpr std::string_view kByYear = "year DESC,album COLLATE MYCASE,number;";
constexpr std::string_view kByNumber = "number;";

std::string_view Bytes(sqlite3_stmt* stmt, int col)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
    return text != nullptr
        ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, col)))
        : std::string_view();
}

// The text of a value known to be text.
std::string_view TextOf(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

// The text of a value; nothing for NULL.
std::optional<std::string_view> OptionalBytes(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

// Holds the connection's own mutex for a whole read. Every sqlite3_column_* call takes it
// otherwise, some millions of times for a quarter of a million rows; taken once, each call
// finds it held by its own thread. Another thread that shares the connection (a library update
// on the window's connection) waits for the read instead of slipping in between its calls. A
// connection opened without a mutex (the fill worker's) has none, and this does nothing; so
// does a closed one, which the statement then reports.
class ConnectionLock {
public:
    explicit ConnectionLock(sqlite3* db)
        : m_mutex(db != nullptr ? sqlite3_db_mutex(db) : nullptr)
    {
        sqlite3_mutex_enter(m_mutex);
    }
    ~ConnectionLock() { sqlite3_mutex_leave(m_mutex); }
    ConnectionLock(const ConnectionLock&) = delete;
    ConnectionLock& operator=(const ConnectionLock&) = delete;

private:
    sqlite3_mutex* m_mutex;
};

bool IsTextOrNull(int type)
{
    return type == SQLITE_TEXT || type == SQLITE_NULL;
}

bool IsIntegerOrNull(int type)
{
    return type == SQLITE_INTEGER || type == SQLITE_NULL;
}

bool Has(const std::vector<int>& kinds, std::initializer_list<int> wanted)
{
    return std::any_of(kinds.begin(), kinds.end(), [wanted](int kind) {
        return std::find(wanted.begin(), wanted.end(), kind) != wanted.end();
    });
}

// Which texts the shape shows; the others are never made.
struct Wanted {
    bool title = false;
    bool number = false;
    bool year = false;
    bool genre = false;
    bool time = false;

    explicit Wanted(const ListShape& shape)
    {
        const auto& head = shape.headKinds;
        const auto& song = shape.songKinds;
        title = Has(song, { static_cast<int>(ListSlot::Title), kKindArtistTitle });
        number = Has(song, { static_cast<int>(ListSlot::Number) });
        year = Has(head, { static_cast<int>(ListSlot::Year) })
            || Has(song, { static_cast<int>(ListSlot::Year) });
        genre = Has(head, { static_cast<int>(ListSlot::Genre) })
            || Has(song, { static_cast<int>(ListSlot::Genre) });
        time = Has(song, { static_cast<int>(ListSlot::Time) });
    }
};

// Decimal and duration texts, made once per value: a list repeats a few hundred of them.
class NumberTexts {
public:
    const QString& Decimal(std::int64_t value)
    {
        auto [it, added] = m_decimal.try_emplace(value);
        if (added) {
            it->second = QString::number(value);
        }
        return it->second;
    }
    const QString& Duration(int seconds)
    {
        auto [it, added] = m_duration.try_emplace(seconds);
        if (added) {
            it->second = CDBase::DurationText(seconds);
        }
        return it->second;
    }

private:
    std::unordered_map<std::int64_t, QString> m_decimal;
    std::unordered_map<int, QString> m_duration;
};

// One row of an unordered read, with its texts shared through the pool.
struct Track {
    QString file;
    QString title;
    std::int64_t number = 0;
    std::int64_t year = 0;
    int id = 0;
    int artist = -1; // pool index; -1 for NULL
    int album = -1;
    int genre = -1;
    int time = 0;
    int stars = 0;
    bool hasNumber = false;
    bool hasYear = false;
    bool hasTime = false;
};

// The tracks of a read in blocks of a fixed size. One array for a quarter of a million of them
// would be copied from each doubled array into the next, every one a fresh mapping that the
// kernel clears page by page; blocks this size come from the heap and reuse what the read
// before left free.
class TrackStore {
public:
    Track& Add()
    {
        if (m_size % kBlock == 0) {
            m_blocks.push_back(std::make_unique<Track[]>(kBlock));
        }
        ++m_size;
        return (*this)[m_size - 1];
    }
    Track& operator[](std::size_t index) { return m_blocks[index / kBlock][index % kBlock]; }
    const Track& operator[](std::size_t index) const
    {
        return m_blocks[index / kBlock][index % kBlock];
    }
    std::size_t Size() const { return m_size; }

private:
    static constexpr std::size_t kBlock = 1024;
    std::vector<std::unique_ptr<Track[]>> m_blocks;
    std::size_t m_size = 0;
};

// The order of a statement's ORDER BY clause, and a sort key that reproduces it: packed so
// that most comparisons end at the first field (ranks stay below 2^31).
enum class Order : int { Unknown, ArtistAlbum, YearAlbum, Number };

struct SortKey {
    std::int64_t a = 0;
    std::int64_t b = 0;
    std::int64_t c = 0;
    std::int64_t d = 0;
    std::size_t track = 0;
};

SortKey KeyOf(const Track& t, std::size_t index, Order order, const std::vector<int>& ranks)
{
    const auto rankOf = [&ranks](int text) {
        return text < 0 ? std::int64_t { 0 }
                        : std::int64_t { ranks[static_cast<std::size_t>(text)] } + 1;
    };
    const std::int64_t hasNumber = t.hasNumber ? 1 : 0;
    switch (order) {
    case Order::ArtistAlbum:
        return { (rankOf(t.artist) << 32) | rankOf(t.album), hasNumber, t.number, t.id, index };
    case Order::YearAlbum:
        // Newest first: ~year reverses the order of every 64-bit value; NULL goes last.
        return { t.hasYear ? 0 : 1, t.hasYear ? ~t.year : 0, rankOf(t.album) * 2 + hasNumber,
            t.number, index };
    case Order::Number:
    case Order::Unknown:
        break;
    }
    return { hasNumber, t.number, 0, 0, index };
}

// Track indices in the statement's order; the id decides last, so rows equal in every sorted
// column keep a fixed order.
std::vector<SortKey> Sorted(
    const TrackStore& tracks, Order order, const std::vector<int>& ranks)
{
    std::vector<SortKey> keys;
    keys.reserve(tracks.Size());
    for (std::size_t i = 0; i < tracks.Size(); ++i) {
        keys.push_back(KeyOf(tracks[i], i, order, ranks));
    }
    std::sort(keys.begin(), keys.end(), [&tracks](const SortKey& x, const SortKey& y) {
        if (x.a != y.a) {
            return x.a < y.a;
        }
        if (x.b != y.b) {
            return x.b < y.b;
        }
        if (x.c != y.c) {
            return x.c < y.c;
        }
        if (x.d != y.d) {
            return x.d < y.d;
        }
        return tracks[x.track].id < tracks[y.track].id;
    });
    return keys;
}

Order OrderOf(std::string_view sql, std::string_view* unordered)
{
    const std::size_t at = sql.rfind(kOrderBy);
    if (at == std::string_view::npos) {
        return Order::Unknown;
    }
    *unordered = sql.substr(0, at);
    const std::string_view by = sql.substr(at + kOrderBy.size());
    if (by == kByArtist) {
        return Order::ArtistAlbum;
    }
    if (by == kByYear) {
        return Order::YearAlbum;
    }
    return by == kByNumber ? Order::Number : Order::Unknown;
}

// Reads every row of stmt into tracks; false as soon as a sorted column holds a value the
// ranks do not cover.
bool ReadTracks(SqliteStmt& stmt, const Wanted& wanted, CTextPool& pool, TrackStore& tracks)
{
    sqlite3_stmt* s = stmt.Get();
    int lastArtist = -1;
    int lastAlbum = -1;
    int lastGenre = -1;
    std::array<sqlite3_value*, kColumns> v {};
    while (stmt.Step()) {
        // Each column call checks the statement and enters the connection's mutex; a column's
        // value, read while the caller holds that mutex (or on a connection without one), is
        // asked about its type and contents directly.
        for (int col = 0; col < kColumns; ++col) {
            v[static_cast<std::size_t>(col)] = sqlite3_column_value(s, col);
        }
        const int artistType = sqlite3_value_type(v[kArtist]);
        const int albumType = sqlite3_value_type(v[kAlbum]);
        const int numberType = sqlite3_value_type(v[kNumber]);
        const int yearType = sqlite3_value_type(v[kYear]);
        if (!IsTextOrNull(artistType) || !IsTextOrNull(albumType) || !IsIntegerOrNull(numberType)
            || !IsIntegerOrNull(yearType)) {
            return false;
        }
        Track& t = tracks.Add();
        t.id = sqlite3_value_int(v[kId]);
        const std::optional<std::string_view> file = OptionalBytes(v[kFile]);
        if (file) {
            t.file = QString::fromUtf8(file->data(), static_cast<qsizetype>(file->size()));
        }
        if (wanted.title) {
            const std::optional<std::string_view> title = OptionalBytes(v[kTitle]);
            if (title) {
                t.title = QString::fromUtf8(title->data(), static_cast<qsizetype>(title->size()));
            }
        }
        t.artist = artistType == SQLITE_NULL ? -1 : pool.Intern(TextOf(v[kArtist]), &lastArtist);
        t.album = albumType == SQLITE_NULL ? -1 : pool.Intern(TextOf(v[kAlbum]), &lastAlbum);
        if (wanted.genre) {
            const std::optional<std::string_view> genre = OptionalBytes(v[kGenre]);
            t.genre = genre ? pool.Intern(*genre, &lastGenre) : -1;
        }
        t.hasNumber = numberType != SQLITE_NULL;
        t.number = t.hasNumber ? sqlite3_value_int64(v[kNumber]) : 0;
        t.hasYear = yearType != SQLITE_NULL;
        t.year = t.hasYear ? sqlite3_value_int64(v[kYear]) : 0;
        if (wanted.time) {
            t.hasTime = sqlite3_value_type(v[kTime]) != SQLITE_NULL;
            t.time = t.hasTime ? sqlite3_value_int(v[kTime]) : 0;
        }
        t.stars = std::clamp(sqlite3_value_int(v[kRating]) / 20, 0, 5);
    }
    return true;
}

// The columns of a track as a head's texts are made from them; only wanted texts are filled.
TrackColumns ColumnsOf(
    const Track& t, const CTextPool& pool, const Wanted& wanted, NumberTexts& numbers)
{
    TrackColumns c;
    c.id = t.id;
    c.file = t.file;
    c.title = t.title;
    c.artist = t.artist < 0 ? QString() : pool.Text(t.artist);
    c.album = t.album < 0 ? QString() : pool.Text(t.album);
    c.genre = t.genre < 0 ? QString() : pool.Text(t.genre);
    c.number = wanted.number && t.hasNumber ? numbers.Decimal(t.number) : QString();
    c.year = wanted.year && t.hasYear ? numbers.Decimal(t.year) : QString();
    c.time = wanted.time && t.hasTime ? numbers.Duration(t.time) : QString();
    c.stars = t.stars;
    return c;
}

// A song row's texts made straight from the track, as SongTexts makes them from its columns:
// a quarter of a million rows then build no columns they do not show.
void PutSongTexts(ListTexts& texts, Track& t, const CTextPool& pool,
    const std::vector<int>& kinds, NumberTexts& numbers)
{
    const auto pooled = [&pool](int text) { return text < 0 ? QString() : pool.Text(text); };
    const auto put = [&texts](ListSlot slot, QString text) {
        texts[static_cast<std::size_t>(slot)] = std::move(text);
    };
    for (const int kind : kinds) {
        switch (kind) {
        case static_cast<int>(ListSlot::Artist):
            put(ListSlot::Artist, pooled(t.artist));
            break;
        case static_cast<int>(ListSlot::Album):
            put(ListSlot::Album, pooled(t.album));
            break;
        case static_cast<int>(ListSlot::Title):
            put(ListSlot::Title, t.title);
            break;
        case static_cast<int>(ListSlot::Year):
            put(ListSlot::Year, t.hasYear ? numbers.Decimal(t.year) : QString());
            break;
        case static_cast<int>(ListSlot::Number):
            put(ListSlot::Number, t.hasNumber ? numbers.Decimal(t.number) : QString());
            break;
        case static_cast<int>(ListSlot::Time):
            put(ListSlot::Time, t.hasTime ? numbers.Duration(t.time) : QString());
            break;
        case static_cast<int>(ListSlot::Genre):
            put(ListSlot::Genre, pooled(t.genre));
            break;
        case kKindArtistTitle:
            put(ListSlot::Artist, pooled(t.artist));
            put(ListSlot::Title, t.title);
            break;
        default:
            break;
        }
    }
}

// Reads the statement without its ORDER BY and sorts by ranks; false, with rows untouched,
// when a sorted column holds a value the ranks do not cover.
bool ReadUnordered(sqlite3* db, CMyCaseCollation& collation, std::string_view sql,
    const QStringList& args, Order order, const ListShape& shape, std::vector<ListRow>& rows)
{
    const Wanted wanted(shape);
    CTextPool pool;
    const int empty = pool.Intern(std::string_view());
    TrackStore tracks;
    {
        // The statement and the lock go before the sort, so the file and the connection are
        // free for writers meanwhile.
        const ConnectionLock lock(db);
        SqliteStmt stmt(db, sql);
        stmt.BindTexts(args);
        if (!ReadTracks(stmt, wanted, pool, tracks)) {
            return false;
        }
    }
    const std::vector<int> ranks = pool.Ranks(collation);
    // A NULL artist or album groups with the empty text, as the list compares texts.
    const auto groupOf
        = [&](int text) { return ranks[static_cast<std::size_t>(text < 0 ? empty : text)]; };
    NumberTexts numbers;
    rows.reserve(tracks.Size() + tracks.Size() / 4);
    bool haveGroup = false;
    int groupArtist = 0;
    int groupAlbum = 0;
    for (const SortKey& key : Sorted(tracks, order, ranks)) {
        Track& t = tracks[key.track];
        const int artist = groupOf(t.artist);
        const int album = groupOf(t.album);
        if (!haveGroup || artist != groupArtist || album != groupAlbum) {
            haveGroup = true;
            groupArtist = artist;
            groupAlbum = album;
            const TrackColumns c = ColumnsOf(t, pool, wanted, numbers);
            rows.push_back({ c.file, HeadTexts(c, shape.headKinds, shape.unknown), 0, 0, true });
        }
        ListRow& song = rows.emplace_back();
        PutSongTexts(song.texts, t, pool, shape.songKinds, numbers);
        song.file = std::move(t.file);
        song.libraryId = t.id;
        song.rating = t.stars;
    }
    return true;
}

// Reads the statement with SQLite's own ORDER BY.
void ReadOrdered(sqlite3* db, CMyCaseCollation& collation, std::string_view sql,
    const QStringList& args, const ListShape& shape, std::vector<ListRow>& rows)
{
    const ConnectionLock lock(db);
    SqliteStmt stmt(db, sql);
    stmt.BindTexts(args);
    sqlite3_stmt* s = stmt.Get();
    // A row starts a group unless its artist and album equal the group's by the collation;
    // equal bytes need no call.
    const auto same = [&collation](std::string_view text, const std::string& group) {
        return text == group
            || collation.Compare(text.data(), static_cast<int>(text.size()), group.data(),
                   static_cast<int>(group.size()))
            == 0;
    };
    bool haveGroup = false;
    std::string groupArtist;
    std::string groupAlbum;
    while (stmt.Step()) {
        const TrackColumns row = TrackColumns::Read(stmt);
        const std::string_view artist = Bytes(s, kArtist);
        const std::string_view album = Bytes(s, kAlbum);
        if (!haveGroup || !same(artist, groupArtist) || !same(album, groupAlbum)) {
            haveGroup = true;
            groupArtist.assign(artist);
            groupAlbum.assign(album);
            rows.push_back(
                { row.file, HeadTexts(row, shape.headKinds, shape.unknown), 0, 0, true });
        }
        rows.push_back({ row.file, SongTexts(row, shape.songKinds), row.id, row.stars, false });
    }
}

} // namespace

std::vector<ListRow> CListReader::Read(
    std::string_view sql, const QStringList& args, const ListShape& shape)
{
    std::vector<ListRow> rows;
    std::string_view unordered;
    const Order order = OrderOf(sql, &unordered);
    if (!m_sqliteOrder && order != Order::Unknown
        && ReadUnordered(m_db, m_collation, unordered, args, order, shape, rows)) {
        return rows;
    }
    rows.clear();
    ReadOrdered(m_db, m_collation, sql, args, shape, rows);
    return rows;
}
