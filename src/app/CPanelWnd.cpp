// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPanelWnd.h"

#include "EmbeddedCover.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>

#include "VirtualKey.h"

#include <algorithm>

namespace {
constexpr int kPositionTimerMs = 500;
constexpr int kSpectrumTimerMs = 30;
// The installed desktop file, without ".desktop".
constexpr const char* kDesktopFileName = "org.plumo.Plumo";
} // namespace

// Forwards private messages to the window: the window is a QWidget and cannot also be the
// message target's QObject.
class CPanelWnd::MsgPort : public CMsgTarget {
public:
    explicit MsgPort(CPanelWnd& wnd)
        : m_wnd(wnd)
    {
    }
    LResult OnUserMessage(unsigned msg, WParam wParam, LParam lParam) override
    {
        return m_wnd.OnUserMessage(msg, wParam, lParam);
    }

private:
    CPanelWnd& m_wnd;
};

CPanelWnd::CPanelWnd()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_msgPort(std::make_unique<MsgPort>(*this))
    , m_playlists(m_db)
    , m_engine(m_audio)
    , m_tray(m_msgPort.get())
    , m_menus([this](int id) { OnCommand(id); })
    , m_mpris(*this)
{
    setWindowTitle(QStringLiteral("Plumo"));
    setObjectName(QStringLiteral("PlumoWnd"));
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // Translucent from the start: the choice of a window with alpha is made when the native
    // window is created, and a skin applied later may be layered. A non-layered skin paints
    // every pixel opaque and is shaped by its region.
    setAttribute(Qt::WA_TranslucentBackground);
    m_positionTimer.setInterval(kPositionTimerMs);
    m_spectrumTimer.setInterval(kSpectrumTimerMs);
    connect(&m_positionTimer, &QTimer::timeout, this, &CPanelWnd::OnPositionTick);
    connect(&m_spectrumTimer, &QTimer::timeout, this, &CPanelWnd::OnSpectrumTick);
    m_skinDraw.SetPictureReader(&EmbeddedCover);
    m_skinDraw.SetCoverListener([this](const QString& image) {
        m_player.coverFile = image;
        UpdateMpris();
    });
    connect(&m_listFill, &CListFill::BusyChanged, this, [this](bool busy) {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            return;
        }
        QApplication::restoreOverrideCursor();
        // Queued: a fill that was dropped may be followed at once by the one replacing it.
        QMetaObject::invokeMethod(this, &CPanelWnd::RunHeldCommands, Qt::QueuedConnection);
    });
    connect(&m_stationLoad, &CDirectoryLoad::BusyChanged, this, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    connect(&m_stationLoad, &CDirectoryLoad::Finished, this, &CPanelWnd::StationsLoaded);
    connect(&m_treeFill, &CTreeFill::BusyChanged, this, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    connect(&m_treeFill, &CTreeFill::Finished, this,
        [this](TreeKind kind, const CTreeFill::Children& children, bool) {
            TreeChildrenRead(kind, children);
        });
    ConnectRadio();
    connect(&m_tree, &CSkinTree::DroppedOnPlaylist, this, &CPanelWnd::OnDroppedOnPlaylist);
    connect(&m_list, &CSkinList::FilesDropped, this, &CPanelWnd::DropFiles);
    m_list.installEventFilter(this);
    m_tree.installEventFilter(this);
}

CPanelWnd::~CPanelWnd() = default;

CMsgTarget* CPanelWnd::MsgTarget()
{
    return m_msgPort.get();
}

QString CPanelWnd::DefaultProfileFolder()
{
    // With the application name "Plumo" and no organisation this is the per-user data
    // location plus "Plumo" (roaming AppData on Windows, XDG data home on Linux).
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool CPanelWnd::Create()
{
    SetFolders();
    LoadSettingsAndLanguage();
    CreateMainWindow();
    LoadSkin();
    PushSkinState();
    InitEngine();
    OpenLibrary();
    m_hotKeys.SetProfileFolder(m_profileFolder);
    m_hotKeys.Load();
    m_tray.Add(CTrayIcon::ProgramIcon(m_programFolder));
    m_hideInTray = m_settings.GetHideInTray() != 0;
    m_menus.Build(m_language);
    m_tray.SetMenu(m_menus.Get(CContextMenu::Menu::Tray));
    if (m_settings.GetLastFm())
        m_settings.SetLastFm(m_lastFm.Start() ? 1 : 0);
    SetUpListens();
    SetUpFollow();
    CheckMenus();
    m_keyHook = CKeyHook::Install(MsgTarget());
    InstallAccelerators();
    SetUpSearch();
    CreateChildWindows();
    m_skinDraw.Layout(width(), height());
    PlaceChildWindows();
    m_created = true;
    if (m_settings.IsFirstRun()) {
        RunFirstRun();
    } else {
        show();
        RegisterOnBus();
        // Changes made while the program was closed are taken in once the window has shown.
        QTimer::singleShot(0, this, [this] { StartFollowing(); });
    }
    if (!m_libraryError.isEmpty() && !m_settings.IsFirstRun())
        ShowLibraryError();
    if (m_skinDraw.IsLayered()) {
        m_composer.Show();
        m_composer.Place(false);
    }
    return true;
}

void CPanelWnd::RegisterOnBus()
{
    // The desktop learns of the player once its window is up, and its media controls start
    // from the stored volume, shuffle and repeat.
    m_mpris.Register();
    UpdateMpris();
}

void CPanelWnd::OpenLibrary()
{
    m_db.SetFolder(m_profileFolder);
    m_db.OpenLibrary();
    m_db.SetLanguage(&m_language);
    LookUpStoredGains();
    if (!m_db.IsOpen(DbConn::Library)) {
        // The player still runs: the library reads as empty and the user knows why.
        m_libraryError = tr("The music library \"%1\" could not be opened or created. "
                            "Plumo runs with an empty library until the file can be used.")
                             .arg(QDir::toNativeSeparators(m_profileFolder + "/Library.db"));
    }
}

void CPanelWnd::CheckMenus()
{
    m_menus.Check(ID_REPEAT, m_settings.GetRepeat() != 0);
    m_menus.Check(ID_SHUFFLE, m_settings.GetShuffle() != 0);
    m_menus.Check(ID_HIDE_IN_TRAY, m_hideInTray);
    m_menus.Check(CContextMenu::ID_LASTFM, m_settings.GetLastFm() != 0);
    ApplyLoudness();
    m_menus.Check(CContextMenu::ID_RADIO_BROWSER, m_settings.GetRadioDirectory() == 0);
    m_menus.Check(CContextMenu::ID_RADIO_DEVELOPER_ID, m_settings.GetRadioDirectory() == 1);
    m_menus.Check(CContextMenu::ID_WATCH_FOLDERS, m_settings.GetWatchFolders() != 0);
}

void CPanelWnd::CreateChildWindows()
{
    // The views' pictures belong to the skin: they share the window's image budget.
    const CImageBudget::Scope images(m_skinDraw.GetImageBudget());
    QString treeSkin;
    QString listSkin;
    const bool layered = m_skinDraw.IsLayered();
    for (const auto& panel : m_panels) {
        for (const CSkinPanelElement& e : panel->GetElements()) {
            CSkinElement* control = e.GetControl();
            QWidget* window = nullptr;
            switch (control->GetKind()) {
            case SkinKind::Library:
                treeSkin = control->GetSkinPath();
                window = &m_tree;
                break;
            case SkinKind::Playlist:
                listSkin = control->GetSkinPath();
                window = &m_list;
                break;
            case SkinKind::Search:
                m_search.LoadSkin(control->GetSkinPath(), devicePixelRatioF());
                window = &m_search;
                break;
            case SkinKind::Spectrum: {
                auto vis = std::make_unique<CSkinVis>(this);
                vis->installEventFilter(this);
                vis->LoadSkin(control->GetSkinPath(), devicePixelRatioF());
                window = vis.get();
                m_vis.push_back(std::move(vis));
                break;
            }
            default:
                break;
            }
            if (!window)
                continue;
            control->SetWindow(window);
            if (layered)
                m_composer.Add(window, control);
        }
    }
    m_tree.Create(this, MsgTarget());
    m_tree.LoadSkin(treeSkin, devicePixelRatioF());
    m_list.Create(this, MsgTarget());
    m_list.LoadSkin(listSkin, devicePixelRatioF());
    m_search.setPlaceholderText(m_language.Line(LangSection::Library, kSearchLine));
    if (m_settings.GetLibraryNode().node1Type != 0)
        FillFromStoredNode();
    RebuildTree();
}

void CPanelWnd::FreeChildWindows()
{
    m_composer.Clear();
    m_skinDraw.ForEachControl([](const CSkinPanel&, CSkinElement* control) {
        if (control)
            control->SetWindow(nullptr);
    });
    m_vis.clear();
    // The next skin may place no box; its list starts from the stored node either way.
    DropSearch();
    m_search.hide();
    m_search.FreeSkin();
    m_list.FreeSkin();
    m_tree.FreeSkin();
}

void CPanelWnd::PlaceChildWindows()
{
    // Several elements may hold one window (a list in a wide and a narrow panel): the last
    // element that is shown places it, and a window no shown element holds is hidden.
    std::vector<std::pair<QWidget*, SkinRect>> placed;
    std::vector<QWidget*> held;
    m_skinDraw.ForEachControl([&](const CSkinPanel& panel, CSkinElement* control) {
        QWidget* window = control ? control->GetWindow() : nullptr;
        if (!window)
            return;
        held.push_back(window);
        if (!panel.IsHidden() && !control->IsHidden())
            placed.emplace_back(window, control->GetRect());
    });
    for (QWidget* window : held) {
        auto last = std::find_if(placed.rbegin(), placed.rend(),
            [window](const auto& p) { return p.first == window; });
        if (last == placed.rend()) {
            window->hide();
        } else {
            window->setGeometry(last->second.ToQRect());
            window->show();
        }
    }
}

void CPanelWnd::SetFolders()
{
    m_programFolder = QCoreApplication::applicationDirPath();
    m_profileFolder = DefaultProfileFolder();
    QDir().mkpath(m_profileFolder); // failure is tolerated: the player runs without saving
}

void CPanelWnd::LoadSettingsAndLanguage()
{
    m_settings.Load(m_profileFolder);
    m_language.SetProgramFolder(m_programFolder);
    if (!m_language.Load(m_settings.GetLanguage()))
        m_language.Load(m_settings.GetDefaultLanguage());
}

void CPanelWnd::InitEngine()
{
    m_engine.SetProgramFolder(m_programFolder);
    m_engine.SetProfileFolder(m_profileFolder);
    m_engine.Init(MsgTarget());
    m_engine.SetMute(m_settings.GetMute() != 0);
    m_engine.SetVolume(m_settings.GetVolume());
}

void CPanelWnd::CreateMainWindow()
{
    // Before the native window exists: the taskbar, the window switcher and every dialog
    // (those without a parent through the application) show the program's icon, and the
    // desktop matches the window to the installed desktop file by its name (a Wayland
    // compositor takes it as the window's application id when the window is made).
    const QIcon icon = CTrayIcon::ProgramIcon(m_programFolder);
    QGuiApplication::setWindowIcon(icon);
    setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    const CSettings::WinRect& r = m_settings.GetWindowRect();
    setGeometry(r.left, r.top, r.Width(), r.Height());
    m_normalRect = geometry();
}

void CPanelWnd::InstallAccelerators()
{
    struct Accel {
        QKeySequence key;
        int id;
    };
    const Accel table[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Left), ID_CTRL_LEFT},
        {QKeySequence(Qt::CTRL | Qt::Key_Right), ID_CTRL_RIGHT},
        {QKeySequence(Qt::CTRL | Qt::Key_Space), ID_CTRL_SPACE},
        {QKeySequence(Qt::Key_Delete), ID_DELETE},
        {QKeySequence(Qt::Key_Return), ID_ENTER},
        {QKeySequence(Qt::Key_Enter), ID_ENTER},
        {QKeySequence(Qt::Key_Space), ID_SPACE},
        {QKeySequence(Qt::Key_MediaTogglePlayPause), ID_MEDIA_PLAYPAUSE},
        {QKeySequence(Qt::Key_MediaPlay), ID_MEDIA_PLAYPAUSE},
        {QKeySequence(Qt::Key_MediaStop), ID_MEDIA_STOP},
        {QKeySequence(Qt::Key_MediaNext), ID_MEDIA_NEXT},
        {QKeySequence(Qt::Key_MediaPrevious), ID_MEDIA_PREV},
        // The search box takes "/" as text once it has the focus.
        {QKeySequence(Qt::CTRL | Qt::Key_F), ID_FIND},
        {QKeySequence(Qt::Key_Slash), ID_FIND},
    };
    for (const Accel& a : table) {
        auto* shortcut = new QShortcut(a.key, this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = a.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] { OnCommand(id); });
        if (id >= ID_MEDIA_PLAYPAUSE && id <= ID_MEDIA_PREV)
            m_mediaShortcuts.emplace_back(shortcut, vkey::FromQtKey(a.key[0].key(), false));
    }
    UpdateMediaAccelerators();
}

