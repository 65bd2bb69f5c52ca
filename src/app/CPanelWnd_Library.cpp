// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The library side of the window: the tree's categories and children, the list filled from a
// tree node, playlists made, renamed, deleted and added to, dropped files and dragged rows.
#include "CPanelWnd.h"

#include "CDlgProgress.h"
#include "CDlgRename.h"
#include "CFileDialogEx.h"
#include "CLibraryQuery.h"
#include "CPlsFile.h"
#include "RadioStations.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// The wait cursor for the life of a scope.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The note shown when a playlist named in the profile would lie outside the playlist folder.
QString LeftOutText(const QString& file)
{
    return QCoreApplication::translate("CPanelWnd",
        "A playlist was left out: its file name \"%1\" does not lie in the playlist folder.")
        .arg(file);
}

// The node's category head.
const CSkinTreeNode* RootOf(const CSkinTreeNode* node)
{
    while (node->m_parent && node->m_parent->m_parent)
        node = node->m_parent;
    return node;
}

// The filter list of Qt's static file pickers, ";;" between the entries.
QString QtFilterText(const QVector<FileFilter>& filters)
{
    CFileDialogEx picker;
    picker.SetFilters(filters);
    return picker.NameFilters().join(QStringLiteral(";;"));
}

} // namespace

void CPanelWnd::RebuildTree()
{
    struct Head {
        NodeType type;
        int line;
    };
    static constexpr Head kHeads[] = {
        {NodeType::Artist, 4}, {NodeType::Album, 5}, {NodeType::Year, 6},
        {NodeType::Genre, 7}, {NodeType::Radio, 8}, {NodeType::Playlist, 1},
    };
    // Children still read for the categories going now would belong to a tree that is gone.
    m_treeFill.Cancel();
    m_treeKeep.reset();
    m_tree.SetAutoLayout(false);
    m_tree.DeleteAll();
    CSkinTreeNode* playlists = nullptr;
    for (const Head& head : kHeads)
        playlists = m_tree.AddCategory(head.type, m_language.Line(LangSection::Library, head.line));
    playlists->m_expanded = true;
    m_playlists.LoadRegistry(&m_tree);
    for (const QString& file : m_playlists.LeftOut())
        ShowStatus(LeftOutText(file));
    m_tree.SetAutoLayout(true);
    m_tree.RecalcLayout();
}

void CPanelWnd::AfterLibraryUpdate()
{
    if (m_searchShown)
        OnSearchChanged();
    else if (m_settings.GetLibraryNode().node1Type > 1)
        FillList(nullptr);
    RebuildTree();
}

LResult CPanelWnd::OnTreeExpand(WParam wParam, LParam)
{
    auto* node = reinterpret_cast<CSkinTreeNode*>(wParam);
    if (!node)
        return 0;
    if (node->m_type == NodeType::Radio) {
        ExpandRadio(node);
        return 0;
    }
    const auto kind = static_cast<TreeKind>(node->m_type);
    // A category's children come from every row of the library, which takes longer to read
    // than the window may stay busy: the worker reads them (see TreeChildrenRead).
    if (node->m_kind == CSkinTreeNode::kHead && m_db.IsOpen(DbConn::Library)) {
        // Opened again while its children are still read: those children will do.
        if (!m_treeFill.IsRunning(kind))
            m_treeFill.Start(m_db.LibraryPath(), kind, m_db.Line(LangSection::Library, 3));
        return 0;
    }
    WaitCursor wait;
    CLibraryQuery query(m_db);
    if (node->m_kind == CSkinTreeNode::kHead)
        query.FillRoot(kind, m_tree);
    else if (node->m_valueNode && !node->m_albumLeaf)
        query.FillValue(kind, node->m_key, m_tree);
    return 0;
}

LResult CPanelWnd::OnTreeSelect(WParam wParam, LParam)
{
    if (auto* node = reinterpret_cast<CSkinTreeNode*>(wParam))
        FillList(node);
    return 0;
}

