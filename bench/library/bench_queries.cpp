// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Times the browsing queries over a generated 50,000-row library, once as the program runs
// them (MYCASE) and once with SQLite's NOCASE in their place, and prints the medians; then the
// search box's list as it follows typed words, at 50,000 and at 250,000 rows.
#include "CDBase.h"
#include "CLibraryQuery.h"
#include "ListRowTexts.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <unicode/uloc.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 50000;
constexpr int kLargeRows = 250000;
constexpr int kRuns = 9;

const std::array<const char*, 20> kLatin = {"ka", "lo", "mi", "ra", "the", "son", "el",
                                            "an", "be", "do", "ri", "ta", "ve", "zu",
                                            "mar", "is", "ny", "ga", "ber", "ul"};
const std::array<const char*, 8> kAccented = {"é", "ö", "ço", "ñe", "å", "ür", "è", "ø"};
const std::array<const char*, 12> kCyrillic = {"ка", "ло", "ми", "ра", "ён", "сон",
                                               "ел", "ан", "бе", "до", "ри", "та"};
const std::array<const char*, 12> kGreek = {"κα", "λο", "μι", "ρα", "θε", "σόν",
                                            "ελ", "αν", "βέ", "δο", "ρι", "τα"};

// Deterministic generator of names with the case and accent variety of real tags.
class NameMaker {
public:
    // Mostly ASCII words, some with an accented syllable, a few Cyrillic or Greek ones.
    std::string Word(int syllables)
    {
        const int script = Pick(40);
        std::string word;
        for (int i = 0; i < syllables; ++i) {
            if (script == 0) {
                word += kGreek[static_cast<std::size_t>(Pick(kGreek.size()))];
            } else if (script < 3) {
                word += kCyrillic[static_cast<std::size_t>(Pick(kCyrillic.size()))];
            } else if (Pick(25) == 0) {
                word += kAccented[static_cast<std::size_t>(Pick(kAccented.size()))];
            } else {
                word += kLatin[static_cast<std::size_t>(Pick(kLatin.size()))];
            }
        }
        return word;
    }

    std::string Name(int words)
    {
        std::string name;
        for (int i = 0; i < words; ++i) {
            if (i > 0) {
                name += ' ';
            }
            name += Capital(Word(2 + Pick(2)));
        }
        return name;
    }

