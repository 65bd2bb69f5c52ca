// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPlaylistStore.h"

#include "CDBase.h"
#include "ListRowTexts.h"
#include "Sqlite.h"
#include "XmlFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <tinyxml2.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace {

enum class Sql : int {
    Fill,
    FillAfter,
    LibraryTrack,
    LibraryRow,
    InsertCopy,
    DeleteRow,
    SetIdx,
    Count_
};

constexpr std::array<std::string_view, static_cast<int>(Sql::Count_)> kSql = {
    "SELECT id,file,number,title,artist,album,year,genre,time,rating,idlib FROM playlist "
    "ORDER BY idx;",
    "SELECT id,file,number,title,artist,album,year,genre,time,rating,idlib FROM playlist "
    "WHERE idx>? ORDER BY idx;",
    "SELECT id,file,number,title,artist,album,year,genre,time,rating FROM library WHERE id=?;",
    "SELECT file,size,modified,added,number,title,artist,album,year,genre,albumartist,composer,"
    "mood,time,type,bitrate,sample,channel,rating,love,count,lastcount,skip,lastskip,equalizer "
    "FROM library WHERE id=?;",
    "INSERT INTO playlist (idlib,idx,file,size,modified,added,number,title,artist,album,year,"
    "genre,albumartist,composer,mood,time,type,bitrate,sample,channel,rating,love,count,"
    "lastcount,skip,lastskip,equalizer) "
    "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);",
    "DELETE FROM playlist WHERE id=?;",
    "UPDATE playlist SET idx=? WHERE id=?;",
};

std::string_view Text(Sql sql)
{
    return kSql[static_cast<std::size_t>(sql)];
}

constexpr int kIdLibColumn = 10;
constexpr int kMaxOpenFailures = 3;
constexpr int kMaxNameDraws = 1000;

} // namespace

QString CPlaylistStore::RegistryPath() const
{
    return m_db.GetFolder() + QStringLiteral("Playlist.xml");
}

int CPlaylistStore::IndexOfFile(const QString& file) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].file == file) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CPlaylistStore::LoadRegistry(ITreeSink* sink)
{
    m_entries.clear();
    m_leftOut.clear();
    tinyxml2::XMLDocument doc;
    if (!XmlFile::Read(RegistryPath(), doc)) {
        return false;
    }
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Playlist");
    for (const tinyxml2::XMLElement* e = root != nullptr ? root->FirstChildElement() : nullptr;
         e != nullptr; e = e->NextSiblingElement()) {
        PlaylistEntry entry{QString::fromUtf8(e->Attribute("Name")),
                            QString::fromUtf8(e->Attribute("File"))};
        // A registry file name must stay inside the "Playlist" folder.
        if (!CDBase::IsPlaylistFileName(entry.file)) {
            m_leftOut.push_back(entry.file);
            continue;
        }
        if (sink != nullptr) {
            sink->AddPlaylistNode(entry.name, entry.file);
        }
        m_entries.push_back(std::move(entry));
    }
    return true;
}

bool CPlaylistStore::SaveRegistry()
{
    // Written even when empty: otherwise the last playlist deleted would come back at the
    // next start from the old file.
    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration(XmlFile::kDeclaration));
    tinyxml2::XMLElement* root = doc.NewElement("Playlist");
    doc.InsertEndChild(root);
    for (const PlaylistEntry& entry : m_entries) {
        tinyxml2::XMLElement* e = doc.NewElement("Play");
        e->SetAttribute("Name", entry.name.toUtf8().constData());
        e->SetAttribute("File", entry.file.toUtf8().constData());
        root->InsertEndChild(e);
    }
    m_registrySaved = XmlFile::Write(RegistryPath(), doc);
    return m_registrySaved;
}

void CPlaylistStore::SetOrder(const QStringList& files)
{
    std::vector<PlaylistEntry> ordered;
    for (const QString& file : files) {
        const int index = IndexOfFile(file);
        if (index >= 0) {
            ordered.push_back(m_entries[static_cast<std::size_t>(index)]);
            m_entries.erase(m_entries.begin() + index);
        }
    }
    ordered.insert(ordered.end(), m_entries.begin(), m_entries.end());
    m_entries = std::move(ordered);
    SaveRegistry();
}

