// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CListReader.h"
#include "IListSink.h"
#include "ITreeSink.h"

#include <QString>
#include <QStringList>

#include <string_view>

class CDBase;
class CMyCaseCollation;
class SqliteStmt;

// Root kinds of the library tree (kept in the node and in the settings).
enum class TreeKind : int {
    Playlists = 1,
    Artists = 2,
    Albums = 3,
    Genres = 4,
    Years = 5,
    Radio = 100,
};

// A track list statement and the values bound to it, in order: what a list fill runs.
struct ListQuery {
    std::string_view sql; // empty for a node without a list
    QStringList args;
};

// The browsing queries behind the tree and the list: which statement each node runs and how
// its rows become tree nodes and list rows. Values that are NULL in the library are gathered
// in one last node labelled by "Library" line 3 and are passed back here as empty texts.
//
// UI thread only. A statement that fails leaves the node without children or the list empty
// (still recalculated); nothing is reported.
class CLibraryQuery {
public:
    explicit CLibraryQuery(CDBase& db) : m_db(db) {}

    // Children of a root: artists, albums (one per artist and album), genres or years.
    // False for kinds the library does not serve (playlists, radio) or a failed statement.
    bool FillRoot(TreeKind kind, ITreeSink& sink);
    // The same children read on db, whose "MYCASE" collation is collation (null when none is
    // registered), with nullLabel for the node of the tracks without a value. For readers on
    // a connection of their own; any thread, db and collation belonging to it for the call.
    static bool ReadRoot(sqlite3* db, CMyCaseCollation* collation, TreeKind kind,
        const QString& nullLabel, ITreeSink& sink);
    // Album leaves under a first-level node of kind Artists, Genres or Years.
    bool FillValue(TreeKind kind, const QString& value, ITreeSink& sink);

    // The list of a first-level node (artist, genre or year) without an album chosen.
    bool ListValue(TreeKind kind, const QString& value, IListSink& sink);
    // The list of an album leaf. Artists and Genres/Years pass the first-level value; an album
    // leaf under the Albums root passes an empty value.
    bool ListAlbum(TreeKind kind, const QString& value, const QString& artist,
                   const QString& album, IListSink& sink);

    // The statements behind ListValue and ListAlbum, for fills that run elsewhere.
    static ListQuery ValueList(TreeKind kind, const QString& value);
    static ListQuery AlbumList(
        TreeKind kind, const QString& value, const QString& artist, const QString& album);
    // The tracks in which every word of text begins a word of the title, artist, album, album
    // artist, composer, genre or year, ignoring case and accents, grouped as the list of a
    // genre. No statement (an empty query) when text holds no word.
    static ListQuery SearchList(const QString& text);
    // text as a query of the word index: each word (at most 16, each cut to 64 characters) a
    // quoted prefix term, so nothing typed is read as query syntax; empty without words.
    static QString SearchExpression(const QString& text);
    // What sink shows of a row, with the language's text for a missing artist or album.
    ListShape ShapeOf(const IListSink& sink) const;
    // Clears sink and fills it with the rows of query between BeginUpdate and EndUpdate. False,
    // with the list left empty, when the statement fails or the query is empty.
    bool RunList(const ListQuery& query, IListSink& sink);

    // Statement texts, for tools that measure them: the children of a root, and the list of
    // a first-level node with a value. Empty for kinds without one.
    static std::string_view RootStatement(TreeKind kind);
    static std::string_view ValueListStatement(TreeKind kind);

private:
    // The children of a root read and grouped by CRootReader; false, with nothing added, when
    // the statement has to sort them instead.
    static bool FillRootFast(sqlite3* db, CMyCaseCollation& collation, TreeKind kind,
        const QString& nullLabel, ITreeSink& sink);
    static bool FillOneColumn(sqlite3* db, int sql, const QString& nullLabel, ITreeSink& sink);
    static bool FillAlbums(SqliteStmt& stmt, const QString& nullLabel, ITreeSink& sink);
    static int ListAlbumSql(TreeKind kind, bool hasValue, bool hasArtist, bool hasAlbum);

    CDBase& m_db;
};