void CPanelWnd::UpdateMediaAccelerators()
{
    // A media key pressed in the window also reaches the key hook (the X11 hook sees every
    // key; the focus hook sees the window's own). Where the hot-key table acts on the key, the
    // hook alone does, so one press is one action; a key the table leaves out still works
    // here. A disabled shortcut lets the key through to the window, where the focus hook
    // sees it.
    for (const auto& [shortcut, code] : m_mediaShortcuts)
        shortcut->setEnabled(m_hotKeys.LookupMessage(code, 0) == 0);
}

void CPanelWnd::RunFirstRun()
{
    m_playlists.CreatePlaylist(QStringLiteral("My Playlist"), &m_tree);
    m_tree.RecalcLayout();
    SaveSettings();
    show();
    RegisterOnBus();
    if (!m_libraryError.isEmpty())
        ShowLibraryError();
    QStringList folders;
    if (ChooseLibraryFolders(&folders) && !m_shutDown)
        RunLibraryUpdate(folders);
}

void CPanelWnd::ShowNote(const QString& text)
{
    // Window-modal but not waiting, like the warnings of the player.
    auto* box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Plumo"), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    m_statusText = text;
    Q_EMIT StatusShown(text);
}

void CPanelWnd::ShowLibraryError()
{
    // A note that does not wait: the first-run dialog and the player go on behind it.
    ReportFailure(m_libraryError);
}