void CPanelWnd::StoreNode(CSkinTreeNode* node)
{
    CSettings::LibraryNode stored;
    const CSkinTreeNode* root = RootOf(node);
    stored.node1Type = static_cast<int>(root->m_type);
    if (node->IsPlaylist()) {
        stored.node2String = node->m_key;
        stored.node2This = 1;
    } else if (node->m_albumLeaf) {
        stored.node2String = node->m_type == NodeType::Album ? QString() : node->m_key;
        stored.node3Artist = node->m_artist;
        stored.node3Album = node->m_album;
        stored.node3This = 1;
    } else {
        stored.node2String = node->m_key;
        stored.node2This = 1;
    }
    m_settings.SetLibraryNode(stored);
}

void CPanelWnd::CloseViewedList()
{
    // A playlist still playing keeps its connection, so its counters and ratings reach it.
    const bool playingFromIt = m_list.Rows().Playing() != nullptr;
    m_db.CloseViewedPlaylist(playingFromIt && !m_db.IsOpen(DbConn::Playing));
}

void CPanelWnd::FillList(CSkinTreeNode* node)
{
    if (node && node->m_kind == CSkinTreeNode::kHead)
        return;
    if (node)
        DropSearch();
    m_player.prepared = nullptr;
    if (node && node->m_type == NodeType::Radio) {
        FillRadioList(node);
        return;
    }
    m_stationLoad.Cancel();
    m_radioBrowser.Cancel();
    WaitCursor wait;
    CloseViewedList();
    m_list.SetRadioMode(false);
    if (node)
        StoreNode(node);
    FillFromStoredNode();
}

void CPanelWnd::StationsLoaded(bool listed, const std::vector<radio::Station>& stations)
{
    if (!listed) {
        Warn(8, 0);
        return;
    }
    // The rows go in one step, and with them the row held as the engine's next track. The
    // viewed playlist is closed first, while the list still tells whether one of its rows
    // plays: that playlist keeps its connection, so its play counts still reach it.
    m_player.prepared = nullptr;
    CloseViewedList();
    radio::ListStations(m_list, stations);
    m_list.SetRadioMode(true);
}

void CPanelWnd::FillFromStoredNode()
{
    // Whatever fills the list now supersedes a library fill still reading.
    m_listFill.Cancel();
    const CSettings::LibraryNode& n = m_settings.GetLibraryNode();
    const auto kind = static_cast<TreeKind>(n.node1Type);
    if (kind == TreeKind::Playlists) {
        if (m_db.OpenPlaylist(DbConn::Viewed, n.node2String))
            m_playlists.FillList(m_list);
        else
            m_list.DeleteAll();
        if (!n.node2String.isEmpty() && !CDBase::IsPlaylistFileName(n.node2String))
            ShowStatus(LeftOutText(n.node2String));
        return;
    }
    if (!n.node3This && !n.node2This) {
        m_list.DeleteAll();
        return;
    }
    const ListQuery list = n.node3This
        ? CLibraryQuery::AlbumList(kind, n.node2String, n.node3Artist, n.node3Album)
        : CLibraryQuery::ValueList(kind, n.node2String);
    CLibraryQuery query(m_db);
    // The worker reads and sorts while the window keeps answering; a command that needs the
    // rows waits for them (see HoldWhileFilling).
    if (!m_db.IsOpen(DbConn::Library) || list.sql.empty()) {
        query.RunList(list, m_list);
        return;
    }
    m_listFill.Start(m_db.LibraryPath(), list, query.ShapeOf(m_list), m_list);
}

int CPanelWnd::CurrentPlaylistIndex() const
{
    if (!m_db.IsOpen(DbConn::Viewed))
        return -1;
    return m_playlists.IndexOfFile(m_db.PlaylistFile(DbConn::Viewed));
}

void CPanelWnd::ReportFailure(const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Plumo"), text,
        QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    m_statusText = text;
    Q_EMIT StatusShown(text);
}

void CPanelWnd::ShowStoredRating(CSkinListNode* row)
{
    // Stars that were not saved would come back different at the next fill.
    int stored = 0;
    if (m_db.GetRating(row->m_libraryId, row->m_playlistId, &stored))
        row->m_rating = stored;
    m_list.update();
    if (row == m_list.Rows().Playing())
        m_skinDraw.SetRating(row->m_rating);
    ReportFailure(tr("The rating could not be saved: the library or playlist file is locked "
                     "or read-only."));
}

