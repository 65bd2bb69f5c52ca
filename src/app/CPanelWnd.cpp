// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPanelWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeySequence>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>

namespace {
constexpr int kPositionTimerMs = 500;
constexpr int kSpectrumTimerMs = 30;
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
    , m_engine(m_audio)
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
    m_db.SetFolder(m_profileFolder);
    m_db.OpenLibrary();
    m_db.SetLanguage(&m_language);
    // Hot keys, tray icon, menus (check marks 113/114/115), the client link and the keyboard
    // hook arrive with the desktop and view subsystems; their steps go here, in this order.
    m_hideInTray = m_settings.GetHideInTray() != 0;
    InstallAccelerators();
    // Skin child windows (tree, list, visualisers) are created here once the views exist.
    m_skinDraw.Layout(width(), height());
    m_created = true;
    if (m_settings.IsFirstRun())
        RunFirstRun();
    else
        show();
    return true;
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
    };
    for (const Accel& a : table) {
        auto* shortcut = new QShortcut(a.key, this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = a.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] { OnCommand(id); });
    }
}

void CPanelWnd::RunFirstRun()
{
    // The first playlist ("My Playlist") is created in the tree here once the tree exists.
    m_settings.Save(m_profileFolder);
    show();
    if (ChooseLibraryFolders() && !m_shutDown)
        RunLibraryUpdate();
}

CPanelWnd::ModalBracket::ModalBracket(CPanelWnd& wnd)
    : m_wnd(wnd)
{
    // Layered skins disable their companion windows here; a plain skin (the only kind so
    // far) has none, and Qt's application-modal dialogs already block the window itself.
}

CPanelWnd::ModalBracket::~ModalBracket() = default;

void CPanelWnd::RaiseAndRestore()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

LResult CPanelWnd::OnUserMessage(unsigned msg, WParam wParam, LParam lParam)
{
    // Every private message is routed here; the handlers arrive with the views, the engine,
    // the hook and the tray. Until then an unanswered request gets 0, which its senders take
    // as "nothing" (for example no next track).
    (void)lParam;
    if (msg == UWM_SKINAPPLY && wParam)
        return ApplySkin(*reinterpret_cast<const QString*>(wParam)) ? 1 : 0;
    return 0;
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
    if (m_created)
        m_skinDraw.Layout(width(), height());
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
    m_settings.Save(m_profileFolder);
}

void CPanelWnd::Shutdown()
{
    if (m_shutDown || !m_created)
        return;
    m_shutDown = true;
    m_positionTimer.stop();
    m_spectrumTimer.stop();
    // The tray icon is removed, the playlist index saved and the client link told to stop
    // here, as those subsystems arrive.
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
