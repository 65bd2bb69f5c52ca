// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "IListSink.h"
#include "ITreeSink.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class CDBase;
class SqliteStmt;

// One user playlist: its display name and its file name in the "Playlist" folder.
struct PlaylistEntry {
    QString name;
    QString file;
};

// A row chosen in the list, as a copy into another playlist needs it.
struct SelectedRow {
    int libraryId = 0;
    QString file;
    QString title; // the title slot of a playlist row
};

// The user playlists: the registry "Playlist.xml" (names and files, in tree order) and the
// rows of the playlist files, reached through the viewed and target connections of CDBase.
//
// UI thread only (the update worker uses CDBase directly). Statements on a closed connection
// are skipped; failures change nothing and are not shown.
class CPlaylistStore {
public:
    explicit CPlaylistStore(CDBase& db) : m_db(db) {}

    // Registry.
    // Replaces the entries with those of "Playlist.xml" and adds a node for each to the
    // sink (when given). False, with no entries, when the file is missing or damaged.
    // Entries whose file name could leave the "Playlist" folder are skipped and listed in
    // LeftOut (and dropped from the file at the next save).
    bool LoadRegistry(ITreeSink* sink);
    // The file names of the entries the last LoadRegistry skipped, in file order.
    const QStringList& LeftOut() const { return m_leftOut; }
    // Writes "Playlist.xml" from the entries; with none, an empty "Playlist" element. False
    // (old file kept) when it cannot be written.
    bool SaveRegistry();
    // False while the last attempt to write "Playlist.xml" (by any change here) failed, so the
    // file does not hold the entries: the caller tells the user.
    bool IsRegistrySaved() const { return m_registrySaved; }
    const std::vector<PlaylistEntry>& Entries() const { return m_entries; }
    // Index of the entry with this file name, or -1.
    int IndexOfFile(const QString& file) const;
    // Puts the entries in the order of files (the tree's order after a drag); entries not
    // named keep their relative order after them. Saves the registry.
    void SetOrder(const QStringList& files);

    // Makes a new, empty playlist file under a name no other file has, adds the entry (and a
    // node to the sink), saves the registry and returns the entry's index; none when the file
    // could not be made.
    std::optional<int> CreatePlaylist(const QString& name, ITreeSink* sink);
    bool RenamePlaylist(int index, const QString& name);
    // Deletes the playlist's file and entry. When the list shows it, shownList is cleared and
    // the viewed connection closed first. A file that is already gone counts as deleted; a file
    // that cannot be deleted leaves everything as it was (false).
    bool DeletePlaylist(int index, IListSink* shownList);

    // The viewed playlist in the list.
    // Clears the list and fills it with every row, in idx order, with position texts.
    void FillList(IListSink& sink);
    // Appends the rows after position (idx) and sets all position texts again.
    void FillAfter(int position, IListSink& sink);
    // Writes the position text of every row (list positions, not idx values).
    void Renumber(IListSink& sink);

    // Appends a stream address after the last row and shows it; false when it was not stored.
    bool AppendStream(const QString& address, const QString& title, IListSink& sink);
    // Copies rows into the playlist at targetIndex, after its last row, in one transaction:
    // library tracks as whole rows (with their library id), playlist rows as file and title.
    bool CopyToPlaylist(int targetIndex, bool fromLibrary, const std::vector<SelectedRow>& rows);
    // Deletes rows of the viewed playlist, all or none: false (file unchanged) when any
    // statement fails. On success the caller removes them from the list and then calls
    // Renumber. idx values of the other rows stay.
    bool DeleteRows(const std::vector<int>& playlistIds);
    // Stores the list order (playlist row ids in their new order) as idx 1..n and renumbers,
    // all or none: false, with the file and the position texts unchanged, on any failure.
    bool Reorder(const std::vector<int>& playlistIds, IListSink& sink);

private:
    void AddRows(SqliteStmt& stmt, IListSink& sink);
    void SetPositionTexts(IListSink& sink);
    bool CopyLibraryRow(SqliteStmt& read, SqliteStmt& insert, const SelectedRow& row, int idx);
    QString NewFileName(int attempt) const;
    QString RegistryPath() const;

    CDBase& m_db;
    std::vector<PlaylistEntry> m_entries;
    bool m_registrySaved = true;
    QStringList m_leftOut;
};