CPanelWnd::ModalBracket::ModalBracket(CPanelWnd& wnd)
{
    // With a layered skin the views are separate windows that would still take input while
    // the dialog is up.
    if (!wnd.m_skinDraw.IsLayered())
        return;
    wnd.setFocus();
    m_disabled = {&wnd.m_tree, &wnd.m_list};
    for (const auto& vis : wnd.m_vis)
        m_disabled.emplace_back(vis.get());
    for (QWidget* w : m_disabled)
        w->setEnabled(false);
}

CPanelWnd::ModalBracket::~ModalBracket()
{
    // What was disabled, not what the skin now in use would disable: the skin chooser may
    // have replaced a layered skin by a plain one while it was open.
    for (QWidget* w : m_disabled) {
        if (w)
            w->setEnabled(true);
    }
}

void CPanelWnd::RaiseAndRestore()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CPanelWnd::RememberNormalRect()
{
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        && isVisible())
        m_normalRect = geometry();
}

void CPanelWnd::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    RememberNormalRect();
}

void CPanelWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RememberNormalRect();
    m_mover.SetClientSize(width(), height());
    if (m_created) {
        m_skinDraw.Layout(width(), height());
        PlaceChildWindows();
    }
}

void CPanelWnd::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_created)
        m_tray.HideIfMinimized(this, m_hideInTray);
}

