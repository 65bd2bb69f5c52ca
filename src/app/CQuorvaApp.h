// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QApplication>

// The application object: refuses a second instance, creates the main window, runs the loop
// and tears everything down in order. One per process, on main's stack.
class CQuorvaApp : public QApplication {
    Q_OBJECT
public:
    CQuorvaApp(int& argc, char** argv);
    ~CQuorvaApp() override;

    // The whole life of the program. Returns the process exit status: 0 for a normal end and
    // for a second start that handed over to the running instance.
    int Run();
};