void CPanelWnd::CheckRegistrySaved()
{
    if (!m_playlists.IsRegistrySaved())
        ReportFailure(tr("The list of playlists could not be saved to \"%1\"; changes to it "
                         "will be lost at exit.")
                          .arg(QDir::toNativeSeparators(m_profileFolder + "/Playlist.xml")));
}

LResult CPanelWnd::OnTreeReorder(WParam, LParam)
{
    QStringList files;
    if (CSkinTreeNode* playlists = m_tree.Rows().PlaylistsCategory()) {
        for (const CSkinTreeNode* child : playlists->m_children)
            files << child->m_key;
    }
    m_playlists.SetOrder(files);
    CheckRegistrySaved();
    return 0;
}

LResult CPanelWnd::OnListReorder(WParam, LParam)
{
    if (!m_db.IsOpen(DbConn::Viewed))
        return 0;
    WaitCursor wait;
    m_player.prepared = nullptr;
    std::vector<int> ids;
    for (const CSkinListNode* row : m_list.Rows().Songs())
        ids.push_back(row->m_playlistId);
    if (m_playlists.Reorder(ids, m_list))
        return 0;
    // The rows were moved on screen only: show the order the file still holds.
    FillList(nullptr);
    ReportFailure(tr("The new order could not be saved: the playlist file is locked or "
                     "read-only."));
    return 0;
}

LResult CPanelWnd::OnListDrag(WParam, LParam)
{
    m_ownDrag = true;
    m_list.DragSelection();
    m_ownDrag = false;
    return 0;
}

void CPanelWnd::OnNewPlaylist()
{
    m_playlists.CreatePlaylist(m_language.Line(LangSection::Library, 2), &m_tree);
    m_tree.RecalcLayout();
    CheckRegistrySaved();
}

void CPanelWnd::OnRenamePlaylist()
{
    CSkinTreeNode* node = m_tree.Rows().Selection();
    if (!node || !node->IsPlaylist())
        return;
    const int index = m_playlists.IndexOfFile(node->m_key);
    ModalBracket bracket(*this);
    CDlgRename dlg(m_language.Section(LangSection::RenameDialog), node->Label(), this);
    if (index < 0 || dlg.exec() != QDialog::Accepted)
        return;
    // The name is the entry's now, saved or not: the tree shows what a later save writes.
    m_playlists.RenamePlaylist(index, dlg.Name());
    node->m_text = dlg.Name();
    m_tree.update();
    CheckRegistrySaved();
}

void CPanelWnd::OnDeletePlaylist()
{
    CSkinTreeNode* node = m_tree.Rows().Selection();
    if (!node || !node->IsPlaylist())
        return;
    const int index = m_playlists.IndexOfFile(node->m_key);
    const CSettings::LibraryNode& stored = m_settings.GetLibraryNode();
    const bool shown = stored.node1Type == 1 && stored.node2String == node->m_key;
    if (shown)
        m_player.prepared = nullptr;
    if (index >= 0 && m_playlists.DeletePlaylist(index, shown ? &m_list : nullptr)) {
        m_tree.DeleteNode(node);
        CheckRegistrySaved();
    }
}

void CPanelWnd::AddPathsToPlaylist(const QStringList& paths)
{
    m_jobs.Run([this, paths] {
        if (!m_shutDown && m_db.IsOpen(DbConn::Viewed))
            AddPathsNow(paths);
    });
}