    // Mostly the canonical spelling; sometimes all lower or upper case (ASCII letters).
    std::string Variant(const std::string& name)
    {
        const int roll = Pick(20);
        std::string v = name;
        if (roll == 0) {
            std::transform(v.begin(), v.end(), v.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        } else if (roll == 1) {
            std::transform(v.begin(), v.end(), v.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        }
        return v;
    }

    int Pick(std::size_t n) { return static_cast<int>(m_rng() % n); }

private:
    static std::string Capital(std::string w)
    {
        if (!w.empty() && static_cast<unsigned char>(w[0]) < 0x80) {
            w[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(w[0])));
        }
        return w;
    }

    std::mt19937 m_rng{20260};
};

struct Catalogue {
    std::vector<std::string> artists;
    std::vector<std::string> albums;
    std::vector<std::string> genres;
};

Catalogue MakeCatalogue(NameMaker& names)
{
    Catalogue c;
    for (int i = 0; i < 2500; ++i) {
        c.artists.push_back(names.Name(1 + names.Pick(3)));
    }
    for (int i = 0; i < 4000; ++i) {
        c.albums.push_back(names.Name(1 + names.Pick(4)));
    }
    for (int i = 0; i < 80; ++i) {
        c.genres.push_back(names.Name(1));
    }
    return c;
}

void FillLibrary(CDBase& db, int rows)
{
    NameMaker names;
    const Catalogue c = MakeCatalogue(names);
    db.Begin(DbConn::Library);
    for (int row = 0; row < rows;) {
        const std::string& artist = c.artists[static_cast<std::size_t>(names.Pick(2500))];
        const std::string& album = c.albums[static_cast<std::size_t>(names.Pick(4000))];
        // A few genres hold most tracks, as in real libraries.
        const std::size_t genre = static_cast<std::size_t>(
            std::min(names.Pick(80), std::min(names.Pick(80), names.Pick(80))));
        const int year = 1950 + names.Pick(75);
        const int tracks = 6 + names.Pick(10);
        for (int n = 1; n <= tracks && row < rows; ++n, ++row) {
            TrackRecord r;
            r.size = 4000000 + names.Pick(6000000);
            r.modified = "2024-05-06 07:08:09";
            r.title = names.Name(1 + names.Pick(4));
            r.artist = names.Pick(50) == 0 ? std::string() : names.Variant(artist);
            r.album = names.Pick(33) == 0 ? std::string() : names.Variant(album);
            r.genre = names.Pick(20) == 0 ? std::string() : names.Variant(c.genres[genre]);
            r.hasYear = names.Pick(20) != 0;
            r.year = year;
            r.hasNumber = true;
            r.number = n;
            r.time = 120 + names.Pick(300);
            r.type = 1;
            db.InsertLibraryRow("/music/" + std::to_string(row) + ".mp3", "2024-05-06 07:08:09", r);
        }
    }
    db.Commit(DbConn::Library);
}

double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Median over several runs of the processor time the thread spent: on a shared machine, wall
// time mostly measures the neighbours. The database is in the page cache after the first run.
double Median(const std::function<void()>& run)
{
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        const double start = CpuMs();
        run();
        ms.push_back(CpuMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

std::string NoCase(std::string_view sql)
{
    std::string text(sql);
    for (std::size_t at = text.find("MYCASE"); at != std::string::npos;
         at = text.find("MYCASE", at)) {
        text.replace(at, 6, "NOCASE");
    }
    return text;
}

// Steps through every row and reads every column, as the tree filler does.
void StepAll(CDBase& db, std::string_view sql)
{
    SqliteStmt stmt(db.Handle(DbConn::Library), sql);
    int columns = sqlite3_column_count(stmt.Get());
    while (stmt.Step()) {
        for (int c = 0; c < columns; ++c) {
            (void)stmt.Text(c);
        }
    }
}

class NullList : public IListSink {
public:
    std::vector<int> HeadKinds() const override { return {0, 1, 3, 6}; }
    std::vector<int> SongKinds() const override { return {0, 1, 2, 3, 4, 5, 6}; }
    void Clear() override { m_rows = 0; }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void AddHead(const QString&, const ListTexts&) override {}
    void AddSong(int, bool, const QString&, int, int, const ListTexts&) override { ++m_rows; }
    int SongCount() const override { return m_rows; }
    void SetPositionText(int, const QString&) override {}

private:
    int m_rows = 0;
};

// The list fill with NOCASE: the same statement, rows and texts, grouped case-insensitively.
void FillListNoCase(CDBase& db, const QString& genre)
{
    const std::vector<int> head = {0, 1, 3, 6};
    const std::vector<int> song = {0, 1, 2, 3, 4, 5, 6};
    SqliteStmt stmt(db.Handle(DbConn::Library),
                    NoCase(CLibraryQuery::ValueListStatement(TreeKind::Genres)));
    stmt.Bind(genre);
    QString artist;
    QString album;
    bool group = false;
    while (stmt.Step()) {
        const TrackColumns row = TrackColumns::Read(stmt);
        if (!group || row.artist.compare(artist, Qt::CaseInsensitive) != 0
            || row.album.compare(album, Qt::CaseInsensitive) != 0) {
            group = true;
            artist = row.artist;
            album = row.album;
            (void)HeadTexts(row, head, QString());
        }
        (void)SongTexts(row, song);
    }
}

QString LargestGenre(CDBase& db)
{
    SqliteStmt stmt(db.Handle(DbConn::Library),
                    "SELECT genre FROM library WHERE genre IS NOT NULL GROUP BY genre COLLATE "
                    "MYCASE ORDER BY count(*) DESC LIMIT 1;");
    return stmt.Step() ? stmt.Text(0) : QString();
}

// What a person types while looking for an artist: the first one to five letters of the first
// word of four artists spread over the library; twenty searches in all.
QStringList TypedPrefixes(CDBase& db)
{
    QStringList prefixes;
    for (const int id : {1001, 13001, 27001, 41001}) {
        SqliteStmt stmt(db.Handle(DbConn::Library),
                        "SELECT artist FROM library WHERE id>=? AND artist IS NOT NULL LIMIT 1;");
        stmt.Bind(id);
        const QString word = stmt.Step() ? stmt.Text(0).section(u' ', 0, 0) : QString();
        for (int length = 1; length <= 5; ++length) {
            prefixes << word.left(length);
        }
    }
    return prefixes;
}

// Median over the typed prefixes of the processor time for one search: the statement on the
// word index and the list's rows made from its result, as the list fill does on its worker.
double SearchMedian(CDBase& db, const QStringList& prefixes, int* rows)
{
    CLibraryQuery query(db);
    NullList list;
    std::vector<double> ms;
    std::vector<int> counts;
    for (const QString& prefix : prefixes) {
        const ListQuery search = CLibraryQuery::SearchList(prefix);
        query.RunList(search, list); // the first reading brings the pages into the cache
        const double start = CpuMs();
        query.RunList(search, list);
        ms.push_back(CpuMs() - start);
        counts.push_back(list.SongCount());
    }
    std::sort(ms.begin(), ms.end());
    std::sort(counts.begin(), counts.end());
    *rows = counts[counts.size() / 2];
    return ms[ms.size() / 2];
}

void Print(const char* name, double ms)
{
    std::printf("%s: %.1f ms\n", name, ms);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault("en_US", &status);
    // An optional folder keeps the generated library for a profiler; by default it is temporary.
    QTemporaryDir dir;
    CDBase db;
    db.SetFolder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.path());
    db.OpenLibrary();
    FillLibrary(db, kRows);

    const std::array<std::pair<TreeKind, const char*>, 4> roots = {{
        {TreeKind::Artists, "query_artists"},
        {TreeKind::Albums, "query_albums"},
        {TreeKind::Years, "query_years"},
        {TreeKind::Genres, "query_genres"},
    }};
    CLibraryQuery query(db);
    const QString genre = LargestGenre(db);
    NullList list;
    std::vector<std::pair<std::string, double>> figures;
    for (const auto& [kind, name] : roots) {
        const std::string_view sql = CLibraryQuery::RootStatement(kind);
        figures.emplace_back(std::string(name) + "_ms", Median([&] { StepAll(db, sql); }));
    }
    figures.emplace_back("list_fill_ms", Median([&] {
        query.ListValue(TreeKind::Genres, genre, list);
    }));
    for (const auto& [kind, name] : roots) {
        const std::string sql = NoCase(CLibraryQuery::RootStatement(kind));
        figures.emplace_back(std::string(name) + "_nocase_ms", Median([&] { StepAll(db, sql); }));
    }
    figures.emplace_back("list_fill_nocase_ms", Median([&] { FillListNoCase(db, genre); }));
    for (const auto& [name, ms] : figures) {
        Print(name.c_str(), ms);
    }
    std::printf("list_fill_rows: %d rows\n", list.SongCount());
    SqliteStmt ascii(db.Handle(DbConn::Library),
                     "SELECT 100.0*sum(artist NOT GLOB '*[^ -~]*')/count(artist) FROM library;");
    std::printf("ascii_artists: %.0f %%\n", ascii.Step() ? sqlite3_column_double(ascii.Get(), 0)
                                                       : 0.0);

    const QStringList prefixes = TypedPrefixes(db);
    int searchRows = 0;
    Print("search_ms", SearchMedian(db, prefixes, &searchRows));
    std::printf("search_rows: %d rows (median)\n", searchRows);
    // The same names at five times the rows, in a library of its own.
    QTemporaryDir largeDir;
    CDBase large;
    large.SetFolder(largeDir.path());
    large.OpenLibrary();
    FillLibrary(large, kLargeRows);
    Print("search_ms_250k", SearchMedian(large, prefixes, &searchRows));
    std::printf("search_rows_250k: %d rows (median)\n", searchRows);
    return 0;
}
