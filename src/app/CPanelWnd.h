// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CAppPalette.h"
#include "CAudioLib.h"
#include "CContextMenu.h"
#include "CDBase.h"
#include "CDirectoryLoad.h"
#include "CHotKey.h"
#include "CJobQueue.h"
#include "CKeyHook.h"
#include "CLanguage.h"
#include "CHeardTime.h"
#include "CLastFM.h"
#include "CLibraryFollow.h"
#include "CListenBrainz.h"
#include "CListenToken.h"
#include "CListFill.h"
#include "CMoveLayered.h"
#include "CMoveResize.h"
#include "CMprisLink.h"
#include "CMsgTarget.h"
#include "CPlayBass.h"
#include "CPlaylistStore.h"
#include "CRadioBrowser.h"
#include "CSHOUTcast.h"
#include "CSettings.h"
#include "CSkinDraw.h"
#include "CSkinList.h"
#include "CSkinPanel.h"
#include "CSkinSearch.h"
#include "CSkinTree.h"
#include "CSkinVis.h"
#include "CStationIcon.h"
#include "CTrayIcon.h"
#include "CTreeFill.h"
#include "CWheelSteps.h"

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QWidget>

class QShortcut;

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The main window: a caption-less top-level window that owns every other object of the player
// for the whole run, routes every command and private message, and brings everything up and
// down in a fixed order. One per process; UI thread only.
class CPanelWnd : public QWidget, public ISkinWindow {
    Q_OBJECT
public:
    CPanelWnd();
    ~CPanelWnd() override;

    // The creation routine: folders, settings, language, window, skin, engine, database, hot
    // keys, tray icon, menus, client link, key hook, the skin's child windows (tree, list,
    // visualisers, the list restored from the stored node), and on a first run "My Playlist"
    // and the library folders dialog. A library that cannot be opened is told to the user and
    // the player runs with an empty one. Returns true. Call once.
    bool Create();

    // The ordered shut-down: timers, tray icon, playlist registry, client link, settings (with
    // the restored window rectangle; a failed save is told while the window is shown), then
    // the loop is asked to quit. Runs once; later calls do nothing.
    void Shutdown();
    bool IsShutDown() const { return m_shutDown; }

    // Shows the window in front, restoring it when minimised (a second start asks for this).
    void RaiseAndRestore();

    // A menu item or accelerator. Ids without a handler are ignored. One that needs the list's
    // rows while a library fill reads them is held, and runs once the rows are in.
    void OnCommand(int id);
    // Private messages from the views, the engine, the hook and the tray; see UserMessage.h.
    LResult OnUserMessage(unsigned msg, WParam wParam, LParam lParam);
    // The receiver that other objects send and post private messages to.
    CMsgTarget* MsgTarget();

    // Wraps every modal dialog the window opens: with a layered skin the companion windows
    // are disabled while it lives, so only the dialog takes input. The ones it disabled are
    // enabled again when it ends, even when the dialog changed the skin meanwhile.
    class ModalBracket {
    public:
        explicit ModalBracket(CPanelWnd& wnd);
        ~ModalBracket();
        ModalBracket(const ModalBracket&) = delete;
        ModalBracket& operator=(const ModalBracket&) = delete;

    private:
        std::vector<QPointer<QWidget>> m_disabled; // a visualiser may go with a skin change
    };

