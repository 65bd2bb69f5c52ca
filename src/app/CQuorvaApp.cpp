// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CQuorvaApp.h"

#include "CPanelWnd.h"
#include "CSignalWatcher.h"
#include "CSingleInstance.h"

#include <QStringList>

#include <cstdio>
#include <memory>
#include <utility>

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
    // What the desktop's "Open with" (or a shell) gives the program: played here, or handed
    // to the player that runs already.
    QStringList files = CSingleInstance::FilesFromArguments(arguments());
    CSingleInstance instance(CPanelWnd::DefaultProfileFolder());
    if (!instance.Acquire(files)) {
        if (instance.HandedOver())
            return 0;
        std::fprintf(stderr,
            "plumo: Plumo is running already, but it cannot be reached to hand this start "
            "over to it.\n");
        return 1;
    }

    auto wnd = std::make_unique<CPanelWnd>();
    instance.SetRaiseHandler([&wnd] { wnd->RaiseAndRestore(); });
    // A later start may hand files over while this one still sets up (its first-run dialog
    // runs a loop): they wait, behind this start's own, until the window is up.
    bool created = false;
    connect(&instance, &CSingleInstance::FilesReceived, wnd.get(),
        [&wnd, &files, &created](const QStringList& received) {
            if (created)
                wnd->OpenFiles(received);
            else
                files += received;
        });

    connect(&signals, &CSignalWatcher::TerminationRequested, wnd.get(), [&wnd] { wnd->close(); });
    // The desktop session ending closes the window like the user would.
    connect(this, &QGuiApplication::commitDataRequest, wnd.get(), [&wnd] { wnd->Shutdown(); });
    connect(this, &QCoreApplication::aboutToQuit, wnd.get(), [&wnd] { wnd->Shutdown(); });

    wnd->Create();
    created = true;
    if (!files.isEmpty() && !wnd->IsShutDown())
        wnd->OpenFiles(std::exchange(files, {}));
    // A request to end that arrived during a dialog of the start-up has already shut down.
    const int status = wnd->IsShutDown() ? 0 : exec();
    wnd.reset();
    return status;
}
