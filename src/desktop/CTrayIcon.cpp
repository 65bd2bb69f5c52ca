// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTrayIcon.h"

#include "CMsgTarget.h"

#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace {

QIcon DrawnIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2d, 0x8c, 0xc8));
    painter.drawEllipse(2, 2, 28, 28);
    painter.setBrush(Qt::white);
    const QPointF play[] = {{12, 9}, {24, 16}, {12, 23}};
    painter.drawPolygon(play, 3);
    return QIcon(pixmap);
}

} // namespace

CTrayIcon::CTrayIcon(CMsgTarget* target, QObject* parent)
    : QObject(parent)
    , m_target(target)
{
    m_hostCheck.setInterval(kHostCheckMs);
    connect(&m_hostCheck, &QTimer::timeout, this, &CTrayIcon::CheckHost);
}

CTrayIcon::~CTrayIcon() = default;

QString CTrayIcon::TipText(const QString& title, const QString& artist)
{
    const QString text = artist.isEmpty() ? title : artist + QStringLiteral(" - ") + title;
    if (text.size() <= kMaxTip)
        return text;
    // Never leave half of a surrogate pair at the end.
    const int cut = text.at(kMaxTip - 1).isHighSurrogate() ? kMaxTip - 1 : kMaxTip;
    return text.left(cut);
}

void CTrayIcon::Add(const QIcon& icon)
{
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
    }
    m_icon->setIcon(icon.isNull() ? DrawnIcon() : icon);
    m_icon->setContextMenu(m_menu);
    m_tip.clear();
    m_icon->setToolTip(m_tip);
    m_wanted = true;
    m_hostSeen = QSystemTrayIcon::isSystemTrayAvailable();
    if (m_hostSeen)
        m_icon->show();
    m_hostCheck.start();
}

void CTrayIcon::Remove()
{
    m_wanted = false;
    m_hostCheck.stop();
    if (m_icon)
        m_icon->hide();
}

void CTrayIcon::CheckHost()
{
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (m_wanted && available && (!m_hostSeen || !m_icon->isVisible())) {
        // A host that appeared (or came back) knows nothing of the icon: add it again.
        m_icon->hide();
        m_icon->show();
    }
    m_hostSeen = available;
}

void CTrayIcon::SetTip(const QString& title, const QString& artist)
{
    m_tip = TipText(title, artist);
    if (m_icon)
        m_icon->setToolTip(m_tip);
}

void CTrayIcon::ClearTip()
{
    SetTip(QString(), QString());
}

void CTrayIcon::SetMenu(QMenu* menu)
{
    m_menu = menu;
    if (m_icon)
        m_icon->setContextMenu(menu);
}

bool CTrayIcon::IsShown() const
{
    return m_icon && m_icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

bool CTrayIcon::HideIfMinimized(QWidget* window, bool hideInTray) const
{
    if (!hideInTray || !window->isMinimized() || !IsShown())
        return false;
    window->hide();
    return true;
}

void CTrayIcon::MinimizeWindow(QWidget* window)
{
    window->setWindowState((window->windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
}

void CTrayIcon::RestoreWindow(QWidget* window)
{
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

long CTrayIcon::MouseMessage(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger: return kLButtonDown;
    case QSystemTrayIcon::DoubleClick: return kLButtonDblClk;
    case QSystemTrayIcon::Context: return kRButtonUp;
    case QSystemTrayIcon::MiddleClick: return kMButtonUp;
    case QSystemTrayIcon::Unknown: break;
    }
    return 0;
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Context && m_menu != nullptr)
        return; // the icon shows the menu itself
    if (const long message = MouseMessage(reason))
        PostMsg(m_target, UWM_TRAYNOTIFY, 0, message);
}

QIcon CTrayIcon::ProgramIcon(const QString& programFolder)
{
    QIcon icon;
    const QDir dir(QDir(programFolder).filePath(QStringLiteral("Icon")));
    for (const QString& name : dir.entryList({QStringLiteral("*.png"), QStringLiteral("*.svg")},
             QDir::Files, QDir::Name))
        icon.addFile(dir.filePath(name));
    if (icon.availableSizes().isEmpty())
        icon = QIcon::fromTheme(QStringLiteral("plumo"));
    return icon.isNull() ? DrawnIcon() : icon;
}