    const QString& GetProgramFolder() const { return m_programFolder; }
    const QString& GetProfileFolder() const { return m_profileFolder; }
    CSettings& GetSettings() { return m_settings; }
    CLanguage& GetLanguage() { return m_language; }
    CDBase& GetDatabase() { return m_db; }
    CPlayBass& GetEngine() { return m_engine; }
    CSkinDraw& GetSkinDraw() { return m_skinDraw; }
    const SkinPanels& GetPanels() const { return m_panels; }
    const CMoveResize& GetMover() const { return m_mover; }
    CSkinList& GetList() { return m_list; }
    // The search box; hidden while the skin places none.
    CSkinSearch& GetSearch() { return m_search; }
    // Reads library lists off the UI thread; running from a tree selection or the start-up
    // restore until its rows show.
    CListFill& GetListFill() { return m_listFill; }
    CSkinTree& GetTree() { return m_tree; }
    // Reads the children of the tree's categories off the UI thread; running from a
    // category's expansion (or a refresh that opens it again) until its children show.
    CTreeFill& GetTreeFill() { return m_treeFill; }
    const std::vector<std::unique_ptr<CSkinVis>>& GetVisualisers() const { return m_vis; }
    CContextMenu& GetMenus() { return m_menus; }
    CSHOUTcast& GetRadio() { return m_radio; }
    // Loads a radio genre's stations; running from a genre's selection until they are listed.
    CDirectoryLoad& GetStationLoad() { return m_stationLoad; }
    // The open directory, the radio node's source unless the settings name the older one.
    CRadioBrowser& GetRadioBrowser() { return m_radioBrowser; }
    CStationIcon& GetStationIcon() { return m_stationIcon; }
    CLastFM& GetLastFM() { return m_lastFm; }
    // The direct link to the listen-history service and the store of its token.
    CListenBrainz& GetListens() { return m_listens; }
    CListenToken& GetListenToken() { return m_listenToken; }
    CHotKey& GetHotKeys() { return m_hotKeys; }
    CTrayIcon& GetTray() { return m_tray; }
    const CAppPalette& GetAppPalette() const { return m_appPalette; }

    // The player's state, for the views of the window and for tests.
    struct PlayerState {
        bool playing = false; // a file is loaded and not stopped; a stream once connected
        bool paused = false;
        bool stream = false;
        bool opening = false; // a file is being opened; PlayNode goes on when it is open
        int libraryId = 0; // counting keys of the playing track (either may be 0)
        int playlistId = 0;
        QString station;
        int fallOff = 0; // spectrum ticks left to let the bars fall
        CSkinListNode* prepared = nullptr;
        QString title; // what the title strip shows, before the fall-backs
        QString artist;
        QString album;
        qint64 lengthMs = 0; // of the playing file; 0 for a stream or when unknown
        QString coverFile; // the playing file's album picture, for the desktop's media controls
    };
    const PlayerState& GetPlayer() const { return m_player; }
    bool IsSpectrumRunning() const { return m_spectrumTimer.isActive(); }
    bool IsPositionRunning() const { return m_positionTimer.isActive(); }
    // The text the window title and the tray tip show for a track.
    static QString NowPlayingText(const QString& artist, const QString& title);
    // Shuffle's pick among count rows for a seed: any position of the whole list; -1 for none.
    static int ShuffleIndex(unsigned seed, int count);
    // The last failure shown to the user without a modal box (a file that could not be played).
    const QString& GetStatusText() const { return m_statusText; }

    // Player operations (each input routes to one of these).
    void PlayRow();
    void Play();
    void PlayPause();
    void PauseToggle();
    void Stop();
    void Next();
    void Previous();
    void Seek(int position);
    QString PrepareNext();
    void TrackEnded(bool failed, bool stream);
    void StreamConnected(int code);
    // UWM_PLAYERCONNECT: the file being opened or the stream connecting has an outcome (code
    // as the message's wParam) for the engine's request number.
    void OpenFinished(int code, LParam request);
    void StreamTitleChanged();
    void SetVolume(int level);
    void VolumeUp();
    void VolumeDown();
    void SetMute(bool on);
    void SetRepeat(bool on);
    void SetShuffle(bool on);
    void RateTrack(int value, bool fromControl);
    // What the desktop and a later start hand over (files, folders, playlist files and stream
    // addresses): added to the playlist the list shows or, when it shows none, to
    // "My Playlist" (made again when missing), which is then shown; a playlist file adds its
    // entries. The first added row plays. Runs as a database job (see CJobQueue): when one
    // runs already, after it, and this call returns at once.
    void OpenFiles(const QStringList& paths);
    // Whether a database job runs (its progress dialog is up), and how many wait behind it.
    const CJobQueue& GetJobs() const { return m_jobs; }
    // The library following its folders (runs made, whether it watches).
    const CLibraryFollow& GetFollow() const { return m_follow; }
    // Fills the list from a tree node; without one, from the node stored in settings.
    void FillList(CSkinTreeNode* node);
    // Empties the tree and builds its category heads with the saved playlists.
    void RebuildTree();
    // A skin control's action by its kind.
    void OnSkinControl(CSkinElement* control);
    // One tick of timer 100 / timer 200.
    void OnPositionTick();
    void OnSpectrumTick();