void CPanelWnd::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    m_skinDraw.Paint(p, event->rect());
}

void CPanelWnd::closeEvent(QCloseEvent* event)
{
    Shutdown();
    event->accept();
}

void CPanelWnd::SaveSettings()
{
    CSettings::WinRect r;
    r.left = m_normalRect.x();
    r.top = m_normalRect.y();
    r.right = m_normalRect.x() + m_normalRect.width();
    r.bottom = m_normalRect.y() + m_normalRect.height();
    m_settings.SetWindowRect(r);
    if (!m_language.GetName().isEmpty())
        m_settings.SetLanguage(m_language.GetName());
    m_settings.SetVolume(m_engine.GetVolumeLevel());
    m_settings.SetMute(m_engine.IsMute() ? 1 : 0);
    m_settings.SetHideInTray(m_hideInTray ? 1 : 0);
    if (!m_settings.Save(m_profileFolder) && isVisible()) {
        ModalBracket bracket(*this);
        QMessageBox::warning(this, QStringLiteral("Plumo"),
            tr("The settings could not be saved to \"%1\"; the changes of this session are lost.")
                .arg(QDir::toNativeSeparators(m_profileFolder + "/Settings.xml")));
    }
}

void CPanelWnd::Shutdown()
{
    if (m_shutDown || !m_created)
        return;
    m_shutDown = true;
    m_held.clear();
    m_stationLoad.Cancel();
    m_treeFill.Cancel();
    m_jobs.Close();
    m_follow.Stop();
    EndListen(false);
    m_positionTimer.stop();
    m_spectrumTimer.stop();
    m_tray.Remove();
    m_playlists.SaveRegistry();
    if (m_settings.GetLastFm())
        m_lastFm.SendStop();
    SaveSettings();
    hide();
    // A dialog still open (a request to end may come from outside while one is shown) is
    // dismissed, so its caller returns and sees the window shut down.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dlg = qobject_cast<QDialog*>(w); dlg != nullptr && dlg->isVisible())
            dlg->reject();
    }
    QCoreApplication::quit();
}