void CPanelWnd::AddPathsNow(const QStringList& paths)
{
    // In the order given: files and folders in runs, each playlist file's entries where it
    // stands, and stream addresses (from the desktop's media controls or a later start) as
    // stream rows, as if typed into the address dialog; no file job could read them.
    const int first = m_db.LargestPosition(DbConn::Viewed);
    QStringList files;
    const auto runJob = [this, &files](ProgressJob job, const QString& plsPath) {
        ModalBracket bracket(*this);
        CDlgProgress dlg(this);
        dlg.SetLines(m_language.Section(LangSection::ProcessDialog));
        dlg.SetDatabase(&m_db);
        dlg.SetTagReader(&CPlayBass::ReadTags);
        dlg.SetJob(job);
        dlg.SetBase(m_db.LargestPosition(DbConn::Viewed));
        if (job == ProgressJob::ImportPlaylist)
            dlg.SetImport(plsPath, m_db.PlaylistFile(DbConn::Viewed));
        else
            dlg.SetPaths(std::exchange(files, {}));
        dlg.Run();
    };
    for (const QString& path : paths) {
        if (m_shutDown)
            return;
        const bool stream = CPlayBass::IsStreamAddress(path);
        const bool playlist
            = !stream && CPlsFile::FormatFromExtension(QFileInfo(path).suffix()) != PlsFormat::None;
        if (!stream && !playlist) {
            files << path;
            continue;
        }
        if (!files.isEmpty())
            runJob(ProgressJob::AddToViewed, QString());
        if (stream)
            m_db.InsertPlaylistStream(
                DbConn::Viewed, m_db.LargestPosition(DbConn::Viewed) + 1, path, path);
        else
            runJob(ProgressJob::ImportPlaylist, path);
    }
    if (!files.isEmpty())
        runJob(ProgressJob::AddToViewed, QString());
    if (m_shutDown)
        return;
    m_player.prepared = nullptr;
    m_playlists.FillAfter(first, m_list);
    m_list.ScrollToEnd();
}

void CPanelWnd::OnAddFiles()
{
    if (!m_db.IsOpen(DbConn::Viewed)) {
        Warn(4, 2, QMessageBox::Information);
        return;
    }
    QStringList paths;
    {
        ModalBracket bracket(*this);
        paths = QFileDialog::getOpenFileNames(this, QString(), QString(),
            QtFilterText(CFileDialogEx::AudioFilters()));
    }
    if (!paths.isEmpty())
        AddPathsToPlaylist(paths);
}

void CPanelWnd::OnAddFolder()
{
    if (!m_db.IsOpen(DbConn::Viewed)) {
        Warn(4, 2, QMessageBox::Information);
        return;
    }
    QString folder;
    {
        ModalBracket bracket(*this);
        folder = QFileDialog::getExistingDirectory(this,
            m_language.Line(LangSection::LibraryDialog, 7));
    }
    if (!folder.isEmpty())
        AddPathsToPlaylist({folder});
}

void CPanelWnd::OnOpenPlaylistFile()
{
    QString path;
    {
        ModalBracket bracket(*this);
        path = QFileDialog::getOpenFileName(this, QString(), QString(),
            QtFilterText(CFileDialogEx::PlaylistFilters()));
    }
    if (!path.isEmpty())
        m_jobs.Run([this, path] { ImportPlaylistFile(path); });
}

void CPanelWnd::ImportPlaylistFile(const QString& path)
{
    if (m_shutDown)
        return;
    CloseViewedList();
    const std::optional<int> index =
        m_playlists.CreatePlaylist(QFileInfo(path).completeBaseName(), &m_tree);
    if (!index)
        return;
    CheckRegistrySaved();
    const QString file = m_playlists.Entries()[static_cast<std::size_t>(*index)].file;
    {
        ModalBracket bracket(*this);
        CDlgProgress dlg(this);
        dlg.SetLines(m_language.Section(LangSection::ProcessDialog));
        dlg.SetDatabase(&m_db);
        dlg.SetTagReader(&CPlayBass::ReadTags);
        dlg.SetJob(ProgressJob::ImportPlaylist);
        dlg.SetImport(path, file);
        dlg.Run();
    }
    CSkinTreeNode* playlists = m_tree.Rows().PlaylistsCategory();
    if (playlists && !playlists->m_children.empty() && !m_shutDown) {
        CSkinTreeNode* node = playlists->m_children.back();
        m_tree.Rows().SetSelection(node);
        m_tree.RecalcLayout();
        FillList(node);
    }
}

void CPanelWnd::OnAddToPlaylist(int index)
{
    if (index < 0 || index >= static_cast<int>(m_playlists.Entries().size()))
        return;
    const bool stations = m_list.Rows().RadioMode();
    std::vector<SelectedRow> rows;
    for (const CSkinListNode* row : m_list.Rows().Selection()) {
        if (row->IsSong())
            rows.push_back({row->m_libraryId, row->m_file, row->m_texts[static_cast<int>(ListSlot::Title)]});
    }
    if (rows.empty())
        return;
    WaitCursor wait;
    const bool fromLibrary = !stations && !m_db.IsOpen(DbConn::Viewed);
    m_playlists.CopyToPlaylist(index, fromLibrary, rows);
}