    // Stops playback and replaces the skin (falling back to "Default"), keeping the window's
    // top-left corner and bringing its size within the new limits. Returns false after a
    // fall-back. The skin chooser asks for it with UWM_SKINAPPLY.
    bool ApplySkin(const QString& name);

    // Folder for the user's files: the per-user application-data location plus "Plumo".
    static QString DefaultProfileFolder();

    // Command ids of the accelerator table (keyboard shortcuts while the window is active).
    static constexpr int ID_DELETE = 32771;
    static constexpr int ID_ENTER = 32774;
    static constexpr int ID_SPACE = 32773;
    static constexpr int ID_CTRL_LEFT = 32775;
    static constexpr int ID_CTRL_RIGHT = 32776;
    static constexpr int ID_CTRL_SPACE = 32778;
    static constexpr int ID_MEDIA_PLAYPAUSE = 32780;
    static constexpr int ID_MEDIA_STOP = 32781;
    static constexpr int ID_MEDIA_NEXT = 32782;
    static constexpr int ID_MEDIA_PREV = 32783;
    static constexpr int ID_FIND = 32784;
    // Menu command ids the window names itself (the others are CContextMenu's).
    static constexpr int ID_LIBRARY_FOLDERS = 104;
    static constexpr int ID_EXIT = 110;
    static constexpr int ID_HIDE_IN_TRAY = 113;
    static constexpr int ID_SHUFFLE = 114;
    static constexpr int ID_REPEAT = 115;
    static constexpr int ID_LANGUAGE = 117;
    static constexpr int ID_SKIN = 112;
    static constexpr int kPositionTimerId = 100;
    static constexpr int kSpectrumTimerId = 200;
    static constexpr int kFallOffTicks = 100;
    static constexpr int kWarningIcon = 2; // QMessageBox::Warning
    static constexpr int kSearchLine = 12; // "Library" line of the search box's placeholder

Q_SIGNALS:
    // Every command that reaches OnCommand, handled or not (menus and tests observe it).
    void CommandRouted(int id);
    // A skin control was clicked (its element kind), after the window acted on it.
    void SkinControlClicked(int kind);
    // A failure was shown to the user (in the title strip or a note).
    void StatusShown(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Watches the child views: the pointer entering one has left the skin's surface, and a
    // press on the list or the tree makes it the view clicked last.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // The skin painter's window.
    void SetSkinLayered(bool layered) override;
    void SetSkinRegion(const QRegion& region) override;
    void InvalidateSkin(const QRect& rect) override;

private:
    class MsgPort;
    struct CommandRow;
    static const CommandRow kCommands[];
    struct MessageRow;
    static const MessageRow kMessages[];
    struct KindRow;
    static const KindRow kKinds[];

    void SetFolders();
    void LoadSettingsAndLanguage();
    void CreateMainWindow();
    void InstallAccelerators();
    void RunFirstRun();
    void RegisterOnBus();
    void RememberNormalRect();
    void SaveSettings();
    void OpenLibrary();
    void ShowLibraryError();
    // Tells the user that something was not stored, in a note that does not wait.
    void ReportFailure(const QString& text);
    // After a rating that was not stored: row shows the stars its file holds.
    void ShowStoredRating(CSkinListNode* row);
    // After a change of the playlists: tells the user when "Playlist.xml" was not written.
    void CheckRegistrySaved();

    void InitEngine();
    void LoadSkin();
    // Gives the window the skin's minimum and maximum size.
    void SetSizeLimits();
    void PushSkinState();
    // Menus and dialogs take the loaded skin's palette, or the desktop's look without one.
    void ApplySkinPalette();
    // The skin's Time texts: refreshed from the engine at each position tick, at a track's
    // start and at a seek (atSeconds: the time sought to, which the engine reaches only once
    // the file is open again).
    void UpdateTimeText(std::optional<qint64> atSeconds = std::nullopt);
    void ToggleTimeRemaining();
    // The playing file's length in seconds; 0 for a stream or when nothing plays.
    qint64 PlayingLengthSeconds() const;
    // The time under the pointer while it is over a track bar of a playing file.
    void ShowTrackTip(QPoint pos, QPoint globalPos);
    void StartSystemDrag(int mode);
    void Minimize();
    void ApplyTrigger(CSkinElement& control);
    void OnSkin();
    void RunCommand(int id);
    bool HoldWhileFilling(int id);
    void RunHeldCommands();
    // Shows the library folders dialog; true with the confirmed folders when Update was pressed.
    bool ChooseLibraryFolders(QStringList* folders);
    // Queues the update of the given folders behind the database jobs asked for before it.
    void RunLibraryUpdate(const QStringList& folders);
    void RunLibraryUpdateNow(const QStringList& folders);
    void OnLibraryFolders();
    void OnExit();
    void OnHideInTray();
    void OnShuffle();
    void OnRepeat();
    void OnLanguage();
    void OnEqualizer();
    void OnLastFM();
    void OnLoudnessOff();
    void OnLoudnessTrack();
    void OnLoudnessAlbum();
    void OnLoudnessAuto();
    void OnPreventClipping();
    void OnLoudnessLevels();
    // Main menu lines of the levels dialog: its caption, then the preamp's and the untagged
    // gain's labels.
    static constexpr int kLoudnessLevelsCaptionLine = 29;
    static constexpr int kPreampLevelLine = 30;
    static constexpr int kUntaggedLevelLine = 31;
    // Hands the stored loudness settings to the engine and checks their menu items.
    void ApplyLoudness();
    void SetLoudnessMode(int mode);
    // Hands the gains stored in the library to the engine, for files whose tags hold none.
    void LookUpStoredGains();
    void OnAnalyseLoudness();
    void OnAnalyseLibrary();
    // Measures the library files named (all when null) with the rest of their albums, and
    // stores the gains; the progress dialog shows meanwhile.
    void AnalyseLoudness(const QSet<QString>* files);
    static constexpr int kAnalyseLibraryLine = 24; // in the main menu's language lines
    void OnListenBrainz();
    void OnHotKeys();
    void OnOpenURL();
    void OnProperties();
    void OnNewPlaylist();
    void OnRenamePlaylist();
    void OnDeletePlaylist();
    void OnAbout();
    void OnAddFiles();
    void OnAddFolder();
    void OnRemoveRows();
    void OnSelectAll();
    void OnOpenPlaylistFile();
    void ImportPlaylistFile(const QString& path);
    void OnAddToPlaylist(int index);

    // Private messages, one handler each.
    LResult OnTreeExpand(WParam wParam, LParam lParam);
    LResult OnTreeSelect(WParam wParam, LParam lParam);
    LResult OnListPlay(WParam wParam, LParam lParam);
    LResult OnNextFile(WParam wParam, LParam lParam);
    LResult OnTrackEnd(WParam wParam, LParam lParam);
    LResult OnListRating(WParam wParam, LParam lParam);
    LResult OnSkinApply(WParam wParam, LParam lParam);
    LResult OnListMenu(WParam wParam, LParam lParam);
    LResult OnTreeMenu(WParam wParam, LParam lParam);
    LResult OnTreeReorder(WParam wParam, LParam lParam);
    LResult OnListReorder(WParam wParam, LParam lParam);
    LResult OnListDrag(WParam wParam, LParam lParam);
    LResult OnPlayerMeta(WParam wParam, LParam lParam);
    LResult OnPlayerConnect(WParam wParam, LParam lParam);
    LResult OnHookKeyDown(WParam wParam, LParam lParam);
    LResult OnTrayNotify(WParam wParam, LParam lParam);

    // Child windows of the skin and the companions of a layered skin.
    void CreateChildWindows();
    void FreeChildWindows();
    void PlaceChildWindows();
    void ShowMenus();
    void CheckMenus();

    // Player steps shared by the operations.
    void PlayNode(CSkinListNode* row);
    void PlayStarted(CSkinListNode* row);
    void FileOpened(int code);
    void ShowStream(CSkinListNode* row);
    void ShowFile(CSkinListNode* row);
    void ShowTexts(const QString& title, const QString& artist, const QString& album, bool stream);
    void SetNowPlaying(const QString& artist, const QString& title);
    void ClearNowPlaying();
    void UpdateMpris();
    void StartPlayingTimers();
    void StartFallOff();
    void CountPlay();
    void CountSkip();
    void ForgetPlayingRow();
    void Warn(int messageLine, int captionLine, int icon = kWarningIcon);
    void OnDroppedOnPlaylist(CSkinTreeNode* playlist, bool fromList, const QStringList& paths);
    void ShowStatus(const QString& text);
    CSkinListNode* FirstSong() const;
    CSkinListNode* SongAfter(CSkinListNode* row, bool wrap) const;
    CSkinListNode* SongBefore(CSkinListNode* row, bool wrap) const;
    void StoreNode(CSkinTreeNode* node);
    void FillFromStoredNode();
    void CloseViewedList();
    int CurrentPlaylistIndex() const;
    // Adds to the shown playlist as a database job (see OpenFiles for the kinds of paths).
    void AddPathsToPlaylist(const QStringList& paths);
    // Files dropped on the window or the list: added to the shown playlist, or a note says
    // that only a playlist takes them.
    void DropFiles(const QStringList& paths);
    void AddPathsNow(const QStringList& paths);
    void OpenFilesNow(const QStringList& paths);
    // Shows "My Playlist", made first when there is none. False when no playlist is shown then.
    bool ShowMyPlaylist();
    // The window's media-key shortcuts step aside for the keys the hook acts on.
    void UpdateMediaAccelerators();
    void ShowNote(const QString& text);
    // Adds files to a playlist the list does not show, by its file name in "Playlist".
    void AddPathsToStoredPlaylist(const QString& file, const QStringList& paths);
    void AddPathsToStoredPlaylistNow(const QString& file, const QStringList& paths);
    void AfterLibraryUpdate();
    // The search box: focus from the keys; the list shows the tracks its words find, and what
    // it showed before once no word is left.
    void SetUpSearch();
    void OnFind();
    void OnSearchChanged();
    void ShowSearch(const ListQuery& query);
    // The tree or the window chose another list: the box lets go of its words.
    void DropSearch();
    // Following the library folders: set up at creation; started (or stopped, when switched
    // off or without a readable folder list) after the window shows and after the folders
    // change; a quiet run's outcome shown; the tree built again with its open nodes, selection
    // and scroll position kept.
    void SetUpFollow();
    void StartFollowing();
    void OnWatchFolders();
    void FollowUpdated(const UpdateStats& stats);
    void RefreshTree();
    void Reopen(CSkinTreeNode* node, const QSet<QString>& open, const QString& selected);
    // The children of the category of kind, read on the tree fill worker, go under it; a
    // refresh waiting for them opens and selects again what it kept beneath it.
    void TreeChildrenRead(TreeKind kind, const CTreeFill::Children& children);
    void StationsLoaded(bool listed, const std::vector<radio::Station>& stations);
    // The listen-history link: set up at creation; the account from settings, the token store
    // and the environment; a file track's start (info as ShowFile reads it); a position
    // reading; the end of the track heard (to its end, or left); a seek to position.
    void SetUpListens();
    void ApplyListenAccount();
    void StartListen(const CSkinListNode* row, const QStringList& info);
    void NoteHeard();
    void SendDueListen();
    void EndListen(bool heardToEnd);
    void SeekListen(int position);
    // The radio node's children and lists, from the source the settings name.
    void ExpandRadio(CSkinTreeNode* node);
    void FillRadioList(CSkinTreeNode* node);
    void BrowserStationsLoaded(bool listed, const std::vector<radio::Station>& stations);
    void CountriesLoaded(bool listed, const std::vector<CRadioBrowser::Node>& countries);
    void OnRadioBrowser();
    void OnRadioDeveloperId();
    // Switches the radio node's source: its children go, to come again from the new source.
    void SetRadioSource(int source);
    // A station of the open directory began to play: the directory hears of it and its icon
    // becomes the cover.
    void StationPlaying(const CSkinListNode* row);
    void StationIconReady(bool ok, const QString& folder);
    void ConnectRadio();

    // Members in the order of construction; destruction runs in reverse, so the engine is
    // gone before the audio layer it plays through and before the port it posts to.
    SkinPanels m_panels;
    CMoveResize m_mover;
    CMoveLayered m_composer;
    std::unique_ptr<MsgPort> m_msgPort;
    CSkinList m_list;
    CSkinTree m_tree;
    CSkinSearch m_search;
    bool m_searchShown = false; // the list shows the tracks the search box finds
    std::vector<std::unique_ptr<CSkinVis>> m_vis;
    CAudioLib m_audio;
    CDBase m_db;
    CPlaylistStore m_playlists;
    CListFill m_listFill; // after the list and the database: its worker is joined before they go
    CTreeFill m_treeFill; // after the tree and the database, for the same reason
    // What a tree refresh keeps while categories it opened again still wait for children: the
    // places of the open nodes and of the selection, the scroll position wanted and the one
    // the refresh could show without those children.
    struct TreeKeep {
        QSet<QString> open;
        QString selected;
        int scroll = 0;
        int shownScroll = 0;
    };
    std::optional<TreeKeep> m_treeKeep;
    CPlayBass m_engine;
    CSkinDraw m_skinDraw;
    CTrayIcon m_tray;
    CContextMenu m_menus;
    CLanguage m_language;
    QString m_programFolder;
    QString m_profileFolder;
    CLastFM m_lastFm;
    CSettings m_settings;
    CSHOUTcast m_radio;
    CDirectoryLoad m_stationLoad;
    CRadioBrowser m_radioBrowser;
    CStationIcon m_stationIcon;
    QHash<QString, radio::Station> m_browserStations; // the listed ones, by stream address
    QString m_iconFor; // the stream address whose icon is awaited
    CHotKey m_hotKeys;
    std::unique_ptr<CKeyHook> m_keyHook;
    CMprisLink m_mpris;
    CJobQueue m_jobs;
    CLibraryFollow m_follow; // its watch thread ends before the job queue it hands runs to
    bool m_watchLimitShown = false;
    CAppPalette m_appPalette;
    CListenToken m_listenToken;
    CListenBrainz m_listens;
    CHeardTime m_heard;        // of the playing file, while it may make a listen
    ListenTrack m_listenTrack; // the playing file as its listen tells it
    qint64 m_listenStart = 0;  // when it started, in seconds since 1970 (UTC)

    QTimer m_positionTimer; // 100: position, 500 ms
    QTimer m_spectrumTimer; // 200: spectrum, 30 ms
    QRect m_normalRect;     // the restored rectangle, kept while minimised or maximised
    PlayerState m_player;
    // The row whose file is being opened, as it was when PlayNode started it.
    struct OpeningRow {
        QString file;
        int libraryId = 0;
        int playlistId = 0;
        ListTexts texts;
        int rating = 0;
    };
    OpeningRow m_opening;
    QString m_statusText;
    // The list or the tree, whichever the user clicked last (null before the first click):
    // Delete and "Remove from Playlist" act on the list's rows only after a click on the list.
    const QWidget* m_lastClickedView = nullptr;
    QString m_libraryError;
    // Where the pointer is over the skin's own surface; none once it left the window or went
    // into a child window.
    std::optional<QPoint> m_pointer;
    CWheelSteps m_wheel; // turns over the skin's surface
    bool m_ownDrag = false;
    bool m_hideInTray = false;
    std::vector<int> m_held; // commands waiting for a library fill to end, in their order
    // The media-key shortcuts of the window with the virtual-key code the hook reports.
    std::vector<std::pair<QShortcut*, int>> m_mediaShortcuts;
    bool m_created = false;
    bool m_shutDown = false;
};
