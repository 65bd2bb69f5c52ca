// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

#include <memory>

class CMsgTarget;
class QMenu;
class QWidget;

// The program's icon in the desktop's notification area (a StatusNotifierItem or an
// XEmbed tray, whichever the desktop offers). Its tooltip names the playing track; clicks
// reach the main window as UWM_TRAYNOTIFY with the mouse message in lParam. When no tray host
// runs, the icon is added as soon as one appears (and again when the host restarts).
// UI thread only.
class CTrayIcon : public QObject {
    Q_OBJECT
public:
    // The mouse messages posted with UWM_TRAYNOTIFY.
    static constexpr long kLButtonDown = 0x0201;
    static constexpr long kLButtonDblClk = 0x0203;
    static constexpr long kRButtonUp = 0x0205;
    static constexpr long kMButtonUp = 0x0208;
    static constexpr long kContextMenu = 0x007B;
    // Longest tooltip, in UTF-16 units; longer texts are cut.
    static constexpr int kMaxTip = 127;
    // How often the absence of a tray host is checked again, in milliseconds.
    static constexpr int kHostCheckMs = 3000;

    explicit CTrayIcon(CMsgTarget* target, QObject* parent = nullptr);
    ~CTrayIcon() override;

    // Adds the icon with an empty tooltip (once at start-up). Without a tray host it waits for
    // one. The icon should be the program's icon; a null icon gets a plain drawn one.
    void Add(const QIcon& icon);
    // Removes the icon (at shut-down); stops waiting for a tray host.
    void Remove();

    // The tooltip: "artist - title", or the title alone when artist is empty; cut to kMaxTip.
    void SetTip(const QString& title, const QString& artist);
    // An empty tooltip (after stop).
    void ClearTip();
    const QString& GetTip() const { return m_tip; }
    static QString TipText(const QString& title, const QString& artist);

    // The tray menu. The icon shows it itself on a right click (a StatusNotifierItem host
    // draws it from this menu), so right clicks are then not posted. Not owned; null removes.
    void SetMenu(QMenu* menu);

    // Whether the icon is in a tray now. Hiding the window in the tray is only safe then:
    // otherwise nothing would be left to bring the window back.
    bool IsShown() const;
    // The main window's minimise with its hide-in-tray choice: hides the window when
    // hideInTray is on and the icon is shown; otherwise leaves it minimised. Returns whether
    // the window was hidden.
    bool HideIfMinimized(QWidget* window, bool hideInTray) const;

    // Minimises or restores a window through its window state, as the layered skin needs
    // (a hidden window is shown again by RestoreWindow).
    static void MinimizeWindow(QWidget* window);
    static void RestoreWindow(QWidget* window);

    // The program icon from the program folder's "Icon" folder (every PNG and SVG there),
    // else the icon theme's "plumo", else a plain drawn icon. Never null.
    static QIcon ProgramIcon(const QString& programFolder);

    // The mouse message posted for an activation reason; 0 for none.
    static long MouseMessage(QSystemTrayIcon::ActivationReason reason);

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void CheckHost();

    CMsgTarget* m_target;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    QString m_tip;
    QMenu* m_menu = nullptr;
    QTimer m_hostCheck;
    bool m_wanted = false;    // Add was called and Remove was not
    bool m_hostSeen = false;  // a tray host was there at the last check
};