QString CPlaylistStore::NewFileName(int attempt) const
{
    if (attempt == 0) {
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        std::rand();
    }
    const int r1 = std::rand() % 255;
    const int r2 = std::rand() % 255;
    const int r3 = std::rand() % 255;
    const int r4 = std::rand() % 255;
    return QString::asprintf("%.2x%.2x%.2x%.2x", r1, r2, r3, r4) + QStringLiteral(".db");
}

std::optional<int> CPlaylistStore::CreatePlaylist(const QString& name, ITreeSink* sink)
{
    int failures = 0;
    for (int attempt = 0; attempt < kMaxNameDraws && failures < kMaxOpenFailures; ++attempt) {
        const QString file = NewFileName(attempt);
        bool taken = false;
        if (IndexOfFile(file) >= 0 || !m_db.MakePlaylistFile(file, &taken)) {
            // A name in use is drawn again; only real failures to make the file count.
            failures += (taken || IndexOfFile(file) >= 0) ? 0 : 1;
            continue;
        }
        m_entries.push_back({name, file});
        if (sink != nullptr) {
            sink->AddPlaylistNode(name, file);
        }
        SaveRegistry();
        return static_cast<int>(m_entries.size()) - 1;
    }
    return std::nullopt;
}

bool CPlaylistStore::RenamePlaylist(int index, const QString& name)
{
    if (index < 0 || index >= static_cast<int>(m_entries.size())) {
        return false;
    }
    m_entries[static_cast<std::size_t>(index)].name = name;
    return SaveRegistry();
}

bool CPlaylistStore::DeletePlaylist(int index, IListSink* shownList)
{
    if (index < 0 || index >= static_cast<int>(m_entries.size())) {
        return false;
    }
    const QString file = m_entries[static_cast<std::size_t>(index)].file;
    if (m_db.PlaylistFile(DbConn::Viewed) == file && shownList != nullptr) {
        shownList->Clear();
    }
    // The playing connection would otherwise go on writing counts into a deleted file.
    m_db.ClosePlaylistFile(file);
    const QString path = m_db.PlaylistFolder() + file;
    // A file that is already gone counts as deleted, or its entry could never be removed.
    if (!QFile::remove(path) && QFileInfo::exists(path)) {
        return false;
    }
    // A list fill still reading the file keeps its log alive past the close above, and no
    // connection would ever come back to remove it.
    for (const QString& log : SqliteDb::LogFiles(path)) {
        QFile::remove(log);
    }
    m_entries.erase(m_entries.begin() + index);
    SaveRegistry();
    return true;
}

void CPlaylistStore::AddRows(SqliteStmt& stmt, IListSink& sink)
{
    const std::vector<int> kinds = sink.SongKinds();
    std::optional<SqliteStmt> library;
    try {
        library.emplace(m_db.Handle(DbConn::Library), Text(Sql::LibraryTrack));
    } catch (const SqliteError&) {
        library.reset();
    }
    while (stmt.Step()) {
        TrackColumns row = TrackColumns::Read(stmt);
        const int idlib = stmt.Int(kIdLibColumn);
        int libraryId = 0;
        // Texts always come from the playlist row. A track still in the library keeps its
        // library id, so rating and counts go there and the stars shown are the library's;
        // one that is gone is handled as a plain playlist row, so nothing is lost.
        if (idlib > 0 && library) {
            library->Reset();
            library->Bind(idlib);
            if (library->Step()) {
                libraryId = idlib;
                row.stars = TrackColumns::Read(*library).stars;
            }
        }
        sink.AddSong(row.id, false, row.file, libraryId, row.stars, SongTexts(row, kinds));
    }
}

void CPlaylistStore::SetPositionTexts(IListSink& sink)
{
    const int count = sink.SongCount();
    for (int i = 0; i < count; ++i) {
        sink.SetPositionText(i, PositionText(i, count));
    }
}

void CPlaylistStore::Renumber(IListSink& sink)
{
    sink.BeginUpdate();
    SetPositionTexts(sink);
    sink.EndUpdate();
}

void CPlaylistStore::FillList(IListSink& sink)
{
    sink.Clear();
    sink.BeginUpdate();
    try {
        SqliteStmt stmt(m_db.Handle(DbConn::Viewed), Text(Sql::Fill));
        AddRows(stmt, sink);
    } catch (const SqliteError&) {
        // Whatever was read stays shown.
    }
    SetPositionTexts(sink);
    sink.EndUpdate();
}

