// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CLibraryQuery.h"

#include "CDBase.h"
#include "CRootReader.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

enum class Sql : int {
    RootArtists,
    RootAlbums,
    RootGenres,
    RootYears,
    ArtistAlbums,
    ArtistAlbumsNull,
    GenreAlbums,
    GenreAlbumsNull,
    YearAlbums,
    YearAlbumsNull,
    ArtistTracks,
    ArtistTracksNull,
    GenreTracks,
    GenreTracksNull,
    YearTracks,
    YearTracksNull,
    AlbumArtistAlbum,   // albums root: A, B
    AlbumNullArtist,    // albums root: B
    AlbumNullAlbum,     // albums root: no value
    ArtistAlbumBoth,    // under an artist: A, B
    ArtistAlbumNoAlbum, // A
    ArtistAlbumNoArtist,
    ArtistAlbumNeither,
    GenreAlbumAll, // G, A, B
    GenreAlbumNoArtist,
    GenreAlbumNoAlbum,
    NoGenreAlbumBoth,
    NoGenreAlbumNoArtist,
    NoGenreAlbumNoAlbum,
    YearAlbumAll,
    YearAlbumNoArtist,
    YearAlbumNoAlbum,
    NoYearAlbumBoth,
    NoYearAlbumNoArtist,
    NoYearAlbumNoAlbum,
    Search,
    Count_
};

#define PLUMO_TRACKS "SELECT id,file,number,title,artist,album,year,genre,time,rating FROM library "
#define PLUMO_BY_YEAR " ORDER BY year DESC,album COLLATE MYCASE,number;"
#define PLUMO_BY_ARTIST " ORDER BY artist COLLATE MYCASE,album COLLATE MYCASE,number;"
#define PLUMO_ALBUMS_OF "SELECT artist,album FROM library WHERE "
#define PLUMO_GROUP_ALBUM " GROUP BY album COLLATE MYCASE ORDER BY album COLLATE MYCASE;"

constexpr std::array<std::string_view, static_cast<int>(Sql::Count_)> kSql = {
    "SELECT artist FROM library GROUP BY artist COLLATE MYCASE ORDER BY artist COLLATE MYCASE;",
    "SELECT artist,album FROM library GROUP BY artist COLLATE MYCASE,album COLLATE MYCASE "
    "ORDER BY album COLLATE MYCASE;",
    "SELECT genre FROM library GROUP BY genre COLLATE MYCASE ORDER BY genre COLLATE MYCASE;",
    "SELECT year FROM library GROUP BY year COLLATE MYCASE ORDER BY year DESC;",
    PLUMO_ALBUMS_OF "artist=? COLLATE MYCASE" PLUMO_GROUP_ALBUM,
    PLUMO_ALBUMS_OF "artist IS NULL" PLUMO_GROUP_ALBUM,
    PLUMO_ALBUMS_OF "genre=? COLLATE MYCASE" PLUMO_GROUP_ALBUM,
    PLUMO_ALBUMS_OF "genre IS NULL" PLUMO_GROUP_ALBUM,
    PLUMO_ALBUMS_OF "year=?" PLUMO_GROUP_ALBUM,
    PLUMO_ALBUMS_OF "year IS NULL" PLUMO_GROUP_ALBUM,
    PLUMO_TRACKS "WHERE artist=? COLLATE MYCASE" PLUMO_BY_YEAR,
    PLUMO_TRACKS "WHERE artist IS NULL" PLUMO_BY_YEAR,
    PLUMO_TRACKS "WHERE genre=? COLLATE MYCASE" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE genre IS NULL" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE year=?" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE year IS NULL" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE artist=? COLLATE MYCASE AND album=? COLLATE MYCASE ORDER BY number;",
    PLUMO_TRACKS "WHERE artist IS NULL AND album=? COLLATE MYCASE ORDER BY number;",
    PLUMO_TRACKS "WHERE album IS NULL ORDER BY number;",
    PLUMO_TRACKS "WHERE artist=? COLLATE MYCASE AND album=? COLLATE MYCASE" PLUMO_BY_YEAR,
    PLUMO_TRACKS "WHERE artist=? COLLATE MYCASE AND album IS NULL" PLUMO_BY_YEAR,
    PLUMO_TRACKS "WHERE artist IS NULL AND album=? COLLATE MYCASE" PLUMO_BY_YEAR,
    PLUMO_TRACKS "WHERE artist IS NULL AND album IS NULL" PLUMO_BY_YEAR,
    // The node for tracks without album gathers them whatever their artist, as the tree made
    // it from every row of the genre or year whose album is NULL.
    PLUMO_TRACKS "WHERE genre=? COLLATE MYCASE AND artist=? COLLATE MYCASE AND album=? COLLATE "
                 "MYCASE" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE genre=? COLLATE MYCASE AND artist IS NULL AND album=? COLLATE MYCASE"
        PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE genre=? COLLATE MYCASE AND album IS NULL" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE genre IS NULL AND artist=? COLLATE MYCASE AND album=? COLLATE MYCASE"
        PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE genre IS NULL AND artist IS NULL AND album=? COLLATE MYCASE"
        PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE genre IS NULL AND album IS NULL" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE year=? AND artist=? COLLATE MYCASE AND album=? COLLATE MYCASE"
        PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE year=? AND artist IS NULL AND album=? COLLATE MYCASE" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE year=? AND album IS NULL" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE year IS NULL AND artist=? COLLATE MYCASE AND album=? COLLATE MYCASE"
        PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE year IS NULL AND artist IS NULL AND album=? COLLATE MYCASE"
        PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE year IS NULL AND album IS NULL" PLUMO_BY_ARTIST,
    PLUMO_TRACKS "WHERE id IN (SELECT rowid FROM search WHERE search MATCH ?)" PLUMO_BY_ARTIST,
};

