// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CAudioLib.h"
#include "CDBase.h"
#include "CLanguage.h"
#include "CMoveLayered.h"
#include "CMoveResize.h"
#include "CMsgTarget.h"
#include "CPlayBass.h"
#include "CSettings.h"
#include "CSkinDraw.h"
#include "CSkinPanel.h"

#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

// The main window: a caption-less top-level window that owns every other object of the player
// for the whole run, routes every command and private message, and brings everything up and
// down in a fixed order. One per process; UI thread only.
class CPanelWnd : public QWidget, public ISkinWindow {
    Q_OBJECT
public:
    CPanelWnd();
    ~CPanelWnd() override;

    // The creation routine: folders, settings, language, window, database, and on a first run
    // the library folders dialog. Returns true. Call once.
    bool Create();

    // The ordered shut-down: timers, playlists, settings (with the restored window rectangle),
    // then the loop is asked to quit. Runs once; later calls do nothing.
    void Shutdown();
    bool IsShutDown() const { return m_shutDown; }

    // Shows the window in front, restoring it when minimised (a second start asks for this).
    void RaiseAndRestore();

    // A menu item or accelerator. Ids without a handler are ignored.
    void OnCommand(int id);
    // Private messages from the views, the engine, the hook and the tray; see UserMessage.h.
    LResult OnUserMessage(unsigned msg, WParam wParam, LParam lParam);
    // The receiver that other objects send and post private messages to.
    CMsgTarget* MsgTarget();

    // Wraps every modal dialog the window opens: with a layered skin the companion windows
    // are disabled while it lives, so only the dialog takes input.
    class ModalBracket {
    public:
        explicit ModalBracket(CPanelWnd& wnd);
        ~ModalBracket();
        ModalBracket(const ModalBracket&) = delete;
        ModalBracket& operator=(const ModalBracket&) = delete;

    private:
        CPanelWnd& m_wnd;
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
    // Menu command ids handled so far.
    static constexpr int ID_LIBRARY_FOLDERS = 104;
    static constexpr int ID_EXIT = 110;
    static constexpr int ID_HIDE_IN_TRAY = 113;
    static constexpr int ID_SHUFFLE = 114;
    static constexpr int ID_REPEAT = 115;
    static constexpr int ID_LANGUAGE = 117;
    static constexpr int ID_SKIN = 112;

Q_SIGNALS:
    // Every command that reaches OnCommand, handled or not (menus and tests observe it).
    void CommandRouted(int id);
    // A skin control was clicked (its element kind), after the window acted on it.
    void SkinControlClicked(int kind);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

    // The skin painter's window.
    void SetSkinLayered(bool layered) override;
    void SetSkinRegion(const QRegion& region) override;
    void InvalidateSkin(const QRect& rect) override;

private:
    class MsgPort;
    struct CommandRow;
    static const CommandRow kCommands[];

    void SetFolders();
    void LoadSettingsAndLanguage();
    void CreateMainWindow();
    void InstallAccelerators();
    void RunFirstRun();
    void RememberNormalRect();
    void SaveSettings();

    void InitEngine();
    void LoadSkin();
    void PushSkinState();
    void OnSkinControl(CSkinElement* control);
    void StartSystemDrag(int mode);
    void OnSkin();
    bool ChooseLibraryFolders();
    void RunLibraryUpdate();
    void OnLibraryFolders();
    void OnExit();
    void OnHideInTray();
    void OnShuffle();
    void OnRepeat();
    void OnLanguage();

    // Members in the order of construction; destruction runs in reverse, so the engine is
    // gone before the audio layer it plays through and before the port it posts to.
    SkinPanels m_panels;
    CMoveResize m_mover;
    CMoveLayered m_composer;
    std::unique_ptr<MsgPort> m_msgPort;
    CAudioLib m_audio;
    CDBase m_db;
    CPlayBass m_engine;
    CSkinDraw m_skinDraw;
    CLanguage m_language;
    QString m_programFolder;
    QString m_profileFolder;
    CSettings m_settings;

    QTimer m_positionTimer; // 100: position, 500 ms
    QTimer m_spectrumTimer; // 200: spectrum, 30 ms
    QRect m_normalRect;     // the restored rectangle, kept while minimised or maximised
    bool m_hideInTray = false;
    bool m_created = false;
    bool m_shutDown = false;
};