void CPlaylistStore::FillAfter(int position, IListSink& sink)
{
    sink.BeginUpdate();
    try {
        SqliteStmt stmt(m_db.Handle(DbConn::Viewed), Text(Sql::FillAfter));
        stmt.Bind(position);
        AddRows(stmt, sink);
    } catch (const SqliteError&) {
        // Whatever was read stays shown.
    }
    SetPositionTexts(sink);
    sink.EndUpdate();
}

bool CPlaylistStore::AppendStream(const QString& address, const QString& title,
                                  IListSink& sink)
{
    const int base = m_db.LargestPosition(DbConn::Viewed);
    if (!m_db.InsertPlaylistStream(DbConn::Viewed, base + 1, address, title)) {
        return false;
    }
    FillAfter(base, sink);
    return true;
}

bool CPlaylistStore::CopyLibraryRow(SqliteStmt& read, SqliteStmt& insert, const SelectedRow& row,
                                    int idx)
{
    read.Reset();
    read.Bind(row.libraryId);
    if (!read.Step()) {
        return false;
    }
    // Copied as text; the playlist columns' declared types turn numbers back into integers.
    std::array<std::string, 25> c;
    for (std::size_t i = 0; i < c.size(); ++i) {
        c[i] = read.Utf8(static_cast<int>(i));
    }
    insert.Reset();
    insert.Bind(row.libraryId, idx, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9],
                c[10], c[11], c[12], c[13], c[14], c[15], c[16], c[17], c[18], c[19], c[20],
                c[21], c[22], c[23], c[24]);
    insert.Run();
    return true;
}

bool CPlaylistStore::CopyToPlaylist(int targetIndex, bool fromLibrary,
                                    const std::vector<SelectedRow>& rows)
{
    if (targetIndex < 0 || targetIndex >= static_cast<int>(m_entries.size())
        || !m_db.OpenPlaylist(DbConn::Target, m_entries[static_cast<std::size_t>(targetIndex)].file)) {
        return false;
    }
    const int base = m_db.LargestPosition(DbConn::Target);
    bool ok = true;
    m_db.Begin(DbConn::Target);
    try {
        int n = 0;
        if (fromLibrary) {
            SqliteStmt read(m_db.Handle(DbConn::Library), Text(Sql::LibraryRow));
            SqliteStmt insert(m_db.Handle(DbConn::Target), Text(Sql::InsertCopy));
            for (const SelectedRow& row : rows) {
                n += CopyLibraryRow(read, insert, row, base + n + 1) ? 1 : 0;
            }
        } else {
            for (const SelectedRow& row : rows) {
                ++n;
                ok = m_db.InsertPlaylistEntry(DbConn::Target, base + n, row.file, row.title,
                                              CDBase::kTypeCopied) && ok;
            }
        }
    } catch (const SqliteError&) {
        ok = false;
    }
    m_db.Commit(DbConn::Target);
    m_db.CloseTargetPlaylist();
    return ok;
}

bool CPlaylistStore::DeleteRows(const std::vector<int>& playlistIds)
{
    if (!m_db.IsOpen(DbConn::Viewed)) {
        return false;
    }
    m_db.KeepPlaylistFile(DbConn::Viewed);
    try {
        SqliteTransaction transaction(m_db.Handle(DbConn::Viewed));
        SqliteStmt stmt(m_db.Handle(DbConn::Viewed), Text(Sql::DeleteRow));
        for (const int id : playlistIds) {
            stmt.Reset();
            stmt.Bind(id).Run();
        }
        transaction.Commit();
    } catch (const SqliteError&) {
        // Rolled back: the list must not lose rows the file still holds.
        return false;
    }
    return true;
}

bool CPlaylistStore::Reorder(const std::vector<int>& playlistIds, IListSink& sink)
{
    if (!m_db.IsOpen(DbConn::Viewed)) {
        return false;
    }
    m_db.KeepPlaylistFile(DbConn::Viewed);
    try {
        SqliteTransaction transaction(m_db.Handle(DbConn::Viewed));
        SqliteStmt stmt(m_db.Handle(DbConn::Viewed), Text(Sql::SetIdx));
        int idx = 0;
        for (const int id : playlistIds) {
            stmt.Reset();
            stmt.Bind(++idx, id).Run();
        }
        transaction.Commit();
    } catch (const SqliteError&) {
        // Rolled back: half a new order would put the rows into an order nobody chose.
        return false;
    }
    Renumber(sink);
    return true;
}