#undef PLUMO_TRACKS
#undef PLUMO_BY_YEAR
#undef PLUMO_BY_ARTIST
#undef PLUMO_ALBUMS_OF
#undef PLUMO_GROUP_ALBUM

std::string_view Text(int sql)
{
    return kSql[static_cast<std::size_t>(sql)];
}

int Id(Sql sql)
{
    return static_cast<int>(sql);
}

} // namespace

std::string_view CLibraryQuery::RootStatement(TreeKind kind)
{
    switch (kind) {
    case TreeKind::Artists:
        return Text(Id(Sql::RootArtists));
    case TreeKind::Albums:
        return Text(Id(Sql::RootAlbums));
    case TreeKind::Genres:
        return Text(Id(Sql::RootGenres));
    case TreeKind::Years:
        return Text(Id(Sql::RootYears));
    case TreeKind::Playlists:
    case TreeKind::Radio:
        break;
    }
    return {};
}

std::string_view CLibraryQuery::ValueListStatement(TreeKind kind)
{
    switch (kind) {
    case TreeKind::Artists:
        return Text(Id(Sql::ArtistTracks));
    case TreeKind::Genres:
        return Text(Id(Sql::GenreTracks));
    case TreeKind::Years:
        return Text(Id(Sql::YearTracks));
    case TreeKind::Albums:
    case TreeKind::Playlists:
    case TreeKind::Radio:
        break;
    }
    return {};
}

bool CLibraryQuery::FillRoot(TreeKind kind, ITreeSink& sink)
{
    return ReadRoot(m_db.Handle(DbConn::Library), m_db.LibraryCollation(), kind,
        m_db.Line(LangSection::Library, 3), sink);
}

bool CLibraryQuery::ReadRoot(sqlite3* db, CMyCaseCollation* collation, TreeKind kind,
    const QString& nullLabel, ITreeSink& sink)
{
    switch (kind) {
    case TreeKind::Artists:
    case TreeKind::Genres:
    case TreeKind::Years:
        if (collation != nullptr && FillRootFast(db, *collation, kind, nullLabel, sink)) {
            return true;
        }
        return FillOneColumn(db,
            Id(kind == TreeKind::Artists ? Sql::RootArtists
                    : kind == TreeKind::Genres ? Sql::RootGenres
                                               : Sql::RootYears),
            nullLabel, sink);
    case TreeKind::Albums:
        if (collation != nullptr && FillRootFast(db, *collation, kind, nullLabel, sink)) {
            return true;
        }
        try {
            SqliteStmt stmt(db, Text(Id(Sql::RootAlbums)));
            return FillAlbums(stmt, nullLabel, sink);
        } catch (const SqliteError&) {
            return false;
        }
    case TreeKind::Playlists:
    case TreeKind::Radio:
        break;
    }
    return false;
}