void CPanelWnd::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CPanelWnd::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile() && url.toLocalFile().size() <= 519)
            paths << url.toLocalFile();
    }
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    DropFiles(paths);
}

void CPanelWnd::DropFiles(const QStringList& paths)
{
    if (m_db.IsOpen(DbConn::Viewed)) {
        AddPathsToPlaylist(paths);
        return;
    }
    // A library view takes no files: a drop that silently did nothing would look broken.
    Warn(4, 2, QMessageBox::Information);
}

void CPanelWnd::OnDroppedOnPlaylist(CSkinTreeNode* playlist, bool fromList, const QStringList& paths)
{
    const int index = m_playlists.IndexOfFile(playlist->m_key);
    if (index < 0)
        return;
    if (fromList) {
        OnAddToPlaylist(index);
        return;
    }
    if (paths.isEmpty())
        return;
    if (CurrentPlaylistIndex() == index)
        AddPathsToPlaylist(paths);
    else
        AddPathsToStoredPlaylist(
            m_playlists.Entries()[static_cast<std::size_t>(index)].file, paths);
}

void CPanelWnd::AddPathsToStoredPlaylist(const QString& file, const QStringList& paths)
{
    m_jobs.Run([this, file, paths] {
        if (!m_shutDown)
            AddPathsToStoredPlaylistNow(file, paths);
    });
}

void CPanelWnd::AddPathsToStoredPlaylistNow(const QString& file, const QStringList& paths)
{
    ModalBracket bracket(*this);
    CDlgProgress dlg(this);
    dlg.SetLines(m_language.Section(LangSection::ProcessDialog));
    dlg.SetDatabase(&m_db);
    dlg.SetTagReader(&CPlayBass::ReadTags);
    dlg.SetJob(ProgressJob::AddToPlaylist);
    dlg.SetPlaylistFile(file);
    dlg.SetPaths(paths);
    dlg.Run();
}

void CPanelWnd::OpenFiles(const QStringList& paths)
{
    m_jobs.Run([this, paths] { OpenFilesNow(paths); });
}

void CPanelWnd::OpenFilesNow(const QStringList& paths)
{
    if (paths.isEmpty() || m_shutDown)
        return;
    // What the desktop hands over is meant to be heard now: with no playlist to take it, the
    // user's own default playlist does rather than a note asking to open one first.
    if ((!m_db.IsOpen(DbConn::Viewed) || m_list.Rows().RadioMode()) && !ShowMyPlaylist()) {
        Warn(4, 2, QMessageBox::Information);
        return;
    }
    const std::size_t before = m_list.Rows().Songs().size();
    AddPathsNow(paths);
    // The first of them plays.
    const std::vector<CSkinListNode*>& songs = m_list.Rows().Songs();
    if (songs.size() > before && !m_shutDown)
        PlayNode(songs[before]);
}

bool CPanelWnd::ShowMyPlaylist()
{
    const QString name = QStringLiteral("My Playlist");
    const std::vector<PlaylistEntry>& entries = m_playlists.Entries();
    auto entry = std::find_if(
        entries.begin(), entries.end(), [&name](const PlaylistEntry& e) { return e.name == name; });
    QString file;
    if (entry != entries.end()) {
        file = entry->file;
    } else {
        // Deleted by the user since the first start: made again, at the end of the tree.
        const std::optional<int> index = m_playlists.CreatePlaylist(name, &m_tree);
        if (!index)
            return false;
        file = m_playlists.Entries()[static_cast<std::size_t>(*index)].file;
    }
    CSkinTreeNode* playlists = m_tree.Rows().PlaylistsCategory();
    CSkinTreeNode* node = nullptr;
    if (playlists) {
        for (CSkinTreeNode* child : playlists->m_children) {
            if (child->m_key == file)
                node = child;
        }
    }
    if (!node)
        return false;
    m_tree.Rows().SetSelection(node);
    m_tree.RecalcLayout();
    FillList(node);
    return m_db.IsOpen(DbConn::Viewed);
}
