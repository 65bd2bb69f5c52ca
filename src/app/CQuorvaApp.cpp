// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CQuorvaApp.h"

#include "CPanelWnd.h"
#include "CSignalWatcher.h"
#include "CSingleInstance.h"

#include <memory>

CQuorvaApp::CQuorvaApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The profile folder is derived from the application name alone ("Plumo").
    setApplicationName(QStringLiteral("Plumo"));
    setOrganizationName(QString());
    setQuitOnLastWindowClosed(false);
}

CQuorvaApp::~CQuorvaApp() = default;

int CQuorvaApp::Run()
{
    // Installed first: a request to end that comes while starting is held until the loop runs.
    CSignalWatcher signals;
    CSingleInstance instance(CPanelWnd::DefaultProfileFolder());
    if (!instance.Acquire())
        return 0;

    auto wnd = std::make_unique<CPanelWnd>();
    instance.SetRaiseHandler([&wnd] { wnd->RaiseAndRestore(); });

    connect(&signals, &CSignalWatcher::TerminationRequested, wnd.get(), [&wnd] { wnd->close(); });
    // The desktop session ending closes the window like the user would.
    connect(this, &QGuiApplication::commitDataRequest, wnd.get(), [&wnd] { wnd->Shutdown(); });
    connect(this, &QCoreApplication::aboutToQuit, wnd.get(), [&wnd] { wnd->Shutdown(); });

    wnd->Create();
    // A request to end that arrived during a dialog of the start-up has already shut down.
    const int status = wnd->IsShutDown() ? 0 : exec();
    wnd.reset();
    return status;
}