bool CLibraryQuery::FillRootFast(sqlite3* db, CMyCaseCollation& collation, TreeKind kind,
    const QString& nullLabel, ITreeSink& sink)
{
    CRootReader reader(db, collation);
    bool sawNull = false;
    try {
        if (kind == TreeKind::Albums) {
            std::vector<CRootReader::Album> albums;
            if (!reader.Albums(albums, &sawNull)) {
                return false;
            }
            for (const CRootReader::Album& a : albums) {
                sink.AddAlbumNode(a.album, a.artist, a.album);
            }
            if (sawNull) {
                sink.AddAlbumNode(nullLabel, QString(), QString());
            }
            return true;
        }
        std::vector<QString> values;
        const bool read = kind == TreeKind::Years
            ? reader.Years(values, &sawNull)
            : reader.Values(kind == TreeKind::Artists ? CRootReader::Column::Artist
                                                      : CRootReader::Column::Genre,
                values, &sawNull);
        if (!read) {
            return false;
        }
        for (const QString& value : values) {
            sink.AddValueNode(value, value);
        }
    } catch (const SqliteError&) {
        // The statement fails the same way when it runs: the caller reports it.
        return false;
    }
    if (sawNull) {
        sink.AddValueNode(nullLabel, QString());
    }
    return true;
}

bool CLibraryQuery::FillOneColumn(sqlite3* db, int sql, const QString& nullLabel, ITreeSink& sink)
{
    try {
        SqliteStmt stmt(db, Text(sql));
        bool sawNull = false;
        while (stmt.Step()) {
            if (stmt.IsNull(0)) {
                sawNull = true;
                continue;
            }
            const QString value = stmt.Text(0);
            sink.AddValueNode(value, value);
        }
        if (sawNull) {
            sink.AddValueNode(nullLabel, QString());
        }
        return true;
    } catch (const SqliteError&) {
        return false;
    }
}

bool CLibraryQuery::FillAlbums(SqliteStmt& stmt, const QString& nullLabel, ITreeSink& sink)
{
    bool sawNull = false;
    while (stmt.Step()) {
        if (stmt.IsNull(1)) {
            sawNull = true;
            continue;
        }
        const QString album = stmt.Text(1);
        sink.AddAlbumNode(album, stmt.Text(0), album);
    }
    if (sawNull) {
        sink.AddAlbumNode(nullLabel, QString(), QString());
    }
    return true;
}

bool CLibraryQuery::FillValue(TreeKind kind, const QString& value, ITreeSink& sink)
{
    const bool has = !value.isEmpty();
    Sql sql = Sql::Count_;
    if (kind == TreeKind::Artists) {
        sql = has ? Sql::ArtistAlbums : Sql::ArtistAlbumsNull;
    } else if (kind == TreeKind::Genres) {
        sql = has ? Sql::GenreAlbums : Sql::GenreAlbumsNull;
    } else if (kind == TreeKind::Years) {
        sql = has ? Sql::YearAlbums : Sql::YearAlbumsNull;
    } else {
        return false;
    }
    try {
        SqliteStmt stmt(m_db.Handle(DbConn::Library), Text(Id(sql)));
        stmt.BindTexts(has ? QStringList(value) : QStringList());
        return FillAlbums(stmt, m_db.Line(LangSection::Library, 3), sink);
    } catch (const SqliteError&) {
        return false;
    }
}

ListQuery CLibraryQuery::ValueList(TreeKind kind, const QString& value)
{
    const bool has = !value.isEmpty();
    Sql sql = Sql::Count_;
    if (kind == TreeKind::Artists) {
        sql = has ? Sql::ArtistTracks : Sql::ArtistTracksNull;
    } else if (kind == TreeKind::Genres) {
        sql = has ? Sql::GenreTracks : Sql::GenreTracksNull;
    } else if (kind == TreeKind::Years) {
        sql = has ? Sql::YearTracks : Sql::YearTracksNull;
    }
    if (sql == Sql::Count_) {
        return {};
    }
    return { Text(Id(sql)), has ? QStringList(value) : QStringList() };
}

int CLibraryQuery::ListAlbumSql(TreeKind kind, bool hasValue, bool hasArtist, bool hasAlbum)
{
    if (kind == TreeKind::Albums) {
        if (!hasAlbum) {
            return Id(Sql::AlbumNullAlbum);
        }
        return Id(hasArtist ? Sql::AlbumArtistAlbum : Sql::AlbumNullArtist);
    }
    if (kind == TreeKind::Artists) {
        if (hasValue) {
            return Id(hasAlbum ? Sql::ArtistAlbumBoth : Sql::ArtistAlbumNoAlbum);
        }
        return Id(hasAlbum ? Sql::ArtistAlbumNoArtist : Sql::ArtistAlbumNeither);
    }
    if (kind != TreeKind::Genres && kind != TreeKind::Years) {
        return Id(Sql::Count_);
    }
    // Six statements per kind, in the same order for genres and years.
    const int base = Id(kind == TreeKind::Genres ? Sql::GenreAlbumAll : Sql::YearAlbumAll);
    const int withinValue = !hasAlbum ? 2 : (hasArtist ? 0 : 1);
    return base + (hasValue ? 0 : 3) + withinValue;
}

ListQuery CLibraryQuery::AlbumList(
    TreeKind kind, const QString& value, const QString& artist, const QString& album)
{
    const bool hasValue = !value.isEmpty() && kind != TreeKind::Albums;
    const bool hasArtist = !artist.isEmpty();
    const bool hasAlbum = !album.isEmpty();
    const int sql = ListAlbumSql(kind, hasValue, hasArtist, hasAlbum);
    if (sql < 0 || sql >= Id(Sql::Count_)) {
        return {};
    }
    QStringList args;
    if (hasValue) {
        args << value;
    }
    // Under an artist the first-level value is the artist; elsewhere the leaf's artist counts
    // only together with an album.
    if (hasArtist && hasAlbum && kind != TreeKind::Artists) {
        args << artist;
    }
    if (hasAlbum) {
        args << album;
    }
    return { Text(sql), args };
}

QString CLibraryQuery::SearchExpression(const QString& text)
{
    // Enough for any search a person types; more words would only narrow the list further,
    // and longer words only add letters to a prefix the index already narrowed to a handful.
    constexpr int kMaxWords = 16;
    constexpr qsizetype kMaxWordLength = 64;
    QStringList terms;
    for (const QString& word : text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        // A word of punctuation alone ("*", "-") has no letter the index could hold.
        const QList<uint> points = word.toUcs4();
        if (std::none_of(points.begin(), points.end(),
                [](uint c) { return QChar::isLetterOrNumber(char32_t(c)); }))
            continue;
        QString quoted = word.left(kMaxWordLength);
        if (quoted.back().isHighSurrogate())
            quoted.chop(1);
        // Inside double quotes FTS5 reads every character as text (a quote is doubled), so no
        // operator, column filter or keyword the user types reaches the query's syntax.
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        terms << QLatin1Char('"') + quoted + QStringLiteral("\"*");
        if (terms.size() == kMaxWords)
            break;
    }
    return terms.join(QLatin1Char(' '));
}

ListQuery CLibraryQuery::SearchList(const QString& text)
{
    const QString expression = SearchExpression(text);
    if (expression.isEmpty())
        return {};
    return { Text(Id(Sql::Search)), QStringList(expression) };
}

bool CLibraryQuery::ListValue(TreeKind kind, const QString& value, IListSink& sink)
{
    return RunList(ValueList(kind, value), sink);
}

bool CLibraryQuery::ListAlbum(TreeKind kind, const QString& value, const QString& artist,
    const QString& album, IListSink& sink)
{
    return RunList(AlbumList(kind, value, artist, album), sink);
}

ListShape CLibraryQuery::ShapeOf(const IListSink& sink) const
{
    return { sink.HeadKinds(), sink.SongKinds(), m_db.Line(LangSection::Playlist, 0) };
}

bool CLibraryQuery::RunList(const ListQuery& query, IListSink& sink)
{
    sink.Clear();
    sink.BeginUpdate();
    std::vector<ListRow> rows;
    bool ok = false;
    CMyCaseCollation* collation = m_db.LibraryCollation();
    if (!query.sql.empty() && collation != nullptr) {
        try {
            rows = CListReader(m_db.Handle(DbConn::Library), *collation)
                       .Read(query.sql, query.args, ShapeOf(sink));
            ok = true;
        } catch (const SqliteError&) {
            ok = false;
        }
    }
    sink.AddRows(rows);
    sink.EndUpdate();
    return ok;
}
